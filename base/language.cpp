#include "base/language.h"

#include "base/format_check.h"
#include "base/lang_keys.h"
#include "base/process.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace quenzel {

namespace {
constexpr wchar_t InterfaceSection[] = L"INTERFACE";
constexpr wchar_t LineBreakMark = L'~';
constexpr int KeyTextLength = 12;

// One buffer per thread: worker threads look texts up while the window's
// thread does too. Before the first lookup it holds "unnamed".
struct TextBuffer {
    wchar_t text[LangTextLimit + 1] = L"unnamed";
};
thread_local TextBuffer ThreadText;
} // namespace

const wchar_t* LangText(const wchar_t* key)
{
    wchar_t* text = ThreadText.text;
    const DWORD length =
        GetPrivateProfileStringW(InterfaceSection, key, L"", text, LangTextLimit + 1, LanguagePath.c_str());
    for (DWORD i = 0; i < length; ++i)
        if (text[i] == LineBreakMark)
            text[i] = L'\n';
    return text;
}

const wchar_t* LangText(int key)
{
    wchar_t keyText[KeyTextLength];
    _itow_s(key, keyText, KeyTextLength, 10);
    return LangText(keyText);
}

std::wstring LangString(int key)
{
    return LangText(key);
}

namespace {
// The language file's text of a formatted key when it takes exactly the
// arguments the code passes; otherwise the built-in English text. A key
// with no documented arguments must hold no conversion at all.
std::wstring SafeFormat(int key)
{
    const std::wstring text = LangString(key);
    for (const keys::FormattedText& known : keys::FormattedTexts)
        if (known.key == key)
            return FormatTakes(text, known.arguments) ? text : std::wstring(known.english);
    return FormatTakes(text, "") ? text : std::wstring();
}
} // namespace

std::wstring FormatLangText(int key, unsigned limit, ...)
{
    const std::wstring format = SafeFormat(key);
    std::vector<wchar_t> out(limit + 1, L'\0');
    va_list args;
    va_start(args, limit);
    // _vsnwprintf writes at most `limit` characters and does not overflow;
    // the buffer's last unit stays the terminator.
    _vsnwprintf(out.data(), limit, format.c_str(), args);
    va_end(args);
    out[limit] = L'\0';
    return std::wstring(out.data());
}

} // namespace quenzel
