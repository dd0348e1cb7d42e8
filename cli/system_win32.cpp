// quenzel-cli's system part on Windows: the console for the password
// prompt (read as UTF-16) and for text; an unfinished output needs no
// clean-up here, since the engine marks it for deletion on close.
#include "cli/system.h"

#include "engine/cipher.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace quenzel::cli {

namespace {

// A prompt's answer holds at most this many UTF-16 units.
constexpr DWORD PromptMostUnits = 32767;
// The width a progress line is blanked to (no escape sequences on Windows 7).
constexpr size_t ProgressLineWidth = 78;

// The console's input mode while a prompt has the echo off, put back by
// Ctrl+C too.
HANDLE PromptInput = INVALID_HANDLE_VALUE;
DWORD SavedInputMode = 0;
volatile LONG EchoOff = 0;

BOOL WINAPI RestoreEcho(DWORD)
{
    if (InterlockedCompareExchange(&EchoOff, 0, 1) == 1)
        SetConsoleMode(PromptInput, SavedInputMode);
    return FALSE; // the system's handler ends the process
}

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode) != FALSE;
}

std::wstring WideOf(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int length = static_cast<int>(utf8.size());
    const int needed = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(needed, 0)), L'\0');
    if (needed > 0 && MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), needed) != needed)
        return {};
    return wide;
}

std::string Utf8Of(const std::wstring& wide)
{
    if (wide.empty())
        return {};
    const int length = static_cast<int>(wide.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(std::max(needed, 0)), '\0');
    if (needed > 0
        && WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), needed, nullptr, nullptr) != needed)
        return {};
    return utf8;
}

// Text to a standard handle: UTF-16 to a console, UTF-8 bytes elsewhere.
bool WriteText(DWORD which, const std::string& utf8)
{
    const HANDLE handle = GetStdHandle(which);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr)
        return false;
    if (IsConsole(handle)) {
        const std::wstring wide = WideOf(utf8);
        DWORD written = 0;
        return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != FALSE;
    }
    size_t done = 0;
    while (done < utf8.size()) {
        DWORD written = 0;
        if (!WriteFile(handle, utf8.data() + done, static_cast<DWORD>(utf8.size() - done), &written, nullptr))
            return false;
        done += written;
    }
    return true;
}

class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle)
        : handle_(handle)
    { }
    ~OwnedHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// The UTF-16 units of `utf8` in secret memory; false when it is not UTF-8.
bool SecretWide(const SecretBytes& utf8, SecretBytes& wide, int& units)
{
    const char* text = reinterpret_cast<const char*>(utf8.data());
    const int length = static_cast<int>(utf8.size());
    units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
    if (units <= 0)
        return false;
    wide = SecretBytes(static_cast<size_t>(units) * sizeof(wchar_t));
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length, reinterpret_cast<wchar_t*>(wide.data()),
                               units)
        == units;
}

} // namespace

void PrepareProcess()
{
    SetConsoleCtrlHandler(RestoreEcho, TRUE);
}

void GuardTemporary(const SystemPath&)
{ }

bool StandardErrorIsTerminal()
{
    return IsConsole(GetStdHandle(STD_ERROR_HANDLE));
}

bool StandardOutputIsTerminal()
{
    return IsConsole(GetStdHandle(STD_OUTPUT_HANDLE));
}

void TellError(const std::string& line)
{
    // Nothing is left to tell a failure of the error stream to.
    static_cast<void>(WriteText(STD_ERROR_HANDLE, line + "\r\n"));
}

bool TellOutput(const std::string& line)
{
    return WriteText(STD_OUTPUT_HANDLE, line + "\r\n");
}

void TellProgress(const std::string& text)
{
    std::string line = text.substr(0, std::min(text.size(), ProgressLineWidth));
    line.resize(ProgressLineWidth, ' ');
    static_cast<void>(WriteText(STD_ERROR_HANDLE, "\r" + line + (text.empty() ? "\r" : "")));
}

PromptResult AskPassword(const char* prompt, SecretBytes& utf8)
{
    const OwnedHandle input(CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    const OwnedHandle output(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD mode = 0;
    if (input.get() == INVALID_HANDLE_VALUE || output.get() == INVALID_HANDLE_VALUE
        || !GetConsoleMode(input.get(), &mode))
        return PromptResult::NoTerminal;
    const std::wstring promptText = WideOf(prompt);
    DWORD written = 0;
    if (!WriteConsoleW(output.get(), promptText.data(), static_cast<DWORD>(promptText.size()), &written, nullptr))
        return PromptResult::Failed;
    PromptInput = input.get();
    SavedInputMode = mode;
    InterlockedExchange(&EchoOff, 1);
    const DWORD quiet = (mode | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) & ~static_cast<DWORD>(ENABLE_ECHO_INPUT);
    SecretBytes answer(PromptMostUnits * sizeof(wchar_t));
    wchar_t* units = reinterpret_cast<wchar_t*>(answer.data());
    DWORD got = 0;
    const bool read =
        SetConsoleMode(input.get(), quiet) && ReadConsoleW(input.get(), units, PromptMostUnits, &got, nullptr);
    const bool restored = InterlockedCompareExchange(&EchoOff, 0, 1) == 0 || SetConsoleMode(input.get(), mode);
    WriteConsoleW(output.get(), L"\r\n", 2, &written, nullptr);
    if (!read || !restored)
        return PromptResult::Failed;
    size_t length = 0;
    while (length < got && units[length] != L'\r' && units[length] != L'\n')
        ++length;
    utf8 = PasswordKeyInput(reinterpret_cast<const char16_t*>(units), length);
    return PromptResult::Ok;
}

bool ReadEnvironment(const std::string& name, SecretBytes& utf8)
{
    const std::wstring wideName = WideOf(name);
    const DWORD needed = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (needed == 0)
        return false;
    SecretBytes value(static_cast<size_t>(needed) * sizeof(wchar_t));
    wchar_t* units = reinterpret_cast<wchar_t*>(value.data());
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), units, needed);
    if (length >= needed || (length == 0 && GetLastError() != ERROR_SUCCESS))
        return false;
    utf8 = PasswordKeyInput(reinterpret_cast<const char16_t*>(units), length);
    return true;
}

SystemPath SystemPathOf(const std::string& utf8)
{
    const std::wstring wide = WideOf(utf8);
    // A full path, so a long relative path takes the extended form too.
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return wide;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return wide;
    full.resize(length);
    return full;
}

std::string TextOfPath(const SystemPath& path)
{
    return Utf8Of(path);
}

bool ClassicPasswordBytes(const SecretBytes& utf8, SecretBytes& key)
{
    if (utf8.empty()) {
        key = PasswordKeyBytes(nullptr, 0);
        return true;
    }
    SecretBytes wide;
    int units = 0;
    if (!SecretWide(utf8, wide, units))
        return false;
    const wchar_t* text = reinterpret_cast<const wchar_t*>(wide.data());
    // As the program converts its password field: the system's way for a
    // character the ANSI code page cannot hold.
    const int needed = WideCharToMultiByte(CP_ACP, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return false;
    SecretBytes ansi(static_cast<size_t>(needed));
    char* ansiText = reinterpret_cast<char*>(ansi.data());
    if (WideCharToMultiByte(CP_ACP, 0, text, units, ansiText, needed, nullptr, nullptr) != needed)
        return false;
    key = PasswordKeyBytes(ansiText, std::min<size_t>(static_cast<size_t>(needed), ClassicPasswordMostBytes));
    return true;
}

std::string SystemErrorText(unsigned long code)
{
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || !text)
        return "system error " + std::to_string(code);
    std::wstring wide(text, length);
    LocalFree(text);
    while (!wide.empty()
           && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ' || wide.back() == L'.'))
        wide.pop_back();
    return Utf8Of(wide);
}

} // namespace quenzel::cli
