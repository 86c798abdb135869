// The thin window layer under Tolvane's windows: fixed-size top-level
// windows, child controls registered under their program-wide numbers,
// container and scrolling windows that pass their children's notifications
// up to the top-level window, and the owner that modal windows attach to.
#pragma once
#include <windows.h>

#include <string>

// Common controls, window classes and the dialog font. Safe to call again.
void InitWindowLayer();

// Window classes of the top-level windows; each has its own procedure.
void RegisterWindowClass(const char* className, WNDPROC proc);

// A visible, fixed-size top-level window with a system menu and close box,
// its outer top-left corner at (x, y) and a client area of clientWidth by
// clientHeight. state is stored as the window's user data before any message
// reaches the procedure. Null when it cannot be created.
HWND OpenFixedWindow(const char* className, const std::string& title, int x, int y, int clientWidth,
                     int clientHeight, void* state);
// For window procedures: the state given to OpenFixedWindow, attached to the
// window at WM_NCCREATE; null for the few messages before that.
template <class T> T* WindowState(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          (LONG_PTR) reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    return reinterpret_cast<T*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Wakes the event loop of window's thread, so that it looks again at the
// state a handler changed; a click sent by another program comes without a
// posted message of its own.
void WakeEventLoop(HWND window);

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
int GetControlState(int number); // 1 when a checkbox is checked, else 0
void SetControlState(int number, int checked);
void EnableControl(int number, bool enabled);
std::string GetControlText(int number);
void SetControlText(int number, const std::string& text);

// The window a modal window (message box, requester) is owned by: the
// foreground window when it is one of this thread's, else this thread's
// active window.
HWND ModalOwner();
void ShowMessage(const std::string& title, const std::string& text);
