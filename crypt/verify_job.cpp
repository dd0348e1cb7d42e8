#include "crypt/verify_job.h"

#include "base/courier.h"
#include "base/job_workers.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/list_filler.h"
#include "base/options.h"
#include "base/page_kit.h"
#include "base/process.h"
#include "base/status.h"
#include "base/tabs.h"
#include "crypt/crypt_dialogs.h"
#include "crypt/file_page_ids.h"
#include "crypt/folder_page_ids.h"
#include "crypt/folder_tally.h"
#include "crypt/key_controls.h"
#include "crypt/running_jobs.h"
#include "crypt/verify_files.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace quenzel {

namespace {

// The folder's bar moves at most this often: each move is a message to the window's thread.
constexpr std::chrono::milliseconds FolderProgressInterval{250};
constexpr uint32_t PercentMaximum = 100;

// What the verification takes on the window's thread when it starts: the
// page, its files (the field's one, or the list's rows), the folder they
// were listed from, the options and the key controls' key.
struct VerifyRequest {
    CryptPageKind page = CryptPageKind::File;
    std::vector<std::wstring> files;
    std::wstring root;
    Options options;
    KeySnapshot key;
};

CryptPageState& StateOf(CryptPageKind page)
{
    return page == CryptPageKind::File ? FilePageState : FolderPageState;
}

int BarOf(CryptPageKind page)
{
    return page == CryptPageKind::File ? IDC_FILE_PROGRESS : IDC_FOLDER_PROGRESS;
}

// One file's reading on the file page's bar, in percent of its size.
class FileBar : public VerifyProgress {
public:
    explicit FileBar(int barId)
        : bar_(barId)
    { }
    void Sized(uint64_t fileBytes) override
    {
        size_ = fileBytes;
        bar_.Prepare(PercentMaximum);
    }
    void Advanced(uint64_t plaintextBytes) override
    {
        const uint32_t percent =
            size_ ? static_cast<uint32_t>(std::min(plaintextBytes, size_) * PercentMaximum / size_) : PercentMaximum;
        if (percent != percent_)
            bar_.SetPosition(percent);
        percent_ = percent;
    }
    bool StopAsked() const override { return JobsStopRequested(); }

private:
    ProgressBarMover bar_;
    uint64_t size_ = 0;
    uint32_t percent_ = 0;
};

// A listed file: the folder's bar counts files, so only the stop request counts here.
class StopOnly : public VerifyProgress {
public:
    void Sized(uint64_t) override { }
    void Advanced(uint64_t) override { }
    bool StopAsked() const override { return JobsStopRequested(); }
};

// Past the first few separately encrypted files, asked once whether to go
// on, with what a key costs (whole seconds, at least one).
bool MoreKeysWanted(std::chrono::milliseconds eachKey)
{
    const auto seconds =
        std::max<std::chrono::seconds::rep>(1, std::chrono::round<std::chrono::seconds>(eachKey).count());
    return AskOnWindow(FormatLangText(keys::VerifyKeysQuestion, MaxTextLength, static_cast<int>(seconds)),
                       LangString(keys::QuestionCaption), true);
}

// A listed file as the report names it: below the folder it was listed from.
std::wstring NameBelow(const std::wstring& root, const std::wstring& file)
{
    const bool below = !root.empty() && file.size() > root.size() && file.compare(0, root.size(), root) == 0
        && (root.back() == L'\\' || file[root.size()] == L'\\');
    if (!below)
        return file;
    return file.substr(root.size() + (root.back() == L'\\' ? 0 : 1));
}

// What the work through the files came to.
struct VerifyRun {
    VerifyTally tally{ReportedNamesLimit};
    VerifyVerdict ended = VerifyVerdict::Intact; // a verdict that ended the work, or Intact
};

void CheckFiles(const VerifyRequest& request, StrongDecryptor& decryptor, VerifyRun& run)
{
    const int bar = BarOf(request.page);
    const bool folder = request.page == CryptPageKind::Folder;
    const int count = static_cast<int>(request.files.size());
    if (folder) {
        PostBarRange(bar, count > 0 ? count - 1 : 0);
        PostBarShown(bar, true);
    }
    FileBar fileBar(bar);
    StopOnly stopOnly;
    VerifyProgress& progress = folder ? static_cast<VerifyProgress&>(stopOnly) : fileBar;
    auto lastMove = std::chrono::steady_clock::now();
    for (int i = 0; i < count && !JobsStopRequested(); ++i) {
        const std::wstring& file = request.files[static_cast<size_t>(i)];
        const VerifyVerdict verdict = VerifyStrongFile(file, decryptor, &progress);
        if (VerdictEndsJob(verdict)) {
            run.ended = verdict;
            break;
        }
        run.tally.Add(verdict, folder ? NameBelow(request.root, file) : PathTitle(file));
        const auto now = std::chrono::steady_clock::now();
        if (folder && (now - lastMove >= FolderProgressInterval || i == count - 1)) {
            PostBarPosition(bar, i);
            lastMove = now;
        }
    }
    if (run.ended == VerifyVerdict::Intact && run.tally.Checked() < count)
        run.ended = VerifyVerdict::Stopped;
    PostBarShown(bar, false);
}

// The report's list of the files of one verdict, cut after the names kept.
std::wstring NamesOf(const VerifyTally& tally, VerifyVerdict verdict, int key)
{
    const std::vector<std::wstring>& names = tally.Names(verdict);
    std::wstring lines;
    for (const std::wstring& name : names)
        lines += (lines.empty() ? L"" : L"\n") + name;
    const int unnamed = tally.Count(verdict) - static_cast<int>(names.size());
    if (unnamed > 0)
        lines += L"\n" + FormatLangText(keys::FolderStrongSkippedMore, MaxTextLength, unnamed);
    return L"\n\n" + FormatLangText(key, MaxTextLength, lines.c_str());
}

std::wstring ReportText(const VerifyRequest& request, const VerifyRun& run)
{
    const VerifyTally& tally = run.tally;
    const int listed = static_cast<int>(request.files.size());
    std::wstring report = request.page == CryptPageKind::Folder
        ? FormatLangText(keys::VerifyFolderHead, MaxTextLength, listed, PathTitle(request.root).c_str())
        : FormatLangText(keys::VerifyFileHead, MaxTextLength, PathTitle(request.files.front()).c_str());
    report += L"\n\n"
        + FormatLangText(keys::VerifyCounts, MaxTextLength, tally.Count(VerifyVerdict::Intact),
                         tally.Count(VerifyVerdict::Damaged), tally.Count(VerifyVerdict::WrongKey),
                         tally.Count(VerifyVerdict::NotCheckable));
    if (tally.Count(VerifyVerdict::Unreadable) > 0)
        report += L"\n"
            + FormatLangText(keys::VerifyUnreadableCount, MaxTextLength, tally.Count(VerifyVerdict::Unreadable));
    if (run.ended != VerifyVerdict::Intact)
        report += L"\n\n" + FormatLangText(keys::VerifyStopped, MaxTextLength, tally.Checked(), listed);
    if (request.page == CryptPageKind::Folder) {
        if (tally.Count(VerifyVerdict::Damaged) > 0)
            report += NamesOf(tally, VerifyVerdict::Damaged, keys::VerifyDamagedNames);
        if (tally.Count(VerifyVerdict::WrongKey) > 0)
            report += NamesOf(tally, VerifyVerdict::WrongKey, keys::VerifyWrongKeyNames);
        if (tally.Count(VerifyVerdict::Unreadable) > 0)
            report += NamesOf(tally, VerifyVerdict::Unreadable, keys::VerifyUnreadableNames);
    }
    return report;
}

// The failures that end the work before its list is through, told at once.
void TellEndingFailure(VerifyVerdict ended)
{
    switch (ended) {
    case VerifyVerdict::OutOfMemory:
        WarnUser(keys::NoMemory);
        break;
    case VerifyVerdict::NoHashingMemory:
        WarnUser(keys::StrongNoMemory);
        break;
    case VerifyVerdict::Unavailable:
        WarnUser(keys::StrongUnavailable);
        break;
    default:
        break;
    }
}

// The files checked with the key controls' key, taken as a decryption
// takes it (the password's UTF-8 bytes or the key file's hash), while the
// job counts as running; false when no key could be had (told why).
bool CheckWithKey(const VerifyRequest& request, VerifyRun& run)
{
    const RunningJob running;
    PostStatusText(StatusStatePart, LangString(keys::VerifyingState));
    JobSettings settings;
    if (!TakeJobSettings(DecryptJob, request.options, request.key, settings, BarOf(request.page)))
        return false;
    StrongDecryptor decryptor(std::move(settings.strongKeyInput));
    decryptor.AskBeforeMoreKeys(MoreKeysWanted);
    CheckFiles(request, decryptor, run);
    return true;
}

// Holds the page's work lock its command took, report included.
DWORD WINAPI VerifyJob(void* parameter)
{
    const std::unique_ptr<const VerifyRequest> request(static_cast<const VerifyRequest*>(parameter));
    const JobWorker worker;
    const PageJobScope scope(StateOf(request->page));
    VerifyRun run;
    if (!CheckWithKey(*request, run))
        return 0;
    TellEndingFailure(run.ended);
    if (run.ended != VerifyVerdict::Stopped && run.ended != VerifyVerdict::Intact && run.tally.Checked() == 0)
        return 0;
    const std::wstring report = ReportText(*request, run);
    if (run.tally.AllIntact() && run.ended == VerifyVerdict::Intact)
        ShowInfoBox(report, keys::VerifyCaption);
    else
        ShowWarningBox(report, keys::VerifyCaption);
    return 0;
}

} // namespace

bool VerifyMayStart()
{
    return !AnyJobWorker() && !AnyJobRunning();
}

void StartVerifyJob()
{
    // The program closes once the running jobs have stopped: none starts.
    if (JobsStopRequested())
        return;
    if (!VerifyMayStart()) {
        RefuseDrop(keys::BusyTryAgain);
        return;
    }
    auto request = std::make_unique<VerifyRequest>();
    if (CurrentPage == FolderPageIndex) {
        request->page = CryptPageKind::Folder;
        request->files = ListTexts(MainControl(IDC_FOLDER_LIST));
        request->root = TextOf(MainControl(IDC_FOLDER_SOURCE));
        if (request->files.empty()) {
            ShowWarningBox(LangString(keys::NoFolder), keys::NoFolderCaption);
            return;
        }
    } else {
        const std::wstring file = TextOf(MainControl(IDC_FILE_SOURCE));
        if (file.empty()) {
            ShowWarningBox(LangString(keys::NoFile), keys::NoFileCaption);
            return;
        }
        request->files.push_back(file);
    }
    RefreshOptions();
    request->options = CurrentOptions();
    request->key = TakeKeySnapshot();
    // The page's work lock, held by the worker to its end: the page's
    // buttons, a drop and a slot's path wait for it.
    CryptPageState& state = StateOf(request->page);
    if (!state.work.Take()) {
        RefuseDrop(keys::BusyTryAgain);
        return;
    }
    state.jobMode = DecryptJob;
    if (StartWorker(VerifyJob, request.get())) {
        request.release();
        return;
    }
    state.jobMode = NoJob;
    state.work.Release();
}

} // namespace quenzel
