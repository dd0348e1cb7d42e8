// A file's pieces read, worked on and written at once: a thread of its own
// reads the source ahead into a small ring of buffers and writes the pieces
// the caller has worked on in theirs, so the system's two copies run beside
// the work on a second processor. Either thread does whichever copy is due
// when it would otherwise wait: the caller reads the piece it needs, or
// writes one to free a buffer, when the other thread has not come to it.
// On a machine whose processors another program keeps busy, the threads
// then take turns with it without waiting for each other. Memory stays at
// the ring's buffers for any file size. A file of one piece is read, worked
// on and written on the caller's thread alone: a thread per small file
// would cost more than it saves.
#pragma once

#include "crypt/plain_buffer.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <thread>

namespace quenzel {

class PiecePipeline {
public:
    static constexpr size_t Slots = 8;

    // Each piece is read `readAt` bytes into a buffer of `bufferBytes`
    // (readAt + pieceBytes at least), where the caller's work may grow it.
    PiecePipeline(HANDLE source, HANDLE output, size_t bufferBytes, size_t readAt);
    // Ends both threads and wipes the buffers: they held plaintext.
    ~PiecePipeline();
    PiecePipeline(const PiecePipeline&) = delete;
    PiecePipeline& operator=(const PiecePipeline&) = delete;

    // Reads `pieces` pieces of `pieceBytes` from the source's position, the
    // last ones shorter as `total` ends (empty ones allowed). False when
    // there is no memory or no thread for it; nothing is read then.
    bool Start(uint64_t total, size_t pieceBytes, uint64_t pieces);
    // The next piece's buffer, its bytes read at readAt (`length` of them);
    // null when its read or an earlier write failed (see Failed).
    uint8_t* Next(DWORD& length);
    // Hands the piece of the last Next on, to be written: `length` bytes
    // from `from` in its buffer.
    void Write(DWORD length, size_t from = 0);
    // Waits for every piece handed on to be written; false when a write failed.
    bool Finish();

    enum class Failure { None, Read, Write };
    // What failed first, with the system's error.
    Failure Failed() const { return failure_; }
    DWORD Error() const { return error_; }

private:
    // A copy due: the oldest piece handed on to write, or the next one to
    // read into a free buffer.
    enum class Move { None, Read, Write };

    DWORD LengthOf(uint64_t piece) const;
    uint8_t* Buffer(uint64_t piece) { return buffers_[piece % slots_].get(); }
    // With the lock held: the copy due that no thread is doing, a write
    // before a read when `writeFirst`; and doing it, the lock let go
    // meanwhile.
    Move DueMove(bool writeFirst) const;
    void DoMove(Move move);
    void ReadPiece();
    void WritePiece();
    void Record(Failure failure, DWORD error);
    // The thread's loop: every copy that comes due until all are done.
    void MoveAll();

    HANDLE source_;
    HANDLE output_;
    size_t bufferBytes_;
    size_t readAt_;
    uint64_t total_ = 0;
    size_t pieceBytes_ = 0;
    uint64_t pieces_ = 0;
    size_t slots_ = 1;
    PlainBuffer buffers_[Slots];
    size_t allocated_ = 0;
    DWORD writeLengths_[Slots] = {};
    size_t writeFrom_[Slots] = {};

    // SRW, not std::mutex (see base/srw_hold.h). Both threads wait on one
    // condition, woken at every change of the counts below.
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
    // Pieces read, taken by Next, handed on by Write and written so far,
    // and whether a thread is reading or writing one now: one read and one
    // write at a time, each in the order of the pieces.
    uint64_t read_ = 0;
    uint64_t taken_ = 0;
    uint64_t handed_ = 0;
    uint64_t written_ = 0;
    bool reading_ = false;
    bool writing_ = false;
    Failure failure_ = Failure::None;
    DWORD error_ = 0;
    bool stop_ = false;
    std::thread mover_;
};

} // namespace quenzel
