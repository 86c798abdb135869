#include "installer/window_layer.h"

#include <commctrl.h>

namespace {

const DWORD FixedWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;

WindowClass ControlsClass(const char* name) {
    return {name, nullptr, nullptr, GetSysColorBrush(COLOR_BTNFACE)};
}

int NewScrollPosition(HWND area, int bar, int request) {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(area, bar, &si);
    switch (request) {
    case SB_LINEUP:
        return si.nPos - 1;
    case SB_LINEDOWN:
        return si.nPos + 1;
    case SB_PAGEUP:
        return si.nPos - (int)si.nPage;
    case SB_PAGEDOWN:
        return si.nPos + (int)si.nPage;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        return si.nTrackPos;
    case SB_TOP:
        return si.nMin;
    case SB_BOTTOM:
        return si.nMax;
    default:
        return si.nPos;
    }
}

void SetScrollRange(HWND area, int bar, int inner, int visible) {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = inner - 1;
    si.nPage = visible;
    SetScrollInfo(area, bar, &si, TRUE);
}

// A scroll bar that appears takes room from the other direction, so each
// range is set from the client area left after the previous one.
void SetScrollRanges(HWND area, int innerWidth, int innerHeight) {
    RECT rc;
    for (int pass = 0; pass < 2; ++pass) {
        GetClientRect(area, &rc);
        SetScrollRange(area, SB_HORZ, innerWidth, rc.right);
        GetClientRect(area, &rc);
        SetScrollRange(area, SB_VERT, innerHeight, rc.bottom);
    }
}

} // namespace

void InitWindowLayer() {
    INITCOMMONCONTROLSEX icc = {};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);
}

// Gone before the font its controls use.
InstallerWindow::~InstallerWindow() {
    if (Window()) DestroyWindow(Window());
}

bool InstallerWindow::Open(const char* className, const std::string& title, int x, int y,
                           int clientWidth, int clientHeight, HWND owner) {
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    font_.Reset(CreateFontIndirectA(&metrics.lfMessageFont));
    WindowClass windowClass = ControlsClass(className);
    windowClass.Icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    RECT rc = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&rc, FixedWindowStyle, FALSE, 0);
    return Create(windowClass, 0, title.c_str(), FixedWindowStyle, x, y, rc.right - rc.left,
                  rc.bottom - rc.top, owner) != nullptr;
}

HWND InstallerWindow::AddControl(int number, HWND parent, const char* className,
                                 const std::string& text, DWORD style, DWORD exStyle, int x, int y,
                                 int width, int height) {
    HWND control = CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                   x, y, width, height, parent, (HMENU)(INT_PTR)number,
                                   GetModuleHandleA(nullptr), nullptr);
    if (control) SendMessageA(control, WM_SETFONT, (WPARAM)font_.Get(), FALSE);
    return control;
}

bool InstallerWindow::RunUntil(const std::function<bool()>& ended,
                               const std::function<void()>& afterEach) {
    MSG msg;
    while (!ended()) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage((int)msg.wParam);
            return false;
        }
        if (!IsDialogMessageA(Window(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (afterEach) afterEach();
    }
    return true;
}

LRESULT InstallerWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        OnControl(HWND(lParam), LOWORD(wParam), HIWORD(wParam));
        // A click sent by another program comes without a posted message of
        // its own; the loop must look again at what the handler changed.
        PostMessageA(Window(), WM_NULL, 0, 0);
        return 0;
    case WM_CLOSE:
        OnClose();
        PostMessageA(Window(), WM_NULL, 0, 0);
        return 0;
    case WM_ACTIVATE:
        if (OnActivate(LOWORD(wParam) != WA_INACTIVE)) return 0;
        break;
    }
    return WindowBase::HandleMessage(message, wParam, lParam);
}

HWND Container::Open(HWND parent, int number, int x, int y, int width, int height, DWORD exStyle) {
    return Create(ControlsClass("TolvaneContainer"), exStyle | WS_EX_CONTROLPARENT, "",
                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, width, height, parent,
                  (HMENU)(INT_PTR)number);
}

// Notifications go to a control's direct parent; the top-level window is
// where they are handled.
LRESULT Container::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND)
        return SendMessageA(GetAncestor(Window(), GA_ROOT), message, wParam, lParam);
    return WindowBase::HandleMessage(message, wParam, lParam);
}

HWND ScrollArea::Open(HWND parent, int number, int innerNumber, int x, int y, int width, int height,
                      int innerWidth, int innerHeight) {
    HWND area = Create(ControlsClass("TolvaneScrollArea"), WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT,
                       "", WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | WS_CLIPCHILDREN, x, y,
                       width, height, parent, (HMENU)(INT_PTR)number);
    if (!area) return nullptr;
    HWND inner = inner_.Open(area, innerNumber, 0, 0, innerWidth, innerHeight, 0);
    SetScrollRanges(area, innerWidth, innerHeight);
    return inner;
}

void ScrollArea::ScrollTo(int x, int y) {
    SetScrollPos(Window(), SB_HORZ, x, TRUE);
    SetScrollPos(Window(), SB_VERT, y, TRUE);
    // Clamped by the scroll bars to their range.
    x = GetScrollPos(Window(), SB_HORZ);
    y = GetScrollPos(Window(), SB_VERT);
    SetWindowPos(inner_.Window(), nullptr, -x, -y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

LRESULT ScrollArea::OnScroll(int bar, int request) {
    int pos = NewScrollPosition(Window(), bar, request);
    if (bar == SB_HORZ)
        ScrollTo(pos, GetScrollPos(Window(), SB_VERT));
    else
        ScrollTo(GetScrollPos(Window(), SB_HORZ), pos);
    return 0;
}

LRESULT ScrollArea::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_HSCROLL:
        return OnScroll(SB_HORZ, LOWORD(wParam));
    case WM_VSCROLL:
        return OnScroll(SB_VERT, LOWORD(wParam));
    }
    return Container::HandleMessage(message, wParam, lParam);
}

void ScrollArea::ScrollIntoView(HWND control) {
    HWND inner = inner_.Window();
    if (!inner || !IsChild(inner, control)) return;
    RECT rc, visible;
    GetWindowRect(control, &rc);
    MapWindowPoints(HWND_DESKTOP, inner, (POINT*)&rc, 2);
    GetClientRect(Window(), &visible);
    int x = GetScrollPos(Window(), SB_HORZ), y = GetScrollPos(Window(), SB_VERT);
    if (rc.right > x + visible.right) x = rc.right - visible.right;
    if (rc.left < x) x = rc.left;
    if (rc.bottom > y + visible.bottom) y = rc.bottom - visible.bottom;
    if (rc.top < y) y = rc.top;
    ScrollTo(x, y);
}

bool IsChecked(HWND box) {
    return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND box, bool checked) {
    SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string ControlText(HWND control) {
    std::string text(GetWindowTextLengthA(control), '\0');
    if (!text.empty()) text.resize(GetWindowTextA(control, &text[0], (int)text.size() + 1));
    return text;
}

HWND ModalOwner() {
    HWND foreground = GetForegroundWindow();
    if (foreground && GetWindowThreadProcessId(foreground, nullptr) == GetCurrentThreadId())
        return foreground;
    return GetActiveWindow();
}

void ShowMessage(const std::string& title, const std::string& text) {
    MessageBoxA(ModalOwner(), text.c_str(), title.c_str(), MB_OK);
}
