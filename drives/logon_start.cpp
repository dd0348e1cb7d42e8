#include "drives/logon_start.h"

namespace quenzel {

void RunLogonStart()
{
    // Hand-over point: the folder-drives page fills its list from the
    // settings file and maps every ticked drive here.
}

} // namespace quenzel
