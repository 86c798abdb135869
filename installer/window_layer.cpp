#include "installer/window_layer.h"

#include "common/auto_gdi.h"
#include "installer/control_numbers.h"

#include <commctrl.h>

#include <vector>

namespace {

const DWORD FixedWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
const char* const ContainerClass = "TolvaneContainer";
const char* const ScrollAreaClass = "TolvaneScrollArea";

int LastAutomaticNumber = FirstAutomaticNumber - 1;
AutoGdiObject<HFONT> DialogFont;

// Notifications go to a control's direct parent; the top-level window is
// where they are handled.
LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND)
        return SendMessageA(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND InnerArea(HWND area) {
    return GetWindow(area, GW_CHILD);
}

void ScrollAreaTo(HWND area, int x, int y) {
    SetScrollPos(area, SB_HORZ, x, TRUE);
    SetScrollPos(area, SB_VERT, y, TRUE);
    // Clamped by the scroll bars to their range.
    x = GetScrollPos(area, SB_HORZ);
    y = GetScrollPos(area, SB_VERT);
    SetWindowPos(InnerArea(area), nullptr, -x, -y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
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

LRESULT OnScroll(HWND area, int bar, int request) {
    int pos = NewScrollPosition(area, bar, request);
    if (bar == SB_HORZ)
        ScrollAreaTo(area, pos, GetScrollPos(area, SB_VERT));
    else
        ScrollAreaTo(area, GetScrollPos(area, SB_HORZ), pos);
    return 0;
}

LRESULT CALLBACK ScrollAreaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_HSCROLL:
        return OnScroll(window, SB_HORZ, LOWORD(wParam));
    case WM_VSCROLL:
        return OnScroll(window, SB_VERT, LOWORD(wParam));
    }
    return ContainerProc(window, message, wParam, lParam);
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

void RegisterWindowClass(const char* className, WNDPROC proc) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = className;
    RegisterClassExA(&wc); // fails harmlessly when registered already
}

void WakeEventLoop(HWND window) {
    PostMessageA(window, WM_NULL, 0, 0);
}

// Events go to the WindowEvents given at creation; the few messages before
// WM_NCCREATE have none yet.
LRESULT CALLBACK EventWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          (LONG_PTR) reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    auto* events = reinterpret_cast<WindowEvents*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!events) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND:
        if (events->Control) events->Control(LOWORD(wParam), HIWORD(wParam));
        // A click sent by another program comes without a posted message of
        // its own; the loop must look again at what the handler changed.
        WakeEventLoop(window);
        return 0;
    case WM_CLOSE:
        if (events->Close) events->Close();
        WakeEventLoop(window);
        return 0;
    case WM_ACTIVATE:
        if (!events->Activate) break;
        events->Activate(LOWORD(wParam) != WA_INACTIVE);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

void InitWindowLayer() {
    INITCOMMONCONTROLSEX icc = {};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);
    RegisterWindowClass(ContainerClass, ContainerProc);
    RegisterWindowClass(ScrollAreaClass, ScrollAreaProc);
    if (!DialogFont.Get()) {
        NONCLIENTMETRICSA metrics = {};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        DialogFont.Reset(CreateFontIndirectA(&metrics.lfMessageFont));
    }
}

HWND OpenEventWindow(const char* className, const std::string& title, int x, int y, int clientWidth,
                     int clientHeight, HWND owner, WindowEvents& events) {
    RegisterWindowClass(className, EventWindowProc);
    RECT rc = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&rc, FixedWindowStyle, FALSE, 0);
    return CreateWindowExA(0, className, title.c_str(), FixedWindowStyle, x, y, rc.right - rc.left,
                           rc.bottom - rc.top, owner, nullptr, GetModuleHandleA(nullptr), &events);
}

bool RunEventLoop(HWND window, const std::function<bool()>& ended,
                  const std::function<void()>& afterEach) {
    MSG msg;
    while (!ended()) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage((int)msg.wParam);
            return false;
        }
        if (!IsDialogMessageA(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (afterEach) afterEach();
    }
    return true;
}

int NextControlNumber() {
    return ++LastAutomaticNumber;
}

HWND CreateControl(int number, HWND parent, const char* className, const std::string& text,
                   DWORD style, DWORD exStyle, int x, int y, int width, int height) {
    HWND control = CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                   x, y, width, height, parent, (HMENU)(INT_PTR)number,
                                   GetModuleHandleA(nullptr), nullptr);
    if (!control) return nullptr;
    SendMessageA(control, WM_SETFONT, (WPARAM)DialogFont.Get(), FALSE);
    return control;
}

HWND CreateContainer(int number, HWND parent, int x, int y, int width, int height) {
    return CreateControl(number, parent, ContainerClass, "", WS_CLIPSIBLINGS,
                         WS_EX_STATICEDGE | WS_EX_CONTROLPARENT, x, y, width, height);
}

HWND CreateScrollArea(int number, HWND parent, int x, int y, int width, int height, int innerWidth,
                      int innerHeight) {
    HWND area = CreateControl(number, parent, ScrollAreaClass, "",
                              WS_HSCROLL | WS_VSCROLL | WS_CLIPCHILDREN,
                              WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT, x, y, width, height);
    if (!area) return nullptr;
    HWND inner = CreateControl(NextControlNumber(), area, ContainerClass, "", 0,
                               WS_EX_CONTROLPARENT, 0, 0, innerWidth, innerHeight);
    SetScrollRanges(area, innerWidth, innerHeight);
    return inner;
}

void ScrollIntoView(HWND area, HWND control) {
    HWND inner = InnerArea(area);
    if (!inner || !IsChild(inner, control)) return;
    RECT rc, visible;
    GetWindowRect(control, &rc);
    MapWindowPoints(HWND_DESKTOP, inner, (POINT*)&rc, 2);
    GetClientRect(area, &visible);
    int x = GetScrollPos(area, SB_HORZ), y = GetScrollPos(area, SB_VERT);
    if (rc.right > x + visible.right) x = rc.right - visible.right;
    if (rc.left < x) x = rc.left;
    if (rc.bottom > y + visible.bottom) y = rc.bottom - visible.bottom;
    if (rc.top < y) y = rc.top;
    ScrollAreaTo(area, x, y);
}

// Found among Tolvane's windows by its number, which is unique in the
// program, so that no table of controls outlives their windows.
HWND ControlWindow(int number) {
    struct Search {
        int Number;
        HWND Found;
    } search{number, nullptr};
    EnumWindows(
        [](HWND top, LPARAM param) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(param);
            // Only Tolvane's own windows: a message box's buttons have small numbers too.
            if (GetWindowLongPtrA(top, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(EventWindowProc))
                return TRUE;
            EnumChildWindows(
                top,
                [](HWND child, LPARAM param) -> BOOL {
                    auto& search = *reinterpret_cast<Search*>(param);
                    if (GetDlgCtrlID(child) == search.Number) search.Found = child;
                    return !search.Found;
                },
                param);
            return !search.Found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

bool GetControlState(int number) {
    return SendMessageA(ControlWindow(number), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetControlState(int number, bool checked) {
    SendMessageA(ControlWindow(number), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void EnableControl(int number, bool enabled) {
    EnableWindow(ControlWindow(number), enabled);
}

std::string GetControlText(int number) {
    HWND control = ControlWindow(number);
    std::string text(GetWindowTextLengthA(control), '\0');
    if (!text.empty()) text.resize(GetWindowTextA(control, &text[0], (int)text.size() + 1));
    return text;
}

void SetControlText(int number, const std::string& text) {
    SetWindowTextA(ControlWindow(number), text.c_str());
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
