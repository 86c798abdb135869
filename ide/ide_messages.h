// The window messages the PureBasic IDE's windows answer: the published
// Scintilla messages of its editors and its answer to a tab switch. Shared by
// the IDE-access library and the stand-in IDE of the tests. No windows.h
// here, so plain logic can use the numbers too.
#pragma once

// Scintilla.
constexpr unsigned SCI_GETCURRENTPOS = 2008;
constexpr unsigned SCI_GOTOLINE = 2024;
constexpr unsigned SCI_GOTOPOS = 2025;
constexpr unsigned SCI_GETLINEENDPOSITION = 2136;
constexpr unsigned SCI_LINEFROMPOSITION = 2166;
constexpr unsigned SCI_POSITIONFROMLINE = 2167;
constexpr unsigned SCI_SETTEXT = 2181;
constexpr unsigned SCI_GETTEXT = 2182;
constexpr unsigned SCI_GETLENGTH = 2183;
constexpr unsigned SCI_GETLINECOUNT = 2154;
constexpr unsigned SCI_POSITIONRELATIVE = 2670;

// WM_COMMAND with this wParam and the tab bar as lParam makes the tab bar's
// selected file current. The number is that of TCM_SETCURSEL.
constexpr unsigned IdeTabSwitchCommand = 4876;
