#include "app/closing.h"

#include "base/job_workers.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/process.h"

#include <windows.h>

#include <string>

namespace quenzel {

namespace {

// How long the end of the session waits for the jobs to stop.
constexpr DWORD SessionEndWaitMs = 20000;
constexpr DWORD PumpSliceMs = 100;
// A worker whose last dialog has just closed is about to end: the close
// question waits this long for it before asking.
constexpr UINT WorkerEndGraceMs = 300;

// The user chose to stop: the window goes when the last worker has ended.
bool CloseWhenJobsEnd = false;
// The question is open: a second close request is not asked again.
bool Asking = false;
// The close waits for the grace to pass before asking; 0 when not waiting.
UINT_PTR GraceTimer = 0;

void EndGrace()
{
    if (GraceTimer) {
        KillTimer(nullptr, GraceTimer);
        GraceTimer = 0;
    }
}

void OnLastJobWorkerEnded()
{
    const bool closing = CloseWhenJobsEnd || GraceTimer != 0;
    EndGrace();
    if (closing && IsWindow(MainWindow))
        DestroyWindow(MainWindow);
}

// True when the user chose to stop the jobs and close.
bool AskToStopJobs()
{
    const std::wstring text = LangString(keys::CloseWhileRunning);
    const std::wstring caption = LangString(keys::CloseWhileRunningCaption);
    Asking = true;
    const int answer = MessageBoxW(MainWindow, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION);
    Asking = false;
    return answer == IDYES;
}

void StopJobsAndCloseAfterwards()
{
    CloseWhenJobsEnd = true;
    RequestJobsStop();
    // The jobs may have ended while the question was open.
    if (!AnyJobWorker())
        DestroyWindow(MainWindow);
}

// Dispatches the window thread's messages (the workers send theirs) until
// the workers have ended or the time is up; a quit message is left for the
// main loop.
void PumpUntilJobWorkersEnd(DWORD limitMs)
{
    const DWORD start = GetTickCount();
    while (AnyJobWorker() && GetTickCount() - start < limitMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, PumpSliceMs, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

void AskOrClose()
{
    if (!AnyJobWorker()) {
        DestroyWindow(MainWindow);
        return;
    }
    // Only commands: they end soon, and the window goes after them.
    if (!AnyStoppableJob()) {
        CloseWhenJobsEnd = true;
        return;
    }
    if (AskToStopJobs())
        StopJobsAndCloseAfterwards();
}

void CALLBACK OnGraceEnded(HWND, UINT, UINT_PTR, DWORD)
{
    EndGrace();
    AskOrClose();
}

} // namespace

void InitClosing()
{
    SetLastJobWorkerEndedHandler(OnLastJobWorkerEnded);
}

void OnCloseRequest()
{
    if (!AnyJobWorker()) {
        DestroyWindow(MainWindow);
        return;
    }
    if (CloseWhenJobsEnd || Asking || GraceTimer)
        return;
    // Closed right after a job's last dialog: its worker is likely ending,
    // and the window then goes without a question.
    if (!AnyJobAtWork())
        GraceTimer = SetTimer(nullptr, 0, WorkerEndGraceMs, OnGraceEnded);
    if (!GraceTimer)
        AskOrClose();
}

bool OnQueryEndSession()
{
    if (!AnyJobWorker())
        return true;
    OnCloseRequest();
    return false;
}

void OnEndSession(bool ending)
{
    if (!ending)
        return;
    EndGrace();
    if (AnyJobWorker()) {
        CloseWhenJobsEnd = true;
        RequestJobsStop();
        PumpUntilJobWorkersEnd(SessionEndWaitMs);
    }
    if (IsWindow(MainWindow))
        DestroyWindow(MainWindow);
}

} // namespace quenzel
