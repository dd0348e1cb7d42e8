#include "engine/byte_stream.h"

#include <algorithm>
#include <cstring>

namespace quenzel {

bool ReadFull(ByteReader& reader, uint8_t* data, size_t length, size_t& got)
{
    got = 0;
    while (got < length) {
        size_t part = 0;
        if (!reader.Read(data + got, length - got, part))
            return false;
        if (part == 0)
            break;
        got += part;
    }
    return true;
}

bool PrefixedReader::Read(uint8_t* data, size_t length, size_t& got)
{
    if (given_ < taken_.size()) {
        got = std::min(length, taken_.size() - given_);
        std::memcpy(data, taken_.data() + given_, got);
        given_ += got;
        return true;
    }
    return rest_.Read(data, length, got);
}

} // namespace quenzel
