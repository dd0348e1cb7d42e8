#include "crypt/crypt_page.h"

#include "base/dpi.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/messages.h"
#include "base/options.h"
#include "base/process.h"
#include "base/status.h"
#include "crypt/jobs.h"
#include "crypt/key_controls.h"
#include "crypt/running_jobs.h"

#include <memory>
#include <vector>

namespace quenzel {

namespace {

// The page's work lock is taken before a source is asked for, and held by
// the job until its end.
void StartPageJob(const CryptPage& page, JobKind job)
{
    // The program closes once the running jobs have stopped: none starts.
    if (JobsStopRequested())
        return;
    auto request = std::make_unique<JobRequest>();
    if (!page.state.work.Take()) {
        RefuseDrop(keys::BusyTryAgain);
        return;
    }
    if (GetWindowTextLengthW(MainControl(page.sourceId)) == 0)
        page.chooseSource();
    if (GetWindowTextLengthW(MainControl(page.sourceId)) == 0) {
        page.state.work.Release();
        ShowWarningBox(LangString(page.noSourceKey), page.noSourceCaptionKey);
        return;
    }
    page.state.jobMode = job;
    // The job takes the options as the options page shows them now.
    RefreshOptions();
    request->job = job;
    request->options = CurrentOptions();
    request->source = TextOf(MainControl(page.sourceId));
    if (StartWorker(page.job, request.get())) {
        request.release();
        return;
    }
    page.state.jobMode = NoJob;
    page.state.work.Release();
}

// The source's "..." button: its worker holds the page's work lock.
void StartChooser(const CryptPage& page)
{
    if (!page.state.work.Take())
        RefuseDrop(keys::BusyTryAgain);
    else if (!StartWorker(page.chooseWorker))
        page.state.work.Release();
}

// Tab walks the source and its view, the key controls, then the page's
// buttons: the left column first, as the page reads.
void OrderPageTabStops(const CryptPage& page)
{
    const PageTable keyRows = KeyControlsTable();
    std::vector<int> ids{page.sourceId, page.chooseId, page.viewId};
    for (std::size_t i = 0; i < keyRows.count; ++i)
        ids.push_back(keyRows.rows[i].id);
    ids.push_back(page.encryptId);
    ids.push_back(page.decryptId);
    OrderTabStops(MainWindow, ids.data(), ids.size());
}

} // namespace

void PlaceProgressBar(const CryptPage& page)
{
    constexpr int BarX = 202;
    constexpr int BarWidth = 588;
    constexpr int BarRaise = 272;
    constexpr int BarHeightLess = 5;
    RECT bar{};
    GetWindowRect(StatusBar(), &bar);
    HWND progress = MainControl(page.progressId);
    MoveWindow(progress, Scaled(progress, BarX), bar.top - Scaled(progress, BarRaise), Scaled(progress, BarWidth),
               bar.bottom - bar.top - Scaled(progress, BarHeightLess), FALSE);
}

void RegisterCryptPage(const CryptPage& page, int index, const PageRoutines& routines)
{
    PageRoutines withKeyControls = routines;
    withKeyControls.onScroll = OnKeyControlScroll;
    RegisterPage(index, withKeyControls);
    page.state.ShowPageInfoText();
    // The page is created hidden: a hidden field must not take the keys.
    if (IsWindowVisible(MainControl(page.sourceId)))
        SetFocus(MainControl(page.sourceId));
}

void ShowCryptPage(const CryptPage& page, int showCommand)
{
    if (showCommand != SW_HIDE)
        OrderPageTabStops(page);
    ShowPageControls(MainWindow, page.controls, showCommand);
    ShowPageControls(MainWindow, KeyControlsTable(), showCommand);
    if (showCommand == SW_HIDE)
        return;
    page.state.ShowPageInfoText();
    SetFocus(MainControl(page.sourceId));
}

void OnCryptPageCommand(const CryptPage& page, int id)
{
    if (OnKeyControlCommand(id))
        return;
    if (id == page.encryptId)
        StartPageJob(page, EncryptJob);
    else if (id == page.decryptId)
        StartPageJob(page, DecryptJob);
    else if (id == page.chooseId)
        StartChooser(page);
}

} // namespace quenzel
