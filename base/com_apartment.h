// The COM apartments the shell needs. Its choosers (the folder picker with
// the new dialog style, the file dialogs) and file operations must run on
// a thread in a single-threaded apartment; Windows documents that, Wine
// does not insist. The window's thread holds an OLE session for its whole
// life, every worker an apartment for its own.
#pragma once

#include <windows.h>

namespace quenzel {

// The calling thread's single-threaded apartment for a scope: entered in
// the constructor (or counted once more when the thread is in one already)
// and left in the destructor only when it was entered here. A thread that
// is in the multithreaded apartment stays there: `SingleThreaded` then
// tells the caller to do without what needs the other one.
class ComApartment {
public:
    ComApartment() noexcept;
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // True when the thread is in a single-threaded apartment for this scope.
    bool SingleThreaded() const noexcept { return SUCCEEDED(entered_); }
    // What CoInitializeEx answered: S_OK, S_FALSE (was in one already),
    // RPC_E_CHANGED_MODE (in the multithreaded one) or a failure.
    HRESULT Result() const noexcept { return entered_; }

private:
    HRESULT entered_;
};

// The window's thread's OLE session (an apartment, the clipboard and
// drag and drop), from start-up to the end of the message loop.
class OleSession {
public:
    OleSession() noexcept;
    ~OleSession();
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

    bool Started() const noexcept { return SUCCEEDED(started_); }
    HRESULT Result() const noexcept { return started_; }

private:
    HRESULT started_;
};

} // namespace quenzel
