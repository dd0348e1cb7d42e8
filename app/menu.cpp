#include "app/menu.h"

namespace quenzel {

void BuildMainMenu()
{
    // Hand-over point: the menu bar of the language file is built here; the
    // resource menu (File, Exit; Help, About) serves until then.
}

} // namespace quenzel
