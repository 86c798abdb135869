#include "installer/shortcut_chooser.h"

#include "installer/control_numbers.h"
#include "installer/installer_logic.h"
#include "installer/window_layer.h"

namespace {

const char* const ChooserClass = "TolvaneShortcutChooser";

void CreateChooserControls(HWND window) {
    const DWORD button = BS_PUSHBUTTON | WS_TABSTOP, box = BS_AUTOCHECKBOX | WS_TABSTOP;
    CreateControl(ShortcutApplyButton, window, "BUTTON", "Anwenden", button, 0, 0, 80, 100, 20);
    CreateControl(ShortcutCancelButton, window, "BUTTON", "Abbrechen", button, 0, 100, 80, 100, 20);
    CreateControl(ShortcutCtrlBox, window, "BUTTON", "Strg / Ctrl", box, 0, 0, 0, 100, 20);
    CreateControl(ShortcutShiftBox, window, "BUTTON", "Shift", box, 0, 0, 20, 100, 20);
    CreateControl(ShortcutAltBox, window, "BUTTON", "Alt", box, 0, 0, 40, 100, 20);
    HWND keys = CreateControl(ShortcutKeyList, window, "COMBOBOX", "",
                              CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 100, 0, 100, 400);
    for (int i = 0; i < KeyCount; ++i)
        SendMessageA(keys, CB_ADDSTRING, 0, (LPARAM)KeyLabel(i).c_str());
    SetFocus(keys);
}

void ShowShortcut(HWND window, int32_t code) {
    ShortcutParts parts = DecodeShortcut(code);
    CheckDlgButton(window, ShortcutCtrlBox, parts.Ctrl ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window, ShortcutAltBox, parts.Alt ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window, ShortcutShiftBox, parts.Shift ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageA(window, ShortcutKeyList, CB_SETCURSEL, parts.KeyIndex, 0);
}

int32_t ReadShortcut(HWND window) {
    ShortcutParts parts;
    parts.Ctrl = IsDlgButtonChecked(window, ShortcutCtrlBox) == BST_CHECKED;
    parts.Alt = IsDlgButtonChecked(window, ShortcutAltBox) == BST_CHECKED;
    parts.Shift = IsDlgButtonChecked(window, ShortcutShiftBox) == BST_CHECKED;
    parts.KeyIndex = (int)SendDlgItemMessageA(window, ShortcutKeyList, CB_GETCURSEL, 0, 0);
    return EncodeShortcut(parts);
}

} // namespace

int32_t ChooseShortcut(int32_t code, HWND parent) {
    if (parent) EnableWindow(parent, FALSE);
    enum { Open, Apply, Cancel } outcome = Open;
    WindowEvents events;
    events.Control = [&](int number, int notification) {
        if (notification != BN_CLICKED) return;
        if (number == ShortcutApplyButton) outcome = Apply;
        if (number == ShortcutCancelButton) outcome = Cancel;
    };
    events.Close = [&] { outcome = Cancel; };
    int32_t result = code;
    // Owned by the parent, so that it stays in front of it and has no
    // taskbar button of its own.
    HWND window = OpenEventWindow(ChooserClass, "Shortcuts", 200, 200, 200, 100, parent, events);
    if (window) {
        CreateChooserControls(window);
        ShowShortcut(window, code);
        RunEventLoop(window, [&] { return outcome != Open; });
        if (outcome == Apply) result = ReadShortcut(window);
    }
    // The parent is enabled before the chooser goes, so that Windows hands
    // the activation back to it rather than to another program.
    if (parent) EnableWindow(parent, TRUE);
    if (window) DestroyWindow(window);
    if (parent) SetActiveWindow(parent);
    return result;
}
