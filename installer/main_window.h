// Tolvane's main window: built from the chosen language file, it runs until
// the user closes it or starts the installation.
#pragma once

// Proposes BaseFolder from the IDE's preferences, reads the language file
// of that name (captions and message texts), builds MainWindow with its tool rows
// and runs its event loop. Returns at once, showing nothing, when the language file cannot be
// opened.
#include <string>

void RunMainWindow(const std::string& language);
