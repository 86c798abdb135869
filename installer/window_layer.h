// The thin window layer under Tolvane's windows, on the one window pattern
// (common/window_base.h): a fixed-size top-level window whose object hears
// of its controls' notifications, its closing and its activation and runs
// its event loop; controls in its dialog font; containers and a scroll area
// that pass their children's notifications up to the top-level window; and
// the owner that modal windows attach to. Each window's object keeps the
// controls it needs: nothing is looked up across windows.
#pragma once
#include <windows.h>

#include "common/auto_gdi.h"
#include "common/window_base.h"

#include <functional>
#include <string>

// Common controls for the program's windows. Safe to call again.
void InitWindowLayer();

class InstallerWindow : public WindowBase {
  public:
    ~InstallerWindow() override;

    // A visible, fixed-size top-level window of the class, with a system
    // menu and close box, its outer top-left corner at (x, y), a client area
    // of clientWidth by clientHeight, owned by owner (may be null). False
    // when it cannot be created.
    bool Open(const char* className, const std::string& title, int x, int y, int clientWidth,
              int clientHeight, HWND owner);
    // A visible child control with the Win32 ID number at client position
    // (x, y) of parent (this window or a container in it), in the dialog font.
    HWND AddControl(int number, HWND parent, const char* className, const std::string& text,
                    DWORD style, DWORD exStyle, int x, int y, int width, int height);
    // Runs the event loop of the window's thread, with Tab and Shift+Tab
    // moving the focus in the window, until ended() is true; afterEach (may
    // be empty) runs after every message. False when WM_QUIT ended it
    // instead; the quit is posted again for the loop outside.
    bool RunUntil(const std::function<bool()>& ended,
                  const std::function<void()>& afterEach = nullptr);

  protected:
    // A control's notification, by the control, its number and the code.
    virtual void OnControl(HWND /*control*/, int /*number*/, int /*notification*/) {}
    // The close box, the system menu's close command, Alt+F4.
    virtual void OnClose() {}
    // The window became active (true) or inactive; false leaves the focus
    // to Windows.
    virtual bool OnActivate(bool /*active*/) { return false; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    AutoGdiObject<HFONT> font_;
};

// A child window holding controls, whose notifications it passes up to the
// top-level window, with Tab moving into it.
class Container : public WindowBase {
  public:
    // Null when it cannot be created.
    HWND Open(HWND parent, int number, int x, int y, int width, int height,
              DWORD exStyle = WS_EX_STATICEDGE);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A container with a sunken border and scroll bars, holding an inner area
// that it scrolls one pixel per step.
class ScrollArea : public Container {
  public:
    // The inner area, the parent of the area's controls; null when either
    // cannot be created.
    HWND Open(HWND parent, int number, int innerNumber, int x, int y, int width, int height,
              int innerWidth, int innerHeight);
    // Scrolls so that control, when it lies in the inner area, is fully visible.
    void ScrollIntoView(HWND control);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void ScrollTo(int x, int y);
    LRESULT OnScroll(int bar, int request);

    Container inner_;
};

bool IsChecked(HWND box);
void SetChecked(HWND box, bool checked);
std::string ControlText(HWND control);

// The window a modal window (message box, requester) is owned by: the
// foreground window when it is one of this thread's, else this thread's
// active window.
HWND ModalOwner();
void ShowMessage(const std::string& title, const std::string& text);
