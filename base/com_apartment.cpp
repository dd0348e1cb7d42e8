#include "base/com_apartment.h"

#include <objbase.h>
#include <ole2.h>

namespace quenzel {

namespace {
// No OLE 1 DDE window: a thread that waits without pumping messages
// (a worker waiting for the window's answer) would stall every program's
// DDE broadcast.
constexpr DWORD ShellApartment = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE;
} // namespace

ComApartment::ComApartment() noexcept
    : entered_(CoInitializeEx(nullptr, ShellApartment))
{ }

// S_FALSE counts too: every successful call is balanced by one CoUninitialize.
ComApartment::~ComApartment()
{
    if (SUCCEEDED(entered_))
        CoUninitialize();
}

OleSession::OleSession() noexcept
    : started_(OleInitialize(nullptr))
{ }

OleSession::~OleSession()
{
    if (SUCCEEDED(started_))
        OleUninitialize();
}

} // namespace quenzel
