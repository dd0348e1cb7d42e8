#include "crypt/crypt_dialogs.h"

#include "base/handles.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/long_path.h"
#include "base/page_kit.h"
#include "base/pictures.h"
#include "base/process.h"
#include "base/text_preview.h"
#include "crypt/confirm_outcome.h"
#include "crypt/crypt_page.h"
#include "crypt/file_page_ids.h"
#include "crypt/file_transform.h"
#include "crypt/folder_page_ids.h"
#include "crypt/key_controls.h"
#include "engine/output_names.h"
#include "res/crypt_resources.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace quenzel {

namespace {

constexpr DWORD PreviewBytes = 1000;

void SetItemText(HWND dialog, int id, int key)
{
    SetDlgItemTextW(dialog, id, LangText(key));
}

// What the confirmation is asked for: the page, and the options its job
// started with.
struct ConfirmRequest {
    CryptPageKind kind;
    const Options& options;
    // A file decryption whose proposed output was another existing file:
    // that file, and the free name proposed instead.
    std::wstring takenOutput;
    std::wstring freeOutput;
    // The key controls as they were when OK was accepted.
    KeySnapshot key;
};

CryptPageState& StateOf(CryptPageKind kind)
{
    return kind == CryptPageKind::File ? FilePageState : FolderPageState;
}

// An encryption with a password: the title says so, and the password is
// always typed again (whatever the stored ReType option says), so a typing
// slip cannot lock the data away.
bool PasswordEncryption(CryptPageKind kind)
{
    return Checked(IDC_KEY_PASSWORD_RADIO) && StateOf(kind).Job() != DecryptJob;
}

bool RetypeWanted(CryptPageKind kind)
{
    return PasswordEncryption(kind);
}

std::wstring ProposedOutput(const ConfirmRequest& request, const std::wstring& source)
{
    const JobKind job = StateOf(request.kind).Job();
    const Options& options = request.options;
    if (request.kind == CryptPageKind::File) {
        FileNameOptions naming;
        naming.addEnc = options.addEnc;
        naming.removeEnc = options.removeEnc;
        naming.addDec = options.addDec;
        return ProposeFileOutput(source, job, naming);
    }
    return ProposeFolderOutput(source, job, FolderNaming(options));
}

// A file decryption never proposes an existing file other than its source
// (the original beside its ".enc" file, say), but the next free name beside
// it; with none free, the job asks before it replaces the file.
void AvoidTakenOutput(ConfirmRequest& request, const std::wstring& source, std::wstring& proposal)
{
    if (request.kind != CryptPageKind::File || StateOf(request.kind).Job() != DecryptJob || !PathExists(proposal)
        || IsSameFile(source, proposal))
        return;
    const std::wstring free = FreeOutputName(proposal, PathExists);
    if (free.empty())
        return;
    request.takenOutput = proposal;
    request.freeOutput = free;
    proposal = free;
}

std::wstring QuestionText(const ConfirmRequest& request, const std::wstring& title, bool recyclesSource)
{
    if (request.kind == CryptPageKind::Folder) {
        const int count = static_cast<int>(SendMessageW(MainControl(IDC_FOLDER_LIST), LVM_GETITEMCOUNT, 0, 0));
        return FormatLangText(keys::FolderQuestion, MaxTextLength, count, title.c_str());
    }
    return FormatLangText(recyclesSource ? keys::FileQuestionRecycle : keys::FileQuestion, MaxTextLength,
                          title.c_str());
}

void SetConfirmTexts(HWND dialog, CryptPageKind kind)
{
    SetWindowTextW(dialog, LangText(PasswordEncryption(kind) ? keys::PasswordTitle : keys::PlainTitle));
    SetItemText(dialog, IDC_RETYPE_GROUP, keys::RetypeGroup);
    const bool file = kind == CryptPageKind::File;
    SetItemText(dialog, IDC_CONFIRM_SOURCE_GROUP, file ? keys::FileSourceGroup : keys::FolderSourceGroup);
    SetItemText(dialog, IDC_CONFIRM_DESTINATION_GROUP,
                file ? keys::FileDestinationGroup : keys::FolderDestinationGroup);
    SetItemText(dialog, IDOK, keys::Ok);
    SetItemText(dialog, IDCANCEL, keys::Cancel);
}

// The question and, below it, what the job will do with the destination
// the dialog shows now.
void ShowJobText(HWND dialog, const ConfirmRequest& request, const std::wstring& source)
{
    JobOutcomeFacts facts;
    facts.kind = request.kind;
    facts.job = StateOf(request.kind).Job();
    facts.source = source;
    facts.destination = TextOf(GetDlgItem(dialog, IDC_CONFIRM_DESTINATION));
    facts.strongFormat = request.options.strongFormat;
    if (!request.freeOutput.empty() && facts.destination == request.freeOutput)
        facts.takenOutput = request.takenOutput;
    // The job recycles the source only when it writes another file.
    facts.recyclesSource = request.kind == CryptPageKind::File && SourceRecycleAsked(facts.job, request.options)
        && !IsSameFile(source, facts.destination);
    const std::wstring text =
        QuestionText(request, PathTitle(source), facts.recyclesSource) + L"\n" + JobOutcomeText(facts);
    SetDlgItemTextW(dialog, IDC_JOB_TEXT, text.c_str());
}

int SourceFieldOf(CryptPageKind kind)
{
    return kind == CryptPageKind::File ? IDC_FILE_SOURCE : IDC_FOLDER_SOURCE;
}

void OnConfirmInit(HWND dialog, ConfirmRequest& request)
{
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&request));
    SetDialogIcon(dialog, IDC_CONFIRM_ICON, IDI_CONFIRM);
    SetConfirmTexts(dialog, request.kind);
    CryptPageState& state = StateOf(request.kind);
    const std::wstring source = TextOf(MainControl(SourceFieldOf(request.kind)));
    SetDlgItemTextW(dialog, IDC_CONFIRM_SOURCE, source.c_str());
    state.outputPath = ProposedOutput(request, source);
    AvoidTakenOutput(request, source, state.outputPath);
    SetDlgItemTextW(dialog, IDC_CONFIRM_DESTINATION, state.outputPath.c_str());
    ShowJobText(dialog, request, source);
}

// The re-entered password is not the one typed; the copy read here is wiped.
bool RetypedPasswordDiffers(HWND dialog, const SecretBytes& typed)
{
    const SecretBytes retyped = SecretFieldText(GetDlgItem(dialog, IDC_RETYPE_PASSWORD));
    return typed.size() != retyped.size() || !std::equal(typed.data(), typed.data() + typed.size(), retyped.data());
}

// The re-entered password does not stay in the field's memory once the
// dialog closes: its characters are overwritten in place (a shorter text
// would leave the rest), then the field is emptied, its undo too.
void WipeRetypeField(HWND dialog)
{
    HWND field = GetDlgItem(dialog, IDC_RETYPE_PASSWORD);
    if (!field)
        return; // the confirmation without the field
    const LRESULT length = SendMessageW(field, WM_GETTEXTLENGTH, 0, 0);
    if (length > 0)
        SetWindowTextW(field, std::wstring(static_cast<size_t>(length), L' ').c_str());
    SetWindowTextW(field, L"");
    SendMessageW(field, EM_EMPTYUNDOBUFFER, 0, 0);
}

void EndConfirmDialog(HWND dialog, INT_PTR result)
{
    WipeRetypeField(dialog);
    EndDialog(dialog, result);
}

// OK: the job's key is taken now, and for a password encryption the
// re-entered password must equal that key's password.
void OnConfirmOk(HWND dialog, ConfirmRequest& request)
{
    KeySnapshot key = TakeKeySnapshot();
    if (RetypeWanted(request.kind) && RetypedPasswordDiffers(dialog, key.password)) {
        ShowWarningBox(LangString(keys::PasswordsDiffer), keys::PasswordsDifferCaption);
        SetFocus(GetDlgItem(dialog, IDC_RETYPE_PASSWORD));
        return;
    }
    StateOf(request.kind).outputPath = TextOf(GetDlgItem(dialog, IDC_CONFIRM_DESTINATION));
    request.key = std::move(key);
    EndConfirmDialog(dialog, ConfirmOk);
}

INT_PTR CALLBACK ConfirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnConfirmInit(dialog, *reinterpret_cast<ConfirmRequest*>(lParam));
        return TRUE;
    case WM_COMMAND: {
        auto* request = reinterpret_cast<ConfirmRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
        // Messages before WM_INITDIALOG find no request yet.
        if (!request)
            return FALSE;
        if (LOWORD(wParam) == IDOK) {
            OnConfirmOk(dialog, *request);
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_CONFIRM_DESTINATION && HIWORD(wParam) == EN_CHANGE) {
            // The words follow a destination the user types.
            ShowJobText(dialog, *request, TextOf(MainControl(SourceFieldOf(request->kind))));
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndConfirmDialog(dialog, ConfirmCancel);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

// What the result dialog shows: the text that says what was done
// (formatted with the source title and the output path), whether the
// output was never authenticated, and the job's source with its beginning
// as it was before the job.
struct ResultRequest {
    int textKey;
    bool unauthenticated;
    const std::wstring& source;
    const std::wstring& sourceBeginning;
};

void OnResultInit(HWND dialog, const ResultRequest& request)
{
    const int textKey = request.textKey;
    SetWindowTextW(dialog, LangText(keys::ResultTitle));
    // The finished job's tick would promise a readable result.
    if (request.unauthenticated)
        SetDialogSystemIcon(dialog, IDC_RESULT_ICON, IDI_INFORMATION, DesignIconSize(IDI_RESULT));
    else
        SetDialogIcon(dialog, IDC_RESULT_ICON, IDI_RESULT);
    SetItemText(dialog, IDC_RESULT_SOURCE_GROUP, keys::ResultSourceGroup);
    SetItemText(dialog, IDC_RESULT_OUTPUT_GROUP, keys::ResultOutputGroup);
    SetDlgItemTextW(dialog, IDC_RESULT_SOURCE, request.sourceBeginning.c_str());
    LoadTextPreview(FilePageState.outputPath, GetDlgItem(dialog, IDC_RESULT_OUTPUT));
    const std::wstring title = PathTitle(request.source);
    const std::wstring text = FormatLangText(textKey, MaxTextLength, title.c_str(), FilePageState.outputPath.c_str());
    SetDlgItemTextW(dialog, IDC_JOB_TEXT, text.c_str());
}

INT_PTR CALLBACK ResultDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnResultInit(dialog, *reinterpret_cast<const ResultRequest*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, ConfirmOk);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// The preview's fallback decoding: the bytes in the system's ANSI code page.
std::u16string AnsiText(std::string_view bytes)
{
    const int count = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, nullptr, 0);
    if (units <= 0)
        return {};
    std::wstring text(static_cast<size_t>(units), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, text.data(), units) != units)
        return {};
    return std::u16string(text.begin(), text.end());
}

} // namespace

INT_PTR ShowConfirmDialog(CryptPageKind kind, const Options& options, KeySnapshot& key)
{
    if (!PasswordAcceptable(StateOf(kind).Job(), TakeKeySnapshot()))
        return ConfirmCancel;
    const int templateId = RetypeWanted(kind) ? IDD_RETYPE : IDD_CONFIRM;
    ConfirmRequest request{kind, options, {}, {}, {}};
    const INT_PTR result = DialogBoxParamW(Instance, MAKEINTRESOURCEW(templateId), MainWindow, ConfirmDialogProc,
                                           reinterpret_cast<LPARAM>(&request));
    // A dialog that could not be shown counts as Cancel.
    if (result != ConfirmOk)
        return ConfirmCancel;
    key = std::move(request.key);
    return ConfirmOk;
}

void ShowResultDialog(int textKey, bool unauthenticated, const std::wstring& source,
                      const std::wstring& sourceBeginning)
{
    const ResultRequest request{textKey, unauthenticated, source, sourceBeginning};
    DialogBoxParamW(Instance, MAKEINTRESOURCEW(IDD_RESULTDIALOG), MainWindow, ResultDialogProc,
                    reinterpret_cast<LPARAM>(&request));
}

std::wstring FileBeginningText(const std::wstring& path)
{
    UniqueFile file(CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    std::vector<char> bytes(PreviewBytes, '\0');
    DWORD got = 0;
    if (!file || !ReadFile(file.Get(), bytes.data(), PreviewBytes, &got, nullptr) || got == 0)
        return {};
    const TextPreview preview = PreviewOfBytes(std::string_view(bytes.data(), got), AnsiText);
    return std::wstring(preview.text.begin(), preview.text.end());
}

// An unreadable or empty file leaves the field empty.
void LoadTextPreview(const std::wstring& path, HWND edit)
{
    SetWindowTextW(edit, FileBeginningText(path).c_str());
}

} // namespace quenzel
