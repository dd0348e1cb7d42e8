// A file's pieces read, worked on and written at once: a thread of its own
// reads the source ahead into a small ring of buffers and writes the pieces
// the caller has worked on in theirs, so the system's two copies run beside
// the work on a second processor. One thread does both: the copies take a
// fraction of the work's time, and a third busy thread on a machine of two
// processors would take turns with the work. Memory stays at the ring's
// buffers for any file size. A file of one piece is read, worked on and
// written on the caller's thread alone: a thread per small file would cost
// more than it saves.
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
    DWORD LengthOf(uint64_t piece) const;
    uint8_t* Buffer(uint64_t piece) { return buffers_[piece % slots_].get(); }
    void Fail(Failure failure, DWORD error);
    // The thread's loop, and its two steps: each false once it failed.
    void MoveAll();
    bool WritePiece(uint64_t piece, DWORD length, size_t from);
    bool ReadNextPiece(uint64_t piece);

    HANDLE source_;
    HANDLE output_;
    size_t bufferBytes_;
    size_t readAt_;
    uint64_t total_ = 0;
    size_t pieceBytes_ = 0;
    uint64_t pieces_ = 0;
    bool threaded_ = false;
    size_t slots_ = 1;
    PlainBuffer buffers_[Slots];
    size_t allocated_ = 0;
    DWORD writeLengths_[Slots] = {};
    size_t writeFrom_[Slots] = {};

    // SRW, not std::mutex (see base/srw_hold.h). One condition each for the
    // three counts below that threads wait on, so each change wakes only its
    // waiter.
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE pieceRead_ = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE pieceHanded_ = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE pieceWritten_ = CONDITION_VARIABLE_INIT;
    // Pieces read, taken by Next, handed on by Write and written so far.
    uint64_t read_ = 0;
    uint64_t taken_ = 0;
    uint64_t handed_ = 0;
    uint64_t written_ = 0;
    Failure failure_ = Failure::None;
    DWORD error_ = 0;
    bool stop_ = false;
    std::thread mover_;
};

} // namespace quenzel
