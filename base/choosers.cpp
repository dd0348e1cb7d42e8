#include "base/choosers.h"

#include "base/lang_keys.h"
#include "base/language.h"
#include "base/shell.h"
#include "base/shell_helpers.h"

#include <commdlg.h>

#include <vector>

namespace quenzel {

namespace {
constexpr DWORD NotepadFileLength = MAX_PATH;
// Filters are pairs of texts ended by an empty text.
constexpr wchar_t NotepadFilter[] = L"All Files (*.*)\0*.*\0";
constexpr wchar_t KeyFileFilter[] = L"All files (*.*)\0*.*\0";
} // namespace

bool ChooseExistingFile(const wchar_t* title, const wchar_t* filter, const wchar_t* initialFolder, DWORD length,
                        DWORD flags, std::wstring& path)
{
    std::vector<wchar_t> buffer(length + 1, L'\0');
    const std::wstring titleText = title;
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = MainWindow;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = length;
    dialog.lpstrInitialDir = initialFolder;
    dialog.lpstrTitle = titleText.c_str();
    dialog.Flags = flags;
    GetOpenFileNameW(&dialog);
    buffer[length] = L'\0';
    if (buffer[0] == L'\0')
        return false;
    path = buffer.data();
    return true;
}

bool ChooseFileForNotepad(std::wstring& path)
{
    return ChooseExistingFile(LangText(keys::NotepadFileTitle), NotepadFilter, L"c:\\", NotepadFileLength,
                              OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY, path);
}

bool ChooseKeyFile(std::wstring& path)
{
    return ChooseExistingFile(LangText(keys::KeyFileTitle), KeyFileFilter, nullptr, MaxTextLength,
                              OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, path);
}

bool ChooseFolder(const wchar_t* title, std::wstring& folder)
{
    std::vector<wchar_t> buffer(MaxTextLength + 1, L'\0');
    const std::wstring titleText = title;
    if (!BrowseForFolder(titleText.c_str(), buffer.data()))
        return false;
    buffer[MaxTextLength] = L'\0';
    if (buffer[0] == L'\0')
        return false;
    folder = buffer.data();
    return true;
}

} // namespace quenzel
