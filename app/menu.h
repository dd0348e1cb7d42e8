// The main menu, built from the language file.
#pragma once

namespace quenzel {

// Builds the menu bar and attaches it to the main window. Until it is built
// the class menu of the resources stands in.
void BuildMainMenu();

} // namespace quenzel
