// HostIde.exe: a stand-in for the PureBasic IDE, for tests only. It has what
// the tools rely on and nothing more: a main window whose descendants are a
// panel holding the file tab bar, one "Scintilla" editor per open file (only
// the current one visible) and the log list box, all flush on the left; the
// editors answer the Scintilla messages the tools send; the tab switch
// notification; tools started from Tools.prefs. Tests drive it through the
// WM_COPYDATA commands of host_protocol.h.
//
//   HostIde.exe [file ...]   opens the files as tabs, the last one current.
//                            If a host is already running, the files are
//                            handed to it and this instance ends at once.
//
// With HOSTIDE_MODE=today in its environment it is today's IDE instead: the
// file tabs are one custom-drawn window (no tab control anywhere), the main
// window is disabled while a waited-for tool runs, tools also get
// PB_TOOL_IDE, PB_TOOL_Preferences and PB_TOOL_Cursor, and a start
//
//   HostIde.exe file [/L n]
//
// with "RunOnce" on (group "Global" of its preferences file, absent = on)
// hands the file to the today's host of the same preferences file, waits up
// to 10 s until that host has made the file current (opening it as the last
// tab if need be), put the caret on line n and come to the front, and ends.
// With "RunOnce" 0, or no such host running, it becomes a host itself.
#include "testing/host_ide/host_ide.h"

#include "common/auto_gdi.h"
#include "common/file_text.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "prefs/prefs.h"
#include "testing/host_ide/host_text.h"

HostState Host;

namespace {

constexpr int TabBarHeight = 26;
constexpr int LogHeight = 140;
constexpr size_t PaintColumns = 240;
constexpr int FileTabPadding = 8;
// A frozen host holds a hand-over unanswered past the second start's wait.
constexpr DWORD HandOverHoldMs = HandOverWaitMs + 1000;

Editor* EditorFromIndex(int index) {
    if (index < 0 || index >= (int)Host.Editors.size()) return nullptr;
    return EditorOf(Host.Editors[index]);
}

// ---- Editors ---------------------------------------------------------------

LRESULT CopyEditorText(const Editor& e, WPARAM size, char* buffer) {
    if (!buffer) return (LRESULT)e.Text.size();
    if (size == 0) return 0;
    size_t n = std::min<size_t>(size - 1, e.Text.size());
    memcpy(buffer, e.Text.data(), n);
    buffer[n] = 0;
    return (LRESULT)n;
}

void MoveCaret(HWND editor, Editor* e, intptr_t pos) {
    e->Caret = (size_t)std::clamp<intptr_t>(pos, 0, (intptr_t)e->Text.size());
    InvalidateRect(editor, nullptr, FALSE);
}

// Only the lines around the caret are looked at, so painting stays cheap
// however large the text.
void PaintEditor(HWND editor, const Editor& e) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(editor, &ps);
    RECT client;
    GetClientRect(editor, &client);
    FillRect(dc, &client, (HBRUSH)GetStockObject(WHITE_BRUSH));
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    int lineHeight = std::max<int>(tm.tmHeight, 1);
    long rows = client.bottom / lineHeight + 1;
    long caretLine = LineOfPosition(e.Text, e.Caret);
    long top = caretLine < rows ? 0 : caretLine - rows / 2;
    size_t start = LineStartOf(e.Text, top);
    AutoGdiObject<HBRUSH> caretLineBrush(CreateSolidBrush(RGB(255, 250, 205)));
    SetBkMode(dc, TRANSPARENT);
    for (long row = 0; row < rows; row++) {
        int y = row * lineHeight;
        size_t end = LineEndOf(e.Text, start);
        if (top + row == caretLine) {
            RECT band = {0, y, client.right, y + lineHeight};
            FillRect(dc, &band, caretLineBrush.Get());
            int x = 2 + (int)std::min(e.Caret - start, PaintColumns) * tm.tmAveCharWidth;
            RECT caret = {x, y, x + 2, y + lineHeight};
            FillRect(dc, &caret, (HBRUSH)GetStockObject(BLACK_BRUSH));
        }
        TextOutA(dc, 2, y, e.Text.data() + start, (int)std::min(end - start, PaintColumns));
        const void* lf = memchr(e.Text.data() + end, '\n', e.Text.size() - end);
        if (!lf) break;
        start = (const char*)lf - e.Text.data() + 1;
    }
    SelectObject(dc, oldFont);
    EndPaint(editor, &ps);
}

// Lines, positions and the wParam of SCI_GOTOLINE are taken as 32-bit
// numbers, as Scintilla of the IDE's era does, so -1 stays -1 whichever way
// the sender widened it.
LRESULT CALLBACK EditorProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    Editor* e = EditorOf(w);
    if (!e) return DefWindowProcA(w, msg, wp, lp);
    switch (msg) {
    case WM_NCDESTROY:
        SetWindowLongPtrA(w, GWLP_USERDATA, 0);
        delete e;
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        PaintEditor(w, *e);
        return 0;
    case SCI_GETLENGTH:
        return (LRESULT)e->Text.size();
    case SCI_GETTEXT:
        return CopyEditorText(*e, wp, reinterpret_cast<char*>(lp));
    case SCI_SETTEXT:
        e->Text = lp ? reinterpret_cast<const char*>(lp) : "";
        MoveCaret(w, e, 0);
        return 0;
    case SCI_GETCURRENTPOS:
        return (LRESULT)e->Caret;
    case SCI_GOTOPOS:
        MoveCaret(w, e, (int32_t)wp);
        return 0;
    case SCI_GOTOLINE:
        MoveCaret(w, e, (intptr_t)LineStartOf(e->Text, (int32_t)wp));
        return 0;
    case SCI_LINEFROMPOSITION:
        return LineOfPosition(e->Text, (size_t)std::max<int32_t>((int32_t)wp, 0));
    case SCI_GETLINECOUNT:
        return LineCount(e->Text);
    case SCI_POSITIONFROMLINE:
        return PositionFromLine(e->Text, (int32_t)wp, e->Caret);
    case SCI_GETLINEENDPOSITION:
        return LineEndPosition(e->Text, (int32_t)wp);
    case SCI_POSITIONRELATIVE:
        return PositionRelative(e->Text, (int32_t)wp, (int32_t)lp);
    }
    return DefWindowProcA(w, msg, wp, lp);
}

// ---- Tabs ------------------------------------------------------------------

// Talks to the tab control past the counting subclass: the counters are for
// what other processes send, not for the host's own bookkeeping.
LRESULT SendToTabBar(UINT msg, WPARAM wp, LPARAM lp) {
    return CallWindowProcW(Host.TabBarProc, Host.TabBar, msg, wp, lp);
}

void ShowEditor(int index) {
    if (!EditorFromIndex(index) || index == Host.Current) return;
    if (Host.Current >= 0) ShowWindow(Host.Editors[Host.Current], SW_HIDE);
    ShowWindow(Host.Editors[index], SW_SHOW);
    Host.Current = index;
    if (Host.Today) InvalidateRect(Host.FileTabs, nullptr, TRUE);
}

// The IDE's answer to WM_COMMAND 4876 from its main window or the panel.
void HandleSwitchCommand(HostCounter counter, LPARAM source) {
    Host.Counters[counter]++;
    if (Host.Today || Host.Frozen || (HWND)source != Host.TabBar) return;
    ShowEditor((int)SendToTabBar(TCM_GETCURSEL, 0, 0));
}

int SelectTab(int index) {
    if (!EditorFromIndex(index)) return -1;
    if (!Host.Today) SendToTabBar(TCM_SETCURSEL, (WPARAM)index, 0);
    ShowEditor(index);
    return index;
}

void LayoutWindows() {
    RECT r;
    GetClientRect(Host.Main, &r);
    int editorTop = TabBarHeight;
    int logTop = std::max<int>(editorTop, r.bottom - LogHeight);
    if (Host.Today) {
        MoveWindow(Host.FileTabs, 0, 0, r.right, TabBarHeight, TRUE);
    } else {
        MoveWindow(Host.Panel, 0, 0, r.right, TabBarHeight, TRUE);
        MoveWindow(Host.TabBar, 0, 0, r.right, TabBarHeight, TRUE);
    }
    for (HWND editor : Host.Editors)
        MoveWindow(editor, 0, editorTop, r.right, logTop - editorTop, TRUE);
    MoveWindow(Host.LogList, 0, logTop, r.right, r.bottom - logTop, TRUE);
}

// ---- Files -----------------------------------------------------------------

std::string FullPath(const std::string& path) {
    char full[4 * MAX_PATH];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return n && n < sizeof full ? std::string(full, n) : path;
}

std::string FileLabel(const std::string& path) {
    return path.substr(path.find_last_of("\\/") + 1);
}

int FindOpenFileTab(const std::string& path) {
    for (size_t i = 0; i < Host.Editors.size(); i++)
        if (lstrcmpiA(EditorOf(Host.Editors[i])->Path.c_str(), path.c_str()) == 0) return (int)i;
    return -1;
}

// Opens the file as a new last tab and makes it current; a file that is open
// already is made current, as the IDE does.
int OpenFile(const std::string& path) {
    std::string full = FullPath(path);
    int open = FindOpenFileTab(full);
    if (open >= 0) return SelectTab(open);
    std::string text;
    if (!ReadWholeFile(full, text)) return -1;
    HWND window = CreateWindowExA(0, EditorClassName, "", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                                  Host.Main, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window) return -1;
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR) new Editor{full, std::move(text), 0});
    int index = (int)Host.Editors.size();
    if (!Host.Today) {
        std::string label = FileLabel(full);
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = &label[0];
        SendToTabBar(TCM_INSERTITEMA, (WPARAM)index, (LPARAM)&item);
    }
    Host.Editors.push_back(window);
    LayoutWindows();
    return SelectTab(index);
}

int SetCaret(const std::string& lineAndColumn) {
    Editor* e = EditorFromIndex(Host.Current);
    if (!e) return -1;
    char* rest = nullptr;
    long line = strtol(lineAndColumn.c_str(), &rest, 10);
    long column = *rest == ',' ? strtol(rest + 1, nullptr, 10) : 1;
    MoveCaret(Host.Editors[Host.Current], e, (intptr_t)PositionOfLineColumn(e->Text, line, column));
    return (int)e->Caret;
}

// ---- Today's IDE: file tabs and the hand-over from a second start ----------

// The tabs' rectangles, left to right, each as wide as its file's name.
std::vector<RECT> FileTabRects(HDC dc) {
    std::vector<RECT> rects;
    int x = 0;
    for (HWND editor : Host.Editors) {
        std::string label = FileLabel(EditorOf(editor)->Path);
        SIZE size = {};
        GetTextExtentPoint32A(dc, label.c_str(), (int)label.size(), &size);
        RECT r = {x, 0, x + size.cx + 2 * FileTabPadding, TabBarHeight};
        rects.push_back(r);
        x = r.right;
    }
    return rects;
}

void PaintFileTabs(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    std::vector<RECT> rects = FileTabRects(dc);
    for (size_t i = 0; i < rects.size(); i++) {
        RECT r = rects[i];
        bool current = (int)i == Host.Current;
        FillRect(dc, &r, GetSysColorBrush(current ? COLOR_WINDOW : COLOR_BTNFACE));
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
        std::string label = FileLabel(EditorOf(Host.Editors[i])->Path);
        DrawTextA(dc, label.c_str(), (int)label.size(), &r,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
    EndPaint(w, &ps);
}

void ClickFileTab(HWND w, POINT at) {
    HDC dc = GetDC(w);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    std::vector<RECT> rects = FileTabRects(dc);
    SelectObject(dc, oldFont);
    ReleaseDC(w, dc);
    for (size_t i = 0; i < rects.size(); i++)
        if (PtInRect(&rects[i], at)) SelectTab((int)i);
}

LRESULT CALLBACK FileTabsProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        PaintFileTabs(w);
        return 0;
    case WM_LBUTTONDOWN:
        ClickFileTab(w, POINT{(short)LOWORD(lp), (short)HIWORD(lp)});
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

// Puts the caret on the 1-based line of the current file when
// 0 < line < its line count, as the IDE's "/L" does.
void GotoStartLine(long line) {
    Editor* e = EditorFromIndex(Host.Current);
    if (!e || line <= 0 || line >= LineCount(e->Text)) return;
    MoveCaret(Host.Editors[Host.Current], e, (intptr_t)LineStartOf(e->Text, line - 1));
}

LRESULT TakeHandOver(const std::string& text) {
    std::string path;
    long line = 0;
    if (!ParseHandOverText(text, path, line)) return 0;
    if (Host.HandOverFrozen) {
        // Handles everything else meanwhile, so only the second start waits.
        WaitPumpingMessages(nullptr, HandOverHoldMs);
        return 0;
    }
    OpenFile(path);
    GotoStartLine(line);
    SetForegroundWindow(Host.Main);
    return 1;
}

// ---- Commands from other processes -----------------------------------------

LRESULT RunCommand(unsigned command, const std::string& arg) {
    long number = strtol(arg.c_str(), nullptr, 10);
    switch (command) {
    case CmdPing:
        return 1;
    case CmdOpenFile:
        return OpenFile(arg);
    case CmdSelectTab:
        return SelectTab((int)number);
    case CmdSetCaret:
        return SetCaret(arg);
    case CmdRunToolByShortcut:
        return RunToolByShortcut(number);
    case CmdRunToolByNumber:
        return RunToolByNumber(number);
    case CmdSetFrozen:
        Host.Frozen = number != 0;
        return 0;
    case CmdGetCounter:
        return number >= 0 && number < (long)CounterCount ? Host.Counters[number] : -1;
    case CmdGetEditor:
        return EditorFromIndex((int)number) ? (LRESULT)Host.Editors[number] : 0;
    case CmdGetEditorCount:
        return (LRESULT)Host.Editors.size();
    case CmdGetCurrentTab:
        return Host.Current;
    case CmdHandOver:
        return TakeHandOver(arg);
    case CmdSetHandOverFrozen:
        Host.HandOverFrozen = number != 0;
        return 0;
    case CmdChangeToolVariable:
        Host.ToolVariableChanges.push_back(arg);
        return 0;
    }
    return -1;
}

std::string TextOf(const COPYDATASTRUCT& data) {
    if (!data.lpData) return "";
    const char* text = static_cast<const char*>(data.lpData);
    return std::string(text, strnlen(text, data.cbData));
}

// ---- Windows ---------------------------------------------------------------

LRESULT CALLBACK TabBarProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == TCM_SETCURSEL) Host.Counters[CounterTabSetCurSel]++;
    return CallWindowProcW(Host.TabBarProc, w, msg, wp, lp);
}

LRESULT CALLBACK PanelProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && wp == SwitchCommand) {
        HandleSwitchCommand(CounterPanelSwitch, lp);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

bool CreateTodayChildWindows(HWND main) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    Host.Main = main;
    Host.FileTabs = CreateWindowExA(0, FileTabsClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                    main, nullptr, instance, nullptr);
    Host.LogList = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0,
                                   0, 0, main, nullptr, instance, nullptr);
    if (!Host.FileTabs || !Host.LogList) return false;
    SendMessageA(Host.LogList, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), 0);
    // Property values are handles; the key fits in one on 64-bit Windows.
    SetPropA(main, HostKeyProperty, (HANDLE)(uintptr_t)PreferencesKey(Host.Preferences));
    return true;
}

bool CreateChildWindows(HWND main) {
    if (Host.Today) return CreateTodayChildWindows(main);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    Host.Main = main;
    Host.Panel = CreateWindowExA(0, HostPanelClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                 0, 0, 0, 0, main, nullptr, instance, nullptr);
    Host.TabBar = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0,
                                  0, 0, 0, Host.Panel, nullptr, instance, nullptr);
    Host.LogList = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0,
                                   0, 0, main, nullptr, instance, nullptr);
    if (!Host.Panel || !Host.TabBar || !Host.LogList) return false;
    Host.TabBarProc = (WNDPROC)SetWindowLongPtrW(Host.TabBar, GWLP_WNDPROC, (LONG_PTR)TabBarProc);
    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    SendMessageA(Host.TabBar, WM_SETFONT, (WPARAM)font, 0);
    SendMessageA(Host.LogList, WM_SETFONT, (WPARAM)font, 0);
    return true;
}

LRESULT CALLBACK MainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        return CreateChildWindows(w) ? 0 : -1;
    case WM_SIZE:
        LayoutWindows();
        return 0;
    case WM_COMMAND:
        if (wp != SwitchCommand) break;
        HandleSwitchCommand(CounterMainSwitch, lp);
        return 0;
    case WM_COPYDATA: {
        const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(lp);
        return RunCommand((unsigned)data.dwData, TextOf(data));
    }
    case WM_CLOSE:
        // Ends without hiding or destroying the shown window, which costs two
        // seconds under Wine with a bare X server; the process's end takes
        // its windows along.
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

bool RegisterClasses(HINSTANCE instance) {
    WNDCLASSA main = {};
    main.lpfnWndProc = MainProc;
    main.hInstance = instance;
    main.hCursor = LoadCursor(nullptr, IDC_ARROW);
    main.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    main.lpszClassName = Host.Today ? HostTodayClassName : HostClassName;
    WNDCLASSA panel = main;
    panel.lpfnWndProc = PanelProc;
    panel.lpszClassName = HostPanelClassName;
    WNDCLASSA editor = main;
    editor.lpfnWndProc = EditorProc;
    editor.hCursor = LoadCursor(nullptr, IDC_IBEAM);
    editor.hbrBackground = nullptr;
    editor.lpszClassName = EditorClassName;
    WNDCLASSA tabs = main;
    tabs.lpfnWndProc = FileTabsProc;
    tabs.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    tabs.lpszClassName = FileTabsClassName;
    return RegisterClassA(&main) && RegisterClassA(&panel) && RegisterClassA(&editor) &&
           RegisterClassA(&tabs);
}

// What a second instance does: the running host opens the files, as when a
// file handed to the system reaches the IDE that is already running.
void HandFilesTo(HWND running, const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        COPYDATASTRUCT data = {CmdOpenFile, (DWORD)file.size() + 1, (void*)file.c_str()};
        DWORD_PTR result = 0;
        SendMessageTimeoutA(running, WM_COPYDATA, 0, (LPARAM)&data, SMTO_ABORTIFHUNG, 10000,
                            &result);
    }
    SetForegroundWindow(running);
}

std::string Variable(const char* name) {
    char value[MAX_PATH * 4];
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n < sizeof value ? std::string(value, n) : std::string();
}

std::string TodayPreferencesPath() {
    std::string chosen = Variable(HostPreferencesVariable);
    if (!chosen.empty()) return FullPath(chosen);
    return Variable("APPDATA") + "\\PureBasic\\PureBasic.prefs";
}

bool RunOnlyOneInstance() {
    Prefs prefs = OpenPrefs(Host.Preferences);
    if (!prefs.IsOpen()) return true;
    SelectPrefsGroup(prefs, "Global");
    return ReadPrefsLong(prefs, "RunOnce", 1) != 0;
}

// Today's host of this preferences file, null when none runs.
HWND FindTodayHost() {
    HANDLE key = (HANDLE)(uintptr_t)PreferencesKey(Host.Preferences);
    for (HWND w = FindWindowExA(nullptr, nullptr, HostTodayClassName, nullptr); w;
         w = FindWindowExA(nullptr, w, HostTodayClassName, nullptr))
        if (GetPropA(w, HostKeyProperty) == key) return w;
    return nullptr;
}

// The second start's side: ends only once the running host has taken the
// files, or the wait has run out.
void HandOverTo(HWND running, const StartRequest& request) {
    DWORD processId = 0;
    GetWindowThreadProcessId(running, &processId);
    AllowSetForegroundWindow(processId);
    DWORD start = GetTickCount();
    for (size_t i = 0; i < request.Files.size(); i++) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= HandOverWaitMs) return;
        long line = i + 1 == request.Files.size() ? request.Line : 0;
        std::string text = HandOverText(request.Files[i], line);
        COPYDATASTRUCT data = {CmdHandOver, (DWORD)text.size() + 1, (void*)text.c_str()};
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(running, WM_COPYDATA, 0, (LPARAM)&data, SMTO_NORMAL,
                                 HandOverWaitMs - elapsed, &result))
            return;
    }
}

} // namespace

Editor* EditorOf(HWND editor) {
    return reinterpret_cast<Editor*>(GetWindowLongPtrA(editor, GWLP_USERDATA));
}

const Editor* CurrentEditor() {
    return EditorFromIndex(Host.Current);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    std::vector<std::string> params = SplitHostCommandLine(GetCommandLineA());
    StartRequest request;
    Host.Today = Variable(HostModeVariable) == HostModeToday;
    if (Host.Today) {
        request = ParseStartRequest(params);
        for (std::string& file : request.Files)
            file = FullPath(file);
        Host.Preferences = TodayPreferencesPath();
        HWND running = RunOnlyOneInstance() ? FindTodayHost() : nullptr;
        if (running) {
            HandOverTo(running, request);
            return 0;
        }
    } else {
        for (size_t i = 1; i < params.size(); i++)
            request.Files.push_back(FullPath(params[i]));
        if (HWND running = FindWindowA(HostClassName, nullptr)) {
            HandFilesTo(running, request.Files);
            return 0;
        }
    }
    const std::vector<std::string>& files = request.Files;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    if (!RegisterClasses(instance)) return 1;
    // Created hidden and shown only when every child and file is in place, so
    // a test that waits for the visible window finds all of them.
    HWND main = CreateWindowExA(0, Host.Today ? HostTodayClassName : HostClassName, HostTitle,
                                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                                960, 720, nullptr, nullptr, instance, nullptr);
    if (!main) return 1;
    for (const std::string& file : files)
        OpenFile(file);
    GotoStartLine(request.Line);
    ShowWindow(main, show);
    UpdateWindow(main);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
