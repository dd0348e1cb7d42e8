#include "base/choosers.h"

#include "base/com_apartment.h"
#include "base/courier.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/page_kit.h"
#include "base/process.h"
#include "base/shell_helpers.h"

#include <commdlg.h>

#include <vector>

namespace quenzel {

namespace {
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

// On the window's thread, where its owner lives.
bool ChooseFileHere(const std::wstring& title, const wchar_t* initialFolder, DWORD length, DWORD flags,
                    std::wstring& path)
{
    const ComApartment apartment;
    std::vector<wchar_t> buffer(length + 1, L'\0');
    const std::wstring filter = AllFilesFilter();
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = MainWindow;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = length;
    dialog.lpstrInitialDir = initialFolder;
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = flags;
    // A failed call may leave the buffer holding something else than a name
    // (a name too long leaves its length there).
    if (!GetOpenFileNameW(&dialog)) {
        if (CommDlgExtendedError() != 0)
            WarnUser(keys::ChooserFailed);
        return false;
    }
    buffer[length] = L'\0';
    if (buffer[0] == L'\0')
        return false;
    path = buffer.data();
    return true;
}

} // namespace

bool ChooseExistingFile(const wchar_t* title, const wchar_t* initialFolder, DWORD length, DWORD flags,
                        std::wstring& path)
{
    // The title may be the thread's lookup buffer, which the filter's lookup reuses.
    const std::wstring titleText = title;
    return FromWindowThread<bool>([&] { return ChooseFileHere(titleText, initialFolder, length, flags, path); });
}

bool ChooseFileForNotepad(std::wstring& path)
{
    return ChooseExistingFile(LangText(keys::NotepadFileTitle), L"c:\\", MaxTextLength,
                              OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY, path);
}

bool ChooseKeyFile(std::wstring& path)
{
    return ChooseExistingFile(LangText(keys::KeyFileTitle), nullptr, MaxTextLength,
                              OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, path);
}

bool ChooseFolder(const wchar_t* title, std::wstring& folder, HWND owner)
{
    const std::wstring titleText = title;
    std::vector<wchar_t> buffer(MaxTextLength + 1, L'\0');
    const bool chosen = FromWindowThread<bool>([&] {
        return BrowseForFolder(titleText.c_str(), buffer.data(), MaxTextLength + 1, owner ? owner : MainWindow) != 0;
    });
    if (!chosen)
        return false;
    folder = buffer.data();
    return true;
}

} // namespace quenzel
