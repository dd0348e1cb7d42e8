#include "base/courier.h"

#include "base/handles.h"
#include "base/page_kit.h"
#include "base/process.h"
#include "base/status.h"

#include <commctrl.h>

#include <atomic>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>

namespace quenzel {

namespace {

// Posted: the queued notes are waiting; a call is waiting (lParam: a
// CallMessage made with new, which the window's thread deletes).
constexpr UINT DeliverNotesMessage = WM_APP + 40;
constexpr UINT RunCallMessage = WM_APP + 41;
// How often a waiting worker looks whether the window is still there.
constexpr DWORD WindowCheckMs = 100;

// The program's desk: the main window's bars and status bar, and message
// boxes it owns.
class MainWindowDesk : public CourierDesk {
public:
    void Deliver(const CourierNote& note) override
    {
        HWND bar = MainControl(note.target);
        switch (note.kind) {
        case NoteKind::BarRange:
            SendMessageW(bar, PBM_SETPOS, 0, 0);
            // A 32-bit range: lists of more than 65,536 files move the bar too.
            SendMessageW(bar, PBM_SETRANGE32, 0, note.value);
            SendMessageW(bar, PBM_SETSTEP, 1, 0);
            break;
        case NoteKind::BarPosition:
            SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(note.value), 0);
            break;
        case NoteKind::BarStep:
            SendMessageW(bar, PBM_STEPIT, 0, 0);
            break;
        case NoteKind::BarShown:
            ShowWindow(bar, note.value ? SW_SHOW : SW_HIDE);
            break;
        case NoteKind::StatusText:
            SetStatusText(note.text.c_str(), 0, note.target);
            break;
        case NoteKind::Call: // run by the courier itself
            break;
        }
    }

    bool Ask(const std::wstring& question, const std::wstring& caption, bool defaultNo) override
    {
        const UINT style = MB_YESNO | MB_ICONQUESTION | (defaultNo ? MB_DEFBUTTON2 : MB_DEFBUTTON1);
        return MessageBoxW(MainWindow, question.c_str(), caption.c_str(), style) == IDYES;
    }

    void Report(const std::wstring& text, const std::wstring& caption, ReportKind kind) override
    {
        const UINT icon = kind == ReportKind::Warning ? MB_ICONWARNING : MB_ICONINFORMATION;
        MessageBoxW(MainWindow, text.c_str(), caption.c_str(), icon | MB_OK);
    }
};

// A call is posted, not sent: the window's thread then runs it as any
// posted message, free to use the shell (a sent message would forbid
// calls into other apartments), and its modal loops pick it up too.
enum class CallState { Waiting, Taken, Abandoned };

struct PendingCall {
    explicit PendingCall(const std::function<void()>& work)
        : call(work)
    { }
    const std::function<void()>& call;
    std::exception_ptr failure;
    std::atomic<CallState> state{CallState::Waiting};
    UniqueKernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// What the message carries: a share of the call, so a worker that gave up
// on a window gone meanwhile leaves nothing dangling.
struct CallMessage {
    std::shared_ptr<PendingCall> pending;
};

MainWindowDesk ProgramDesk;
CourierDesk* Desk = &ProgramDesk;
HWND CourierWindow = nullptr;

std::mutex NotesLock;
std::deque<CourierNote> Notes;
// A delivery is posted and not yet begun.
bool DeliveryPosted = false;

void Deliver(const CourierNote& note)
{
    if (note.kind == NoteKind::Call)
        note.call();
    else
        Desk->Deliver(note);
}

bool OnCourierThread()
{
    return !CourierWindow || GetWindowThreadProcessId(CourierWindow, nullptr) == GetCurrentThreadId();
}

void DeliverQueuedNotes()
{
    std::deque<CourierNote> waiting;
    {
        std::lock_guard<std::mutex> hold(NotesLock);
        waiting.swap(Notes);
        DeliveryPosted = false;
    }
    for (const CourierNote& note : waiting)
        Deliver(note);
}

void RunPendingCall(PendingCall& pending)
{
    try {
        DeliverQueuedNotes();
        pending.call();
    } catch (...) {
        pending.failure = std::current_exception();
    }
}

void TakePostedCall(CallMessage* message)
{
    const std::unique_ptr<CallMessage> owned(message);
    PendingCall& pending = *owned->pending;
    CallState waiting = CallState::Waiting;
    if (!pending.state.compare_exchange_strong(waiting, CallState::Taken))
        return;
    RunPendingCall(pending);
    SetEvent(pending.done.Get());
}

// Posts the call and waits until the window's thread has run it; false
// when it could not be posted, or the window went before taking it.
bool RunPosted(const std::shared_ptr<PendingCall>& pending)
{
    if (!pending->done)
        return false;
    auto message = std::make_unique<CallMessage>(CallMessage{pending});
    if (!PostMessageW(CourierWindow, RunCallMessage, 0, reinterpret_cast<LPARAM>(message.get())))
        return false;
    // The window's thread owns the message now; one left when the window goes
    // is lost with it.
    message.release();
    while (WaitForSingleObject(pending->done.Get(), WindowCheckMs) == WAIT_TIMEOUT) {
        if (IsWindow(CourierWindow))
            continue;
        CallState waiting = CallState::Waiting;
        if (pending->state.compare_exchange_strong(waiting, CallState::Abandoned))
            return false;
    }
    return true;
}

} // namespace

void SetCourierWindow(HWND window)
{
    CourierWindow = window;
}

void SetCourierDesk(CourierDesk* desk)
{
    Desk = desk ? desk : &ProgramDesk;
}

bool IsCourierMessage(UINT message)
{
    return message == DeliverNotesMessage || message == RunCallMessage;
}

LRESULT HandleCourierMessage(UINT message, WPARAM, LPARAM lParam)
{
    if (message == DeliverNotesMessage)
        DeliverQueuedNotes();
    else if (message == RunCallMessage)
        TakePostedCall(reinterpret_cast<CallMessage*>(lParam));
    return 0;
}

void PostNote(CourierNote note)
{
    if (OnCourierThread()) {
        DeliverQueuedNotes();
        Deliver(note);
        return;
    }
    std::lock_guard<std::mutex> hold(NotesLock);
    Notes.push_back(std::move(note));
    // A post that fails leaves the notes queued for the next post or call.
    if (!DeliveryPosted)
        DeliveryPosted = PostMessageW(CourierWindow, DeliverNotesMessage, 0, 0) != FALSE;
}

void PostCall(std::function<void()> call)
{
    CourierNote note;
    note.kind = NoteKind::Call;
    note.call = std::move(call);
    PostNote(std::move(note));
}

void PostBarRange(int barId, int maximum)
{
    PostNote({NoteKind::BarRange, barId, maximum, {}});
}

void PostBarPosition(int barId, int position)
{
    PostNote({NoteKind::BarPosition, barId, position, {}});
}

void PostBarStep(int barId)
{
    PostNote({NoteKind::BarStep, barId, 0, {}});
}

void PostBarShown(int barId, bool shown)
{
    PostNote({NoteKind::BarShown, barId, shown ? 1 : 0, {}});
}

void PostStatusText(int part, std::wstring text)
{
    PostNote({NoteKind::StatusText, part, 0, std::move(text)});
}

void OnWindowThread(const std::function<void()>& call)
{
    const auto pending = std::make_shared<PendingCall>(call);
    // On the window's thread (or before there is a window): the call runs here.
    if (OnCourierThread())
        RunPendingCall(*pending);
    else if (!RunPosted(pending))
        throw WindowGone();
    if (pending->failure)
        std::rethrow_exception(pending->failure);
}

bool AskOnWindow(const std::wstring& question, const std::wstring& caption, bool defaultNo)
{
    bool yes = false;
    OnWindowThread([&] { yes = Desk->Ask(question, caption, defaultNo); });
    return yes;
}

void ReportOnWindow(const std::wstring& text, const std::wstring& caption, ReportKind kind)
{
    OnWindowThread([&] { Desk->Report(text, caption, kind); });
}

} // namespace quenzel
