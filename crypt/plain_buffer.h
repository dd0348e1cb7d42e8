// A buffer that holds a file's plaintext on its way through a job: taken
// without throwing, wiped when it goes, so no content is left behind in
// freed memory once the job is done. Portable: no windows.h.
#pragma once

#include "engine/strong_format.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace quenzel {

class PlainBuffer {
public:
    PlainBuffer() = default;
    ~PlainBuffer() { Reset(); }
    PlainBuffer(const PlainBuffer&) = delete;
    PlainBuffer& operator=(const PlainBuffer&) = delete;

    // A buffer of `size` bytes (at least one) in place of the one held;
    // false when there is no memory for it.
    bool Take(size_t size)
    {
        Reset();
        size_ = size > 0 ? size : 1;
        bytes_.reset(new (std::nothrow) uint8_t[size_]);
        if (!bytes_)
            size_ = 0;
        return bytes_ != nullptr;
    }
    void Reset()
    {
        if (bytes_)
            WipeSecret(bytes_.get(), size_);
        bytes_.reset();
        size_ = 0;
    }
    uint8_t* get() const { return bytes_.get(); }

private:
    std::unique_ptr<uint8_t[]> bytes_;
    size_t size_ = 0;
};

} // namespace quenzel
