#include "base/choosers.h"

#include "base/lang_keys.h"
#include "base/language.h"
#include "base/process.h"
#include "base/shell_helpers.h"

#include <commdlg.h>

#include <vector>

namespace quenzel {

namespace {
constexpr DWORD NotepadFileLength = MAX_PATH;
constexpr wchar_t AllFilesPattern[] = L"*.*";

// A filter is pairs of texts ended by an empty text: the name shown, then
// the pattern.
std::wstring AllFilesFilter()
{
    std::wstring filter = LangString(keys::AllFilesFilter) + L" (" + AllFilesPattern + L")";
    filter += L'\0';
    filter += AllFilesPattern;
    filter += L'\0';
    return filter; // c_str() adds the empty text's terminator
}
} // namespace

bool ChooseExistingFile(const wchar_t* title, const wchar_t* initialFolder, DWORD length, DWORD flags,
                        std::wstring& path)
{
    std::vector<wchar_t> buffer(length + 1, L'\0');
    // The title may be the thread's lookup buffer, which the filter's lookup reuses.
    const std::wstring titleText = title;
    const std::wstring filter = AllFilesFilter();
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = MainWindow;
    dialog.lpstrFilter = filter.c_str();
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
    return ChooseExistingFile(LangText(keys::NotepadFileTitle), L"c:\\", NotepadFileLength,
                              OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY, path);
}

bool ChooseKeyFile(std::wstring& path)
{
    return ChooseExistingFile(LangText(keys::KeyFileTitle), nullptr, MaxTextLength,
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
