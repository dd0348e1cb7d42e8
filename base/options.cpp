#include "base/options.h"

#include <mutex>

namespace quenzel {

namespace {
std::mutex OptionsLock;
Options StoredOptions;
// Set once at start, on the window's thread, and called only there.
OptionsRoutines Routines;
} // namespace

void StoreOptions(const Options& options)
{
    std::lock_guard<std::mutex> hold(OptionsLock);
    StoredOptions = options;
}

Options CurrentOptions()
{
    std::lock_guard<std::mutex> hold(OptionsLock);
    return StoredOptions;
}

void RegisterOptionsRoutines(const OptionsRoutines& routines)
{
    Routines = routines;
}

void RefreshOptions()
{
    if (Routines.refresh)
        Routines.refresh();
}

void EnableJobOptions(bool enable)
{
    if (Routines.enableJobBoxes)
        Routines.enableJobBoxes(enable);
}

} // namespace quenzel
