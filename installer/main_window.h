// Tolvane's main window: built from the chosen language file, it runs until
// the user closes it or starts the installation, which takes the user's
// choices from it.
#pragma once
#include "installer/installer_state.h"

#include <string>

// Proposes state.BaseFolder from the IDE's preferences, reads the language
// file of that name, builds the window with its tool rows and runs its event
// loop. When the language file cannot be read or the window not be opened, a
// message says so instead.
void RunMainWindow(const std::string& language, InstallerState& state);
