#include "crypt/piece_pipeline.h"

#include "base/srw_hold.h"
#include "crypt/file_transform.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace quenzel {

namespace {

// Reads a piece whole; a file that ends early counts as a failed read.
bool ReadPiece(HANDLE source, uint8_t* data, DWORD length, DWORD& error)
{
    if (ReadExactly(source, data, length))
        return true;
    error = GetLastError();
    return false;
}

} // namespace

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
    WakeAllConditionVariable(&pieceHanded_);
    if (mover_.joinable())
        mover_.join();
}

bool PiecePipeline::Start(uint64_t total, size_t pieceBytes, uint64_t pieces)
{
    total_ = total;
    pieceBytes_ = pieceBytes;
    pieces_ = pieces;
    threaded_ = pieces > 1;
    // A single piece needs only its own bytes and the room the work adds.
    allocated_ = threaded_ || pieces == 0 ? bufferBytes_ : bufferBytes_ - pieceBytes_ + LengthOf(0);
    // A file of few pieces needs no more slots than it has pieces.
    slots_ = static_cast<size_t>(std::min<uint64_t>(std::max<uint64_t>(pieces, 1), Slots));
    for (size_t slot = 0; slot < slots_; ++slot)
        if (!buffers_[slot].Take(allocated_))
            return false;
    if (!threaded_)
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

void PiecePipeline::Fail(Failure failure, DWORD error)
{
    {
        SrwHold hold(lock_);
        if (failure_ == Failure::None) {
            failure_ = failure;
            error_ = error;
        }
    }
    WakeAllConditionVariable(&pieceRead_);
    WakeAllConditionVariable(&pieceWritten_);
}

uint8_t* PiecePipeline::Next(DWORD& length)
{
    if (!threaded_) {
        length = LengthOf(taken_);
        DWORD error = 0;
        if (!ReadPiece(source_, Buffer(taken_) + readAt_, length, error)) {
            Fail(Failure::Read, error);
            return nullptr;
        }
        return Buffer(taken_++);
    }
    SrwHold hold(lock_);
    SleepUntil(pieceRead_, lock_, [this] { return read_ > taken_ || failure_ != Failure::None; });
    // The pieces read before a failed read are still given out.
    if (failure_ == Failure::Write || read_ == taken_)
        return nullptr;
    length = LengthOf(taken_);
    return Buffer(taken_++);
}

void PiecePipeline::Write(DWORD length, size_t from)
{
    if (!threaded_) {
        if (!WriteExactly(output_, Buffer(handed_) + from, length))
            Fail(Failure::Write, GetLastError());
        ++handed_;
        return;
    }
    {
        SrwHold hold(lock_);
        writeLengths_[handed_ % slots_] = length;
        writeFrom_[handed_ % slots_] = from;
        ++handed_;
    }
    WakeConditionVariable(&pieceHanded_);
}

bool PiecePipeline::Finish()
{
    if (!threaded_)
        return failure_ == Failure::None;
    SrwHold hold(lock_);
    SleepUntil(pieceWritten_, lock_, [this] { return written_ == handed_ || failure_ == Failure::Write; });
    return failure_ == Failure::None;
}

// Reads and writes on one thread, a write first when one waits: a piece
// written frees a slot to read into. After a failed read the pieces handed
// on before it are still written.
void PiecePipeline::MoveAll()
{
    uint64_t toRead = 0, toWrite = 0;
    bool reading = true;
    while (toWrite < pieces_) {
        DWORD length = 0;
        size_t from = 0;
        bool write = false;
        {
            SrwHold hold(lock_);
            SleepUntil(pieceHanded_, lock_, [&] {
                return stop_ || handed_ > toWrite || (reading && toRead < pieces_ && toRead - toWrite < slots_);
            });
            if (stop_)
                return;
            write = handed_ > toWrite;
            length = writeLengths_[toWrite % slots_];
            from = writeFrom_[toWrite % slots_];
        }
        if (write && !WritePiece(toWrite++, length, from))
            return;
        if (!write && !ReadNextPiece(toRead++))
            reading = false;
    }
}

bool PiecePipeline::WritePiece(uint64_t piece, DWORD length, size_t from)
{
    if (!WriteExactly(output_, Buffer(piece) + from, length)) {
        Fail(Failure::Write, GetLastError());
        return false;
    }
    {
        SrwHold hold(lock_);
        written_ = piece + 1;
    }
    WakeConditionVariable(&pieceWritten_);
    return true;
}

bool PiecePipeline::ReadNextPiece(uint64_t piece)
{
    DWORD error = 0;
    if (!ReadPiece(source_, Buffer(piece) + readAt_, LengthOf(piece), error)) {
        Fail(Failure::Read, error);
        return false;
    }
    {
        SrwHold hold(lock_);
        read_ = piece + 1;
    }
    WakeConditionVariable(&pieceRead_);
    return true;
}

} // namespace quenzel
