// The tool rows of the main window: one row of controls per ToolTable entry.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Fills ToolTable[index] and builds its row inside toolArea at height y.
// The last four arguments are the initial check states (0 or 1).
void CreateToolRow(HWND toolArea, int index, const std::string& menuItemName,
                   const std::string& exeName, const std::string& iconPath,
                   const std::string& arguments, int y, int32_t shortcutCode, int enabled,
                   int inMenu, int onToolbar, int withShortcut);

// Offers an event of control number to the rows 0 to 3 in turn; the first
// that owns the control handles it. False when no row owns it.
bool HandleToolRowEvent(int number, int notification);
