// The shortcut chooser: three modifier boxes and a key list composing a
// shortcut code.
#pragma once
#include <windows.h>

#include <cstdint>

// Shows code, lets the user change it, and returns the composed code on
// "Anwenden", or code unchanged on "Abbrechen", on closing, or when the
// window cannot be opened. parent (may be null) owns the chooser, is disabled
// meanwhile and active again afterwards. Runs its own event loop until the window closes.
int32_t ChooseShortcut(int32_t code, HWND parent);
