// Discovery and logging against window trees built in this process, laid
// out the way the IDE lays out its editors, tab bar and log list.
#include "common/auto_handle.h"
#include "ide/ide_access.h"
#include "testing/test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const std::string QuilletPath = SiblingExe("Quillet.exe");

// Registers the window classes once: an editor class written in capitals
// (class names are matched without regard to case) and one whose name only
// begins with the editor's.
void RegisterTestClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    for (const char* name : {"TolvaneTestFrame", "SCINTILLA", "ScintillaX"}) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = name;
        RegisterClassA(&wc);
    }
}

// A top-level frame, destroyed with everything in it when the object goes.
class WindowTree {
  public:
    WindowTree() {
        RegisterTestClasses();
        Main = CreateWindowExA(0, "TolvaneTestFrame", "IDE", WS_OVERLAPPEDWINDOW, 100, 100, 800,
                               600, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    WindowTree(const WindowTree&) = delete;
    WindowTree& operator=(const WindowTree&) = delete;
    ~WindowTree() { DestroyWindow(Main); }

    // A child at client position (x, y); style bits beyond WS_CHILD|WS_VISIBLE
    // as the control needs them.
    HWND Add(const char* className, int x, int y, HWND parent = nullptr, DWORD style = 0) {
        return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, x, y, 200, 100,
                               parent ? parent : Main, nullptr, GetModuleHandleA(nullptr), nullptr);
    }

    // The main window's descendants in the order the system enumerates them.
    std::vector<HWND> Enumerated() const {
        std::vector<HWND> windows;
        EnumChildWindows(
            Main,
            [](HWND w, LPARAM list) {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
                return TRUE;
            },
            LPARAM(&windows));
        return windows;
    }

    HWND Main;
};

std::vector<std::string> ListBoxLines(HWND listBox) {
    std::vector<std::string> lines;
    LRESULT count = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::string line(SendMessageA(listBox, LB_GETTEXTLEN, i, 0), '\0');
        SendMessageA(listBox, LB_GETTEXT, i, LPARAM(&line[0]));
        lines.push_back(line);
    }
    return lines;
}

std::string Decimal(HWND window) {
    return std::to_string(reinterpret_cast<intptr_t>(window));
}

class IdeAccessTest : public testing::Test {
  protected:
    void SetUp() override {
        Ide = IdeContext{};
        SetEnvironmentVariableA("PB_TOOL_MainWindow", nullptr);
        SetEnvironmentVariableA("PB_TOOL_Scintilla", nullptr);
    }
    void TearDown() override { SetUp(); }
};

TEST_F(IdeAccessTest, FindsTheTabBarAndLogListFlushWithTheFirstEditor) {
    WindowTree ide;
    HWND lookalike = ide.Add("ScintillaX", 10, 0);
    HWND tabOffByOne = ide.Add(WC_TABCONTROLA, 11, 0);
    HWND listLeftOfEditor = ide.Add("ListBox", 9, 300);
    HWND editor = ide.Add("SCINTILLA", 10, 30);
    HWND tab = ide.Add(WC_TABCONTROLA, 10, 5);
    HWND secondEditor = ide.Add("SCINTILLA", 10, 30);
    // The list boxes sit in a borderless panel, so only their screen
    // position, not their position in their parent, lines up with the editor.
    HWND panel = ide.Add("TolvaneTestFrame", 5, 250);
    HWND firstList = ide.Add("ListBox", 5, 10, panel, LBS_NOINTEGRALHEIGHT);
    HWND secondList = ide.Add("ListBox", 5, 60, panel, LBS_NOINTEGRALHEIGHT);
    const std::vector<HWND> order = ide.Enumerated();
    ASSERT_EQ(order.size(), 9u);

    EXPECT_TRUE(DiscoverIdeWindows(ide.Main));

    EXPECT_EQ(Ide.ChildWindows, order);
    std::vector<HWND> editors;
    for (HWND w : order)
        if (w == editor || w == secondEditor) editors.push_back(w);
    EXPECT_EQ(Ide.Editors, editors);
    EXPECT_EQ(Ide.TabBar, tab);
    HWND firstFlushList = std::find(order.begin(), order.end(), firstList) <
                                  std::find(order.begin(), order.end(), secondList)
                              ? firstList
                              : secondList;
    EXPECT_EQ(Ide.LogList, firstFlushList);
    for (HWND notTaken : {lookalike, tabOffByOne, listLeftOfEditor})
        EXPECT_TRUE(Ide.TabBar != notTaken && Ide.LogList != notTaken);
}

TEST_F(IdeAccessTest, KeepsWhatTheFirstDiscoveryFound) {
    WindowTree first;
    first.Add("SCINTILLA", 10, 30);
    HWND tab = first.Add(WC_TABCONTROLA, 10, 0);
    HWND log = first.Add("ListBox", 10, 300);
    ASSERT_TRUE(DiscoverIdeWindows(first.Main));

    WindowTree second;
    second.Add(WC_TABCONTROLA, 20, 0);
    second.Add("ListBox", 20, 300);
    HWND otherEditor = second.Add("SCINTILLA", 20, 30);
    EXPECT_TRUE(DiscoverIdeWindows(second.Main));

    EXPECT_EQ(Ide.TabBar, tab);
    EXPECT_EQ(Ide.LogList, log);
    // The lists describe the latest enumeration only.
    EXPECT_EQ(Ide.ChildWindows, second.Enumerated());
    EXPECT_EQ(Ide.Editors, std::vector<HWND>{otherEditor});
}

TEST_F(IdeAccessTest, ReportsWhatIsMissing) {
    {
        WindowTree noEditor;
        noEditor.Add(WC_TABCONTROLA, 10, 0);
        noEditor.Add("ListBox", 10, 300);
        EXPECT_FALSE(DiscoverIdeWindows(noEditor.Main));
        EXPECT_EQ(Ide.TabBar, nullptr);
        EXPECT_EQ(Ide.LogList, nullptr);
        EXPECT_TRUE(Ide.Editors.empty());
    }
    {
        WindowTree noLog;
        noLog.Add("SCINTILLA", 10, 30);
        HWND tab = noLog.Add(WC_TABCONTROLA, 10, 0);
        noLog.Add("ListBox", 11, 300);
        EXPECT_FALSE(DiscoverIdeWindows(noLog.Main));
        EXPECT_EQ(Ide.TabBar, tab);
        EXPECT_EQ(Ide.LogList, nullptr);
    }
    HWND gone;
    {
        WindowTree closed;
        closed.Add("SCINTILLA", 10, 30);
        gone = closed.Main;
    }
    EXPECT_FALSE(DiscoverIdeWindows(gone));
    EXPECT_TRUE(Ide.ChildWindows.empty());
    // No main window: nothing on the desktop is searched.
    EXPECT_FALSE(DiscoverIdeWindows(nullptr));
    EXPECT_TRUE(Ide.ChildWindows.empty());
}

TEST_F(IdeAccessTest, ReadsTheHandlesFromTheEnvironment) {
    struct Case {
        const char* MainWindow; // nullptr: variable absent
        const char* Scintilla;
        intptr_t ExpectedMain, ExpectedEditor;
    };
    const Case cases[] = {
        {"131234", "$1F", 131234, 31},
        {" \t+42", "%101", 42, 5},
        {nullptr, "", 0, 0},
        {"garbage", "0x1F", 0, 0},
    };
    for (const Case& c : cases) {
        SetEnvironmentVariableA("PB_TOOL_MainWindow", c.MainWindow);
        SetEnvironmentVariableA("PB_TOOL_Scintilla", c.Scintilla);
        ReadToolEnvironment();
        EXPECT_EQ(reinterpret_cast<intptr_t>(Ide.MainWindow), c.ExpectedMain);
        EXPECT_EQ(reinterpret_cast<intptr_t>(Ide.CurrentEditor), c.ExpectedEditor);
    }
}

TEST_F(IdeAccessTest, ReadsLongEnvironmentValuesWhole) {
    std::string fileList;
    for (int i = 0; i < 300; ++i)
        fileList += "C:\\Projects\\file" + std::to_string(i) + ".pb\n";
    SetEnvironmentVariableA("PB_TOOL_FileList", fileList.c_str());
    EXPECT_EQ(ReadEnvironmentText("PB_TOOL_FileList"), fileList);
    SetEnvironmentVariableA("PB_TOOL_FileList", nullptr);
    EXPECT_EQ(ReadEnvironmentText("PB_TOOL_FileList"), "");
}

TEST_F(IdeAccessTest, AddLogLineInsertsAtThePosition) {
    WindowTree ide;
    HWND list = ide.Add("ListBox", 0, 0);
    AddLogLine(list, -1, "b");
    AddLogLine(list, 0, "a");
    AddLogLine(list, -1, "c");
    AddLogLine(nullptr, -1, "nowhere");
    EXPECT_EQ(ListBoxLines(list), (std::vector<std::string>{"a", "b", "c"}));
}

// True when line is "[H:M:S] [PLUGIN] " + message with the time one of the
// two given moments, numbers without leading zeros.
bool IsLogLineAt(const std::string& line, const std::string& message,
                 std::initializer_list<SYSTEMTIME> moments) {
    for (const SYSTEMTIME& t : moments) {
        char prefix[64];
        snprintf(prefix, sizeof prefix, "[%d:%d:%d] [PLUGIN] ", t.wHour, t.wMinute, t.wSecond);
        if (line == prefix + message) return true;
    }
    return false;
}

TEST_F(IdeAccessTest, LogMessageWritesATimestampedLineIntoTheLogList) {
    WindowTree ide;
    ide.Add("SCINTILLA", 10, 30);
    ide.Add(WC_TABCONTROLA, 10, 0);
    HWND log = ide.Add("ListBox", 10, 300);
    SetEnvironmentVariableA("PB_TOOL_MainWindow", Decimal(ide.Main).c_str());
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    LogMessage("Historyfile not found");
    LogMessage("");
    GetLocalTime(&after);
    std::vector<std::string> lines = ListBoxLines(log);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(IsLogLineAt(lines[0], "Historyfile not found", {before, after})) << lines[0];
    EXPECT_TRUE(IsLogLineAt(lines[1], "", {before, after})) << lines[1];
}

// Runs Quillet, serving meanwhile any message it sends to this process's
// windows.
ProcessResult RunPumpingMessages(const std::string& commandLine, const std::string& dir) {
    ProcessResult result;
    AutoCloseHandle process(StartProcess(QuilletPath, commandLine, dir));
    if (!process.IsValid()) return result;
    result.Started = true;
    HANDLE h = process.Get();
    ULONGLONG giveUpAt = GetTickCount64() + 20000;
    while (GetTickCount64() < giveUpAt) {
        if (MsgWaitForMultipleObjects(1, &h, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) {
            result.Finished = true;
            GetExitCodeProcess(h, &result.ExitCode);
            return result;
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    TerminateProcess(h, 1);
    return result;
}

TEST_F(IdeAccessTest, QuilletEndsCleanlyWhenTheIdeWindowsCannotBeReached) {
    HWND gone;
    {
        WindowTree closed;
        gone = closed.Main;
    }
    const std::string handles[] = {"garbage",    "$1F", "%101", "-1", "99999999999999999999",
                                   Decimal(gone)};
    for (const std::string& handle : handles) {
        SCOPED_TRACE(handle);
        SetEnvironmentVariableA("PB_TOOL_MainWindow", handle.c_str());
        SetEnvironmentVariableA("PB_TOOL_Scintilla", handle.c_str());
        TempDir dir;
        ASSERT_TRUE(CreateDirectoryA((dir / "History_Back.txt").c_str(), nullptr));
        ProcessResult result =
            RunPumpingMessages("\"" + QuilletPath + "\" \"a.pb\"\"1\"", dir.Path());
        EXPECT_TRUE(result.Finished);
        EXPECT_EQ(result.ExitCode, 0u);
    }
}

} // namespace
