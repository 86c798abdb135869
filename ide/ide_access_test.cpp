// Discovery and logging against window trees built in this process, laid
// out the way the IDE lays out its editors, tab bar and log list.
#include "common/auto_handle.h"
#include "ide/editor_session.h"
#include "ide/ide_access.h"
#include "testing/host_ide/host_client.h"
#include "testing/test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const std::string QuilletPath = SiblingExe("Quillet.exe");
const std::string EndHelperPath = SiblingExe("ide_end_helper.exe");

// What the frames were sent with WM_COPYDATA: the code and the text.
std::vector<std::pair<ULONG_PTR, std::string>> CopiedData;

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        CopiedData.emplace_back(data->dwData,
                                std::string(static_cast<const char*>(data->lpData), data->cbData));
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

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
        wc.lpfnWndProc = FrameProc;
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

// The connection a tool would have to the tree's main window.
IdeConnection ConnectionTo(HWND mainWindow) {
    IdeConnection ide;
    ide.MainWindow = mainWindow;
    return ide;
}

class IdeAccessTest : public testing::Test {
  protected:
    void SetUp() override {
        for (const char* name :
             {"PB_TOOL_MainWindow", "PB_TOOL_Scintilla", "PB_TOOL_FileList", "PB_TOOL_IDE"})
            SetEnvironmentVariableA(name, nullptr);
        CopiedData.clear();
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

    IdeConnection found = ConnectionTo(ide.Main);
    EXPECT_TRUE(DiscoverIdeWindows(found));

    std::vector<HWND> editors;
    for (HWND w : order)
        if (w == editor || w == secondEditor) editors.push_back(w);
    EXPECT_EQ(found.Editors, editors);
    EXPECT_EQ(found.TabBar, tab);
    HWND firstFlushList = std::find(order.begin(), order.end(), firstList) <
                                  std::find(order.begin(), order.end(), secondList)
                              ? firstList
                              : secondList;
    EXPECT_EQ(found.LogList, firstFlushList);
    for (HWND notTaken : {lookalike, tabOffByOne, listLeftOfEditor})
        EXPECT_TRUE(found.TabBar != notTaken && found.LogList != notTaken);
}

TEST_F(IdeAccessTest, KeepsWhatTheFirstDiscoveryFound) {
    WindowTree first;
    first.Add("SCINTILLA", 10, 30);
    HWND tab = first.Add(WC_TABCONTROLA, 10, 0);
    HWND log = first.Add("ListBox", 10, 300);
    IdeConnection found = ConnectionTo(first.Main);
    ASSERT_TRUE(DiscoverIdeWindows(found));

    WindowTree second;
    second.Add(WC_TABCONTROLA, 20, 0);
    second.Add("ListBox", 20, 300);
    HWND otherEditor = second.Add("SCINTILLA", 20, 30);
    found.MainWindow = second.Main;
    EXPECT_TRUE(DiscoverIdeWindows(found));

    EXPECT_EQ(found.TabBar, tab);
    EXPECT_EQ(found.LogList, log);
    // The editors are those of the latest enumeration only.
    EXPECT_EQ(found.Editors, std::vector<HWND>{otherEditor});
}

TEST_F(IdeAccessTest, ReportsWhatIsMissing) {
    {
        WindowTree noEditor;
        noEditor.Add(WC_TABCONTROLA, 10, 0);
        noEditor.Add("ListBox", 10, 300);
        IdeConnection found = ConnectionTo(noEditor.Main);
        EXPECT_FALSE(DiscoverIdeWindows(found));
        EXPECT_EQ(found.TabBar, nullptr);
        EXPECT_EQ(found.LogList, nullptr);
        EXPECT_TRUE(found.Editors.empty());
    }
    {
        WindowTree noLog;
        noLog.Add("SCINTILLA", 10, 30);
        HWND tab = noLog.Add(WC_TABCONTROLA, 10, 0);
        noLog.Add("ListBox", 11, 300);
        IdeConnection found = ConnectionTo(noLog.Main);
        EXPECT_FALSE(DiscoverIdeWindows(found));
        EXPECT_EQ(found.TabBar, tab);
        EXPECT_EQ(found.LogList, nullptr);
    }
    HWND gone;
    {
        WindowTree closed;
        closed.Add("SCINTILLA", 10, 30);
        gone = closed.Main;
    }
    IdeConnection toGone = ConnectionTo(gone);
    EXPECT_FALSE(DiscoverIdeWindows(toGone));
    EXPECT_TRUE(toGone.Editors.empty());
    // No main window: nothing on the desktop is searched.
    IdeConnection toNothing;
    EXPECT_FALSE(DiscoverIdeWindows(toNothing));
    EXPECT_FALSE(IsTodaysIde(toNothing));
}

TEST_F(IdeAccessTest, ReadsTheHandlesFromTheEnvironment) {
    struct Case {
        const char* MainWindow; // nullptr: variable absent
        const char* Scintilla;
        intptr_t ExpectedMain, ExpectedEditor;
    };
    const Case cases[] = {
        {"131234", "$1F", 131234, 31}, {"0", "4294967297", 0, 4294967297},
        {" \t+42", "%101", 42, 5},     {nullptr, "", 0, 0},
        {"garbage", "0x1F", 0, 0},
    };
    for (const Case& c : cases) {
        SetEnvironmentVariableA("PB_TOOL_MainWindow", c.MainWindow);
        SetEnvironmentVariableA("PB_TOOL_Scintilla", c.Scintilla);
        IdeConnection ide = ConnectToIde();
        EXPECT_EQ(reinterpret_cast<intptr_t>(ide.MainWindow), c.ExpectedMain);
        EXPECT_EQ(reinterpret_cast<intptr_t>(ide.Editor), c.ExpectedEditor);
    }
}

TEST_F(IdeAccessTest, ReadsLongEnvironmentValuesWhole) {
    std::string fileList;
    for (int i = 0; i < 300; ++i)
        fileList += "C:\\Projects\\file" + std::to_string(i) + ".pb\n";
    SetEnvironmentVariableA("PB_TOOL_FileList", fileList.c_str());
    SetEnvironmentVariableA("PB_TOOL_IDE", "C:\\PureBasic\\PureBasic.exe");
    IdeConnection ide = ConnectToIde();
    EXPECT_EQ(ide.FileList, fileList);
    EXPECT_EQ(ide.IdeProgram, "C:\\PureBasic\\PureBasic.exe");
    SetEnvironmentVariableA("PB_TOOL_FileList", nullptr);
    EXPECT_EQ(ConnectToIde().FileList, "");
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
    IdeConnection connection = ConnectToIde();
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    LogMessage(connection, LogText::HistoryFileNotFound);
    WriteLogLine(connection, "");
    GetLocalTime(&after);
    std::vector<std::string> lines = ListBoxLines(log);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(IsLogLineAt(lines[0], "Historyfile not found", {before, after})) << lines[0];
    EXPECT_TRUE(IsLogLineAt(lines[1], "", {before, after})) << lines[1];
    EXPECT_TRUE(CopiedData.empty());
}

// Today's IDE keeps its log lines with each source and redraws its list from
// them: a line goes in through its own message, without our time.
TEST_F(IdeAccessTest, LogMessageInTodaysIdeUsesTheIdesOwnMessage) {
    WindowTree ide;
    ide.Add("SCINTILLA", 10, 30);
    HWND log = ide.Add("ListBox", 10, 300);
    IdeConnection connection = ConnectionTo(ide.Main);
    ASSERT_TRUE(IsTodaysIde(connection));
    WriteLogLine(connection, "History not changed: x");
    EXPECT_TRUE(ListBoxLines(log).empty());
    ASSERT_EQ(CopiedData.size(), 1u);
    EXPECT_EQ(CopiedData[0].first, ULONG_PTR(0x004C4F47));
    EXPECT_EQ(CopiedData[0].second, std::string("[PLUGIN] History not changed: x", 32));
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

// The tool's watch of its IDE: once the IDE has ended, every ask that
// consults it fails at once, the thread that made it gets WM_QUIT, and a
// tool still running after its grace is ended with exit code 0. A watch
// that goes stops watching: this process outlives its long grace.
TEST_F(IdeAccessTest, TheEndWatchEndsTheToolWithItsIde) {
    TempDir dir;
    HostIde host(dir.Path());
    ASSERT_TRUE(host.Ready);
    const DWORD toolGraceMs = 500;
    AutoCloseHandle tool(StartProcess(EndHelperPath,
                                      "\"" + EndHelperPath + "\" " + Decimal(host.MainWindow) +
                                          " " + std::to_string(toolGraceMs),
                                      dir.Path()));
    ASSERT_TRUE(tool.IsValid());
    WindowTree own; // answers every message sent to it
    IdeConnection ide = ConnectionTo(host.MainWindow);
    IdeEndWatch watch(ide, 60000);
    ASSERT_TRUE(watch.Watching());
    const auto ask = [&] {
        return AskWindow(own.Main, WM_GETTEXTLENGTH, 0, 0, IdeAsk, ide.EndWatch).has_value();
    };
    EXPECT_TRUE(ask());
    // The tool watches before the IDE goes, however slowly it started.
    for (ULONGLONG end = GetTickCount64() + 10000;
         !FileExists(dir / "watching") && GetTickCount64() < end;)
        Sleep(5);
    ASSERT_TRUE(FileExists(dir / "watching"));
    ASSERT_EQ(WaitForSingleObject(tool.Get(), 0), WAIT_TIMEOUT);

    ASSERT_TRUE(TerminateProcess(host.Process.Get(), 1));
    const ULONGLONG killed = GetTickCount64();
    while (!watch.Ended() && GetTickCount64() - killed < 2000)
        Sleep(1);
    EXPECT_TRUE(watch.Ended());
    EXPECT_FALSE(ask());
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    ASSERT_EQ(WaitForSingleObject(tool.Get(), 5000), WAIT_OBJECT_0);
    EXPECT_GE(GetTickCount64() - killed, toolGraceMs - 50);
    DWORD exitCode = 1;
    EXPECT_TRUE(GetExitCodeProcess(tool.Get(), &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

} // namespace
