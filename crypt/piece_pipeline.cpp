#include "crypt/piece_pipeline.h"

#include "base/srw_hold.h"
#include "crypt/file_transform.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace quenzel {

PiecePipeline::PiecePipeline(HANDLE source, HANDLE output, size_t bufferBytes, size_t readAt)
    : source_(source)
    , output_(output)
    , bufferBytes_(bufferBytes)
    , readAt_(readAt)
{ }

PiecePipeline::~PiecePipeline()
{
    {
        SrwHold hold(lock_);
        stop_ = true;
    }
    WakeAllConditionVariable(&changed_);
    if (mover_.joinable())
        mover_.join();
}

bool PiecePipeline::Start(uint64_t total, size_t pieceBytes, uint64_t pieces)
{
    total_ = total;
    pieceBytes_ = pieceBytes;
    pieces_ = pieces;
    const bool threaded = pieces > 1;
    // A single piece needs only its own bytes and the room the work adds.
    allocated_ = threaded || pieces == 0 ? bufferBytes_ : bufferBytes_ - pieceBytes_ + LengthOf(0);
    // A file of few pieces needs no more slots than it has pieces.
    slots_ = static_cast<size_t>(std::min<uint64_t>(std::max<uint64_t>(pieces, 1), Slots));
    for (size_t slot = 0; slot < slots_; ++slot)
        if (!buffers_[slot].Take(allocated_))
            return false;
    if (!threaded)
        return true;
    try {
        mover_ = std::thread(&PiecePipeline::MoveAll, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

DWORD PiecePipeline::LengthOf(uint64_t piece) const
{
    const uint64_t at = piece * pieceBytes_;
    return at >= total_ ? 0 : static_cast<DWORD>(std::min<uint64_t>(pieceBytes_, total_ - at));
}

void PiecePipeline::Record(Failure failure, DWORD error)
{
    if (failure_ != Failure::None)
        return;
    failure_ = failure;
    error_ = error;
}

PiecePipeline::Move PiecePipeline::DueMove(bool writeFirst) const
{
    const bool canWrite = !writing_ && failure_ != Failure::Write && written_ < handed_;
    // A piece's buffer is free once the piece a ring before it is written.
    const bool canRead = !reading_ && failure_ == Failure::None && read_ < pieces_ && read_ - written_ < slots_;
    if (canWrite && (writeFirst || !canRead))
        return Move::Write;
    return canRead ? Move::Read : Move::None;
}

void PiecePipeline::DoMove(Move move)
{
    if (move == Move::Read)
        ReadPiece();
    else if (move == Move::Write)
        WritePiece();
    WakeAllConditionVariable(&changed_);
}

// A piece is read whole; a file that ends early counts as a failed read.
void PiecePipeline::ReadPiece()
{
    const uint64_t piece = read_;
    reading_ = true;
    bool read = false;
    DWORD error = 0;
    {
        SrwRelease release(lock_);
        read = ReadExactly(source_, Buffer(piece) + readAt_, LengthOf(piece));
        error = read ? 0 : GetLastError();
    }
    reading_ = false;
    if (read)
        read_ = piece + 1;
    else
        Record(Failure::Read, error);
}

void PiecePipeline::WritePiece()
{
    const uint64_t piece = written_;
    const DWORD length = writeLengths_[piece % slots_];
    const uint8_t* from = Buffer(piece) + writeFrom_[piece % slots_];
    writing_ = true;
    bool written = false;
    DWORD error = 0;
    {
        SrwRelease release(lock_);
        written = WriteExactly(output_, from, length);
        error = written ? 0 : GetLastError();
    }
    writing_ = false;
    if (written)
        written_ = piece + 1;
    else
        Record(Failure::Write, error);
}

uint8_t* PiecePipeline::Next(DWORD& length)
{
    SrwHold hold(lock_);
    while (read_ == taken_ && failure_ == Failure::None) {
        // The piece wanted first, or a write that frees its buffer.
        const Move move = DueMove(false);
        if (move == Move::None)
            SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
        else
            DoMove(move);
    }
    // The pieces read before a failed read are still given out.
    if (failure_ == Failure::Write || read_ == taken_)
        return nullptr;
    length = LengthOf(taken_);
    return Buffer(taken_++);
}

void PiecePipeline::Write(DWORD length, size_t from)
{
    {
        SrwHold hold(lock_);
        writeLengths_[handed_ % slots_] = length;
        writeFrom_[handed_ % slots_] = from;
        ++handed_;
    }
    WakeAllConditionVariable(&changed_);
}

bool PiecePipeline::Finish()
{
    SrwHold hold(lock_);
    while (written_ < handed_ && failure_ != Failure::Write) {
        if (writing_)
            SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
        else
            DoMove(Move::Write);
    }
    return failure_ == Failure::None;
}

// Writes first when both are due: a piece written frees a buffer to read
// into. After a failed read the pieces handed on before it are still
// written.
void PiecePipeline::MoveAll()
{
    SrwHold hold(lock_);
    for (;;) {
        Move move = Move::None;
        SleepUntil(changed_, lock_, [&] {
            move = DueMove(true);
            return stop_ || move != Move::None || written_ == pieces_ || failure_ == Failure::Write;
        });
        if (stop_ || move == Move::None)
            return;
        DoMove(move);
    }
}

} // namespace quenzel
