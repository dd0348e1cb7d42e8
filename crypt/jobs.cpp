#include "crypt/jobs.h"

#include "base/control_ids.h"
#include "base/language.h"
#include "base/long_path.h"
#include "base/options_page_ids.h"
#include "base/shell.h"
#include "base/shell_helpers.h"
#include "base/status.h"
#include "crypt/crypt_page.h"
#include "crypt/file_page_ids.h"
#include "crypt/folder_page_ids.h"
#include "crypt/key_controls.h"

#include <commctrl.h>
#include <shellapi.h>

#include <mutex>

namespace quenzel {

namespace {

constexpr int IdleStatusKey = 1;
constexpr int FileEncryptingKey = 80;
constexpr int FileDecryptingKey = 83;
constexpr int FolderEncryptingKey = 110;
constexpr int FolderDecryptingKey = 116;
constexpr int SourceCannotOpenKey = 78;
constexpr int OutputCannotCreateKey = 81;
constexpr int EncryptedNotWrittenKey = 82;
constexpr int DecryptedNotWrittenKey = 84;
constexpr int FolderItemCannotOpenKey = 111;
constexpr int FolderOutputCannotCreateKey = 112;
constexpr int FolderDoneInfoKey = 113;
constexpr int FolderReportKey = 114;
constexpr int FolderReportCaptionKey = 115;
constexpr int FolderOutputNotWrittenKey = 243;
constexpr int ItemOutsideRootKey = 244;
constexpr int NoMemoryKey = 245;
constexpr int TemporaryLeftKey = 246;
constexpr int NotRecycledKey = 247;
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
        WarnUserText(FormatLangText(TemporaryLeftKey, MaxTextLength, outcome.strayTemporary.c_str()));
}

// The messages of a failed transform: a source that cannot be read, an
// output that cannot be made, an output not written completely.
struct FailureKeys {
    int cannotOpen;
    int cannotCreate;
    int notWritten;
};

constexpr FailureKeys FolderItemFailureKeys{FolderItemCannotOpenKey, FolderOutputCannotCreateKey,
                                            FolderOutputNotWrittenKey};

// The job's message for a failed transform; the key step has told the user
// already when there was no key.
void ReportTransformFailure(const TransformOutcome& outcome, const FailureKeys& keys)
{
    switch (outcome.status) {
    case TransformStatus::Ok:
    case TransformStatus::KeyUnavailable:
        break;
    case TransformStatus::SourceOpenFailed:
    case TransformStatus::SourceReadFailed:
        WarnUser(keys.cannotOpen);
        break;
    case TransformStatus::OutputCreateFailed:
    case TransformStatus::ReplaceFailed:
        WarnUser(keys.cannotCreate);
        break;
    case TransformStatus::WriteFailed:
        WarnUser(keys.notWritten);
        break;
    case TransformStatus::OutOfMemory:
        WarnUser(NoMemoryKey);
        break;
    }
    WarnStrayTemporary(outcome);
}

FailureKeys FileFailureKeys(JobKind job)
{
    return {SourceCannotOpenKey, OutputCannotCreateKey,
            job == DecryptJob ? DecryptedNotWrittenKey : EncryptedNotWrittenKey};
}

// The source goes to the recycle bin when the options ask for it, and only
// when the output is another file than the source.
void RecycleSourceIfAsked(const std::wstring& source, const std::wstring& output, JobKind job)
{
    const int renameOption = job == DecryptJob ? IDC_OPTIONS_ADD_DEC : IDC_OPTIONS_ADD_ENC;
    if (!Checked(IDC_OPTIONS_RECYCLE) || !Checked(renameOption) || IsSameFile(source, output))
        return;
    if (!ShellFileOperation(source.c_str(), RecycleFlags, nullptr, FO_DELETE))
        WarnUser(NotRecycledKey);
}

// Creates a folder and every missing parent, long paths included.
bool CreateFolderChain(const std::wstring& folder)
{
    if (folder.empty())
        return true;
    const DWORD attributes = GetFileAttributesW(ExtendedLengthPath(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const size_t separator = folder.find_last_of(L"\\/");
    if (separator != std::wstring::npos && separator > 0 && folder[separator - 1] != L':'
        && !CreateFolderChain(folder.substr(0, separator)))
        return false;
    return CreateDirectoryW(ExtendedLengthPath(folder).c_str(), nullptr)
           || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring FolderOf(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

std::wstring ListItemText(HWND list, int index)
{
    std::wstring text(MaxTextLength + 1, L'\0');
    LVITEMW item{};
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const LRESULT length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(&item));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

// One listed file of a folder job, into the output folder below the root.
void ProcessFolderItem(const std::wstring& root, const std::wstring& item)
{
    std::wstring output;
    if (!FolderJobOutputFile(root, item, FolderPageState.outputPath, output)) {
        WarnUser(ItemOutsideRootKey);
        return;
    }
    if (!CreateFolderChain(FolderOf(output))) {
        WarnUser(FolderOutputCannotCreateKey);
        return;
    }
    const TransformOutcome outcome = ApplyCipher(item, output);
    FolderPageState.jobMode = NoJob;
    ReportTransformFailure(outcome, FolderItemFailureKeys);
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
        SetState(IdleStatusKey);
}

DWORD WINAPI FileJob(void*)
{
    const std::wstring source = TextOf(MainControl(IDC_FILE_SOURCE));
    const JobKind job = FilePageState.Job();
    if (ShowConfirmDialog(CryptPageKind::File) != ConfirmOk)
        return 0;
    HWND bar = MainControl(IDC_FILE_PROGRESS);
    SetState(job == DecryptJob ? FileDecryptingKey : FileEncryptingKey);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    SetJobControls(CryptPageKind::File, false);

    const std::wstring output = FilePageState.outputPath;
    const TransformOutcome outcome = ApplyCipherWithProgress(source, output, bar);
    FilePageState.jobMode = NoJob;
    ShowBar(bar, false);
    SetJobControls(CryptPageKind::File, true);
    if (outcome.status != TransformStatus::Ok) {
        ReportTransformFailure(outcome, FileFailureKeys(job));
        return 0;
    }
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
    SetState(job == DecryptJob ? FolderDecryptingKey : FolderEncryptingKey);
    SetJobControls(CryptPageKind::Folder, false);

    HWND list = MainControl(IDC_FOLDER_LIST);
    HWND bar = MainControl(IDC_FOLDER_PROGRESS);
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    // A 32-bit range: lists of more than 65,536 files move the bar too.
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    SendMessageW(bar, PBM_SETRANGE32, 0, count > 0 ? count - 1 : 0);
    SendMessageW(bar, PBM_SETSTEP, 1, 0);
    for (int i = 0; i < count; ++i) {
        ShowBar(bar, true);
        ProcessFolderItem(root, ListItemText(list, i));
        SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(i), 0);
    }
    FolderPageState.jobMode = NoJob;
    SetJobControls(CryptPageKind::Folder, true);
    ShowBar(bar, false);

    const std::wstring title = PathTitle(typedRoot);
    FolderPageState.SetPageInfoText(FormatLangText(FolderDoneInfoKey, MaxTextLength, count, title.c_str()));
    const std::wstring report = FormatLangText(FolderReportKey, MaxTextLength, count, title.c_str());
    ShowWarningBox(report, FolderReportCaptionKey);
    return 0;
}

} // namespace quenzel
