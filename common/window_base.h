// The one way our programs' windows are written (Raymond Chen's scratch
// program): an object owns its window, is attached to it once, as the
// window is created, and receives each of its messages in HandleMessage,
// which hands every message it handles to one handler of its own:
//
//   class Picker : public WindowBase {
//     LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
//       switch (message) {
//       case WM_SIZE: return OnSize();
//       ...
//       }
//       return WindowBase::HandleMessage(message, wParam, lParam);
//     }
//   };
//   picker.Create({"TolvaneRecentPositions"}, ...);
//
// A control made by Windows (an edit field) is attached the same way with
// Attach, which puts the object's procedure before the control's own. The object must outlive its
// window; the window is destroyed with it when it is still there.
#pragma once
#include <windows.h>

struct WindowClass {
    const char* Name;
    HICON Icon = nullptr;
    HCURSOR Cursor = nullptr; // null: the arrow
    HBRUSH Background = nullptr;
};

class WindowBase {
  public:
    WindowBase() = default;
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;
    virtual ~WindowBase();

    HWND Window() const { return window_; }

    // A window of the class (registered on first use) with this object
    // attached; null when it cannot be created.
    HWND Create(const WindowClass& windowClass, DWORD exStyle, const char* title, DWORD style,
                int x, int y, int width, int height, HWND parent, HMENU menu = nullptr);
    // Attaches this object to a control that exists already; false when it
    // cannot be subclassed.
    bool Attach(HWND control);

  protected:
    // Every message of the window; what it does not handle goes to Default.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's own handling: DefWindowProc, or the attached control's
    // procedure.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    static LRESULT CALLBACK SubclassProcedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void Detach();

    HWND window_ = nullptr;
    bool attached_ = false;              // a control subclassed by Attach
    WNDPROC controlProcedure_ = nullptr; // the attached control's own
};
