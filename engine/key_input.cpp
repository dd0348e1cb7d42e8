#include "engine/key_input.h"

#include <algorithm>
#include <new>
#include <vector>

namespace quenzel {

namespace {

// Key files are read a piece of this size at a time.
constexpr size_t KeyPieceBytes = 1u << 20;

} // namespace

KeyFileStatus HashKeyFileInput(ByteReader& source, SecretBytes& keyInput, StrongProgress* progress)
{
    try {
        KeyFileHasher hasher;
        SecretBytes piece(KeyPieceBytes);
        uint64_t done = 0;
        for (;;) {
            if (progress && progress->StopAsked())
                return KeyFileStatus::Stopped;
            size_t got = 0;
            if (!ReadFull(source, piece.data(), piece.size(), got))
                return KeyFileStatus::ReadFailed;
            if (got == 0)
                break;
            hasher.Update(piece.data(), got);
            done += got;
            if (progress)
                progress->Advanced(done);
        }
        if (done == 0)
            return KeyFileStatus::Empty;
        keyInput = hasher.Finish();
        return KeyFileStatus::Ok;
    } catch (const std::bad_alloc&) {
        return KeyFileStatus::OutOfMemory;
    }
}

KeyFileStatus ReadClassicKeyFile(ByteReader& source, uint64_t size, SecretBytes& key)
{
    if (size == 0)
        return KeyFileStatus::Empty;
    if (size >= ClassicKeyFileLimit)
        return KeyFileStatus::TooLarge;
    try {
        SecretBytes bytes(static_cast<size_t>(size));
        size_t got = 0;
        if (!ReadFull(source, bytes.data(), bytes.size(), got) || got != bytes.size())
            return KeyFileStatus::ReadFailed;
        uint8_t more = 0;
        size_t extra = 0;
        if (!source.Read(&more, 1, extra) || extra != 0)
            return KeyFileStatus::ReadFailed; // it grew while it was read
        key = std::move(bytes);
        return KeyFileStatus::Ok;
    } catch (const std::bad_alloc&) {
        return KeyFileStatus::OutOfMemory;
    }
}

FileKeyReader::FileKeyReader(SystemPath path, uint64_t size)
    : path_(std::move(path))
    , size_(size)
{ }

bool FileKeyReader::Next(uint8_t* out, size_t length)
{
    while (length > 0) {
        if (!reader_ || position_ == size_) {
            StreamError error;
            reader_ = FileReader::Open(path_, error);
            position_ = 0;
            if (!reader_ || size_ == 0)
                return false;
        }
        const size_t wanted = static_cast<size_t>(std::min<uint64_t>(length, size_ - position_));
        size_t got = 0;
        if (!ReadFull(*reader_, out, wanted, got) || got != wanted)
            return false; // the file became shorter
        out += got;
        length -= got;
        position_ += got;
    }
    return true;
}

} // namespace quenzel
