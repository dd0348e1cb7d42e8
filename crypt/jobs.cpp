#include "crypt/jobs.h"

#include "base/courier.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/list_filler.h"
#include "base/long_path.h"
#include "base/page_kit.h"
#include "base/process.h"
#include "base/shell_helpers.h"
#include "base/status.h"
#include "crypt/crypt_page.h"
#include "crypt/file_page_ids.h"
#include "crypt/folder_job.h"
#include "crypt/folder_messages.h"
#include "crypt/folder_page.h"
#include "crypt/folder_page_ids.h"
#include "crypt/key_controls.h"
#include "crypt/running_jobs.h"

#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace quenzel {

namespace {
// Silent, to the recycle bin, no error boxes; the one question asked is
// whether to delete a source for good that cannot go to a recycle bin (a
// stick, a network share), which Windows would otherwise do without a word.
constexpr FILEOP_FLAGS RecycleFlags =
    FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI | FOF_WANTNUKEWARNING;

// A folder job moves its bar at most this often: every message to the
// window's thread costs as much as a small file.
constexpr std::chrono::milliseconds FolderProgressInterval{250};

std::mutex GatheredRootLock;
std::wstring GatheredRoot;

std::wstring CurrentGatheredRoot()
{
    std::lock_guard<std::mutex> hold(GatheredRootLock);
    return GatheredRoot;
}

void SetState(int key)
{
    PostStatusText(StatusStatePart, LangString(key));
}

// What a job took on the window's thread once its confirmation was
// answered: the destination (a file, or the output folder), the key as it
// was confirmed, and for a folder job the listed files.
struct JobConfirmation {
    std::wstring destination;
    KeySnapshot key;
    std::vector<std::wstring> items;
};

// The confirmation, on the window's thread: true on OK, with the key taken
// in the step that accepted it and what the job needs of the page then.
bool ConfirmJob(CryptPageKind kind, const Options& options, JobConfirmation& confirmation)
{
    bool confirmed = false;
    OnWindowThread([&] {
        confirmed = ShowConfirmDialog(kind, options, confirmation.key) == ConfirmOk;
        if (!confirmed)
            return;
        const CryptPageState& state = kind == CryptPageKind::File ? FilePageState : FolderPageState;
        confirmation.destination = state.outputPath;
        // The paths in one visit to the window's thread; the list cannot change while the job runs.
        if (kind == CryptPageKind::Folder)
            confirmation.items = ListTexts(MainControl(IDC_FOLDER_LIST));
    });
    return confirmed;
}

// The job's settings from the key it confirmed; the confirmation's copy of
// that key goes with this step.
bool TakeConfirmedSettings(const JobRequest& request, JobConfirmation& confirmation, JobSettings& settings,
                           int progressBarId)
{
    const KeySnapshot key = std::move(confirmation.key);
    return TakeJobSettings(request.job, request.options, key, settings, progressBarId);
}

void WarnStrayTemporary(const TransformOutcome& outcome)
{
    if (!outcome.strayTemporary.empty())
        WarnUserText(FormatLangText(keys::TemporaryLeft, MaxTextLength, outcome.strayTemporary.c_str()));
}

// The messages of a failed transform: a source that cannot be read (formatted
// with the source), an output that cannot be made, an output not written
// completely, the key file as output (formatted with the destination).
struct FailureKeys {
    int cannotOpen;
    int cannotCreate;
    int notWritten;
    int keyFile;
};

void WarnNamingFile(int key, const std::wstring& path)
{
    WarnUserText(FormatLangText(key, MaxTextLength, path.c_str()));
}

// A job's question whose Yes replaces data, owned by the main window; No
// is the default, so an Enter pressed by habit changes nothing. True on Yes.
bool AskUser(const std::wstring& question)
{
    return AskOnWindow(question, LangString(keys::ReplaceCaption), true);
}

// The job's message for a failed transform (and for attributes that a
// replaced file could not hand on); the key step has told the user already
// when there was no key.
void ReportTransformFailure(const TransformOutcome& outcome, const FailureKeys& failureKeys, const std::wstring& source,
                            const std::wstring& destination)
{
    switch (outcome.status) {
    case TransformStatus::Ok:
        if (outcome.attributesLost)
            WarnUserText(FormatLangText(keys::AttributesNotKept, MaxTextLength, destination.c_str()));
        if (outcome.permissionsLost)
            WarnUserText(FormatLangText(keys::PermissionsNotKept, MaxTextLength, destination.c_str()));
        break;
    case TransformStatus::KeyUnavailable:
        break;
    case TransformStatus::KeyFileTarget:
        WarnUserText(FormatLangText(failureKeys.keyFile, MaxTextLength, destination.c_str()));
        break;
    case TransformStatus::SourceOpenFailed:
    case TransformStatus::SourceReadFailed:
        WarnNamingFile(failureKeys.cannotOpen, source);
        break;
    case TransformStatus::OutputCreateFailed:
    case TransformStatus::DestinationReadOnly: // made read-only after the question
    case TransformStatus::ReplaceFailed:
        WarnNamingFile(failureKeys.cannotCreate, destination);
        break;
    case TransformStatus::WriteFailed:
        WarnNamingFile(failureKeys.notWritten, destination);
        break;
    case TransformStatus::OutOfMemory:
        WarnUser(keys::NoMemory);
        break;
    case TransformStatus::NoHashingMemory:
        WarnUser(keys::StrongNoMemory);
        break;
    case TransformStatus::WrongKeyOrDamaged:
        WarnUser(keys::StrongWrongKeyOrDamaged);
        break;
    case TransformStatus::LaterVersion:
        WarnUser(keys::StrongLaterVersion);
        break;
    case TransformStatus::StrongUnavailable:
        WarnUser(keys::StrongUnavailable);
        break;
    case TransformStatus::KeyReadFailed:
        WarnUser(keys::KeyFileUnreadable);
        break;
    case TransformStatus::KeyFileTooLarge:
        WarnUser(keys::LegacyKeyFileTooLarge);
        break;
    case TransformStatus::Stopped:
        break;
    }
    WarnStrayTemporary(outcome);
}

FailureKeys FileFailureKeys(JobKind job)
{
    return {keys::FileJobCannotRead, keys::OutputCannotCreate,
            job == DecryptJob ? keys::DecryptedNotWritten : keys::EncryptedNotWritten, keys::DestinationIsKeyFile};
}

// The source goes to the recycle bin when the options asked for it when
// the job started, and only when the output is another file than the source.
void RecycleSourceIfAsked(const std::wstring& source, const std::wstring& output, const JobSettings& settings)
{
    if (!settings.recycleSource || IsSameFile(source, output))
        return;
    // The shell resolves a path the classic way ("dot." would be "dot"):
    // it is given the extended form unless the classic one is exact.
    const std::wstring path = ClassicFormIsExact(source) ? source : ExtendedPath(source);
    bool declined = false;
    bool recycled = false;
    // The shell's question (delete for good?) is owned by the main window.
    OnWindowThread(
        [&] { recycled = ShellFileOperation(path.c_str(), RecycleFlags, nullptr, FO_DELETE, MainWindow, &declined); });
    // A source the user chose to keep rather than delete for good is no failure.
    if (!recycled && !declined)
        WarnUser(keys::NotRecycled);
}

// The question a file job asks before its output replaces the destination
// (ReplaceReadOnlyQuestion or ReplaceFileQuestion), or 0: a read-only one,
// the source itself included, and another file than the source are
// replaced only when the user says so; a folder is refused by the transform.
int ReplaceQuestionKey(const std::wstring& source, const std::wstring& output)
{
    const DWORD attributes = GetFileAttributesW(ExtendedPath(output).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return keys::ReplaceReadOnlyQuestion;
    return IsSameFile(source, output) ? 0 : keys::ReplaceFileQuestion;
}

// The key file is never the destination of a file job.
bool DestinationIsNotKeyFile(const std::wstring& output, const JobSettings& settings)
{
    if (!settings.keyFile.SameFile(IdentityOfFile(output)))
        return true;
    WarnUserText(FormatLangText(keys::DestinationIsKeyFile, MaxTextLength, output.c_str()));
    return false;
}

// The checks of a folder job before anything is written; false, after
// telling the user, when it must not start. Existing outputs are asked
// about only for an encryption: a decryption writes beside them under free
// names.
bool FolderJobMayStart(JobKind job, const FolderJobCheck& check, const std::wstring& output,
                       const JobSettings& settings)
{
    switch (check.verdict) {
    case FolderJobCheck::Verdict::OutputOverList:
        WarnUserText(FormatLangText(keys::OutputOverList, MaxTextLength, output.c_str()));
        return false;
    case FolderJobCheck::Verdict::KeyFileOutput:
        WarnUserText(FormatLangText(keys::OutputIsKeyFile, MaxTextLength, settings.keyFilePath.c_str()));
        return false;
    case FolderJobCheck::Verdict::Go:
        break;
    }
    const int existing = static_cast<int>(check.existingOutputs);
    return existing == 0 || job == DecryptJob
        || AskUser(FormatLangText(keys::ReplaceFilesQuestion, MaxTextLength, existing, output.c_str()));
}

// The job's transformer: a strong encryption derives its key now, with the
// state line saying so; a decryption keeps the strong key input for the
// strong files among its sources. False, after a message, when the strong
// format cannot be had.
bool PrepareTransformer(JobKind job, JobSettings& settings, JobTransformer& transformer)
{
    if (job == DecryptJob) {
        transformer.PrepareDecryption(std::move(settings.strongKeyInput));
        return true;
    }
    if (!settings.strongFormat)
        return true;
    SetState(keys::StrongDerivingKey);
    switch (transformer.PrepareStrongEncryption(settings.strongKeyInput)) {
    case StrongStatus::Ok:
        return true;
    case StrongStatus::NoHashingMemory:
        WarnUser(keys::StrongNoMemory);
        return false;
    default:
        WarnUser(keys::StrongUnavailable);
        return false;
    }
}

// The folder job's work: its key and transformer, the files it refused
// because they do not authenticate, and those it decrypted in the original
// format, which cannot tell (both by their paths below the root).
struct FolderWork {
    const std::wstring& outputRoot;
    const JobKey& key;
    const FileIdentity& keyFile;
    JobTransformer& transformer;
    std::vector<std::wstring> refused;
    std::vector<std::wstring> originalFormat;
};

// Files named in the report's lists of files; the rest are counted.
constexpr size_t ListedNamesShown = 10;

// The report's lines on a list of files: the text of `key` with the first
// names, and how many more there are.
std::wstring NamesReport(int key, const std::vector<std::wstring>& files)
{
    const size_t shown = std::min(files.size(), ListedNamesShown);
    std::wstring names;
    for (size_t i = 0; i < shown; ++i)
        names += (i ? L"\n" : L"") + files[i];
    if (files.size() > shown)
        names += L"\n"
            + FormatLangText(keys::FolderStrongSkippedMore, MaxTextLength, static_cast<int>(files.size() - shown));
    return FormatLangText(key, MaxTextLength, names.c_str());
}

std::wstring BelowRoot(const std::wstring& root, const std::wstring& item)
{
    return item.compare(0, root.size(), root) == 0 ? item.substr(root.size()) : item;
}

// One listed file of a folder job, into the output folder below the root;
// false when the user chose to stop the job at its failure. A strong file
// that does not authenticate is not reported on its own: the final report
// names it.
bool ProcessFolderItem(const std::wstring& root, const std::wstring& item, FolderWork& work, FolderTally& tally)
{
    const FolderItemOutcome outcome =
        TransformFolderItem(root, item, work.outputRoot, work.key, work.transformer, work.keyFile, &JobsStopFlag());
    if (outcome.transform.status == TransformStatus::WrongKeyOrDamaged) {
        work.refused.push_back(BelowRoot(root, item));
        WarnStrayTemporary(outcome.transform);
        return true;
    }
    WarnStrayTemporary(outcome.transform);
    // Stopped in the file (asked to, or refused more keys): the job ends there.
    if (outcome.transform.status == TransformStatus::Stopped)
        return false;
    if (outcome.status == FolderItemStatus::Done) {
        tally.Done();
        if (outcome.transform.originalFormat)
            work.originalFormat.push_back(BelowRoot(root, item));
        std::wstring destination;
        FolderJobOutputFile(root, item, work.outputRoot, destination);
        if (outcome.transform.attributesLost)
            WarnUserText(FormatLangText(keys::AttributesNotKept, MaxTextLength, destination.c_str()));
        if (outcome.transform.permissionsLost)
            WarnUserText(FormatLangText(keys::PermissionsNotKept, MaxTextLength, destination.c_str()));
        return true;
    }
    const int messageKey = FolderFailureKey(outcome);
    return messageKey == 0 || TellFolderFailure(tally, item, messageKey);
}

// A folder decryption derives a key for each separately encrypted strong
// file: past the first few it asks once whether to go on, with what a key
// costs (in whole seconds, at least one); No stops the job.
bool MoreKeysWanted(std::chrono::milliseconds eachKey)
{
    const auto seconds =
        std::max<std::chrono::seconds::rep>(1, std::chrono::round<std::chrono::seconds>(eachKey).count());
    return AskOnWindow(FormatLangText(keys::SeparateKeysQuestion, MaxTextLength, static_cast<int>(seconds)),
                       LangString(keys::QuestionCaption), true);
}

// A listed file whose output another listed file writes first: skipped,
// shown the first time, named in the report.
void SkipSameOutput(FolderTally& tally, const std::wstring& item)
{
    if (tally.Failed(item, keys::SameOutputSkipped))
        WarnUserText(FormatLangText(keys::SameOutputSkipped, MaxTextLength, item.c_str()));
}

// Every listed file with the job's key, but those whose output another
// listed file writes, until the job is asked to stop; true when it went
// through the whole list.
bool ProcessFolderList(const std::wstring& root, const std::vector<std::wstring>& items, const FolderJobCheck& check,
                       FolderWork& work, FolderTally& tally)
{
    const int count = static_cast<int>(items.size());
    PostBarRange(IDC_FOLDER_PROGRESS, count > 0 ? count - 1 : 0);
    PostBarShown(IDC_FOLDER_PROGRESS, true);
    bool whole = true;
    auto lastMove = std::chrono::steady_clock::now();
    for (int i = 0; i < count && whole; ++i) {
        const std::wstring& item = items[static_cast<size_t>(i)];
        if (check.sameOutput[static_cast<size_t>(i)])
            SkipSameOutput(tally, item);
        else
            whole = !JobsStopRequested() && ProcessFolderItem(root, item, work, tally) && !JobsStopRequested();
        const auto now = std::chrono::steady_clock::now();
        if (now - lastMove >= FolderProgressInterval || i == count - 1) {
            PostBarPosition(IDC_FOLDER_PROGRESS, i);
            lastMove = now;
        }
    }
    PostBarShown(IDC_FOLDER_PROGRESS, false);
    return whole;
}

// The list holds the files of the folder in the field: a folder typed,
// dropped as text or set by a slot since the last listing is listed first,
// as "..." would list it, under the job's lock. False, after a message, when
// that cannot be done.
bool ListTypedFolder(const std::wstring& typed)
{
    const std::wstring listed = CurrentGatheredRoot();
    if (!listed.empty() && SameFolderPath(typed, listed))
        return true;
    if (!IsFolder(typed)) {
        WarnUserText(FormatLangText(keys::FolderNotFound, MaxTextLength, typed.c_str()));
        return false;
    }
    ListFolder(typed);
    return true;
}

// Whether a file job may replace its existing destination: a decryption
// first checks its key against the source, so a strong file that does not
// open asks nothing and replaces nothing (its failure goes to `outcome`);
// then the user is asked. True with no question where none is needed.
bool MayReplaceDestination(const JobRequest& request, const std::wstring& output, JobTransformer& transformer,
                           bool& replaceReadOnly, TransformOutcome& outcome)
{
    const int question = ReplaceQuestionKey(request.source, output);
    if (question == 0)
        return true;
    if (request.job == DecryptJob) {
        SetState(keys::FileDecrypting);
        outcome.status = transformer.CheckKey(request.source);
        if (outcome.status != TransformStatus::Ok)
            return false;
    }
    replaceReadOnly = question == keys::ReplaceReadOnlyQuestion;
    return AskUser(FormatLangText(question, MaxTextLength, output.c_str()));
}

// The output folder the confirmation will propose, checked against the
// list before the password is asked: one whose outputs would land on listed
// files is refused, with a message.
bool ProposedOutputFits(const JobRequest& request, const std::wstring& root)
{
    const std::wstring proposed = ProposeFolderOutput(request.source, request.job, FolderNaming(request.options));
    std::vector<std::wstring> items;
    OnWindowThread([&items] { items = ListTexts(MainControl(IDC_FOLDER_LIST)); });
    if (!OutputOverList(root, items, proposed))
        return true;
    WarnUserText(FormatLangText(keys::OutputOverList, MaxTextLength, proposed.c_str()));
    return false;
}

// A file job's transform, once confirmed: false when the job ended before
// it (cancelled, refused, told why). A decryption's key that fails before
// the replace question ends the job with that failure in `outcome`.
bool RunFileTransform(const JobRequest& request, std::wstring& output, JobSettings& settings, TransformOutcome& outcome)
{
    std::optional<RunningJob> running;
    JobConfirmation confirmation;
    // The program is closing: a job confirmed meanwhile does not start.
    if (!ConfirmJob(CryptPageKind::File, request.options, confirmation) || JobsStopRequested())
        return false;
    output = confirmation.destination;
    running.emplace();
    const JobKind job = request.job;
    const std::wstring& source = request.source;
    if (!TakeConfirmedSettings(request, confirmation, settings, IDC_FILE_PROGRESS)
        || !DestinationIsNotKeyFile(output, settings))
        return false;
    JobTransformer transformer;
    // A decryption's key is checked before a replace question; an
    // encryption derives its key once nothing stands in its way.
    if (job == DecryptJob && !PrepareTransformer(job, settings, transformer))
        return false;
    bool replaceReadOnly = false;
    if (!MayReplaceDestination(request, output, transformer, replaceReadOnly, outcome))
        return outcome.status != TransformStatus::Ok;
    if (job != DecryptJob && !PrepareTransformer(job, settings, transformer))
        return false;
    SetState(job == DecryptJob ? keys::FileDecrypting : keys::FileEncrypting);
    PostBarPosition(IDC_FILE_PROGRESS, 0);
    outcome = ApplyCipherWithProgress(source, output, settings.key, transformer, IDC_FILE_PROGRESS, settings.keyFile,
                                      replaceReadOnly);
    PostBarShown(IDC_FILE_PROGRESS, false);
    return true;
}

// What a folder job did, for its report.
struct FolderRun {
    std::wstring outputRoot;
    FolderTally tally{0};
    bool whole = true;
    std::vector<std::wstring> refused;
    std::vector<std::wstring> originalFormat;
};

// A folder job up to its report: false when it ended before working
// through its list (cancelled, refused, told why).
bool RunFolderList(const JobRequest& request, FolderRun& run)
{
    std::optional<RunningJob> running;
    if (!ListTypedFolder(request.source))
        return false;
    const std::wstring root = CurrentGatheredRoot();
    JobConfirmation confirmation;
    if (!ProposedOutputFits(request, root) || !ConfirmJob(CryptPageKind::Folder, request.options, confirmation)
        || JobsStopRequested())
        return false;
    const std::vector<std::wstring>& items = confirmation.items;
    run.outputRoot = confirmation.destination;
    run.tally = FolderTally(static_cast<int>(items.size()));
    running.emplace();
    const JobKind job = request.job;
    JobSettings settings;
    JobTransformer transformer;
    if (!TakeConfirmedSettings(request, confirmation, settings, IDC_FOLDER_PROGRESS))
        return false;
    const FolderJobCheck check = CheckFolderJob(root, items, run.outputRoot, settings.keyFilePath);
    if (!FolderJobMayStart(job, check, run.outputRoot, settings) || !PrepareTransformer(job, settings, transformer))
        return false;
    transformer.AskBeforeMoreKeys(MoreKeysWanted);
    SetState(job == DecryptJob ? keys::FolderDecrypting : keys::FolderEncrypting);
    FolderWork work{run.outputRoot, settings.key, settings.keyFile, transformer, {}, {}};
    run.whole = ProcessFolderList(root, items, check, work, run.tally);
    run.refused = std::move(work.refused);
    run.originalFormat = std::move(work.originalFormat);
    return true;
}

} // namespace

void SetGatheredRoot(const std::wstring& root)
{
    std::lock_guard<std::mutex> hold(GatheredRootLock);
    GatheredRoot = root;
}

DWORD WINAPI FileJob(void* parameter)
{
    const std::unique_ptr<const JobRequest> request(static_cast<const JobRequest*>(parameter));
    const JobWorker worker;
    const PageJobScope scope(FilePageState);
    const std::wstring& source = request->source;
    const JobKind job = request->job;
    // The result shows the source as it was: the job may replace it.
    const std::wstring sourceBeginning = FileBeginningText(source);
    std::wstring output;
    JobSettings settings;
    TransformOutcome outcome;
    if (!RunFileTransform(*request, output, settings, outcome))
        return 0;
    if (outcome.status == TransformStatus::Stopped) {
        WarnUserText(FormatLangText(keys::FileJobStopped, MaxTextLength, PathTitle(source).c_str()));
        WarnStrayTemporary(outcome);
        return 0;
    }
    ReportTransformFailure(outcome, FileFailureKeys(job), source, output);
    if (outcome.status != TransformStatus::Ok)
        return 0;
    RecycleSourceIfAsked(source, output, settings);
    const int resultKey = job != DecryptJob ? keys::ResultText
        : outcome.originalFormat            ? keys::ResultDecryptedClassic
                                            : keys::ResultDecrypted;
    const bool unauthenticated = outcome.originalFormat;
    OnWindowThread([&] { ShowResultDialog(resultKey, unauthenticated, source, sourceBeginning); });
    return 0;
}

DWORD WINAPI FolderJob(void* parameter)
{
    const std::unique_ptr<const JobRequest> request(static_cast<const JobRequest*>(parameter));
    const JobWorker worker;
    const PageJobScope scope(FolderPageState);
    const JobKind job = request->job;
    FolderRun run;
    if (!RunFolderList(*request, run))
        return 0;
    const std::wstring title = PathTitle(request->source);
    const FolderTally& tally = run.tally;
    FolderPageState.SetPageInfoText(
        FormatLangText(keys::FolderDoneInfo, MaxTextLength, tally.Processed(), title.c_str()));
    std::wstring report = FolderReportText(tally, !run.whole, {job == DecryptJob, title, run.outputRoot});
    if (!run.refused.empty())
        report += L"\n\n" + NamesReport(keys::FolderStrongSkipped, run.refused);
    if (!run.originalFormat.empty())
        report += L"\n\n" + NamesReport(keys::FolderOriginalFormatDecrypted, run.originalFormat);
    // A full success is no warning; a decryption in the original format
    // asks the user to check the files' content.
    if (run.whole && tally.Processed() == tally.Listed() && run.refused.empty() && run.originalFormat.empty())
        ShowInfoBox(report, keys::FolderReportCaption);
    else
        ShowWarningBox(report, keys::FolderReportCaption);
    return 0;
}

} // namespace quenzel
