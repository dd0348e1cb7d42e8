#include "base/reparse_tag.h"

namespace quenzel {

bool WalkEntersReparseFolder(uint32_t tag)
{
    return tag != 0 && (tag & ReparseTagNameSurrogateBit) == 0;
}

} // namespace quenzel
