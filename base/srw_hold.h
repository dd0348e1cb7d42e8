// Waiting between a job's threads without the wineserver: under Wine a
// contended std::mutex or condition_variable (winpthreads' events and
// semaphores) waits through it, a round trip per wait that a loaded
// machine makes slow, while SRW locks and condition variables wait in the
// process.
#pragma once

#include <windows.h>

namespace quenzel {

// Holds an SRW lock exclusively for its scope.
class SrwHold {
public:
    explicit SrwHold(SRWLOCK& lock)
        : lock_(lock)
    {
        AcquireSRWLockExclusive(&lock_);
    }
    ~SrwHold() { ReleaseSRWLockExclusive(&lock_); }
    SrwHold(const SrwHold&) = delete;
    SrwHold& operator=(const SrwHold&) = delete;

private:
    SRWLOCK& lock_;
};

// Lets go of an SRW lock held exclusively for its scope, and takes it
// again at its end: the slow part of a step done under a lock.
class SrwRelease {
public:
    explicit SrwRelease(SRWLOCK& lock)
        : lock_(lock)
    {
        ReleaseSRWLockExclusive(&lock_);
    }
    ~SrwRelease() { AcquireSRWLockExclusive(&lock_); }
    SrwRelease(const SrwRelease&) = delete;
    SrwRelease& operator=(const SrwRelease&) = delete;

private:
    SRWLOCK& lock_;
};

// Waits, holding `lock`, until `ready` says so.
template <class Ready>
void SleepUntil(CONDITION_VARIABLE& change, SRWLOCK& lock, Ready ready)
{
    while (!ready())
        SleepConditionVariableSRW(&change, &lock, INFINITE, 0);
}

} // namespace quenzel
