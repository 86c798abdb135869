// HostIde.exe: a stand-in for the PureBasic IDE, for tests only. It has what
// the tools rely on and nothing more: a main window whose descendants are a
// panel holding the file tab bar, one "Scintilla" editor per open file (only
// the current one visible) and the log list box, all flush on the left; the
// editors answer the Scintilla messages the tools send; the tab switch
// notification; tools started from Tools.prefs, from the menu and by the
// IDE's events (start, a source loaded, saved, closing, new); the caret
// reports of the editors. Tests drive it through the WM_COPYDATA commands of
// host_protocol.h.
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
// It asks with the IDE's own protocol: the registered "PureBasic_RunOnce"
// OPEN, answered with HWND only by a host whose "RunOnce" is on, then the
// 'ONCE' WM_COPYDATA. Unanswered, it becomes a host itself. Today's host
// holds its paths wide, starts its tools with a UTF-16 command line and
// environment, keeps a log per source and moves the keyboard focus as the
// IDE does.
#include "testing/host_ide/host_ide.h"

#include "common/auto_gdi.h"
#include "common/auto_handle.h"
#include "common/file_text.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "prefs/prefs.h"
#include "testing/host_ide/host_text.h"
#include "testing/host_ide/host_wide.h"

HostState Host;

namespace {

constexpr int TabBarHeight = 26;
constexpr int LogHeight = 140;
constexpr size_t PaintColumns = 240;
constexpr int FileTabPadding = 8;
// Scintilla's messages, as far as the editors count them.
constexpr UINT SCI_START = 2000, SCI_END = 5000;
constexpr wchar_t NewSourceLabel[] = L"<New>";
// A frozen host holds a hand-over unanswered past the second start's wait.
constexpr DWORD HandOverHoldMs = HandOverWaitMs + 1000;

// A number of group "Global" of today's preferences file, read when needed
// so that a test may change it while the host runs.
bool ReadGlobalPreference(const char* key, long absent) {
    Prefs prefs = OpenPrefs(Host.Preferences);
    if (!prefs.IsOpen()) return absent != 0;
    SelectPrefsGroup(prefs, "Global");
    return ReadPrefsLong(prefs, key, absent) != 0;
}

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

size_t ClampPosition(const Editor& e, intptr_t pos) {
    return (size_t)std::clamp<intptr_t>(pos, 0, (intptr_t)e.Text.size());
}

// A test's freeze stops the thread right after the report, as an IDE busy
// just after a jump does: whoever asks about the report waits.
void ReportCaret(HWND editor) {
    Host.Counters[CounterCaretReports]++;
    NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, editor, OBJID_CARET, CHILDID_SELF);
    if (DWORD freeze = std::exchange(Host.FreezeMs, 0)) Sleep(freeze);
}

// Windows reports each move of the system caret, which Scintilla keeps only
// in the editor that has the focus; Wine does not, so the editor does.
void ReportSystemCaret(HWND editor) {
    if (GetFocus() == editor) ReportCaret(editor);
}

// True when the caret moved.
bool PlaceCaret(HWND editor, Editor* e, intptr_t pos) {
    size_t old = e->Caret;
    e->Caret = e->Anchor = ClampPosition(*e, pos);
    InvalidateRect(editor, nullptr, FALSE);
    return e->Caret != old;
}

void MoveCaret(HWND editor, Editor* e, intptr_t pos) {
    if (PlaceCaret(editor, e, pos)) ReportSystemCaret(editor);
}

// Where a caret key takes the caret, -1 for any other key. Up and down keep
// the column in bytes, clamped to the line.
intptr_t CaretKeyTarget(const Editor& e, UINT key, bool ctrl) {
    long line = LineOfPosition(e.Text, e.Caret);
    long column = (long)(e.Caret - LineStartOf(e.Text, line)) + 1;
    auto lineAway = [&](long lines) {
        long to = std::clamp<long>(line + lines, 0, LineCount(e.Text) - 1);
        return (intptr_t)PositionOfLineColumn(e.Text, to + 1, column);
    };
    switch (key) {
    case VK_LEFT:
        return e.Caret ? PositionRelative(e.Text, (long)e.Caret, -1, Host.Today) : 0;
    case VK_RIGHT:
        return e.Caret < e.Text.size() ? PositionRelative(e.Text, (long)e.Caret, 1, Host.Today)
                                       : (intptr_t)e.Caret;
    case VK_UP:
        return lineAway(-1);
    case VK_DOWN:
        return lineAway(1);
    case VK_PRIOR:
        return lineAway(-EditorPageLines);
    case VK_NEXT:
        return lineAway(EditorPageLines);
    case VK_HOME:
        return ctrl ? 0 : (intptr_t)LineStartOf(e.Text, line);
    case VK_END:
        return ctrl ? (intptr_t)e.Text.size()
                    : (intptr_t)LineEndOf(e.Text, LineStartOf(e.Text, line));
    }
    return -1;
}

// The IDE's own work per key, spent on this thread's CPU.
void WorkForCaretKey() {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    do
        QueryPerformanceCounter(&now);
    while ((now.QuadPart - start.QuadPart) * 1000 < frequency.QuadPart * Host.CaretKeyWorkMs);
}

// Today's Scintilla reports a caret key's move at once, focus or not; the
// system caret reports it again when the editor has the focus.
LRESULT PressCaretKey(HWND editor, Editor* e, UINT key, bool ctrl) {
    intptr_t pos = CaretKeyTarget(*e, key, ctrl);
    if (pos < 0) return -1;
    if (Host.CaretKeyWorkMs) WorkForCaretKey();
    bool moved = PlaceCaret(editor, e, pos);
    if (Host.Today) ReportCaret(editor);
    if (moved) ReportSystemCaret(editor);
    return (LRESULT)e->Caret;
}

// SCI_LINELENGTH: the line with its line end.
LRESULT LineLength(const Editor& e, long line) {
    if (line < 0 || line >= LineCount(e.Text)) return 0;
    size_t start = LineStartOf(e.Text, line);
    size_t end = line + 1 < LineCount(e.Text) ? LineStartOf(e.Text, line + 1) : e.Text.size();
    return (LRESULT)(end - start);
}

// SCI_GETRANGEPOINTER: null for a range outside the text, which Scintilla
// does not check.
LRESULT RangePointer(const Editor& e, intptr_t start, intptr_t length) {
    if (Host.PointerFailure || start < 0 || length < 0 || start + length > (intptr_t)e.Text.size())
        return 0;
    return (LRESULT)(e.Text.c_str() + start);
}

void ChangeText(HWND editor, Editor* e, std::string text) {
    e->Text = std::move(text);
    e->Modified = true;
    MoveCaret(editor, e, (intptr_t)e->Caret);
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
    if (!e) return DefWindowProcW(w, msg, wp, lp);
    if (msg >= SCI_START && msg < SCI_END && InSendMessageEx(nullptr) != ISMEX_NOSEND)
        Host.Counters[CounterEditorMessages]++;
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
    case WM_SETFOCUS:
        // Scintilla creates its system caret and puts it at the caret.
        ReportCaret(w);
        break;
    case WM_KEYDOWN:
        if (PressCaretKey(w, e, (UINT)wp, GetKeyState(VK_CONTROL) < 0) >= 0) return 0;
        break;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
        // Scintilla leaves them to DefWindowProc, which makes WM_APPCOMMAND
        // of the release and passes it up.
        Host.Counters[CounterSideButtons]++;
        break;
    case WM_MOUSEMOVE:
        Host.Counters[CounterPointerMoves]++;
        break;
    case SCI_GETLENGTH:
        return (LRESULT)e->Text.size();
    case SCI_GETTEXT:
        return CopyEditorText(*e, wp, reinterpret_cast<char*>(lp));
    case SCI_SETTEXT:
        e->Text = lp ? reinterpret_cast<const char*>(lp) : "";
        e->Modified = true;
        MoveCaret(w, e, 0);
        return 0;
    case SCI_GETCURRENTPOS:
        return (LRESULT)e->Caret;
    case SCI_GETANCHOR:
        return (LRESULT)e->Anchor;
    case SCI_SETSEL:
        MoveCaret(w, e, (int32_t)lp < 0 ? (intptr_t)e->Text.size() : (int32_t)lp);
        e->Anchor = ClampPosition(*e, (int32_t)wp);
        return 0;
    case SCI_GETSELECTIONSTART:
        return (LRESULT)std::min(e->Anchor, e->Caret);
    case SCI_GETSELECTIONEND:
        return (LRESULT)std::max(e->Anchor, e->Caret);
    case SCI_GETCHARAT:
        return (int32_t)wp >= 0 && (size_t)(int32_t)wp < e->Text.size() ? (char)e->Text[(int32_t)wp]
                                                                        : 0;
    case SCI_LINELENGTH:
        return LineLength(*e, (int32_t)wp);
    case SCI_GETCHARACTERPOINTER:
        return Host.PointerFailure ? 0 : (LRESULT)e->Text.c_str();
    case SCI_GETRANGEPOINTER:
        return RangePointer(*e, (int32_t)wp, (int32_t)lp);
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
        return PositionRelative(e->Text, (int32_t)wp, (int32_t)lp, Host.Today);
    case SCI_COUNTCHARACTERS:
        return CountCharacters(e->Text, (int32_t)wp, (int32_t)lp, Host.Today);
    }
    return DefWindowProcW(w, msg, wp, lp);
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

std::deque<std::string>& CurrentLog() {
    Editor* e = EditorFromIndex(Host.Current);
    return e ? e->Log : Host.NoSourceLog;
}

// The IDE's answer to WM_COMMAND 4876 from its main window or the panel.
void HandleSwitchCommand(HostCounter counter, LPARAM source) {
    Host.Counters[counter]++;
    if (Host.Today || Host.Frozen || (HWND)source != Host.TabBar) return;
    int index = (int)SendToTabBar(TCM_GETCURSEL, 0, 0);
    ShowEditor(index);
    if (EditorFromIndex(index)) FocusEditor(Host.Editors[index]);
}

int SelectTab(int index) {
    if (!EditorFromIndex(index)) return -1;
    if (!Host.Today) SendToTabBar(TCM_SETCURSEL, (WPARAM)index, 0);
    ShowEditor(index);
    if (Host.Today) RedrawLog();
    FocusEditor(Host.Editors[index]);
    return index;
}

// With newEditor, only that one among the editors is placed: the others are
// in place already, and moving each on every open made a thousand opens slow.
void LayoutWindows(HWND newEditor = nullptr) {
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
        if (!newEditor || editor == newEditor)
            MoveWindow(editor, 0, editorTop, r.right, logTop - editorTop, TRUE);
    MoveWindow(Host.LogList, 0, logTop, r.right, r.bottom - logTop, TRUE);
}

// ---- Files -----------------------------------------------------------------

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[32768];
    DWORD n = GetFullPathNameW(path.c_str(), 32768, full, nullptr);
    return n && n < 32768 ? std::wstring(full, n) : path;
}

std::wstring FileLabel(const std::wstring& path) {
    return path.empty() ? NewSourceLabel : path.substr(path.find_last_of(L"\\/") + 1);
}

void LabelClassicTab(int index, UINT msg) {
    std::string label = BytesFrom(FileLabel(EditorOf(Host.Editors[index])->Path), CP_ACP);
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = &label[0];
    SendToTabBar(msg, (WPARAM)index, (LPARAM)&item);
}

bool SameFileName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

int FindOpenFileTab(const std::wstring& path) {
    for (size_t i = 0; i < Host.Editors.size(); i++)
        if (SameFileName(EditorOf(Host.Editors[i])->Path, path)) return (int)i;
    return -1;
}

bool ReadFileWide(const std::wstring& path, std::string& text) {
    AutoCloseHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
    return file.IsValid() && ReadWholeFile(file.Get(), text);
}

// A new last tab, made current, then the tools of the trigger: its index, -1
// when no window could be made.
int AddSource(const std::wstring& path, std::string text, Trigger trigger) {
    // The caption holds the path, so that tests read it whole from outside.
    HWND window = CreateWindowExW(0, L"Scintilla", path.c_str(), WS_CHILD | WS_CLIPSIBLINGS, 0, 0,
                                  0, 0, Host.Main, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window) return -1;
    Editor* e = new Editor;
    e->Path = path;
    e->Text = std::move(text);
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)e);
    int index = (int)Host.Editors.size();
    Host.Editors.push_back(window);
    if (!Host.Today) LabelClassicTab(index, TCM_INSERTITEMA);
    LayoutWindows(window);
    SelectTab(index);
    RunTriggerTools(trigger, window);
    return index;
}

// Opens the file as a new last tab and makes it current; a file that is open
// already is made current, as the IDE does.
int OpenFile(const std::wstring& path) {
    std::wstring full = FullPath(path);
    int open = FindOpenFileTab(full);
    if (open >= 0) return SelectTab(open);
    std::string text;
    return ReadFileWide(full, text) ? AddSource(full, std::move(text), TriggerLoaded) : -1;
}

int SaveCurrent(const std::wstring& path) {
    HWND editor = CurrentEditorWindow();
    if (!editor || path.empty()) return -1;
    return SaveSource(editor, FullPath(path)) ? 1 : 0;
}

// The current source is closed: its tools of TriggerClosing run while its
// editor exists, then the source at its place (else the one before) becomes
// current. Result: the sources left open, -1 when none was current.
int CloseCurrent() {
    HWND editor = CurrentEditorWindow();
    if (!editor) return -1;
    RunTriggerTools(TriggerClosing, editor);
    // A waited tool may have made another source current meanwhile.
    auto at = std::find(Host.Editors.begin(), Host.Editors.end(), editor);
    if (at == Host.Editors.end()) return (int)Host.Editors.size();
    int index = (int)(at - Host.Editors.begin());
    bool wasCurrent = index == Host.Current;
    if (!Host.Today) SendToTabBar(TCM_DELETEITEM, (WPARAM)index, 0);
    Host.Editors.erase(at);
    if (Host.Current > index) Host.Current--;
    if (Host.FocusTarget == editor) Host.FocusTarget = nullptr;
    if (wasCurrent) {
        Host.Current = -1;
        SelectTab(std::min(index, (int)Host.Editors.size() - 1));
    }
    DestroyWindow(editor);
    if (Host.Today) {
        RedrawLog();
        InvalidateRect(Host.FileTabs, nullptr, TRUE);
    }
    return (int)Host.Editors.size();
}

// The IDE's own jump (Goto, the procedure browser): the caret to the start of
// the 1-based line, then the focus to the editor.
long GotoLine(long line) {
    HWND editor = CurrentEditorWindow();
    if (!editor) return -1;
    Editor* e = EditorOf(editor);
    MoveCaret(editor, e, (intptr_t)LineStartOf(e->Text, line - 1));
    FocusEditor(editor);
    return (long)e->Caret;
}

// A caret key typed into the editor that has the focus.
long TypeCaretKey(const std::string& arg) {
    HWND focused = GetFocus();
    if (std::find(Host.Editors.begin(), Host.Editors.end(), focused) == Host.Editors.end())
        return -1;
    char* rest = nullptr;
    UINT key = (UINT)strtoul(arg.c_str(), &rest, 10);
    return (long)PressCaretKey(focused, EditorOf(focused), key, *rest == ',' && rest[1] == '1');
}

// "editor LF line LF rest": the editor's data, the 0-based line and the rest.
Editor* ParseEditorEdit(const std::string& arg, HWND& editor, long& line, std::string& rest) {
    size_t first = arg.find('\n'), second = arg.find('\n', first + 1);
    if (second == std::string::npos) return nullptr;
    editor = (HWND)(uintptr_t)_strtoui64(arg.c_str(), nullptr, 10);
    line = strtol(arg.c_str() + first + 1, nullptr, 10) - 1;
    rest = arg.substr(second + 1);
    auto open = std::find(Host.Editors.begin(), Host.Editors.end(), editor);
    return open == Host.Editors.end() ? nullptr : EditorOf(editor);
}

int EditEditorText(const std::string& arg, bool insert) {
    HWND editor = nullptr;
    long line = 0;
    std::string rest;
    Editor* e = ParseEditorEdit(arg, editor, line, rest);
    if (!e) return -1;
    // The caret stays on its code, as an editor keeps it while lines move.
    long caretLine = LineOfPosition(e->Text, e->Caret);
    size_t column = e->Caret - LineStartOf(e->Text, caretLine);
    long moved = 0;
    if (insert) {
        ChangeText(editor, e, InsertAtLine(e->Text, line, rest));
        moved = caretLine >= line ? LineCount(rest) - 1 : 0;
    } else {
        long count = strtol(rest.c_str(), nullptr, 10);
        ChangeText(editor, e, DeleteLines(e->Text, line, count));
        moved = caretLine >= line + count ? -count : caretLine >= line ? line - caretLine : 0;
        if (caretLine >= line && caretLine < line + count) column = 0;
    }
    MoveCaret(editor, e, (intptr_t)(LineStartOf(e->Text, caretLine + moved) + column));
    return 0;
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
        std::wstring label = FileLabel(EditorOf(editor)->Path);
        SIZE size = {};
        GetTextExtentPoint32W(dc, label.c_str(), (int)label.size(), &size);
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
        if (r.left >= ps.rcPaint.right) break; // the rest lie beyond what is shown
        bool current = (int)i == Host.Current;
        FillRect(dc, &r, GetSysColorBrush(current ? COLOR_WINDOW : COLOR_BTNFACE));
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
        std::wstring label = FileLabel(EditorOf(Host.Editors[i])->Path);
        DrawTextW(dc, label.c_str(), (int)label.size(), &r,
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

std::wstring OwnExecutable() {
    wchar_t path[32768];
    DWORD n = GetModuleFileNameW(nullptr, path, 32768);
    return std::wstring(path, n < 32768 ? n : 0);
}

UINT RunOnceMessage() {
    return RegisterWindowMessageA(RunOnceMessageName);
}

// 'ONCE': files handed over by a tool or a second start, whatever "RunOnce"
// says. A sender that does not name this IDE is ignored: no DONE, nothing
// opened.
LRESULT TakeOnce(HWND replyTo, const COPYDATASTRUCT& data) {
    const wchar_t* wide = static_cast<const wchar_t*>(data.lpData);
    size_t length = wide ? wcsnlen(wide, data.cbData / sizeof(wchar_t)) : 0;
    OnceRequest request;
    if (!ParseOnceText(BytesFrom(std::wstring(wide ? wide : L"", length), CP_UTF8), request) ||
        !SameFileName(WideFrom(request.Ide, CP_UTF8), OwnExecutable()))
        return 0;
    if (Host.HandOverFrozen) {
        // Handles everything else meanwhile, so only the sender waits; a
        // test's unfreezing ends the hold at once.
        for (DWORD start = GetTickCount();
             Host.HandOverFrozen && GetTickCount() - start < HandOverHoldMs;)
            WaitPumpingMessages(nullptr, 50);
        return 0;
    }
    PostMessageA(replyTo, RunOnceMessage(), RunOnceDone, (LPARAM)Host.Main);
    for (const std::string& file : request.Files)
        OpenFile(WideFrom(file, CP_UTF8));
    GotoStartLine(request.Line);
    SetForegroundWindow(Host.Main);
    return 1;
}

// A second start asks for the host of its preferences file (the key on its
// window); only a host that runs one instance answers.
void AnswerOpen(HWND asking) {
    HANDLE key = (HANDLE)(uintptr_t)PreferencesKey(Host.Preferences);
    if (!IsWindow(asking) || GetPropA(asking, HostKeyProperty) != key) return;
    if (!ReadGlobalPreference("RunOnce", 1)) return;
    PostMessageA(asking, RunOnceMessage(), RunOnceWindow, (LPARAM)Host.Main);
}

void AddLogLine(const COPYDATASTRUCT& data) {
    const char* text = static_cast<const char*>(data.lpData);
    std::string line = text ? std::string(text, strnlen(text, data.cbData)) : "";
    if (ReadGlobalPreference("LogTimeStamp", 1)) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        char stamp[16];
        wsprintfA(stamp, "[%02u:%02u:%02u] ", now.wHour, now.wMinute, now.wSecond);
        line = stamp + line;
    }
    std::deque<std::string>& log = CurrentLog();
    log.push_back(line);
    if (log.size() > LogLinesPerSource) log.pop_front();
    RedrawLog();
}

// ---- The pointer, as a person moves it -----------------------------------------

// "button,count,ms": the side button pressed and released count times
// through the system's input, over the visible editor, whatever window is in
// front; then the window thread stops for ms, as a hung IDE.
int PressSideButton(const std::string& arg) {
    int button = 1;
    long count = 1;
    unsigned long freezeMs = 0;
    sscanf(arg.c_str(), "%d,%ld,%lu", &button, &count, &freezeMs);
    HWND editor = CurrentEditorWindow();
    RECT r;
    if (!editor || !GetWindowRect(editor, &r) ||
        !SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2))
        return -1;
    std::vector<INPUT> inputs;
    for (long i = 0; i < std::max(count, 1L); i++)
        for (DWORD flag : {MOUSEEVENTF_XDOWN, MOUSEEVENTF_XUP}) {
            INPUT input = {};
            input.type = INPUT_MOUSE;
            input.mi.mouseData = button == 2 ? XBUTTON2 : XBUTTON1;
            input.mi.dwFlags = flag;
            inputs.push_back(input);
        }
    UINT sent = SendInput((UINT)inputs.size(), inputs.data(), sizeof(INPUT));
    Sleep(freezeMs);
    return sent == inputs.size() ? 0 : -1;
}

// ---- Commands from other processes -----------------------------------------

LRESULT RunCommand(unsigned command, const std::string& arg) {
    long number = strtol(arg.c_str(), nullptr, 10);
    switch (command) {
    case CmdPing:
        return Host.Starting ? 0 : 1;
    case CmdOpenFile:
        return OpenFile(WideFrom(arg, CP_ACP));
    case CmdOpenFileUtf8:
        return OpenFile(WideFrom(arg, CP_UTF8));
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
    case CmdSetHandOverFrozen:
        Host.HandOverFrozen = number != 0;
        return 0;
    case CmdChangeToolVariable:
        Host.ToolVariableChanges.push_back(arg);
        return 0;
    case CmdGetFocus:
        return (LRESULT)GetFocus();
    case CmdSetPointerFailure:
        Host.PointerFailure = number != 0;
        return 0;
    case CmdInsertText:
    case CmdDeleteLines:
        return EditEditorText(arg, command == CmdInsertText);
    case CmdSaveFile:
        return CurrentEditor() ? SaveCurrent(CurrentEditor()->Path) : -1;
    case CmdSaveFileAs:
        return SaveCurrent(WideFrom(arg, CP_UTF8));
    case CmdCloseFile:
        return CloseCurrent();
    case CmdNewSource:
        return AddSource(L"", "", TriggerNewSource);
    case CmdGotoLine:
        return GotoLine(number);
    case CmdCaretKey:
        return TypeCaretKey(arg);
    case CmdSetCaretKeyWork:
        Host.CaretKeyWorkMs = (DWORD)std::max(number, 0L);
        return 0;
    case CmdFreezeAfterReport:
        Host.FreezeMs = (DWORD)std::max(number, 0L);
        return 0;
    case CmdPressSideButton:
        return PressSideButton(arg);
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
        if (Host.Today && data.dwData == OnceCopyData) return TakeOnce((HWND)wp, data);
        if (Host.Today && data.dwData == LogCopyData) {
            AddLogLine(data);
            return 1;
        }
        return RunCommand((unsigned)data.dwData, TextOf(data));
    }
    case WM_ACTIVATE:
        // Back to the window that had the focus, not the main window itself.
        if (LOWORD(wp) == WA_INACTIVE || !IsWindow(Host.FocusTarget)) break;
        SetFocus(Host.FocusTarget);
        return 0;
    default:
        if (Host.Today && msg == RunOnceMessage() && wp == RunOnceOpen) {
            AnswerOpen((HWND)lp);
            return 0;
        }
        break;
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
    // Unicode, so that the caption holds the path whole.
    WNDCLASSW editor = {};
    editor.lpfnWndProc = EditorProc;
    editor.hInstance = instance;
    editor.hCursor = LoadCursor(nullptr, IDC_IBEAM);
    editor.lpszClassName = L"Scintilla";
    WNDCLASSA tabs = main;
    tabs.lpfnWndProc = FileTabsProc;
    tabs.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    tabs.lpszClassName = FileTabsClassName;
    return RegisterClassA(&main) && RegisterClassA(&panel) && RegisterClassW(&editor) &&
           RegisterClassA(&tabs);
}

// What a second instance does: the running host opens the files, as when a
// file handed to the system reaches the IDE that is already running.
void HandFilesTo(HWND running, const std::vector<std::wstring>& files) {
    for (const std::wstring& wide : files) {
        std::string file = BytesFrom(wide, CP_ACP);
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
    if (!chosen.empty()) return BytesFrom(FullPath(WideFrom(chosen, CP_ACP)), CP_ACP);
    return Variable("APPDATA") + "\\PureBasic\\PureBasic.prefs";
}

// Today's host of this preferences file, null when none runs.
HWND FindTodayHost() {
    HANDLE key = (HANDLE)(uintptr_t)PreferencesKey(Host.Preferences);
    for (HWND w = FindWindowExA(nullptr, nullptr, HostTodayClassName, nullptr); w;
         w = FindWindowExA(nullptr, w, HostTodayClassName, nullptr))
        if (GetPropA(w, HostKeyProperty) == key) return w;
    return nullptr;
}

// The second start's side of the IDE's protocol: asks the hosts for their
// window and hands the files to the one that answers, in at most
// HandOverWaitMs. False when none answers: then it is a host itself.
bool HandOverOnce(const std::vector<std::wstring>& files, long line) {
    HWND own =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!own) return false;
    SetPropA(own, HostKeyProperty, (HANDLE)(uintptr_t)PreferencesKey(Host.Preferences));
    const UINT runOnce = RunOnceMessage();
    DWORD start = GetTickCount();
    // Sent rather than posted, to the hosts only: a host has posted its answer
    // when the call returns, so a slow host is never taken for none.
    for (HWND w = FindWindowExA(nullptr, nullptr, HostTodayClassName, nullptr); w;
         w = FindWindowExA(nullptr, w, HostTodayClassName, nullptr)) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(w, runOnce, RunOnceOpen, (LPARAM)own, SMTO_NORMAL, HandOverWaitMs,
                            &ignored);
    }
    MSG msg;
    HWND running = nullptr;
    while (!running && PeekMessageA(&msg, own, runOnce, runOnce, PM_REMOVE))
        if (msg.wParam == RunOnceWindow) running = (HWND)msg.lParam;
    if (!running) {
        DestroyWindow(own);
        return false;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(running, &processId);
    AllowSetForegroundWindow(processId);
    OnceRequest once;
    once.Ide = BytesFrom(OwnExecutable(), CP_UTF8);
    once.Line = line;
    for (const std::wstring& file : files)
        once.Files.push_back(BytesFrom(file, CP_UTF8));
    std::wstring text = WideFrom(OnceText(once), CP_UTF8);
    COPYDATASTRUCT data = {OnceCopyData, (DWORD)((text.size() + 1) * sizeof(wchar_t)),
                           (void*)text.c_str()};
    DWORD_PTR result = 0;
    DWORD elapsed = GetTickCount() - start;
    if (elapsed < HandOverWaitMs &&
        SendMessageTimeoutW(running, WM_COPYDATA, (WPARAM)own, (LPARAM)&data, SMTO_NORMAL,
                            HandOverWaitMs - elapsed, &result)) {
        // DONE was posted before the files were taken; it ends the wait.
        for (bool done = false; !done && GetTickCount() - start < HandOverWaitMs;) {
            if (!PeekMessageA(&msg, own, runOnce, runOnce, PM_REMOVE)) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_POSTMESSAGE);
                continue;
            }
            done = msg.wParam == RunOnceDone;
        }
    }
    DestroyWindow(own);
    return true;
}

// The host's parameters, read wide so that no name is lost.
std::vector<std::string> CommandLineParameters() {
    return SplitHostCommandLine(BytesFrom(GetCommandLineW(), CP_UTF8));
}

} // namespace

Editor* EditorOf(HWND editor) {
    return reinterpret_cast<Editor*>(GetWindowLongPtrA(editor, GWLP_USERDATA));
}

const Editor* CurrentEditor() {
    return EditorFromIndex(Host.Current);
}

HWND CurrentEditorWindow() {
    return Host.Current >= 0 ? Host.Editors[Host.Current] : nullptr;
}

void FocusEditor(HWND editor) {
    Host.FocusTarget = editor;
    SetFocus(editor);
}

bool SaveSource(HWND editor, const std::wstring& path) {
    Editor* e = EditorOf(editor);
    if (!e || path.empty()) return false;
    AutoCloseHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file.IsValid() ||
        !WriteFile(file.Get(), e->Text.data(), (DWORD)e->Text.size(), &written, nullptr))
        return false;
    file.Close(); // before the tools of "source saved" read it
    e->Modified = false;
    if (path != e->Path) {
        e->Path = path;
        SetWindowTextW(editor, path.c_str());
        auto at = std::find(Host.Editors.begin(), Host.Editors.end(), editor);
        if (!Host.Today) LabelClassicTab((int)(at - Host.Editors.begin()), TCM_SETITEMA);
        InvalidateRect(Host.Today ? Host.FileTabs : Host.TabBar, nullptr, TRUE);
    }
    RunTriggerTools(TriggerSaved, editor);
    return true;
}

void RedrawLog() {
    SendMessageA(Host.LogList, WM_SETREDRAW, FALSE, 0);
    SendMessageA(Host.LogList, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : CurrentLog())
        SendMessageA(Host.LogList, LB_ADDSTRING, 0, (LPARAM)line.c_str());
    SendMessageA(Host.LogList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Host.LogList, nullptr, TRUE);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    std::vector<std::string> params = CommandLineParameters();
    StartRequest request;
    Host.Today = Variable(HostModeVariable) == HostModeToday;
    if (Host.Today)
        request = ParseStartRequest(params);
    else // the classic host takes every parameter as a file
        request.Files.assign(params.begin() + std::min<size_t>(1, params.size()), params.end());
    std::vector<std::wstring> files;
    for (const std::string& file : request.Files)
        files.push_back(FullPath(WideFrom(file, CP_UTF8)));
    if (Host.Today) {
        Host.Preferences = TodayPreferencesPath();
        // Nothing to ask when no host of this preferences file runs.
        if (FindTodayHost() && HandOverOnce(files, request.Line)) return 0;
    } else if (HWND running = FindWindowA(HostClassName, nullptr)) {
        HandFilesTo(running, files);
        return 0;
    }
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    if (!RegisterClasses(instance)) return 1;
    // Created hidden and shown only when every child and file is in place, so
    // a test that waits for the visible window finds all of them.
    HWND main = CreateWindowExA(0, Host.Today ? HostTodayClassName : HostClassName, HostTitle,
                                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                                960, 720, nullptr, nullptr, instance, nullptr);
    if (!main) return 1;
    for (const std::wstring& file : files)
        OpenFile(file);
    GotoStartLine(request.Line);
    ShowWindow(main, show);
    UpdateWindow(main);
    RunTriggerTools(TriggerStarted, nullptr);
    Host.Starting = false;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
