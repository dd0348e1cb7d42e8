// A check of the rule that only the window's thread touches the main
// window and its controls: workers reach them through the courier. It is
// on when the environment variable QUENZEL_CHECK_THREADS is set (the test
// run sets it); a call from another thread then ends the program at once,
// naming the caller on the error output, and the crash handler's backtrace
// shows the way it came. Off, it costs one test of a flag.
#pragma once

namespace quenzel {

// `caller`: the function that only the window's thread may call. Before
// the main window exists, every thread counts as the window's thread.
void ExpectWindowThread(const char* caller);

} // namespace quenzel
