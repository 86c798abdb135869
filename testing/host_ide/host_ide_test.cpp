// The stand-in host driven as the tools drive the IDE: from this process,
// through window messages and WM_COPYDATA commands.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <functional>

#include "common/code_page.h"
#include "testing/host_ide/host_client.h"
#include "testing/host_ide/tool_probe.h"
#include "testing/test_support.h"

namespace {

// A message to an editor and what it must answer.
struct EditorMessage {
    unsigned msg;
    WPARAM wp;
    LPARAM lp;
    LRESULT result;
};

std::string ClassOf(HWND w) {
    char name[500] = "";
    GetClassNameA(w, name, sizeof name);
    return name;
}

LONG LeftOf(HWND w) {
    RECT r = {};
    GetWindowRect(w, &r);
    return r.left;
}

std::vector<HWND> Descendants(HWND main) {
    std::vector<HWND> all;
    EnumChildWindows(
        main,
        [](HWND w, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
            return TRUE;
        },
        (LPARAM)&all);
    return all;
}

HWND FirstOfClass(const std::vector<HWND>& windows, const char* name) {
    for (HWND w : windows)
        if (lstrcmpiA(ClassOf(w).c_str(), name) == 0) return w;
    return nullptr;
}

std::string Decimal(HWND w) {
    return std::to_string((uintptr_t)w);
}

std::string WithoutSlash(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

// The fields ToolProbe.exe wrote; none before it has written them all.
std::vector<std::string> ProbeRecord(const std::string& path) {
    std::string record = ReadFileBytes(path);
    std::vector<std::string> fields;
    for (size_t start = 0, end; (end = record.find('\0', start)) != std::string::npos;
         start = end + 1)
        fields.push_back(record.substr(start, end - start));
    return fields.size() == ProbeFieldCount ? fields : std::vector<std::string>();
}

std::vector<std::string> WaitForProbe(const std::string& path) {
    std::vector<std::string> fields;
    for (int i = 0; i < 1000 && fields.empty(); i++, Sleep(10))
        fields = ProbeRecord(path);
    return fields;
}

std::string ToolEntry(int n, const std::string& command, const std::string& arguments,
                      const std::string& workingDir, int shortcut, int flags, int deactivate = 0) {
    return "[Tool_" + std::to_string(n) + "]\r\nCommand = " + command +
           "\r\nArguments = " + arguments + "\r\nWorkingDir = " + workingDir +
           "\r\nShortcut = " + std::to_string(shortcut) + "\r\nFlags = " + std::to_string(flags) +
           "\r\nDeactivate = " + std::to_string(deactivate) + "\r\n";
}

// Tools.prefs in a PureBasic folder of the APPDATA given, which the hosts
// started from now on inherit.
bool WriteTools(const TempDir& appData, int count, const std::string& entries) {
    CreateDirectoryA((appData / "PureBasic").c_str(), nullptr);
    return WriteFileBytes(appData / "PureBasic\\Tools.prefs",
                          "[ToolsInfo]\r\nToolCount = " + std::to_string(count) + "\r\n" +
                              entries) &&
           SetEnvironmentVariableA("APPDATA", WithoutSlash(appData.Path()).c_str());
}

// Today's IDE's own messages, as a tool sends them.
LRESULT SendOnce(HWND main, HWND replyTo, const std::wstring& text, DWORD timeoutMs = 20000) {
    COPYDATASTRUCT data = {OnceCopyData, (DWORD)((text.size() + 1) * sizeof(wchar_t)),
                           (void*)text.c_str()};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(main, WM_COPYDATA, (WPARAM)replyTo, (LPARAM)&data, SMTO_NORMAL,
                             timeoutMs, &result))
        return -1;
    return (LRESULT)result;
}

void SendLog(HWND main, const std::string& text, bool withZero) {
    COPYDATASTRUCT data = {LogCopyData, (DWORD)(text.size() + withZero), (void*)text.c_str()};
    SendMessageA(main, WM_COPYDATA, 0, (LPARAM)&data);
}

// Whether the host posted DONE, naming its main window, to the window.
bool TakeDone(HWND replyTo, HWND main) {
    UINT runOnce = RegisterWindowMessageA(RunOnceMessageName);
    MSG msg;
    for (int i = 0; i < 50; i++, Sleep(10))
        if (PeekMessageA(&msg, replyTo, runOnce, runOnce, PM_REMOVE))
            return msg.wParam == RunOnceDone && (HWND)msg.lParam == main;
    return false;
}

// "[hh:mm:ss] " and the text.
bool Stamped(const std::string& line, const std::string& text) {
    const char pattern[] = "[dd:dd:dd] ";
    if (line.size() != 11 + text.size() || line.substr(11) != text) return false;
    for (int i = 0; i < 11; i++)
        if (pattern[i] == 'd' ? !isdigit((unsigned char)line[i]) : line[i] != pattern[i])
            return false;
    return true;
}

TEST(HostIde, WindowsAreWhereTheToolsLookForThem) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "a.pb", "a\n"));
    ASSERT_TRUE(WriteFileBytes(dir / "b.pb", "b\n"));
    HostIde host(dir.Path(), {dir / "a.pb", dir / "b.pb"});
    ASSERT_TRUE(host.Ready);

    EXPECT_EQ(GetParent(host.TabBar), host.Panel);
    EXPECT_NE(host.Panel, host.MainWindow);
    std::vector<HWND> editors = HostEditors(host);
    ASSERT_EQ(editors.size(), 2u);
    for (HWND editor : editors) {
        EXPECT_EQ(ClassOf(editor), "Scintilla");
        EXPECT_EQ(LeftOf(editor), LeftOf(host.TabBar));
        EXPECT_EQ(LeftOf(editor), LeftOf(host.LogList));
    }
    EXPECT_FALSE(IsWindowVisible(editors[0]));
    EXPECT_TRUE(IsWindowVisible(editors[1]));
    EXPECT_EQ(HostCurrentTab(host), 1);

    // The tools take the first tab control and list box met in the
    // enumeration of the main window's descendants.
    std::vector<HWND> all = Descendants(host.MainWindow);
    EXPECT_EQ(FirstOfClass(all, "SysTabControl32"), host.TabBar);
    EXPECT_EQ(FirstOfClass(all, "ListBox"), host.LogList);
    LONG style = GetWindowLongA(host.LogList, GWL_STYLE);
    EXPECT_TRUE(style & LBS_NOINTEGRALHEIGHT);
    EXPECT_FALSE(style & LBS_SORT);

    EXPECT_EQ(HostOpenFile(host, dir / "missing.pb"), -1);
    EXPECT_EQ(HostOpenFile(host, dir.Path()), -1);
    EXPECT_EQ(HostOpenFile(host, dir / "a.pb"), 0) << "an open file is made current";
    EXPECT_EQ(HostEditorCount(host), 2);
    EXPECT_EQ(HostVisibleEditor(host), editors[0]);
}

TEST(HostIde, TodaysFileTabsAreNoTabControl) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "a.pb", "a\n"));
    ASSERT_TRUE(WriteFileBytes(dir / "b.pb", "b\n"));
    HostIde host(dir.Path(), {dir / "a.pb", dir / "b.pb"}, HostMode::Today, dir / "ide.prefs");
    ASSERT_TRUE(host.Ready);
    EXPECT_FALSE(host.TabBar);
    EXPECT_FALSE(host.Panel);

    std::vector<HWND> all = Descendants(host.MainWindow);
    EXPECT_FALSE(FirstOfClass(all, "SysTabControl32"));
    EXPECT_EQ(FirstOfClass(all, FileTabsClassName), host.FileTabs);
    EXPECT_EQ(FirstOfClass(all, "ListBox"), host.LogList);
    std::vector<HWND> editors = HostEditors(host);
    ASSERT_EQ(editors.size(), 2u);
    for (HWND editor : editors) {
        EXPECT_EQ(FirstOfClass({editor}, "Scintilla"), editor);
        EXPECT_EQ(LeftOf(editor), LeftOf(host.LogList));
        EXPECT_EQ(LeftOf(editor), LeftOf(host.FileTabs));
    }
    EXPECT_EQ(HostCurrentTab(host), 1);
    EXPECT_FALSE(IsWindowVisible(editors[0]));
    EXPECT_TRUE(IsWindowVisible(editors[1]));

    // A click on the first tab (the tabs start at the left edge) makes it
    // current; the tab switch notification of the classic IDE does nothing.
    SendMessageA(host.FileTabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(HostCurrentTab(host), 0);
    EXPECT_EQ(HostVisibleEditor(host), editors[0]);
    SendMessageA(host.MainWindow, WM_COMMAND, SwitchCommand, 0);
    EXPECT_EQ(HostCurrentTab(host), 0);
    EXPECT_EQ(HostOpenFile(host, dir / "B.PB"), 1) << "an open file is made current";
    EXPECT_EQ(HostEditorCount(host), 2);
}

TEST(HostIde, SwitchesOnSelectionAndNotificationUnlessFrozen) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "a.pb", "a"));
    ASSERT_TRUE(WriteFileBytes(dir / "b.pb", "b"));
    HostIde host(dir.Path(), {dir / "a.pb", dir / "b.pb"});
    ASSERT_TRUE(host.Ready);
    std::vector<HWND> editors = HostEditors(host);

    struct Step {
        bool viaPanel;
        bool frozen;
        int select;
        int visible;
        HostCounterValues after;
    } steps[] = {
        {false, false, 0, 0, {1, 1, 0}},
        {true, false, 1, 1, {2, 1, 1}},
        {false, true, 0, 1, {3, 2, 1}},
        {true, true, 0, 1, {4, 2, 2}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "select " << s.select << (s.viaPanel ? " via panel" : "")
                                        << (s.frozen ? " frozen" : ""));
        HostSetFrozen(host, s.frozen);
        SendMessageA(host.TabBar, TCM_SETCURSEL, (WPARAM)s.select, 0);
        SendMessageA(s.viaPanel ? host.Panel : host.MainWindow, WM_COMMAND, SwitchCommand,
                     (LPARAM)host.TabBar);
        EXPECT_EQ(HostVisibleEditor(host), editors[s.visible]);
        EXPECT_EQ(IsWindowVisible(editors[1 - s.visible]), FALSE);
        HostCounterValues c = HostCounters(host);
        EXPECT_EQ(c.TabSetCurSel, s.after.TabSetCurSel);
        EXPECT_EQ(c.MainSwitch, s.after.MainSwitch);
        EXPECT_EQ(c.PanelSwitch, s.after.PanelSwitch);
    }

    // The notification names the tab bar; anything else switches nothing.
    HostSetFrozen(host, false);
    SendMessageA(host.MainWindow, WM_COMMAND, SwitchCommand, (LPARAM)host.Panel);
    EXPECT_EQ(HostVisibleEditor(host), editors[1]);
    // The host's own selection works while frozen and moves no counter.
    HostSetFrozen(host, true);
    EXPECT_EQ(HostSelectTab(host, 0), 0);
    EXPECT_EQ(HostVisibleEditor(host), editors[0]);
    EXPECT_EQ(HostCounters(host).TabSetCurSel, 4);
    EXPECT_EQ(HostSelectTab(host, 2), -1);
}

TEST(HostIde, EditorTextCrossesProcessesByteForByte) {
    TempDir dir;
    std::string bytes;
    while (bytes.size() < (4u << 20)) // several MB, every byte value 1..255
        for (int b = 1; b < 256; b++)
            bytes += (char)b;
    ASSERT_TRUE(WriteFileBytes(dir / "big.pb", bytes));
    HostIde host(dir.Path(), {dir / "big.pb"});
    ASSERT_TRUE(host.Ready);
    HWND editor = HostVisibleEditor(host);
    ASSERT_TRUE(editor);

    EXPECT_EQ((size_t)SendMessageA(editor, SCI_GETLENGTH, 0, 0), bytes.size());
    EXPECT_TRUE(HostEditorText(editor) == bytes);
    std::string buffer;
    EXPECT_EQ(HostGetText(editor, 5, buffer), 4);
    EXPECT_EQ(buffer, std::string("\x01\x02\x03\x04", 5));

    // Bytes 10 (LF) and 13 (a lone CR) end lines, two in every 255 bytes;
    // SCI_GOTOLINE clamps as Scintilla does, also for -1 widened as a 32-bit
    // number.
    const long lines = 2 * (long)(bytes.size() / 255) + 1;
    struct Case {
        WPARAM line;
        long caretLine;
    } cases[] = {{1, 2}, {(WPARAM)-1, 1}, {0xFFFFFFFFu, 1}, {1u << 30, lines}};
    for (const Case& c : cases) {
        SendMessageA(editor, SCI_GOTOLINE, c.line, 0);
        EXPECT_EQ(HostCaretLine(host), c.caretLine) << c.line;
    }
    SendMessageA(editor, SCI_GOTOLINE, 1, 0);
    EXPECT_EQ(SendMessageA(editor, SCI_GETCURRENTPOS, 0, 0), 10);

    // The position messages take their numbers as 32-bit, like SCI_GOTOLINE.
    EditorMessage messages[] = {
        {SCI_POSITIONFROMLINE, 1, 0, 10},
        {SCI_POSITIONFROMLINE, 0xFFFFFFFFu, 0, 10}, // the caret's line
        {SCI_GETLINEENDPOSITION, 1, 0, 12},
        {SCI_POSITIONRELATIVE, 10, 0xFFFFFFFFu, 9},
        {SCI_POSITIONRELATIVE, 10, -11, 0},
        {SCI_GETLINECOUNT, 0, 0, lines},
    };
    for (const EditorMessage& m : messages)
        EXPECT_EQ(SendMessageA(editor, m.msg, m.wp, m.lp), m.result) << m.msg << " " << m.wp;
    SendMessageA(editor, SCI_GOTOPOS, 12, 0);
    EXPECT_EQ(HostCursor(host), "2x3");
}

TEST(HostIde, RunsToolsAsTheIdeDoes) {
    TempDir dir, appData, work;
    std::string probe = SiblingExe("ToolProbe.exe");
    std::string output = dir / "probe.out";
    ASSERT_TRUE(WriteTools(
        appData, 3,
        ToolEntry(0, probe, "deactivated", work.Path(), 131125, 1, 1) +
            ToolEntry(1, probe, "\"%FILE\"\"%CURSOR\" %FILE|%CURSOR", work.Path(), 131125, 1) +
            ToolEntry(2, probe, "unwaited", "", 131126, 0) +
            ToolEntry(3, probe, "beyond the count", "", 131127, 1)));
    ASSERT_TRUE(SetEnvironmentVariableA(ProbeOutputVariable, output.c_str()));
    std::string a = dir / "a.pb", b = dir / "b c.pb", bText = "one\r\ntwo\r\n";
    ASSERT_TRUE(WriteFileBytes(a, "x"));
    ASSERT_TRUE(WriteFileBytes(b, bText));

    // Today's IDE also names itself, its preferences file, the cursor, the
    // selection and the word, and takes no input while it waits for a tool.
    std::string chosenPrefs = dir / "chosen.prefs";
    std::string ide = SiblingExe("HostIde.exe");
    struct Run {
        HostMode mode;
        std::string preferences;
        std::string seenIde, seenPreferences, seenCursor, enabledWhileWaited, seenSelection,
            seenWord;
    } runs[] = {
        {HostMode::Classic, "", "", "", "", "1", "", ""},
        {HostMode::Today, chosenPrefs, ide, chosenPrefs, "2x3", "0", "2x2x2x3", "two"},
        {HostMode::Today, "", ide, appData / "PureBasic\\PureBasic.prefs", "2x3", "0", "2x2x2x3",
         "two"},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.seenPreferences);
        DeleteFileA(output.c_str());
        HostIde host(dir.Path(), {a, b}, run.mode, run.preferences);
        ASSERT_TRUE(host.Ready);
        ASSERT_EQ(HostSetCaret(host, 2, 3), 7);
        SendMessageA(HostVisibleEditor(host), SCI_SETSEL, 6, 7); // "w" selected

        ASSERT_EQ(HostRunToolByShortcut(host, 131125), (long)ProbeExitCode);
        std::vector<std::string> seen = WaitForProbe(output);
        ASSERT_EQ(seen.size(), (size_t)ProbeFieldCount);
        EXPECT_EQ(seen[ProbeCommandLine], "\"" + probe + "\" \"" + b + "\"\"2x3\" " + b + "|2x3");
        EXPECT_EQ(seen[ProbeCurrentDir], WithoutSlash(work.Path()));
        EXPECT_EQ(seen[ProbeMainWindow], Decimal(host.MainWindow));
        EXPECT_EQ(seen[ProbeScintilla], Decimal(HostEditors(host)[1]));
        EXPECT_EQ(seen[ProbeFileList], a + "\n" + b);
        EXPECT_EQ(seen[ProbeEditorLength], std::to_string(bText.size()))
            << "the host answers its tool while waiting for it";
        EXPECT_EQ(seen[ProbeIde], run.seenIde);
        EXPECT_EQ(seen[ProbePreferences], run.seenPreferences);
        EXPECT_EQ(seen[ProbeCursor], run.seenCursor);
        EXPECT_EQ(seen[ProbeMainEnabled], run.enabledWhileWaited);
        EXPECT_EQ(seen[ProbeSelection], run.seenSelection);
        EXPECT_EQ(seen[ProbeWord], run.seenWord);
        EXPECT_TRUE(IsWindowEnabled(host.MainWindow));

        // A tool the host does not wait for: it starts in the host's folder.
        DeleteFileA(output.c_str());
        EXPECT_GT(HostRunToolByNumber(host, 2), 0);
        seen = WaitForProbe(output);
        ASSERT_EQ(seen.size(), (size_t)ProbeFieldCount);
        EXPECT_EQ(seen[ProbeCommandLine], "\"" + probe + "\" unwaited");
        EXPECT_EQ(seen[ProbeCurrentDir], WithoutSlash(dir.Path()));
        EXPECT_EQ(seen[ProbeMainEnabled], "1");

        EXPECT_EQ(HostRunToolByShortcut(host, 131127), ToolNotFound);
        EXPECT_EQ(HostRunToolByNumber(host, 3), ToolNotFound);
        EXPECT_EQ(HostRunToolByShortcut(host, 0), ToolNotFound);

        // A test may take a variable away or change it.
        HostLeaveOutToolVariable(host, "PB_TOOL_MainWindow");
        HostSetToolVariable(host, "PB_TOOL_Preferences", "elsewhere");
        DeleteFileA(output.c_str());
        ASSERT_EQ(HostRunToolByShortcut(host, 131125), (long)ProbeExitCode);
        seen = WaitForProbe(output);
        ASSERT_EQ(seen.size(), (size_t)ProbeFieldCount);
        EXPECT_EQ(seen[ProbeMainWindow], "");
        EXPECT_EQ(seen[ProbePreferences], "elsewhere");
    }
    SetEnvironmentVariableA(ProbeOutputVariable, nullptr);
}

TEST(HostIde, SecondInstanceHandsItsFilesToTheRunningHost) {
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryA((dir / "sub").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(dir / "sub\\late.pb", "late"));
    HostIde host(dir.Path());
    ASSERT_TRUE(host.Ready);
    ASSERT_EQ(HostEditorCount(host), 0);

    // The relative path is the second instance's, resolved in its own folder.
    ProcessResult second =
        RunProcess(SiblingExe("HostIde.exe"), "HostIde.exe late.pb", dir / "sub");
    ASSERT_TRUE(second.Finished);
    EXPECT_EQ(second.ExitCode, 0u);
    ASSERT_EQ(HostEditorCount(host), 1);
    EXPECT_EQ(HostCurrentTab(host), 0);
    EXPECT_EQ(HostEditorText(HostVisibleEditor(host)), "late");
}

// A second start of today's IDE, as a navigator makes it: the running host of
// the same preferences file has handled the file when the start ends.
TEST(HostIde, SecondStartHandsItsFileToTodaysHost) {
    TempDir dir;
    std::string a = dir / "a.pb", b = dir / "b.pb", c = dir / "c.pb";
    for (const std::string& file : {a, b, c})
        ASSERT_TRUE(WriteFileBytes(file, NumberedLines(10))); // 11 lines, the last empty
    std::string prefs = dir / "ide.prefs";
    ASSERT_TRUE(WriteFileBytes(prefs, "[Global]\r\nLanguageFile = English\r\n")); // RunOnce absent
    HostIde host(dir.Path(), {a, b}, HostMode::Today, prefs);
    ASSERT_TRUE(host.Ready);

    std::string upperA = dir.Path();
    CharUpperA(&upperA[0]);
    upperA += "A.PB";
    struct Step {
        std::string arguments;
        int tab, count;
        const char* cursor;
    } steps[] = {
        {"\"" + upperA + "\" /L 5", 0, 2, "5x1"},
        {"c.pb /l 3", 2, 3, "3x1"}, // relative to the second start's folder
        {"\"" + a + "\" /L 0", 0, 3, "5x1"},
        {"\"" + a + "\" /L 11", 0, 3, "5x1"}, // the line count: left alone
        {"\"" + a + "\" /L 10", 0, 3, "10x1"},
        {"\"" + b + "\"", 1, 3, "1x1"},
        {"\"" + dir / "missing.pb" + "\" /L 2", 1, 3, "2x1"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.arguments);
        ProcessResult second =
            RunProcess(SiblingExe("HostIde.exe"), "HostIde.exe " + s.arguments, dir.Path());
        ASSERT_TRUE(second.Finished);
        EXPECT_EQ(second.ExitCode, 0u);
        EXPECT_EQ(HostCurrentTab(host), s.tab);
        EXPECT_EQ(HostEditorCount(host), s.count);
        EXPECT_EQ(HostCursor(host), s.cursor);
    }
    EXPECT_EQ(HostInstanceCount(host), 1);

    // The host comes to the front, from behind a window of this test.
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_TRUE(other);
    SetForegroundWindow(other);
    ASSERT_EQ(GetForegroundWindow(), other);
    EXPECT_TRUE(RunProcess(SiblingExe("HostIde.exe"), "HostIde.exe a.pb", dir.Path()).Finished);
    EXPECT_EQ(GetForegroundWindow(), host.MainWindow);
    DestroyWindow(other);
}

TEST(HostIde, SecondStartOpensAnotherHostWhenNotRunOnce) {
    TempDir dir;
    std::string a = dir / "a.pb", prefs = dir / "ide.prefs", other = dir / "other.prefs";
    ASSERT_TRUE(WriteFileBytes(a, "a"));
    struct Case {
        std::string prefsText;
        std::string secondPrefs; // HOSTIDE_PREFERENCES of the second start
        int instances;           // of the first host's preferences file
    } cases[] = {
        {"[Global]\r\nRunOnce = 0\r\n", prefs, 2},
        {"[Global]\r\nRunOnce = 1\r\n", other, 1}, // another test's host
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prefsText + c.secondPrefs);
        ASSERT_TRUE(WriteFileBytes(prefs, c.prefsText));
        HostIde host(dir.Path(), {}, HostMode::Today, prefs);
        ASSERT_TRUE(host.Ready);
        SetEnvironmentVariableA(HostPreferencesVariable, c.secondPrefs.c_str());
        AutoCloseHandle second(
            StartProcess(SiblingExe("HostIde.exe"), "HostIde.exe \"" + a + "\"", dir.Path()));
        SetEnvironmentVariableA(HostPreferencesVariable, prefs.c_str());
        ASSERT_TRUE(second.IsValid());
        for (int i = 0; i < 1000 && HostInstanceCount(host) != c.instances; i++)
            Sleep(10);
        EXPECT_EQ(HostInstanceCount(host), c.instances);
        EXPECT_EQ(WaitForSingleObject(second.Get(), 1000), (DWORD)WAIT_TIMEOUT)
            << "a host of its own";
        EXPECT_EQ(HostEditorCount(host), 0);
        TerminateProcess(second.Get(), 0);
    }
}

TEST(HostIde, FrozenHostLetsTheSecondStartGiveUp) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "a.pb", "a"));
    HostIde host(dir.Path(), {}, HostMode::Today, dir / "ide.prefs");
    ASSERT_TRUE(host.Ready);
    HostSetHandOverFrozen(host, true);

    DWORD start = GetTickCount();
    ProcessResult second = RunProcess(SiblingExe("HostIde.exe"), "HostIde.exe a.pb", dir.Path());
    DWORD elapsed = GetTickCount() - start;
    ASSERT_TRUE(second.Finished);
    EXPECT_GE(elapsed, HandOverWaitMs - 500);
    EXPECT_LT(elapsed, HandOverWaitMs + 5000);
    EXPECT_EQ(HostEditorCount(host), 0) << "answered meanwhile, the file not taken";

    HostSetHandOverFrozen(host, false);
    EXPECT_TRUE(RunProcess(SiblingExe("HostIde.exe"), "HostIde.exe a.pb", dir.Path()).Finished);
    EXPECT_EQ(HostEditorCount(host), 1);
}

TEST(HostIde, FileHandedToTheSystemReachesTheRunningHost) {
    TempDir dir;
    std::string file = dir / "from shell.pb";
    ASSERT_TRUE(WriteFileBytes(file, "shell"));
    HostFileType type(".pb");
    ASSERT_TRUE(type.Registered);
    for (HostMode mode : {HostMode::Classic, HostMode::Today}) {
        SCOPED_TRACE(mode == HostMode::Today ? "today's" : "classic");
        HostIde host(dir.Path(), {}, mode, dir / "ide.prefs");
        ASSERT_TRUE(host.Ready);

        SHELLEXECUTEINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI; // no message box on failure
        info.lpVerb = "Open";
        info.lpFile = file.c_str();
        info.nShow = SW_SHOWNORMAL;
        ASSERT_TRUE(ShellExecuteExA(&info));
        if (info.hProcess) {
            WaitForSingleObject(info.hProcess, 20000);
            CloseHandle(info.hProcess);
        }
        for (int i = 0; i < 500 && HostEditorCount(host) == 0; i++)
            Sleep(10);
        ASSERT_EQ(HostEditorCount(host), 1);
        EXPECT_EQ(HostEditorText(HostVisibleEditor(host)), "shell");
        EXPECT_EQ(HostInstanceCount(host), mode == HostMode::Today ? 1 : 0);
    }
}

TEST(HostIde, LogLinesFromAnotherProcessReadBack) {
    HostIde host;
    ASSERT_TRUE(host.Ready);
    const char* lines[] = {"[9:5:3] [PLUGIN] Historyfile not found",
                           "[23:59:59] [PLUGIN] Gr\xF6\xDF"
                           "e"};
    for (const char* line : lines)
        SendMessageA(host.LogList, LB_INSERTSTRING, (WPARAM)-1, (LPARAM)line);
    EXPECT_EQ(HostLogLines(host), std::vector<std::string>(lines, lines + 2));
}

// The 'ONCE' message: the sender's IDE compared as a file name, DONE posted
// to the window in wParam, the files made current or opened, the line rule;
// handled although "Run only one instance" is off.
TEST(HostIde, TodaysOnceMessageFollowsTheIdesRules) {
    TempDir dir;
    std::string a = dir / "a.pb", b = dir / "b.pb", c = dir / "c.pb";
    for (const std::string& file : {a, b, c})
        ASSERT_TRUE(WriteFileBytes(file, NumberedLines(10))); // 11 lines, the last empty
    ASSERT_TRUE(WriteFileBytes(dir / "ide.prefs", "[Global]\r\nRunOnce = 0\r\n"));
    HostIde host(dir.Path(), {a, b}, HostMode::Today, dir / "ide.prefs");
    ASSERT_TRUE(host.Ready);
    HWND reply =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(reply);

    std::string ide = SiblingExe("HostIde.exe"), upper = ide + "|" + a;
    CharUpperA(&upper[0]);
    std::string upperIde = upper.substr(0, upper.find('|')), upperA = upper.substr(ide.size() + 1);
    struct Step {
        std::string text;
        bool taken;
        int tab, count;
        const char* cursor;
    } steps[] = {
        {dir / "HostIde.exe\n1\n5\n" + a, false, 1, 2, "1x1"}, // another program's path
        {"HostIde.exe\n1\n5\n" + a, false, 1, 2, "1x1"},
        {"", false, 1, 2, "1x1"},
        {upperIde + "\n1\n5\n" + upperA, true, 0, 2, "5x1"},
        {ide + "\n1\n11\n" + a, true, 0, 2, "5x1"}, // the line count: left alone
        {ide + "\n1\n0\n" + b, true, 1, 2, "1x1"},
        {ide + "\n2\n10\n" + a + "\n" + c, true, 2, 3, "10x1"}, // c opened as the last tab
        {ide + "\n1\n3\n" + dir / "missing.pb", true, 2, 3, "3x1"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.text);
        EXPECT_EQ(SendOnce(host.MainWindow, reply, Utf8ToWide(s.text)) == 1, s.taken);
        EXPECT_EQ(TakeDone(reply, host.MainWindow), s.taken);
        EXPECT_EQ(HostCurrentTab(host), s.tab);
        EXPECT_EQ(HostEditorCount(host), s.count);
        EXPECT_EQ(HostCursor(host), s.cursor);
        EXPECT_EQ(HostFocusedEditor(host), HostVisibleEditor(host));
    }

    // A frozen IDE never answers: the sender gives up, nothing is taken.
    HostSetHandOverFrozen(host, true);
    EXPECT_EQ(SendOnce(host.MainWindow, reply, Utf8ToWide(ide + "\n1\n0\n" + a), 1000), -1);
    HostSetHandOverFrozen(host, false);
    EXPECT_FALSE(TakeDone(reply, host.MainWindow));
    EXPECT_EQ(HostCurrentTab(host), 2);
    DestroyWindow(reply);
}

TEST(HostIde, TodaysLogIsKeptPerSource) {
    TempDir dir;
    std::string a = dir / "a.pb", b = dir / "b.pb", prefs = dir / "ide.prefs";
    ASSERT_TRUE(WriteFileBytes(a, "a"));
    ASSERT_TRUE(WriteFileBytes(b, "b"));
    for (bool stamped : {true, false}) {
        SCOPED_TRACE(stamped);
        ASSERT_TRUE(WriteFileBytes(prefs, stamped ? "" : "[Global]\r\nLogTimeStamp = 0\r\n"));
        HostIde host(dir.Path(), {a, b}, HostMode::Today, prefs);
        ASSERT_TRUE(host.Ready);
        auto expect = [&](const std::vector<std::string>& texts) {
            std::vector<std::string> lines = HostLogLines(host);
            ASSERT_EQ(lines.size(), texts.size());
            for (size_t i = 0; i < texts.size(); i++)
                EXPECT_TRUE(stamped ? Stamped(lines[i], texts[i]) : lines[i] == texts[i])
                    << lines[i];
        };
        SendLog(host.MainWindow, "in b", true);
        HostSelectTab(host, 0);
        expect({});
        SendLog(host.MainWindow, "in a", false);
        SendMessageA(host.LogList, LB_INSERTSTRING, (WPARAM)-1, (LPARAM) "put in directly");
        EXPECT_EQ(HostLogLines(host).size(), 2u);
        SendMessageA(host.FileTabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 3)); // b
        ASSERT_EQ(HostCurrentTab(host), 1);
        expect({"in b"});
        HostSelectTab(host, 0);
        expect({"in a"});
        if (!stamped) continue;
        for (int i = 0; i < (int)LogLinesPerSource; i++)
            SendLog(host.MainWindow, std::to_string(i), false);
        std::vector<std::string> lines = HostLogLines(host);
        ASSERT_EQ(lines.size(), (size_t)LogLinesPerSource);
        EXPECT_TRUE(Stamped(lines[0], "0"));
    }
}

// The focus after a waited tool goes back to the editor it started from,
// even though the tool made another source current; otherwise it follows
// the current source.
TEST(HostIde, TodaysFocusFollowsTheIde) {
    TempDir dir, appData;
    std::string a = dir / "a.pb", b = dir / "b.pb";
    ASSERT_TRUE(WriteFileBytes(a, "a"));
    ASSERT_TRUE(WriteFileBytes(b, "b"));
    std::string ide = SiblingExe("HostIde.exe");
    ASSERT_TRUE(WriteTools(appData, 2,
                           ToolEntry(0, ide, "\"" + b + "\"", "", 0, 1) +
                               ToolEntry(1, SiblingExe("ToolProbe.exe"), "", "", 0, 0)));
    HostIde host(dir.Path(), {a, b}, HostMode::Today, dir / "ide.prefs");
    ASSERT_TRUE(host.Ready);
    std::vector<HWND> editors = HostEditors(host);
    EXPECT_EQ(HostFocusedEditor(host), editors[1]) << "the file opened last";

    struct Step {
        const char* what;
        std::function<void()> act;
        int current, focused;
    } steps[] = {
        {"select", [&] { HostSelectTab(host, 0); }, 0, 0},
        {"click", [&] { SendMessageA(host.FileTabs, WM_LBUTTONDOWN, 0, MAKELPARAM(60, 3)); }, 1, 1},
        {"open", [&] { HostOpenFile(host, a); }, 0, 0},
        {"waited tool switching to b", [&] { EXPECT_EQ(HostRunToolByNumber(host, 0), 0); }, 1, 0},
        {"tool not waited for", [&] { EXPECT_GT(HostRunToolByNumber(host, 1), 0); }, 1, 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(HostCurrentTab(host), s.current);
        EXPECT_EQ(HostFocusedEditor(host), editors[s.focused]);
    }
    EXPECT_FALSE(IsWindowVisible(editors[0]));
}

// The reading messages of Scintilla, the pointers valid in the host's
// process, and a test's edits above the caret.
TEST(HostIde, EditorsAnswerScintillasReadingMessages) {
    TempDir dir;
    const std::string text = "first\r\nsecond\r\n\xD0\x96uk x\r\n"; // 4 lines, the last empty
    ASSERT_TRUE(WriteFileBytes(dir / "a.pb", text));
    HostIde host(dir.Path(), {dir / "a.pb"}, HostMode::Today, dir / "ide.prefs");
    ASSERT_TRUE(host.Ready);
    HWND editor = HostVisibleEditor(host);
    EditorMessage messages[] = {
        {SCI_GETLINECOUNT, 0, 0, 4},       {SCI_LINELENGTH, 1, 0, 8},
        {SCI_LINELENGTH, 3, 0, 0},         {SCI_LINEFROMPOSITION, 15, 0, 2},
        {SCI_POSITIONRELATIVE, 15, 1, 17}, {SCI_POSITIONRELATIVE, 17, -1, 15},
        {SCI_GETCHARAT, 1, 0, 'i'},        {SCI_GETRANGEPOINTER, 23, 1, 0},
        {SCI_GETLENGTH, 0, 0, 23},         {SCI_GETLINEENDPOSITION, 2, 0, 21},
    };
    for (const EditorMessage& m : messages)
        EXPECT_EQ(SendMessageA(editor, m.msg, m.wp, m.lp), m.result) << m.msg << " " << m.wp;
    SendMessageA(editor, SCI_GOTOLINE, 99, 0);
    EXPECT_EQ(HostCursor(host), "4x1") << "past the last line: the empty last line";

    AutoCloseHandle process(OpenProcess(PROCESS_VM_READ, FALSE, host.ProcessId));
    auto read = [&](LRESULT at, size_t size) {
        std::string bytes(size, '?');
        SIZE_T got = 0;
        if (!at || !ReadProcessMemory(process.Get(), (void*)at, &bytes[0], size, &got))
            return std::string("-");
        return bytes;
    };
    EXPECT_EQ(read(SendMessageA(editor, SCI_GETCHARACTERPOINTER, 0, 0), text.size() + 1),
              text + '\0');
    EXPECT_EQ(read(SendMessageA(editor, SCI_GETRANGEPOINTER, 7, 6), 6), "second");
    HostSetPointerFailure(host, true);
    EXPECT_EQ(SendMessageA(editor, SCI_GETCHARACTERPOINTER, 0, 0), 0);
    EXPECT_EQ(SendMessageA(editor, SCI_GETRANGEPOINTER, 7, 6), 0);
    HostSetPointerFailure(host, false);

    // The caret keeps to its code while lines come and go above it.
    HostSetCaret(host, 2, 3);
    struct Edit {
        bool insert;
        long line;
        const char* inserted;
        long count;
        const char* cursor;
    } edits[] = {
        {true, 1, "n\r\nn\r\n", 0, "4x3"}, {false, 1, "", 3, "1x3"}, {true, 2, "x", 0, "1x3"},
        {false, 1, "", 1, "1x1"},          {false, 9, "", 1, "1x1"},
    };
    for (const Edit& e : edits) {
        EXPECT_TRUE(e.insert ? HostInsertText(host, editor, e.line, e.inserted)
                             : HostDeleteLines(host, editor, e.line, e.count));
        EXPECT_EQ(HostCursor(host), e.cursor) << e.line;
    }
    EXPECT_FALSE(HostInsertText(host, host.MainWindow, 1, "x"));
}

// The tools of the IDE's events the follower scenarios do not run: the
// start's tool, with no editor, while the host answers; a new source, with no
// path and left out of PB_TOOL_FileList until saved; a deactivated entry
// never. Each record as "ARGUMENTS @EDITOR #FILES" (- for no editor).
TEST(HostIde, RunsTheToolsOfTheIdesEvents) {
    TempDir dir, appData;
    std::string probe = SiblingExe("ToolProbe.exe");
    auto entry = [&](int n, int trigger, const std::string& arguments, int deactivate = 0) {
        return ToolEntry(n, probe, arguments, "", 0, 1, deactivate) +
               "Trigger = " + std::to_string(trigger) + "\r\n";
    };
    ASSERT_TRUE(WriteTools(appData, 4,
                           entry(0, 1, "started \"%FILE\"") + entry(1, 9, "saved \"%FILE\"") +
                               entry(2, 9, "never", 1) + entry(3, 14, "new \"%FILE\"")));
    std::string a = dir / "a.pb", e = dir / "e.pb", output = dir / "run.";
    ASSERT_TRUE(WriteFileBytes(a, "a"));
    ASSERT_TRUE(SetEnvironmentVariableA(ProbeOutputVariable, (output + "*").c_str()));
    int taken = 0;
    std::vector<HWND> editors;
    auto records = [&] {
        std::string all;
        for (std::vector<std::string> seen;
             (seen = ProbeRecord(output + std::to_string(taken)), !seen.empty()); taken++) {
            auto at = std::find(editors.begin(), editors.end(),
                                (HWND)(uintptr_t)_strtoui64(seen[ProbeScintilla].c_str(), 0, 10));
            const std::string& files = seen[ProbeFileList];
            all += seen[ProbeCommandLine].substr(probe.size() + 3) + " @" +
                   (at == editors.end() ? "-" : std::to_string(at - editors.begin())) + " #" +
                   std::to_string(
                       files.empty() ? 0 : 1 + std::count(files.begin(), files.end(), '\n')) +
                   ";";
        }
        return all;
    };
    HostIde host(dir.Path(), {a}, HostMode::Today, dir / "ide.prefs");
    ASSERT_TRUE(host.Ready);
    EXPECT_EQ(records(), "started \"\" @- #1;");
    EXPECT_EQ(HostNewSource(host), 1);
    EXPECT_EQ(HostSaveFile(host), -1) << "no path yet";
    editors = HostEditors(host);
    EXPECT_EQ(records(), "new \"\" @1 #1;");
    EXPECT_EQ(HostSaveFileAs(host, e), 1);
    EXPECT_EQ(records(), "saved \"" + e + "\" @1 #2;");
    EXPECT_EQ(HostCloseFile(host), 1);
    EXPECT_EQ(HostCurrentTab(host), 0);
    EXPECT_EQ(HostFocusedEditor(host), editors[0]);
    SetEnvironmentVariableA(ProbeOutputVariable, nullptr);
}

} // namespace
