// language.exe: lists the language files of the lang folder beside it and
// makes the chosen one lang\default.lng, the file Quenzel reads at start.
// Its texts come from the language file, each with an English text of its
// resources in reserve, so it works even when the language files are broken.
#include "base/lang_keys.h"
#include "base/process.h"
#include "lang/chooser/chooser_resource.h"
#include "lang/chooser/language_files.h"

#include <windows.h>

#include <string>
#include <vector>

namespace chooser {
namespace {

constexpr wchar_t LangFolderName[] = L"\\lang";
constexpr wchar_t DetailMark[] = L"%1";
constexpr wchar_t LanguageDetailMark[] = L"%s";
constexpr wchar_t InterfaceSection[] = L"INTERFACE";
constexpr wchar_t LineBreakMark = L'~';
constexpr int ResourceTextLimit = 1024;
constexpr int ExitChanged = 0;
constexpr int ExitFailed = 1;

struct ChooserState {
    std::wstring langDir;
    std::vector<LanguageFile> files;
    int current = -1;
};

// One text of language.exe: its key in the language files and its English
// text in the resources, whose "%1" stands where the files have "%s".
struct ChooserText {
    int key;
    UINT resource;
};
constexpr ChooserText TitleText{quenzel::keys::ChooserTitle, IDS_TITLE};
constexpr ChooserText PromptText{quenzel::keys::ChooserPrompt, IDS_PROMPT};
constexpr ChooserText CurrentMarkText{quenzel::keys::ChooserCurrentMark, IDS_CURRENT_MARK};
constexpr ChooserText FolderMissingText{quenzel::keys::ChooserFolderMissing, IDS_FOLDER_MISSING};
constexpr ChooserText NoFilesText{quenzel::keys::ChooserNoFiles, IDS_NO_FILES};
constexpr ChooserText NotWritableText{quenzel::keys::ChooserNotWritable, IDS_NOT_WRITABLE};
constexpr ChooserText WriteFailedText{quenzel::keys::ChooserWriteFailed, IDS_WRITE_FAILED};
constexpr ChooserText ReplaceFailedText{quenzel::keys::ChooserReplaceFailed, IDS_REPLACE_FAILED};
constexpr ChooserText ChangedText{quenzel::keys::ChooserChanged, IDS_CHANGED};
constexpr ChooserText OkText{quenzel::keys::Ok, IDS_OK};
constexpr ChooserText CancelText{quenzel::keys::Cancel, IDS_CANCEL};

// The language file whose texts the window shows: the current default.
std::wstring ShownLanguageFile;

std::wstring ResourceText(UINT id)
{
    wchar_t text[ResourceTextLimit] = L"";
    LoadStringW(GetModuleHandleW(nullptr), id, text, ResourceTextLimit);
    return text;
}

void ReplaceFirst(std::wstring& text, const wchar_t* mark, const std::wstring& detail)
{
    const size_t at = text.find(mark);
    if (at != std::wstring::npos)
        text.replace(at, wcslen(mark), detail);
}

// The text of a language file as Quenzel reads it ("~" a line break), with
// its "%s" replaced by `detail`; the resource's English text when the file
// has none for the key.
std::wstring Text(const ChooserText& which, const std::wstring& detail = L"",
                  const std::wstring& languageFile = ShownLanguageFile)
{
    wchar_t keyName[16] = L"";
    _itow_s(which.key, keyName, 16, 10);
    wchar_t text[ResourceTextLimit] = L"";
    if (!languageFile.empty())
        GetPrivateProfileStringW(InterfaceSection, keyName, L"", text, ResourceTextLimit, languageFile.c_str());
    if (text[0] == L'\0') {
        std::wstring english = ResourceText(which.resource);
        ReplaceFirst(english, DetailMark, detail);
        return english;
    }
    std::wstring translated = text;
    for (wchar_t& c : translated)
        if (c == LineBreakMark)
            c = L'\n';
    ReplaceFirst(translated, LanguageDetailMark, detail);
    return translated;
}

void ShowMessage(HWND owner, const std::wstring& text, UINT icon, const std::wstring& languageFile = ShownLanguageFile)
{
    MessageBoxW(owner, text.c_str(), Text(TitleText, L"", languageFile).c_str(), MB_OK | icon);
}

ChooserText CopyFailureText(CopyResult result)
{
    switch (result) {
    case CopyResult::FolderNotWritable:
        return NotWritableText;
    case CopyResult::WriteFailed:
        return WriteFailedText;
    default:
        return ReplaceFailedText;
    }
}

void FillList(HWND dialog, const ChooserState& state)
{
    HWND list = GetDlgItem(dialog, IDC_LANGUAGES);
    const std::wstring currentMark = Text(CurrentMarkText);
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
    SetWindowTextW(dialog, Text(TitleText).c_str());
    SetDlgItemTextW(dialog, IDC_PROMPT, Text(PromptText).c_str());
    SetDlgItemTextW(dialog, IDOK, Text(OkText).c_str());
    SetDlgItemTextW(dialog, IDCANCEL, Text(CancelText).c_str());
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
        const std::wstring detail =
            result == CopyResult::ReplaceFailed ? state.langDir + L"\\" + DefaultLanguageName : state.langDir;
        ShowMessage(dialog, Text(CopyFailureText(result), detail), MB_ICONWARNING);
        return;
    }
    // Said in the language just chosen.
    ShowMessage(dialog, Text(ChangedText, chosen.name, chosen.path), MB_ICONINFORMATION, chosen.path);
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
    ShownLanguageFile = state.langDir + L"\\" + DefaultLanguageName;
    switch (ListLanguageFiles(state.langDir, state.files)) {
    case ListResult::FolderMissing:
        ShowMessage(nullptr, Text(FolderMissingText, state.langDir), MB_ICONWARNING);
        return false;
    case ListResult::NoFiles:
        ShowMessage(nullptr, Text(NoFilesText, state.langDir), MB_ICONWARNING);
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
