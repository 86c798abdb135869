// The tool rows of the main window: one row of controls per tool of the table.
#pragma once
#include <windows.h>

#include "installer/control_numbers.h"
#include "installer/installation_plan.h"
#include "installer/installer_state.h"
#include "installer/language_file.h"
#include "installer/window_layer.h"

#include <string>

class ToolRow {
  public:
    // Fills tool from the catalogue's entry at index and builds its row in
    // area, a container of window, every box checked.
    void Create(InstallerWindow& window, AutomaticNumbers& numbers, HWND area, int index,
                const std::string& menuItemName, const LanguageFile& language, ToolEntry& tool);
    // Handles a notification of control; false when it is none of the row's.
    bool Handle(HWND control, int notification);
    // The tool as the installation takes it: its settings and its boxes.
    ToolChoice Choice() const;

  private:
    void SyncIconControls();
    void SyncShortcutButton();
    void OnEnableBox();
    void ChooseIcon();
    void ShowImage(const std::string& path);

    ToolEntry* tool_ = nullptr;
    HWND owner_ = nullptr; // of the shortcut chooser
    Container row_, frame_;
    HWND name_ = nullptr, enable_ = nullptr, menu_ = nullptr, toolbar_ = nullptr,
         iconField_ = nullptr, iconButton_ = nullptr, iconView_ = nullptr, shortcut_ = nullptr,
         shortcutButton_ = nullptr, argumentsLabel_ = nullptr, argumentsField_ = nullptr;
};
