// Recent positions driven as a person drives it, for the scenarios that
// compare a pick with presses: opened by its shortcut in the stand-in IDE,
// keys into the window in front, its list read back from the list view.
#pragma once
#include <windows.h>

#include "common/auto_handle.h"
#include "testing/host_ide/host_client.h"

#include <string>
#include <vector>

struct PickerWindow {
    HWND Window = nullptr, List = nullptr;
    AutoCloseHandle Process;
};

// Runs the picker's tool by its shortcut and waits (up to 10 s) for its
// window to be in front; Window stays null when it is not.
PickerWindow OpenPicker(const HostIde& host, long shortcut);
// Virtual keys pressed and let go, then the characters typed.
void PressKeys(const std::vector<WORD>& keys, const std::string& typed = "");
// Each row's cells joined by " | ", and the selected row (-1 none).
std::vector<std::string> PickerRows(const PickerWindow& picker, int* selected = nullptr);
// The picker's process ended (within 30 s).
bool Ended(const PickerWindow& picker);
