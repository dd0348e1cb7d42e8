// How a worker thread reaches the window: the one way a job, the shredder's
// job or a folder-drive command moves a bar, sets a status text, asks the
// user, reports, or has the window's thread do something for it. Workers
// never touch a window themselves.
//
// Notes (bars, status texts) are queued and posted: the worker goes on at
// once. Questions, reports and calls are posted too, and the worker waits
// for an event until the window's thread has answered; that thread
// delivers every queued note first, so the user sees everything in the
// order the worker said it. Nothing deadlocks as long as the window's
// thread never waits for a worker without pumping messages (closing pumps
// while it waits). Nothing a window's thread must do ever runs on a
// worker: when the window is gone, or its queue takes no more, a question,
// report or call ends the worker's request with `WindowGone`.
#pragma once

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace quenzel {

// What a note changes.
enum class NoteKind {
    BarRange,    // `value` is the range's top (from 0, steps of 1); the bar goes to 0
    BarPosition, // `value` is the position
    BarStep,     // one step
    BarShown,    // `value` 1 shows the bar, 0 hides it
    StatusText,  // `target` is the status bar's part, `text` its text
    Call,        // `call` runs on the window's thread (no desk sees it)
};

struct CourierNote {
    NoteKind kind = NoteKind::BarPosition;
    int target = 0; // a bar's control id, or the status bar's part
    int value = 0;
    std::wstring text;
    std::function<void()> call;
};

enum class ReportKind { Warning, Information };

// A worker's request that the window's thread could not take: its window
// is gone (the program is closing) or its message queue is full.
class WindowGone : public std::runtime_error {
public:
    WindowGone()
        : std::runtime_error("the window's thread took no call")
    { }
};

// What the window's thread does with a worker's notes, questions and
// reports. The program's own desk works on the main window (its bars,
// its status bar, message boxes it owns); a test lays down its own.
class CourierDesk {
public:
    virtual ~CourierDesk() = default;
    virtual void Deliver(const CourierNote& note) = 0;
    // True on Yes; `defaultNo` makes No the default button.
    virtual bool Ask(const std::wstring& question, const std::wstring& caption, bool defaultNo) = 0;
    virtual void Report(const std::wstring& text, const std::wstring& caption, ReportKind kind) = 0;
};

// The window's thread: the window whose procedure hands the courier's
// messages to HandleCourierMessage, and (null for the program's own) the
// desk. Set before any worker starts.
void SetCourierWindow(HWND window);
void SetCourierDesk(CourierDesk* desk);

// For the window's procedure: true when `message` is the courier's, whose
// result is then `HandleCourierMessage`'s.
bool IsCourierMessage(UINT message);
LRESULT HandleCourierMessage(UINT message, WPARAM wParam, LPARAM lParam);

// The worker's side; called on the window's thread (or with no courier
// window), each acts at once.
void PostNote(CourierNote note);
void PostBarRange(int barId, int maximum);
void PostBarPosition(int barId, int position);
void PostBarStep(int barId);
void PostBarShown(int barId, bool shown);
void PostStatusText(int part, std::wstring text);
// Runs `call` on the window's thread in its turn among the notes, without
// waiting for it.
void PostCall(std::function<void()> call);
// True on Yes.
bool AskOnWindow(const std::wstring& question, const std::wstring& caption, bool defaultNo);
void ReportOnWindow(const std::wstring& text, const std::wstring& caption, ReportKind kind);
// Runs `call` on the window's thread and waits for it; an exception it
// throws is thrown again here, and `WindowGone` when it could not run there.
void OnWindowThread(const std::function<void()>& call);

// The value `call` gives on the window's thread.
template <typename Result, typename Call>
Result FromWindowThread(Call call)
{
    Result result{};
    OnWindowThread([&result, &call] { result = call(); });
    return result;
}

} // namespace quenzel
