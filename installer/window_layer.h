// The thin window layer under Tolvane's windows: fixed-size top-level
// windows with their event loop, child controls under program-wide numbers
// (found again by them among Tolvane's windows, not kept in a table),
// container and scrolling windows that pass their children's notifications
// up to the top-level window, and the owner that modal windows attach to.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// Common controls, window classes and the dialog font. Safe to call again.
void InitWindowLayer();

// What a top-level window does with its events; it must outlive the window.
struct WindowEvents {
    // A control's notification: the control's number and the notification code.
    std::function<void(int number, int notification)> Control;
    // The close box, the system menu's close command, Alt+F4.
    std::function<void()> Close;
    // The window became active (true) or inactive; may be left empty.
    std::function<void(bool active)> Activate;
};

// A visible, fixed-size top-level window of the given class, with a system
// menu and close box, its outer top-left corner at (x, y), a client area of
// clientWidth by clientHeight, owned by owner (may be null), whose events go
// to events. Null when it cannot be created.
HWND OpenEventWindow(const char* className, const std::string& title, int x, int y, int clientWidth,
                     int clientHeight, HWND owner, WindowEvents& events);

// Runs the event loop of window's thread, with Tab and Shift+Tab moving the
// focus in window, until ended() is true; afterEach (may be empty) runs after
// every message. False when WM_QUIT ended it instead; the quit is posted
// again for the loop outside.
bool RunEventLoop(HWND window, const std::function<bool()>& ended,
                  const std::function<void()>& afterEach = nullptr);

// The next automatic control number, never one of the fixed numbers.
int NextControlNumber();
// A visible child control with Win32 ID number at client position (x, y) of
// parent, in the dialog font, registered under its number.
HWND CreateControl(int number, HWND parent, const char* className, const std::string& text,
                   DWORD style, DWORD exStyle, int x, int y, int width, int height);
// A container with a thin sunken border whose children's notifications reach
// the top-level window, with Tab moving into it.
HWND CreateContainer(int number, HWND parent, int x, int y, int width, int height);
// A scroll area with a sunken border holding an inner area of innerWidth by
// innerHeight, scrolled one pixel per step. Returns the inner area, the
// parent of the area's controls.
HWND CreateScrollArea(int number, HWND parent, int x, int y, int width, int height, int innerWidth,
                      int innerHeight);
// Scrolls area so that control, one of its descendants, is fully visible.
void ScrollIntoView(HWND area, HWND control);

HWND ControlWindow(int number);
bool GetControlState(int number); // whether a checkbox is checked
void SetControlState(int number, bool checked);
void EnableControl(int number, bool enabled);
std::string GetControlText(int number);
void SetControlText(int number, const std::string& text);

// The window a modal window (message box, requester) is owned by: the
// foreground window when it is one of this thread's, else this thread's
// active window.
HWND ModalOwner();
void ShowMessage(const std::string& title, const std::string& text);
