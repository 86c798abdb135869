// Tolvane's windows number their controls in one program-wide space; these
// are also the Win32 control IDs. Controls of the tool rows are numbered
// automatically from FirstAutomaticNumber on.
#pragma once

enum ControlNumber {
    // Language chooser
    LanguageListControl = 0,
    LanguageGoOnButton = 1,
    LanguageDeclineButton = 2,
    // MainWindow
    InstallButton = 3,
    CloseButton = 4,
    AboutButton = 5,
    PathField = 6,
    BrowseButton = 7,
    PathLabel = 8,
    HeaderText = 9,
    ClearerBox = 10,
    ToolArea = 11,
    // Shortcut chooser
    ShortcutCtrlBox = 12,
    ShortcutShiftBox = 13,
    ShortcutAltBox = 14,
    ShortcutKeyList = 15,
    ShortcutCancelButton = 16,
    ShortcutApplyButton = 17,
    // MainWindow, added later
    FollowerBox = 18,
    SideButtonsBox = 19,

    FirstAutomaticNumber = 1000,
};

// The automatic numbers of one window's controls, one after another.
class AutomaticNumbers {
  public:
    int Next() { return next_++; }

  private:
    int next_ = FirstAutomaticNumber;
};
