#include "installer/shortcut_chooser.h"

#include "installer/control_numbers.h"
#include "installer/installer_logic.h"
#include "installer/window_layer.h"

namespace {

// Its texts are fixed, whatever the language.
class ShortcutChooser : public InstallerWindow {
  public:
    // Shows code; true when the user applied, with the composed code in code.
    bool Run(int32_t& code, HWND parent) {
        // Owned by the parent, so that it stays in front of it and has no
        // taskbar button of its own.
        if (!Open("TolvaneShortcutChooser", "Shortcuts", 200, 200, 200, 100, parent)) return false;
        AddControls();
        Show(DecodeShortcut(code));
        RunUntil([&] { return outcome_ != Outcome::Open; });
        if (outcome_ != Outcome::Apply) return false;
        code = EncodeShortcut(Shown());
        return true;
    }

  private:
    enum class Outcome { Open, Apply, Cancel };

    void AddControls() {
        const DWORD button = BS_PUSHBUTTON | WS_TABSTOP, box = BS_AUTOCHECKBOX | WS_TABSTOP;
        HWND window = Window();
        AddControl(ShortcutApplyButton, window, "BUTTON", "Anwenden", button, 0, 0, 80, 100, 20);
        AddControl(ShortcutCancelButton, window, "BUTTON", "Abbrechen", button, 0, 100, 80, 100,
                   20);
        ctrl_ = AddControl(ShortcutCtrlBox, window, "BUTTON", "Strg / Ctrl", box, 0, 0, 0, 100, 20);
        shift_ = AddControl(ShortcutShiftBox, window, "BUTTON", "Shift", box, 0, 0, 20, 100, 20);
        alt_ = AddControl(ShortcutAltBox, window, "BUTTON", "Alt", box, 0, 0, 40, 100, 20);
        keys_ = AddControl(ShortcutKeyList, window, "COMBOBOX", "",
                           CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 100, 0, 100, 400);
        for (int i = 0; i < KeyCount; ++i)
            SendMessageA(keys_, CB_ADDSTRING, 0, (LPARAM)KeyLabel(i).c_str());
        SetFocus(keys_);
    }

    void Show(const ShortcutParts& parts) {
        SetChecked(ctrl_, parts.Ctrl);
        SetChecked(alt_, parts.Alt);
        SetChecked(shift_, parts.Shift);
        SendMessageA(keys_, CB_SETCURSEL, parts.KeyIndex, 0);
    }

    ShortcutParts Shown() const {
        ShortcutParts parts;
        parts.Ctrl = IsChecked(ctrl_);
        parts.Alt = IsChecked(alt_);
        parts.Shift = IsChecked(shift_);
        parts.KeyIndex = (int)SendMessageA(keys_, CB_GETCURSEL, 0, 0);
        return parts;
    }

    void OnControl(HWND, int number, int notification) override {
        if (notification != BN_CLICKED) return;
        if (number == ShortcutApplyButton) outcome_ = Outcome::Apply;
        if (number == ShortcutCancelButton) outcome_ = Outcome::Cancel;
    }
    void OnClose() override { outcome_ = Outcome::Cancel; }

    HWND ctrl_ = nullptr, shift_ = nullptr, alt_ = nullptr, keys_ = nullptr;
    Outcome outcome_ = Outcome::Open;
};

} // namespace

int32_t ChooseShortcut(int32_t code, HWND parent) {
    if (parent) EnableWindow(parent, FALSE);
    int32_t result = code;
    ShortcutChooser chooser;
    if (!chooser.Run(result, parent)) result = code;
    // The parent is enabled before the chooser goes, so that Windows hands
    // the activation back to it rather than to another program.
    if (parent) EnableWindow(parent, TRUE);
    if (chooser.Window()) DestroyWindow(chooser.Window());
    if (parent) SetActiveWindow(parent);
    return result;
}
