#include "testing/tolvane_driver.h"

#include "common/auto_handle.h"
#include "testing/test_support.h"

#include <algorithm>
#include <cstdio>

namespace {

// Never blocks a test for good on a hung or busy program.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 20000, &result);
    return (LRESULT)result;
}

struct TopWindowSearch {
    DWORD ProcessId;
    std::string Title;     // compared when no class is given
    std::string ClassName; // "*": any window
    std::vector<HWND> Found;
};

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<TopWindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search.ProcessId) return TRUE;
    if (search.ClassName == "*") {
        if (IsWindowVisible(window)) search.Found.push_back(window);
        return TRUE;
    }
    if (!search.ClassName.empty() && ClassNameOf(window) != search.ClassName) return TRUE;
    char title[512] = "";
    GetWindowTextA(window, title, sizeof title);
    if (search.ClassName.empty() && search.Title != title) return TRUE;
    search.Found.push_back(window);
    return TRUE;
}

std::vector<HWND> TopWindows(DWORD processId, const std::string& title,
                             const std::string& className) {
    TopWindowSearch search{processId, title, className, {}};
    EnumWindows(CollectTopWindow, (LPARAM)&search);
    return search.Found;
}

} // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return done();
        Sleep(5);
    }
    return true;
}

HWND FindTopWindow(DWORD processId, const std::string& title) {
    auto found = TopWindows(processId, title, "");
    return found.empty() ? nullptr : found.front();
}

HWND WaitTopWindow(DWORD processId, const std::string& title, DWORD timeoutMs) {
    HWND window = nullptr;
    AutoCloseHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    bool ended = false;
    WaitUntil(
        [&] {
            if ((window = FindTopWindow(processId, title)) != nullptr) return true;
            ended = process.IsValid() && WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
            return ended;
        },
        timeoutMs);
    if (window)
        Sync(window);
    else
        std::fprintf(stderr, "no window \"%s\" of process %lu: %s\n", title.c_str(),
                     (unsigned long)processId,
                     ended ? "it ended"
                           : ("none within " + std::to_string(timeoutMs) + " ms").c_str());
    return window;
}

void Sync(HWND window) {
    Send(window, WM_NULL, 0, 0);
}

std::vector<HWND> ProcessWindows(DWORD processId) {
    return TopWindows(processId, "", "*");
}

std::vector<HWND> ProcessDialogs(DWORD processId) {
    auto found = TopWindows(processId, "", "#32770");
    found.erase(
        std::remove_if(found.begin(), found.end(), [](HWND w) { return !IsWindowVisible(w); }),
        found.end());
    return found;
}

HWND WaitDialog(DWORD processId, DWORD timeoutMs) {
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            auto dialogs = ProcessDialogs(processId);
            dialog = dialogs.empty() ? nullptr : dialogs.front();
            return dialog != nullptr;
        },
        timeoutMs);
    if (dialog) Sync(dialog);
    return dialog;
}

bool WaitWindowGone(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window); }, timeoutMs);
}

HWND FindControl(HWND top, int id) {
    for (HWND child : ChildWindows(top)) {
        if (GetDlgCtrlID(child) == id) return child;
        if (HWND found = FindControl(child, id)) return found;
    }
    return nullptr;
}

HWND WaitControl(HWND top, int id, DWORD timeoutMs) {
    HWND control = nullptr;
    WaitUntil([&] { return (control = FindControl(top, id)) != nullptr; }, timeoutMs);
    return control;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

std::string ClassNameOf(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

RECT RectInParent(HWND window) {
    RECT rc;
    GetWindowRect(window, &rc);
    if (HWND parent = GetAncestor(window, GA_PARENT); parent && parent != GetDesktopWindow())
        MapWindowPoints(HWND_DESKTOP, parent, (POINT*)&rc, 2);
    return rc;
}

SIZE ClientSize(HWND window) {
    RECT rc;
    GetClientRect(window, &rc);
    return {rc.right, rc.bottom};
}

RECT ScreenRect(HWND window) {
    RECT rc;
    GetWindowRect(window, &rc);
    return rc;
}

std::string TextOf(HWND window) {
    int length = (int)Send(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(length + 1, '\0');
    text.resize(Send(window, WM_GETTEXT, text.size(), (LPARAM)&text[0]));
    return text;
}

int CheckStateOf(HWND button) {
    return (int)Send(button, BM_GETCHECK, 0, 0);
}

int ComboSelection(HWND combo) {
    return (int)Send(combo, CB_GETCURSEL, 0, 0);
}

std::vector<std::string> ComboItems(HWND combo) {
    // The ANSI form can come back as UTF-16 across processes under Wine.
    std::vector<std::string> items;
    int count = (int)Send(combo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_NORMAL, 20000, &length);
        std::wstring wide(length + 1, L'\0');
        DWORD_PTR got = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXT, i, (LPARAM)&wide[0], SMTO_NORMAL, 20000, &got);
        wide.resize(got);
        std::string item(wide.size() * 2 + 1, '\0');
        item.resize(WideCharToMultiByte(CP_ACP, 0, wide.c_str(), (int)wide.size(), &item[0],
                                        (int)item.size(), nullptr, nullptr));
        items.push_back(item);
    }
    return items;
}

namespace {

GUITHREADINFO ThreadInfoOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info;
}

} // namespace

HWND ActiveWindowOf(HWND window) {
    return ThreadInfoOf(window).hwndActive;
}

HWND FocusOf(HWND window) {
    return ThreadInfoOf(window).hwndFocus;
}

void PressTab(HWND window) {
    HWND focus = FocusOf(window);
    PostMessageA(focus, WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageA(focus, WM_KEYUP, VK_TAB, 0xC00F0001);
    // Posted keys come after any sent message, so no round trip tells when
    // they are handled; the focus moving does.
    WaitUntil([&] { return FocusOf(window) != focus; }, 2000);
}

void Click(HWND button) {
    Send(button, BM_CLICK, 0, 0);
}

void PostClick(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

void SelectComboItem(HWND combo, int index) {
    Send(combo, CB_SETCURSEL, index, 0);
    Send(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
         (LPARAM)combo);
}

void TypeText(HWND edit, const std::string& text) {
    Send(edit, WM_SETTEXT, 0, (LPARAM)text.c_str());
}

void PostClose(HWND window) {
    PostMessageA(window, WM_CLOSE, 0, 0);
}

std::string DialogText(HWND dialog) {
    std::string text;
    for (HWND child : ChildWindows(dialog)) {
        if (_stricmp(ClassNameOf(child).c_str(), "Static") != 0) continue;
        std::string part = TextOf(child);
        if (part.empty()) continue;
        if (!text.empty()) text += "\n";
        text += part;
    }
    return text;
}

void AnswerDialog(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

TolvaneFolders::TolvaneFolders()
    : Work(WorkDir.Path()), AppData(AppDataDir.Path().substr(0, AppDataDir.Path().size() - 1)) {
    for (const std::string& folder :
         {Work + "Sprachen", Work + "Icons", Work + "Plugins", AppData + "\\PureBasic"})
        CreateDirectoryA(folder.c_str(), nullptr);
}

std::vector<std::string> SampleLanguageLines() {
    return {"Title",   "Header one",  "Header two", "Enable",    "Menu",
            "Toolbar", "Shortcut",    "Key...",     "Arguments", "Install notice",
            "Path",    "Clearer too", "Recorder",   "Back",      "Forward",
            "Setup",   "Install",     "Close",      "About",     "About one\\nAbout two"};
}

std::string LanguageFileBytes(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

std::string IconFileBytes(COLORREF colour) {
    const int size = 32, pixelBytes = size * size * 4, maskBytes = size * 4;
    std::string ico;
    auto put16 = [&](int v) { ico += char(v & 0xFF), ico += char(v >> 8 & 0xFF); };
    auto put32 = [&](int v) { put16(v & 0xFFFF), put16(v >> 16 & 0xFFFF); };
    put16(0), put16(1), put16(1); // icon directory, one image
    ico += char(size), ico += char(size), ico += '\0', ico += '\0';
    put16(1), put16(32);                           // planes, bits per pixel
    put32(40 + pixelBytes + maskBytes), put32(22); // size and offset of the image
    put32(40), put32(size), put32(size * 2), put16(1), put16(32);
    for (int i = 0; i < 6; ++i)
        put32(0); // the rest of BITMAPINFOHEADER
    for (int i = 0; i < size * size; ++i) {
        ico += char(GetBValue(colour)), ico += char(GetGValue(colour));
        ico += char(GetRValue(colour)), ico += char(0xFF);
    }
    ico.append(maskBytes, '\0');
    return ico;
}

void WriteCatalogueIcons(const std::string& workFolder) {
    WriteFileBytes(workFolder + "Icons\\Anker.ico", IconFileBytes(RGB(200, 40, 40)));
    WriteFileBytes(workFolder + "Icons\\Back.ico", IconFileBytes(RGB(40, 160, 40)));
    WriteFileBytes(workFolder + "Icons\\Forward.ico", IconFileBytes(RGB(40, 40, 200)));
    WriteFileBytes(workFolder + "Icons\\Tolvane.ico", IconFileBytes(RGB(200, 160, 0)));
    WriteFileBytes(workFolder + "Icons\\Recent.ico", IconFileBytes(RGB(120, 40, 160)));
}

bool AnswerMessage(DWORD processId, MessageSeen& seen, int idWhenAsked, DWORD timeoutMs) {
    HWND box = WaitDialog(processId, timeoutMs);
    if (!box) return false;
    seen = {TextOf(box), DialogText(box), FindControl(box, IDCANCEL) != nullptr};
    AnswerDialog(box, seen.Asks ? idWhenAsked : IDOK);
    return WaitWindowGone(box, timeoutMs);
}

HANDLE StartWithAppData(const std::string& exe, const std::string& commandLine,
                        const std::string& workFolder, const std::string& appData) {
    // Wine sets APPDATA afresh for a child from its parent's own block, so the
    // variable is changed here, on the Windows side, for the moment of the start.
    // A value of any length is put back as it was.
    std::string old(GetEnvironmentVariableA("APPDATA", nullptr, 0), '\0');
    const bool hadOld = !old.empty();
    if (hadOld) old.resize(GetEnvironmentVariableA("APPDATA", &old[0], DWORD(old.size())));
    SetEnvironmentVariableA("APPDATA", appData.c_str());
    HANDLE process = StartProcess(exe, commandLine, workFolder);
    SetEnvironmentVariableA("APPDATA", hadOld ? old.c_str() : nullptr);
    return process;
}

// Whoever starts Tolvane waits for the window it wants next, as long as the
// process lives.
HANDLE StartTolvane(const std::string& workFolder, const std::string& appData,
                    const std::string& arguments) {
    std::string exe = SiblingExe("Tolvane.exe");
    return StartWithAppData(exe, "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments),
                            workFolder, appData);
}

namespace {

BOOL CALLBACK FindTitledWindow(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<std::pair<std::string, DWORD>*>(param);
    char title[512] = "";
    GetWindowTextA(window, title, sizeof title);
    if (search.first != title) return TRUE;
    GetWindowThreadProcessId(window, &search.second);
    return FALSE;
}

} // namespace

HANDLE WaitProcessWithWindow(const std::string& title, DWORD timeoutMs) {
    std::pair<std::string, DWORD> search{title, 0};
    WaitUntil([&] { return !EnumWindows(FindTitledWindow, (LPARAM)&search) && search.second; },
              timeoutMs);
    return search.second ? OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE,
                                       FALSE, search.second)
                         : nullptr;
}

int WaitExit(HANDLE process, DWORD timeoutMs) {
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return (int)code;
}

std::vector<ToolRowWindows> FindToolRows(HWND mainWindow) {
    std::vector<ToolRowWindows> rows;
    HWND area = FindControl(mainWindow, 11);
    HWND inner = area ? GetWindow(area, GW_CHILD) : nullptr;
    if (!inner) return rows;
    for (HWND row : ChildWindows(inner)) {
        auto c = ChildWindows(row);
        if (c.size() != 8) continue;
        auto f = ChildWindows(c[3]);
        if (f.size() != 4) continue;
        rows.push_back(
            {row, c[0], c[1], c[2], c[3], f[0], f[1], f[2], f[3], c[4], c[5], c[6], c[7]});
    }
    std::sort(rows.begin(), rows.end(), [](const ToolRowWindows& a, const ToolRowWindows& b) {
        return RectInParent(a.Row).top < RectInParent(b.Row).top;
    });
    return rows;
}

// Wine draws text straight to the X server, past what GDI can read back from
// the screen, so the picture comes from the X side: Wine starts ImageMagick's
// import like any program. OUT_DIR is an absolute Unix path, which both sides
// read as the same folder while the current drive is Z:.
bool SaveScreenRect(const RECT& rc, const std::string& path) {
    std::string command = "Z:\\usr\\bin\\import -window root -crop " +
                          std::to_string(rc.right - rc.left) + "x" +
                          std::to_string(rc.bottom - rc.top) + "+" + std::to_string(rc.left) + "+" +
                          std::to_string(rc.top) + " " + path;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // The handle of a Unix process is signalled at once: wait for the file to
    // be complete instead.
    size_t last = 0;
    return WaitUntil([&] {
        size_t size = ReadFileBytes(path).size();
        bool settled = size > 0 && size == last;
        last = size;
        Sleep(200);
        return settled;
    });
}
