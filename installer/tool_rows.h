// The tool rows of the main window: one row of controls per ToolTable entry.
#pragma once
#include <windows.h>

#include <string>

// Fills ToolTable[index] from the catalogue's entry and builds its row
// inside toolArea, every box checked.
void CreateToolRow(HWND toolArea, int index, const std::string& menuItemName);

// Offers an event of control number to the rows 0 to 3 in turn; the first
// that owns the control handles it.
void HandleToolRowEvent(int number, int notification);
