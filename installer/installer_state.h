// What Tolvane's main window works on: the tool table and the base folder.
// Its owner passes it to the window; the installation takes the user's
// choices from the window when the install button is pressed.
#pragma once
#include "common/auto_gdi.h"
#include "installer/tool_catalogue.h"

#include <string>

// One installable tool: what its row holds of it besides its boxes.
struct ToolEntry : ToolSettings {
    AutoImage IconImage; // what IconView shows; none when the icon file does not load
};

struct InstallerState {
    ToolEntry Tools[ToolCount];
    std::string BaseFolder;
};
