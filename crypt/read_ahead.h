// Reading a file ahead on a thread of its own: the source is read a piece at
// a time into a small ring of buffers while the caller transforms and writes
// the pieces read before, so the system's two copies (into the buffer and
// out of it) run side by side on two processors.
#pragma once

#include "crypt/plain_buffer.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace quenzel {

class ReadAhead {
public:
    // Pieces in flight and the bytes of each: together `ringBytes` at most.
    static constexpr size_t Pieces = 4;

    ReadAhead(HANDLE source, uint64_t size, size_t ringBytes);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Work done on each piece on the reading thread, in file order, right
    // after it is read (while it is still in that processor's cache); false
    // when it failed, which ends the reading. Set before Start.
    using PieceWork = std::function<bool(uint8_t* data, DWORD length)>;
    void SetPieceWork(PieceWork work) { work_ = std::move(work); }

    // Takes the buffers and starts reading; false when there is no memory or
    // no thread for it (nothing is read then).
    bool Start();
    // The next piece in file order, held until Release; null when its read
    // (with the system's error in `error`) or its work failed.
    uint8_t* Next(DWORD& length, DWORD& error);
    // After Next gave null: true when the piece's work failed, not its read.
    bool WorkFailed() const { return workFailed_; }
    // Gives the piece of the last Next back for reading into.
    void Release();

private:
    void Run();

    HANDLE source_;
    uint64_t size_;
    size_t pieceBytes_;
    // The pieces read: plaintext in an encryption, wiped when the reader goes.
    PlainBuffer buffers_[Pieces];
    DWORD lengths_[Pieces] = {};
    // SRW, not std::mutex (see base/srw_hold.h).
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
    size_t first_ = 0;  // the ring slot Next gives next
    size_t filled_ = 0; // slots read and not yet released
    bool failed_ = false;
    bool workFailed_ = false;
    DWORD error_ = 0;
    PieceWork work_;
    bool stop_ = false;
    std::thread reader_;
};

} // namespace quenzel
