#include "crypt/read_ahead.h"

#include "base/srw_hold.h"
#include "crypt/file_transform.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace quenzel {

ReadAhead::ReadAhead(HANDLE source, uint64_t size, size_t ringBytes)
    : source_(source)
    , size_(size)
    , pieceBytes_(static_cast<size_t>(std::min<uint64_t>(size, std::max<size_t>(ringBytes / Pieces, 1))))
{ }

ReadAhead::~ReadAhead()
{
    {
        SrwHold hold(lock_);
        stop_ = true;
    }
    WakeAllConditionVariable(&changed_);
    if (reader_.joinable())
        reader_.join();
}

bool ReadAhead::Start()
{
    for (auto& buffer : buffers_)
        if (!buffer.Take(pieceBytes_))
            return false;
    try {
        reader_ = std::thread(&ReadAhead::Run, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void ReadAhead::Run()
{
    for (uint64_t done = 0; done < size_;) {
        size_t slot = 0;
        {
            SrwHold hold(lock_);
            SleepUntil(changed_, lock_, [this] { return stop_ || filled_ < Pieces; });
            if (stop_)
                return;
            slot = (first_ + filled_) % Pieces;
        }
        const DWORD length = static_cast<DWORD>(std::min<uint64_t>(pieceBytes_, size_ - done));
        const bool read = ReadExactly(source_, buffers_[slot].get(), length);
        const DWORD error = read ? 0 : GetLastError();
        const bool worked = read && (!work_ || work_(buffers_[slot].get(), length));
        {
            SrwHold hold(lock_);
            lengths_[slot] = length;
            failed_ = !worked;
            workFailed_ = read && !worked;
            error_ = error;
            ++filled_;
        }
        WakeAllConditionVariable(&changed_);
        if (!worked)
            return;
        done += length;
    }
}

uint8_t* ReadAhead::Next(DWORD& length, DWORD& error)
{
    SrwHold hold(lock_);
    SleepUntil(changed_, lock_, [this] { return filled_ > 0; });
    // A failed read is the last piece the reader hands over.
    if (failed_ && filled_ == 1) {
        error = error_;
        return nullptr;
    }
    length = lengths_[first_];
    return buffers_[first_].get();
}

void ReadAhead::Release()
{
    {
        SrwHold hold(lock_);
        first_ = (first_ + 1) % Pieces;
        --filled_;
    }
    WakeAllConditionVariable(&changed_);
}

} // namespace quenzel
