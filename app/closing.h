// Closing the main window while jobs run (the close button, Alt+F4,
// File > Exit, WM_CLOSE, the end of the session): the user is asked first;
// on "stop" the jobs stop after their current file and the window goes only
// once their workers have ended, so no worker is left with a window that is
// gone and no file is left half-done. A folder-drive command is waited for
// without a question.
#pragma once

namespace quenzel {

// Made once at start-up, after the pages.
void InitClosing();

// WM_CLOSE: closes at once when no job's worker lives; asks at once while
// a job works through its files; else waits a moment for a worker that is
// just ending (the window then goes without a question) and asks, or only
// waits when no job but a command runs.
void OnCloseRequest();
// WM_QUERYENDSESSION: true when the session may end now; while jobs run it
// asks as a close does and holds the session end back.
bool OnQueryEndSession();
// WM_ENDSESSION: the session ends whatever the answer was: running jobs are
// stopped and given a little time to put their current file back.
void OnEndSession(bool ending);

} // namespace quenzel
