// language.exe: lists the language files of the lang folder beside it and
// makes the chosen one lang\default.lng, the file Quenzel reads at start.
#include "base/shell.h"
#include "lang/chooser/chooser_resource.h"
#include "lang/chooser/language_files.h"

#include <windows.h>

#include <string>
#include <vector>

namespace chooser {
namespace {

constexpr wchar_t LangFolderName[] = L"\\lang";
constexpr wchar_t DetailMark[] = L"%1";
constexpr int ResourceTextLimit = 1024;
constexpr int ExitChanged = 0;
constexpr int ExitFailed = 1;

struct ChooserState {
    std::wstring langDir;
    std::vector<LanguageFile> files;
    int current = -1;
};

std::wstring ResourceText(UINT id)
{
    wchar_t text[ResourceTextLimit] = L"";
    LoadStringW(GetModuleHandleW(nullptr), id, text, ResourceTextLimit);
    return text;
}

// A resource text with its "%1" replaced by `detail`.
std::wstring ResourceText(UINT id, const std::wstring& detail)
{
    std::wstring text = ResourceText(id);
    const size_t mark = text.find(DetailMark);
    if (mark != std::wstring::npos)
        text.replace(mark, wcslen(DetailMark), detail);
    return text;
}

void ShowMessage(HWND owner, const std::wstring& text, UINT icon)
{
    MessageBoxW(owner, text.c_str(), ResourceText(IDS_TITLE).c_str(), MB_OK | icon);
}

UINT CopyFailureText(CopyResult result)
{
    switch (result) {
    case CopyResult::FolderNotWritable: return IDS_NOT_WRITABLE;
    case CopyResult::WriteFailed: return IDS_WRITE_FAILED;
    default: return IDS_REPLACE_FAILED;
    }
}

void FillList(HWND dialog, const ChooserState& state)
{
    HWND list = GetDlgItem(dialog, IDC_LANGUAGES);
    const std::wstring currentMark = ResourceText(IDS_CURRENT_MARK);
    for (size_t i = 0; i < state.files.size(); ++i) {
        std::wstring entry = state.files[i].name;
        if (static_cast<int>(i) == state.current)
            entry += currentMark;
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    // The list keeps the files' order: it is not sorted by the control.
    SendMessageW(list, LB_SETCURSEL, state.current >= 0 ? state.current : 0, 0);
}

void OnInitDialog(HWND dialog, ChooserState* state)
{
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_CHOOSER));
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SetDlgItemTextW(dialog, IDC_PROMPT, ResourceText(IDS_PROMPT).c_str());
    FillList(dialog, *state);
}

// Makes the selected language the default; the dialog stays open when that fails.
void OnOk(HWND dialog, const ChooserState& state)
{
    const LRESULT selected = SendDlgItemMessageW(dialog, IDC_LANGUAGES, LB_GETCURSEL, 0, 0);
    if (selected < 0 || selected >= static_cast<LRESULT>(state.files.size()))
        return;
    const LanguageFile& chosen = state.files[static_cast<size_t>(selected)];
    if (selected == state.current) {
        EndDialog(dialog, ExitChanged);
        return;
    }
    const CopyResult result = MakeDefaultLanguage(state.langDir, chosen.content);
    if (result != CopyResult::Ok) {
        const std::wstring detail = result == CopyResult::ReplaceFailed
                                        ? state.langDir + L"\\" + DefaultLanguageName
                                        : state.langDir;
        ShowMessage(dialog, ResourceText(CopyFailureText(result), detail), MB_ICONWARNING);
        return;
    }
    ShowMessage(dialog, ResourceText(IDS_CHANGED, chosen.name), MB_ICONINFORMATION);
    EndDialog(dialog, ExitChanged);
}

INT_PTR CALLBACK ChooserDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = reinterpret_cast<ChooserState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog, reinterpret_cast<ChooserState*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOk(dialog, *state);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, ExitChanged);
            return TRUE;
        case IDC_LANGUAGES:
            if (HIWORD(wParam) == LBN_DBLCLK)
                OnOk(dialog, *state);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// Lists the files; false, after telling the user, when there is nothing to choose.
bool LoadState(ChooserState& state)
{
    state.langDir = quenzel::ExecutableFolder() + LangFolderName;
    switch (ListLanguageFiles(state.langDir, state.files)) {
    case ListResult::FolderMissing:
        ShowMessage(nullptr, ResourceText(IDS_FOLDER_MISSING, state.langDir), MB_ICONWARNING);
        return false;
    case ListResult::NoFiles:
        ShowMessage(nullptr, ResourceText(IDS_NO_FILES, state.langDir), MB_ICONWARNING);
        return false;
    case ListResult::Ok:
        break;
    }
    std::string current;
    // A missing or unreadable default.lng simply means no choice is current.
    if (ReadWholeFile(state.langDir + L"\\" + DefaultLanguageName, current))
        state.current = FindCurrentLanguage(state.files, current);
    return true;
}

} // namespace
} // namespace chooser

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    chooser::ChooserState state;
    if (!chooser::LoadState(state))
        return chooser::ExitFailed;
    const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_CHOOSER), nullptr, chooser::ChooserDialog,
                                           reinterpret_cast<LPARAM>(&state));
    return result == -1 ? chooser::ExitFailed : static_cast<int>(result);
}
