#include "crypt/jobs.h"

#include "base/control_ids.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/long_path.h"
#include "base/options_page_ids.h"
#include "base/shell.h"
#include "base/shell_helpers.h"
#include "base/status.h"
#include "crypt/crypt_page.h"
#include "crypt/file_page_ids.h"
#include "crypt/folder_job.h"
#include "crypt/folder_page_ids.h"
#include "crypt/key_controls.h"

#include <commctrl.h>
#include <shellapi.h>

#include <mutex>
#include <vector>

namespace quenzel {

namespace {
// Silent, no questions, to the recycle bin, no error boxes.
constexpr FILEOP_FLAGS RecycleFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;

constexpr int FileJobControls[] = {IDC_FILE_ENCRYPT, IDC_FILE_DECRYPT, IDC_FILE_CHOOSE, IDC_FILE_SOURCE,
                                   IDC_KEY_PASSWORD, IDC_KEY_LEVEL_SLIDER, IDC_TABS};
constexpr int FolderJobControls[] = {IDC_FOLDER_ENCRYPT, IDC_FOLDER_DECRYPT, IDC_FOLDER_GATHER, IDC_FOLDER_SOURCE,
                                     IDC_KEY_PASSWORD, IDC_KEY_LEVEL_SLIDER, IDC_TABS};

std::mutex GatheredRootLock;
std::wstring GatheredRoot;

std::wstring CurrentGatheredRoot()
{
    std::lock_guard<std::mutex> hold(GatheredRootLock);
    return GatheredRoot;
}

void SetState(int key)
{
    SetStatusText(LangText(key), 0, StatusStatePart);
}

// The progress bars: shown only while a job runs.
void ShowBar(HWND bar, bool show)
{
    ShowWindow(bar, show ? SW_SHOW : SW_HIDE);
}

void WarnStrayTemporary(const TransformOutcome& outcome)
{
    if (!outcome.strayTemporary.empty())
        WarnUserText(FormatLangText(keys::TemporaryLeft, MaxTextLength, outcome.strayTemporary.c_str()));
}

// The messages of a failed transform: a source that cannot be read, an
// output that cannot be made, an output not written completely.
struct FailureKeys {
    int cannotOpen;
    int cannotCreate;
    int notWritten;
    int keyFile; // formatted with the destination
};

constexpr FailureKeys FolderItemFailureKeys{keys::FolderItemCannotOpen, keys::FolderOutputCannotCreate,
                                            keys::FolderOutputNotWritten, keys::OutputIsKeyFile};

// A job's question, owned by the main window; true on Yes.
bool AskUser(const std::wstring& question)
{
    const std::wstring caption = LangString(keys::ReplaceCaption);
    return MessageBoxW(MainWindow, question.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// The job's message for a failed transform; the key step has told the user
// already when there was no key.
void ReportTransformFailure(const TransformOutcome& outcome, const FailureKeys& failureKeys,
                            const std::wstring& destination)
{
    switch (outcome.status) {
    case TransformStatus::Ok:
        if (outcome.attributesLost)
            WarnUserText(FormatLangText(keys::AttributesNotKept, MaxTextLength, destination.c_str()));
        break;
    case TransformStatus::KeyUnavailable:
        break;
    case TransformStatus::KeyFileTarget:
        WarnUserText(FormatLangText(failureKeys.keyFile, MaxTextLength, destination.c_str()));
        break;
    case TransformStatus::SourceOpenFailed:
    case TransformStatus::SourceReadFailed:
        WarnUser(failureKeys.cannotOpen);
        break;
    case TransformStatus::OutputCreateFailed:
    case TransformStatus::ReplaceFailed:
        WarnUser(failureKeys.cannotCreate);
        break;
    case TransformStatus::WriteFailed:
        WarnUser(failureKeys.notWritten);
        break;
    case TransformStatus::OutOfMemory:
        WarnUser(keys::NoMemory);
        break;
    }
    WarnStrayTemporary(outcome);
}

FailureKeys FileFailureKeys(JobKind job)
{
    return {keys::SourceCannotOpen, keys::OutputCannotCreate,
            job == DecryptJob ? keys::DecryptedNotWritten : keys::EncryptedNotWritten, keys::DestinationIsKeyFile};
}

// The source goes to the recycle bin when the options ask for it, and only
// when the output is another file than the source.
void RecycleSourceIfAsked(const std::wstring& source, const std::wstring& output, JobKind job)
{
    const int renameOption = job == DecryptJob ? IDC_OPTIONS_ADD_DEC : IDC_OPTIONS_ADD_ENC;
    if (!Checked(IDC_OPTIONS_RECYCLE) || !Checked(renameOption) || IsSameFile(source, output))
        return;
    // The shell resolves a path the classic way ("dot." would be "dot"):
    // it is given the extended form unless the classic one is exact.
    const std::wstring path = ClassicFormIsExact(source) ? source : ExtendedPath(source);
    if (!ShellFileOperation(path.c_str(), RecycleFlags, nullptr, FO_DELETE))
        WarnUser(keys::NotRecycled);
}

// The destination of a file job exists and is another file than the
// source: true when the user lets it be replaced. A read-only one is not
// asked about: it is never replaced.
bool MayReplaceDestination(const std::wstring& source, const std::wstring& output)
{
    const DWORD attributes = GetFileAttributesW(ExtendedPath(output).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        || IsSameFile(source, output))
        return true;
    return AskUser(FormatLangText(keys::ReplaceFileQuestion, MaxTextLength, output.c_str()));
}

// The checks of a file job before anything is written: the key file is
// never the destination, and another existing file is replaced only when
// the user says so.
bool FileJobMayStart(const std::wstring& source, const std::wstring& output, const std::wstring& keyFile)
{
    if (!keyFile.empty() && IsSameFile(keyFile, output)) {
        WarnUserText(FormatLangText(keys::DestinationIsKeyFile, MaxTextLength, output.c_str()));
        return false;
    }
    return MayReplaceDestination(source, output);
}

// The checks of a folder job before anything is written; false, after
// telling the user, when it must not start.
bool FolderJobMayStart(const FolderJobCheck& check, const std::wstring& keyFile)
{
    const std::wstring& output = FolderPageState.outputPath;
    switch (check.verdict) {
    case FolderJobCheck::Verdict::OutputOverList:
        WarnUserText(FormatLangText(keys::OutputOverList, MaxTextLength, output.c_str()));
        return false;
    case FolderJobCheck::Verdict::KeyFileOutput:
        WarnUserText(FormatLangText(keys::OutputIsKeyFile, MaxTextLength, keyFile.c_str()));
        return false;
    case FolderJobCheck::Verdict::Go:
        break;
    }
    const int existing = static_cast<int>(check.existingOutputs);
    return existing == 0
           || AskUser(FormatLangText(keys::ReplaceFilesQuestion, MaxTextLength, existing, output.c_str()));
}

std::vector<std::wstring> ListedFiles(HWND list)
{
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<std::wstring> items;
    items.reserve(static_cast<size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i)
        items.push_back(ListItemText(list, i));
    return items;
}

// One listed file of a folder job, into the output folder below the root.
void ProcessFolderItem(const std::wstring& root, const std::wstring& item, const FileId& keyFile)
{
    ControlKeySource keySource;
    const FolderItemOutcome outcome =
        TransformFolderItem(root, item, FolderPageState.outputPath, keySource, keyFile);
    if (outcome.status == FolderItemStatus::OutsideRoot) {
        WarnUser(keys::ItemOutsideRoot);
        return;
    }
    FolderPageState.jobMode = NoJob;
    std::wstring destination;
    FolderJobOutputFile(root, item, FolderPageState.outputPath, destination);
    ReportTransformFailure(outcome.transform, FolderItemFailureKeys, destination);
}

// A job that ends before its work: the page is idle again.
void EndUnstartedJob(CryptPageKind kind, CryptPageState& state)
{
    state.jobMode = NoJob;
    SetJobControls(kind, true);
}

} // namespace

void SetGatheredRoot(const std::wstring& root)
{
    std::lock_guard<std::mutex> hold(GatheredRootLock);
    GatheredRoot = root;
}

void SetJobControls(CryptPageKind kind, bool enable)
{
    if (kind == CryptPageKind::File)
        for (int id : FileJobControls)
            EnableWindow(MainControl(id), enable);
    else
        for (int id : FolderJobControls)
            EnableWindow(MainControl(id), enable);
    if (enable)
        SetState(keys::IdleStatus);
}

DWORD WINAPI FileJob(void*)
{
    const std::wstring source = TextOf(MainControl(IDC_FILE_SOURCE));
    const JobKind job = FilePageState.Job();
    if (ShowConfirmDialog(CryptPageKind::File) != ConfirmOk)
        return 0;
    HWND bar = MainControl(IDC_FILE_PROGRESS);
    SetState(job == DecryptJob ? keys::FileDecrypting : keys::FileEncrypting);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    SetJobControls(CryptPageKind::File, false);

    const std::wstring output = FilePageState.outputPath;
    const std::wstring keyFile = KeyFileOfControls();
    if (!FileJobMayStart(source, output, keyFile)) {
        EndUnstartedJob(CryptPageKind::File, FilePageState);
        return 0;
    }
    const FileId keyId = keyFile.empty() ? FileId() : IdentityOf(keyFile);
    const TransformOutcome outcome = ApplyCipherWithProgress(source, output, bar, keyId);
    FilePageState.jobMode = NoJob;
    ShowBar(bar, false);
    SetJobControls(CryptPageKind::File, true);
    ReportTransformFailure(outcome, FileFailureKeys(job), output);
    if (outcome.status != TransformStatus::Ok)
        return 0;
    RecycleSourceIfAsked(source, output, job);
    ShowResultDialog();
    return 0;
}

DWORD WINAPI FolderJob(void*)
{
    const std::wstring typedRoot = TextOf(MainControl(IDC_FOLDER_SOURCE));
    const std::wstring root = CurrentGatheredRoot();
    const JobKind job = FolderPageState.Job();
    if (ShowConfirmDialog(CryptPageKind::Folder) != ConfirmOk)
        return 0;
    SetState(job == DecryptJob ? keys::FolderDecrypting : keys::FolderEncrypting);
    SetJobControls(CryptPageKind::Folder, false);

    HWND list = MainControl(IDC_FOLDER_LIST);
    HWND bar = MainControl(IDC_FOLDER_PROGRESS);
    const std::vector<std::wstring> items = ListedFiles(list);
    const std::wstring keyFile = KeyFileOfControls();
    const FolderJobCheck check = CheckFolderJob(root, items, FolderPageState.outputPath, keyFile);
    if (!FolderJobMayStart(check, keyFile)) {
        EndUnstartedJob(CryptPageKind::Folder, FolderPageState);
        return 0;
    }
    const FileId keyId = keyFile.empty() ? FileId() : IdentityOf(keyFile);
    const int count = static_cast<int>(items.size());
    // A 32-bit range: lists of more than 65,536 files move the bar too.
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    SendMessageW(bar, PBM_SETRANGE32, 0, count > 0 ? count - 1 : 0);
    SendMessageW(bar, PBM_SETSTEP, 1, 0);
    for (int i = 0; i < count; ++i) {
        ShowBar(bar, true);
        if (check.sameOutput[static_cast<size_t>(i)])
            WarnUserText(FormatLangText(keys::SameOutputSkipped, MaxTextLength, items[static_cast<size_t>(i)].c_str()));
        else
            ProcessFolderItem(root, items[static_cast<size_t>(i)], keyId);
        SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(i), 0);
    }
    FolderPageState.jobMode = NoJob;
    SetJobControls(CryptPageKind::Folder, true);
    ShowBar(bar, false);

    const std::wstring title = PathTitle(typedRoot);
    FolderPageState.SetPageInfoText(FormatLangText(keys::FolderDoneInfo, MaxTextLength, count, title.c_str()));
    const std::wstring report = FormatLangText(keys::FolderReport, MaxTextLength, count, title.c_str());
    ShowWarningBox(report, keys::FolderReportCaption);
    return 0;
}

} // namespace quenzel
