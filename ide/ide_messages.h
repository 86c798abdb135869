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
// The address, in the editor's process, of a range of its text made
// contiguous; 0 when it cannot give one.
constexpr unsigned SCI_GETRANGEPOINTER = 2643;
// The characters between two positions.
constexpr unsigned SCI_COUNTCHARACTERS = 2633;

// WM_COMMAND with this wParam and the tab bar as lParam makes the tab bar's
// selected file current. The number is that of TCM_SETCURSEL.
constexpr unsigned IdeTabSwitchCommand = 4876;

// Today's IDE takes WM_COPYDATA at its main window: a line for its log
// (8-bit text), and files to make current (UTF-16 text: the IDE's own
// executable, the count of files, a line, then the files, LF between them).
// When it has the files it posts the registered message IdeRunOnceMessage
// with IdeDoneCode to the window given as the WM_COPYDATA's wParam.
constexpr unsigned long IdeLogMessage = 0x004C4F47;  // "LOG"
constexpr unsigned long IdeOpenMessage = 0x4F4E4345; // "ONCE"
constexpr char IdeRunOnceMessage[] = "PureBasic_RunOnce";
constexpr unsigned long IdeDoneCode = 0x444F4E45; // "DONE"
