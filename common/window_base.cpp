#include "common/window_base.h"

namespace {

// Where an attached control keeps its object. A property, not the control's
// own user data, which belongs to the control.
constexpr char ObjectProperty[] = "TolvaneWindowObject";

} // namespace

WindowBase::~WindowBase() {
    if (!window_) return;
    if (attached_)
        Detach();
    else
        DestroyWindow(window_);
}

HWND WindowBase::Create(const WindowClass& windowClass, DWORD exStyle, const char* title,
                        DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProcedure;
    wc.hInstance = instance;
    wc.hIcon = windowClass.Icon;
    wc.hCursor = windowClass.Cursor ? windowClass.Cursor : LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = windowClass.Background;
    wc.lpszClassName = windowClass.Name;
    // Registered once per class; a second registration fails harmlessly.
    RegisterClassExA(&wc);
    return CreateWindowExA(exStyle, windowClass.Name, title, style, x, y, width, height, parent,
                           menu, instance, this);
}

bool WindowBase::Attach(HWND control) {
    if (!control || !SetPropA(control, ObjectProperty, this)) return false;
    window_ = control;
    attached_ = true;
    // A Unicode control stays one: its procedure is replaced the wide way.
    controlProcedure_ =
        IsWindowUnicode(control)
            ? WNDPROC(SetWindowLongPtrW(control, GWLP_WNDPROC, LONG_PTR(SubclassProcedure)))
            : WNDPROC(SetWindowLongPtrA(control, GWLP_WNDPROC, LONG_PTR(SubclassProcedure)));
    return true;
}

void WindowBase::Detach() {
    if (IsWindowUnicode(window_))
        SetWindowLongPtrW(window_, GWLP_WNDPROC, LONG_PTR(controlProcedure_));
    else
        SetWindowLongPtrA(window_, GWLP_WNDPROC, LONG_PTR(controlProcedure_));
    RemovePropA(window_, ObjectProperty);
    window_ = nullptr;
    attached_ = false;
}

LRESULT WindowBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT WindowBase::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!attached_) return DefWindowProcA(window_, message, wParam, lParam);
    return IsWindowUnicode(window_)
               ? CallWindowProcW(controlProcedure_, window_, message, wParam, lParam)
               : CallWindowProcA(controlProcedure_, window_, message, wParam, lParam);
}

LRESULT WindowBase::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = HandleMessage(message, wParam, lParam);
    // The window is gone: the object no longer has one.
    if (message == WM_NCDESTROY && window_) {
        if (attached_)
            Detach();
        else
            window_ = nullptr;
    }
    return result;
}

LRESULT CALLBACK WindowBase::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, LONG_PTR(self));
    }
    auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // The few messages before WM_NCCREATE have no object yet.
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    return self->Dispatch(message, wParam, lParam);
}

LRESULT CALLBACK WindowBase::SubclassProcedure(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    auto* self = static_cast<WindowBase*>(GetPropA(window, ObjectProperty));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->Dispatch(message, wParam, lParam);
}
