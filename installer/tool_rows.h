// The tool rows of the main window: one row of controls per tool of the table.
#pragma once
#include <windows.h>

#include <string>

#include "installer/installer_state.h"

// Fills state.Tools[index] from the catalogue's entry and builds its row
// inside toolArea, every box checked.
void CreateToolRow(InstallerState& state, HWND toolArea, int index,
                   const std::string& menuItemName);

// Offers an event of control number to the rows in index order; the first
// that owns the control handles it.
void HandleToolRowEvent(InstallerState& state, int number, int notification);
