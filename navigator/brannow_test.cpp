// Brannow, Quillet and Lisarde run by the stand-in IDE on their shortcuts,
// as a user runs them: record positions, walk back and forward, pick from
// the list, in the classic IDE and in today's.
#include "common/code_page.h"
#include "history/history_line.h"
#include "navigator/history_step.h"
#include "testing/host_ide/host_client.h"
#include "testing/picker_driver.h"
#include "testing/test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <thread>

namespace {

const long Record = 0x20035, Back = 0x20034, Forward = 0x20036, Pick = 0x20033; // Ctrl+5, 4, 6, 3

// A tool entry as the installation writes it: the recorder waited for, the
// navigator not, so that the IDE's own refocus comes before the step's.
std::string ToolEntry(int number, const std::string& exe, const std::string& arguments,
                      long shortcut, const std::string& workingDir) {
    return "[Tool_" + std::to_string(number) + "]\r\nCommand = " + SiblingExe(exe) +
           "\r\nArguments = " + arguments + "\r\nWorkingDir = " + workingDir +
           "\r\nShortcut = " + std::to_string(shortcut) +
           "\r\nFlags = " + (shortcut == Record ? "1" : "0") + "\r\nDeactivate = 0\r\n";
}

// The lines of a history file, without their line ends.
std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

// How long Wine takes to hand typed characters and then Esc to a window in
// front that does nothing with them (one of this process, on a thread of its
// own), in ms: what any window costs, against which the picker's cost is
// told.
ULONGLONG BareWindowTakes(const std::string& typed) {
    std::atomic<HWND> shown{nullptr};
    std::thread window([&shown] {
        HWND bare = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200,
                                    100, nullptr, nullptr, nullptr, nullptr);
        SetForegroundWindow(bare);
        shown = bare;
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0 &&
               !(message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        DestroyWindow(bare);
    });
    for (ULONGLONG end = GetTickCount64() + 10000;
         GetTickCount64() < end && (!shown || GetForegroundWindow() != shown);)
        Sleep(10);
    const ULONGLONG start = GetTickCount64();
    PressKeys({}, typed);
    PressKeys({VK_ESCAPE});
    window.join();
    return GetTickCount64() - start;
}

// Runs the tool on its shortcut and waits for it to end: the IDE answers
// once a waited-for tool has ended, and with the process id of one it does
// not wait for.
bool RunTool(const HostIde& host, long shortcut) {
    const long result = HostRunToolByShortcut(host, shortcut);
    if (shortcut == Record) return result == 0;
    if (result <= 0) return false;
    AutoCloseHandle process(OpenProcess(SYNCHRONIZE, FALSE, DWORD(result)));
    return !process.IsValid() || WaitForSingleObject(process.Get(), 30000) == WAIT_OBJECT_0;
}

// Three files open in the IDE, a fourth on disk, and the history tools
// registered as the installation registers them. Mode is the IDE's kind:
// the classic one with a tab control, or today's, whose file tabs are drawn
// by the IDE and which is handed files by a second start of itself.
class HistoryInTheIde : public testing::Test {
  protected:
    void SetUp() override {
        ClearToolEnvironment();
        ASSERT_TRUE(CreateDirectoryA((appData / "PureBasic").c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(
            appData / "PureBasic\\Tools.prefs",
            "[ToolsInfo]\r\nToolCount = 4\r\n" +
                ToolEntry(0, "Quillet.exe", "\"%FILE\"\"%CURSOR\"", Record, work.Path()) +
                ToolEntry(1, "Brannow.exe", "\"%FILE\"\"%CURSOR\" \"BACK\"", Back, work.Path()) +
                ToolEntry(2, "Brannow.exe", "\"%FILE\"\"%CURSOR\" \"FORWARD\"", Forward,
                          work.Path()) +
                ToolEntry(3, "Lisarde.exe", "\"%FILE\"\"%CURSOR\"", Pick, work.Path())));
        std::string appDataPath = appData.Path();
        appDataPath.pop_back();
        ASSERT_TRUE(SetEnvironmentVariableA("APPDATA", appDataPath.c_str()));
        for (const std::string& f : {a, b, c, d})
            ASSERT_TRUE(WriteFileBytes(f, NumberedLines(40)));
        ASSERT_TRUE(WriteFileBytes(idePrefs, idePrefsText));
    }
    void TearDown() override { ClearToolEnvironment(); }

    static void ClearToolEnvironment() {
        for (const char* name : {"PB_TOOL_MainWindow", "PB_TOOL_Scintilla", "PB_TOOL_FileList",
                                 "PB_TOOL_IDE", "PB_TOOL_Preferences"})
            SetEnvironmentVariableA(name, nullptr);
    }

    std::unique_ptr<HostIde> StartIde(const std::vector<std::string>& files) {
        return std::make_unique<HostIde>(sources.Path(), files, Mode, idePrefs);
    }

    // The positions of a history file, each line without the fingerprint
    // that the tools add when they can read the editor.
    std::string BackFile() const { return Positions(work / HistoryBackFileName); }
    std::string ForwardFile() const { return Positions(work / HistoryForwardFileName); }
    static std::string Positions(const std::string& path) {
        const std::string text = ReadFileBytes(path);
        std::string positions;
        size_t at = 0;
        for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
            HistoryEntry entry;
            const std::string line = text.substr(at, end - at);
            const bool printed = ParseHistoryEntry(line, &entry) && !entry.Fingerprint.empty();
            positions += (printed ? entry.File + "|" + entry.Cursor : line) + "\r\n";
        }
        return positions + text.substr(at);
    }

    // Both history files as given, and the IDE at the tab and line, column 1.
    void SetHistory(const HostIde& host, const std::string& back, const std::string& forward,
                    int tab, int line) {
        ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, back));
        ASSERT_TRUE(WriteFileBytes(work / HistoryForwardFileName, forward));
        ASSERT_EQ(HostSelectTab(host, tab), tab);
        ASSERT_GE(HostSetCaret(host, line, 1), 0);
    }
    // Both files whole, byte for byte, and the file and caret the IDE shows.
    std::string Outcome(const HostIde& host) {
        return ReadFileBytes(work / HistoryBackFileName) + "//" +
               ReadFileBytes(work / HistoryForwardFileName) + "//" +
               WideToUtf8(HostEditorPath(HostVisibleEditor(host))) + " " + HostCursor(host);
    }

    // Makes the tab current with the caret at "LINExCOLUMN", then runs the tool.
    void RunAt(const HostIde& host, int tab, const std::string& cursor, long shortcut) {
        ASSERT_EQ(HostSelectTab(host, tab), tab);
        const size_t x = cursor.find('x');
        ASSERT_GE(HostSetCaret(host, std::stol(cursor), std::stol(cursor.substr(x + 1))), 0);
        ASSERT_TRUE(RunTool(host, shortcut));
    }

    // The IDE shows the tab's file with the caret at cursor, and what the
    // user types next goes there.
    // Where no step was taken, the classic IDE leaves the keyboard alone.
    void ExpectAt(const HostIde& host, int tab, const std::string& cursor, bool stepped = true) {
        EXPECT_EQ(HostCurrentTab(host), tab);
        EXPECT_EQ(HostVisibleEditor(host), HostEditors(host)[tab]);
        if (stepped || Mode == HostMode::Today) {
            EXPECT_EQ(HostFocusedEditor(host), HostEditors(host)[tab]);
        }
        EXPECT_EQ(HostCursor(host), cursor);
    }

    // Nothing of the IDE's own was written, and no second IDE was started.
    void ExpectIdeFilesUntouched(const HostIde& host) {
        EXPECT_EQ(ReadFileBytes(idePrefs), idePrefsText);
        EXPECT_FALSE(FileExists(appData / "PureBasic\\PureBasic.prefs"));
        if (Mode == HostMode::Today) {
            EXPECT_EQ(HostInstanceCount(host), 1);
        }
    }

    HostMode Mode = HostMode::Classic;
    TempDir appData, work, sources;
    const std::string a = sources / "a.pb", b = sources / "b.pb", c = sources / "c.pb",
                      d = sources / "d.pb", idePrefs = appData / "IdePrefs.prefs";
    std::string idePrefsText = "[Global]\r\nRunOnce = 1\r\n";
};

// The scenarios both kinds of IDE must walk alike.
class HistoryInBothIdes : public HistoryInTheIde, public testing::WithParamInterface<HostMode> {
  protected:
    void SetUp() override {
        Mode = GetParam();
        HistoryInTheIde::SetUp();
    }
};

TEST_P(HistoryInBothIdes, WalksBackAndForwardLikeABrowser) {
    auto host = StartIde({a, b, c});
    ASSERT_TRUE(host->Ready);
    RunAt(*host, 0, "5x3", Record);  // A
    RunAt(*host, 1, "10x7", Record); // B
    const std::string recorded = a + "|5x3\r\n" + b + "|10x7\r\n";
    ASSERT_EQ(BackFile(), recorded);

    RunAt(*host, 2, "15x2", Back); // from C
    ExpectAt(*host, 1, "10x7");
    EXPECT_EQ(BackFile(), a + "|5x3\r\n");
    EXPECT_EQ(ForwardFile(), c + "|15x2\r\n");

    ASSERT_TRUE(RunTool(*host, Back));
    ExpectAt(*host, 0, "5x3");
    EXPECT_EQ(BackFile(), "");
    EXPECT_EQ(ForwardFile(), c + "|15x2\r\n" + b + "|10x7\r\n");

    ASSERT_TRUE(RunTool(*host, Forward));
    ExpectAt(*host, 1, "10x7");
    ASSERT_TRUE(RunTool(*host, Forward));
    ExpectAt(*host, 2, "15x2");
    EXPECT_EQ(BackFile(), recorded);
    EXPECT_EQ(ForwardFile(), "");

    // A recording after going back drops the forward history.
    ASSERT_TRUE(RunTool(*host, Back));
    ExpectAt(*host, 1, "10x7");
    ASSERT_TRUE(RunTool(*host, Record));
    EXPECT_EQ(BackFile(), recorded);
    EXPECT_EQ(ForwardFile(), "");
    EXPECT_TRUE(HostLogLines(*host).empty());
    ExpectIdeFilesUntouched(*host);
}

TEST_P(HistoryInBothIdes, GoesBackToAFileThatIsNotOpen) {
    // The classic IDE is reached through the system; today's by its own
    // executable, with nothing registered.
    std::unique_ptr<HostFileType> fileType;
    if (Mode == HostMode::Classic) {
        fileType = std::make_unique<HostFileType>(".pb");
        ASSERT_TRUE(fileType->Registered);
    }
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, d + "|7x4\r\n"));
    auto host = StartIde({a, b, c});
    ASSERT_TRUE(host->Ready);
    RunAt(*host, 2, "3x1", Back);
    ASSERT_EQ(HostEditorCount(*host), 4);
    ExpectAt(*host, 3, "7x4");
    EXPECT_EQ(BackFile(), "");
    EXPECT_EQ(ForwardFile(), c + "|3x1\r\n");
}

// Files gone, lines that are no entries, and files that would run as
// programs: all passed over, none started.
TEST_P(HistoryInBothIdes, PassesOverWhatCannotBeShown) {
    const std::string bat = sources / "build.bat", exe = sources / "tool.exe";
    ASSERT_TRUE(WriteFileBytes(bat, "echo ran > ran.txt\r\n"));
    ASSERT_TRUE(CopyFileA(SiblingExe("Quillet.exe").c_str(), exe.c_str(), FALSE));
    // A NUL ends the name for the system, which would see build.bat.
    std::string hidden;
    for (const std::string& name : {bat, exe, std::string("build.bat"), sources / "run.cmd"})
        hidden += name + std::string(1, '\0') + "x.pb|1x1\r\n";
    ASSERT_TRUE(WriteFileBytes(sources / "run.cmd", "echo ran > ran.txt\r\n"));
    ASSERT_TRUE(WriteFileBytes(work / "build.bat", "echo ran > ran.txt\r\n"));
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName,
                               a + "|12x3\r\nnot an entry\r\n" + (sources / "gone.pb") +
                                   "|5x1\r\n" + bat + "|1x1\r\n" + exe + "|1x1\r\n" + hidden + d +
                                   "|9x1\r\n\r\nrubbish without a bar"));
    DeleteFileA(d.c_str()); // deleted since it was recorded
    auto host = StartIde({a, b, c});
    ASSERT_TRUE(host->Ready);
    RunAt(*host, 1, "2x1", Back);
    ExpectAt(*host, 0, "12x3");
    EXPECT_EQ(HostEditorCount(*host), 3);
    EXPECT_EQ(BackFile(), "");
    EXPECT_EQ(ForwardFile(), b + "|2x1\r\n");
    for (const std::string& folder : {work.Path(), sources.Path()})
        EXPECT_FALSE(FileExists(folder + "ran.txt"));
    EXPECT_FALSE(FileExists(sources / HistoryBackFileName)); // what tool.exe would leave
}

TEST_P(HistoryInBothIdes, NothingToGoToChangesNothing) {
    auto host = StartIde({a, b, c});
    ASSERT_TRUE(host->Ready);
    RunAt(*host, 1, "4x1", Back);
    RunAt(*host, 1, "4x1", Forward);
    ExpectAt(*host, 1, "4x1", false);
    EXPECT_FALSE(FileExists(work / HistoryBackFileName));
    EXPECT_FALSE(FileExists(work / HistoryForwardFileName));

    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, ""));
    ASSERT_TRUE(WriteFileBytes(work / HistoryForwardFileName, ""));
    RunAt(*host, 1, "4x1", Back);
    RunAt(*host, 1, "4x1", Forward);
    ExpectAt(*host, 1, "4x1", false);
    EXPECT_EQ(BackFile(), "");
    EXPECT_EQ(ForwardFile(), "");
}

TEST_P(HistoryInBothIdes, ThePositionRecordedTwiceIsVisitedOnce) {
    auto host = StartIde({a, b, c});
    ASSERT_TRUE(host->Ready);
    RunAt(*host, 0, "5x1", Record);
    RunAt(*host, 0, "5x1", Record);
    RunAt(*host, 1, "9x1", Back);
    ExpectAt(*host, 0, "5x1");
    const std::string back = BackFile(), forward = ForwardFile();
    EXPECT_EQ(back, a + "|5x1\r\n");
    EXPECT_EQ(forward, b + "|9x1\r\n");

    ASSERT_TRUE(RunTool(*host, Back));
    ExpectAt(*host, 0, "5x1");
    EXPECT_EQ(BackFile(), back);
    EXPECT_EQ(ForwardFile(), forward);
}

// Where the caret lands for each cursor text; a text the line part of which
// is usable goes to that line, any other leaves the caret where it was.
TEST_P(HistoryInBothIdes, LandsWhereTheCursorTextSays) {
    const std::string e = sources / "e.pb", f = sources / "f.pb";
    ASSERT_TRUE(WriteFileBytes(e, "first\r\nab\r\n\tx\tyz\r\nlast line"));
    ASSERT_TRUE(WriteFileBytes(f, NumberedLines(20))); // ends with a line end
    const struct {
        const char* Recorded;
        const char* Lands;
        bool InF = false;
    } cases[] = {
        {"3x4", "3x4"},          // a tab is one character
        {"2x10", "2x3"},         // past the end of a CR LF line: its end
        {"4x99", "4x10"},        // the last line has no line end
        {"99x3", "4x3"},         // past the last line: the last line
        {"1x2147483647", "1x6"}, // the largest column
        {"3x0", "3x1"},          // no column: the line
        {"3x99999999999", "3x1"},
        {"somewhere", "2x2"}, // no line: where the caret was
        // Past the end of a text that ends with a line end: its last line of
        // text, not the empty one after it.
        {"999999x1", "20x1", true},
        {"2147483647x2147483647", "20x8", true},
        {"21x1", "21x1", true}, // the empty line itself, as recorded
    };
    auto host = StartIde({a, e, f});
    ASSERT_TRUE(host->Ready);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Recorded);
        const int tab = c.InF ? 2 : 1;
        ASSERT_EQ(HostSelectTab(*host, tab), tab);
        ASSERT_GE(HostSetCaret(*host, 2, 2), 0);
        ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName,
                                   (c.InF ? f : e) + "|" + c.Recorded + "\r\n"));
        ASSERT_TRUE(WriteFileBytes(work / HistoryForwardFileName, ""));
        RunAt(*host, 0, "1x1", Back);
        ExpectAt(*host, tab, c.Lands);
        EXPECT_EQ(BackFile(), "");
        EXPECT_EQ(ForwardFile(), a + "|1x1\r\n");
    }
    EXPECT_TRUE(HostLogLines(*host).empty());
    ExpectIdeFilesUntouched(*host);
}

TEST_P(HistoryInBothIdes, AMillionEntriesCostNothingExtra) {
    std::string entry = a + "|33x2\r\n", history;
    history.reserve(entry.size() * 1000000 + 100);
    for (int i = 0; i < 999999; ++i)
        history += entry;
    history += b + "|21x4\r\n";
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, history));
    auto host = StartIde({a, b, c});
    ASSERT_TRUE(host->Ready);
    RunAt(*host, 2, "1x1", Back);
    ExpectAt(*host, 1, "21x4");
    std::string back = BackFile();
    EXPECT_EQ(back.size(), entry.size() * 999999);
    EXPECT_TRUE(back.compare(0, entry.size(), entry) == 0);
}

INSTANTIATE_TEST_SUITE_P(Ide, HistoryInBothIdes,
                         testing::Values(HostMode::Classic, HostMode::Today),
                         [](const testing::TestParamInfo<HostMode>& info) {
                             return info.param == HostMode::Classic ? "Classic" : "Today";
                         });

// Today's IDE takes a file from a tool whatever "Run only one instance"
// says: with it off, steps still switch files and no second IDE starts.
TEST_F(HistoryInTheIde, WithoutRunOnceFilesStillSwitch) {
    Mode = HostMode::Today;
    idePrefsText = "[Global]\r\nRunOnce = 0\r\n";
    ASSERT_TRUE(WriteFileBytes(idePrefs, idePrefsText));
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, a + "|5x2\r\n" + c + "|7x4\r\n"));
    auto host = StartIde({a, b, c});
    ASSERT_TRUE(host->Ready);
    RunAt(*host, 1, "1x1", Back);
    ExpectAt(*host, 2, "7x4");
    ASSERT_TRUE(RunTool(*host, Back));
    ExpectAt(*host, 0, "5x2");
    EXPECT_EQ(BackFile(), "");
    EXPECT_EQ(ForwardFile(), b + "|1x1\r\n" + c + "|7x4\r\n");
    EXPECT_TRUE(HostLogLines(*host).empty());
    ExpectIdeFilesUntouched(*host);
}

// A step that never gets to its target, or dies before it, changes nothing.
TEST_F(HistoryInTheIde, AHandOverThatNeverEndsChangesNothing) {
    Mode = HostMode::Today;
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, a + "|5x2\r\n"));
    ASSERT_TRUE(WriteFileBytes(work / HistoryForwardFileName, b + "|3x3\r\n"));
    auto host = StartIde({a, b, c});
    ASSERT_TRUE(host->Ready);
    HostSetHandOverFrozen(*host, true);
    const ULONGLONG start = GetTickCount64();
    RunAt(*host, 2, "6x1", Back);
    EXPECT_LT(GetTickCount64() - start, 15000u);
    HostSetHandOverFrozen(*host, false);
    ExpectAt(*host, 2, "6x1");
    EXPECT_EQ(BackFile(), a + "|5x2\r\n");
    EXPECT_EQ(ForwardFile(), b + "|3x3\r\n");
    EXPECT_EQ(HostLogLines(*host).size(), 1u);

    // Killed half-way, the position left already on the forward history:
    // the next step takes that half back before it goes, so the position
    // is there once.
    HostSetHandOverFrozen(*host, true);
    AutoCloseHandle killed(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE,
                                       DWORD(HostRunToolByShortcut(*host, Back))));
    ASSERT_TRUE(killed.IsValid());
    // Into the hand-over: the note written, then the position left.
    for (ULONGLONG end = GetTickCount64() + 10000;
         !(FileExists(work / HistoryStepNoteName) &&
           ForwardFile() == b + "|3x3\r\n" + c + "|6x1\r\n") &&
         GetTickCount64() < end;)
        Sleep(5);
    ASSERT_TRUE(TerminateProcess(killed.Get(), 1));
    ASSERT_EQ(WaitForSingleObject(killed.Get(), 5000), WAIT_OBJECT_0);
    HostSetHandOverFrozen(*host, false);
    EXPECT_EQ(ForwardFile(), b + "|3x3\r\n" + c + "|6x1\r\n");
    ASSERT_TRUE(RunTool(*host, Back));
    ExpectAt(*host, 0, "5x2");
    EXPECT_EQ(BackFile(), "");
    EXPECT_EQ(ForwardFile(), b + "|3x3\r\n" + c + "|6x1\r\n");
    EXPECT_FALSE(FileExists(work / HistoryStepNoteName));
}

// Brannow started by the test with a tool environment of its own making:
// an IDE path that is no program or names nothing, no IDE path at all, a
// main window that is none or another program's, a name longer than any
// path. Each ends in time, and only a step that reached its file changes
// the history.
TEST_F(HistoryInTheIde, OddToolEnvironmentsEndInTime) {
    Mode = HostMode::Today;
    const std::string notes = sources / "notes.txt";
    ASSERT_TRUE(WriteFileBytes(notes, "not a program"));
    const std::string target = a + "|5x2\r\n",
                      tooLong = sources / (std::string(40000, 'x') + ".pb|1x1\r\n");
    const struct {
        const char* Name;
        const char* Variable;
        std::string Value, Entry;
        bool Moves;
        size_t LogLines; // the current source's, which the IDE's log shows
    } cases[] = {
        {"IDE path no program", "PB_TOOL_IDE", notes, target, false, 1},
        {"IDE path names nothing", "PB_TOOL_IDE", sources / "missing.exe", target, false, 2},
        {"main window no window", "PB_TOOL_MainWindow", "12345", target, false, 2},
        {"main window of another program", "PB_TOOL_MainWindow",
         std::to_string(uintptr_t(GetDesktopWindow())), target, false, 2},
        {"a name longer than any path", nullptr, "", tooLong, false, 2},
        {"no IDE path: the system's way", "PB_TOOL_IDE", "", target, true, 0},
    };
    HostFileType fileType(".pb");
    ASSERT_TRUE(fileType.Registered);
    auto host = StartIde({a, b, c});
    ASSERT_TRUE(host->Ready);
    const std::string brannow = SiblingExe("Brannow.exe");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_EQ(HostSelectTab(*host, 2), 2);
        ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, c.Entry));
        ASSERT_TRUE(WriteFileBytes(work / HistoryForwardFileName, ""));
        SetHostToolEnvironment(*host, a + "\n" + b + "\n" + this->c);
        if (c.Variable) SetEnvironmentVariableA(c.Variable, c.Value.c_str());
        const ULONGLONG start = GetTickCount64();
        ProcessResult r = RunProcess(
            brannow, "\"" + brannow + "\" \"" + this->c + "\"\"1x1\" \"BACK\"", work.Path());
        ASSERT_TRUE(r.Finished);
        EXPECT_LT(GetTickCount64() - start, 15000u);
        EXPECT_EQ(HostCurrentTab(*host), c.Moves ? 0 : 2);
        EXPECT_EQ(BackFile(), c.Moves ? "" : c.Entry);
        EXPECT_EQ(ForwardFile(), c.Moves ? this->c + "|1x1\r\n" : "");
        EXPECT_EQ(HostLogLines(*host).size(), c.LogLines);
    }
    ExpectIdeFilesUntouched(*host);
}

// A step whose destination cannot take the current position changes
// nothing: neither file, nor the IDE's position; the log says why, and still
// does after the user switched tabs (today's IDE redraws its log then).
TEST_P(HistoryInBothIdes, AFileThatCannotBeWrittenStopsTheStep) {
    enum Fault { Folder, ReadOnly, Locked };
    const struct {
        const char* Name;
        Fault Kind;
        bool Back;
    } cases[] = {
        {"forward file a folder", Folder, true},    {"back file a folder", Folder, false},
        {"forward file read-only", ReadOnly, true}, {"back file read-only", ReadOnly, false},
        {"forward file locked", Locked, true},      {"back file locked", Locked, false},
    };
    auto host = StartIde({a, b, c});
    ASSERT_TRUE(host->Ready);
    size_t logLines = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string source = work / (c.Back ? HistoryBackFileName : HistoryForwardFileName);
        const std::string destination =
            work / (c.Back ? HistoryForwardFileName : HistoryBackFileName);
        ASSERT_TRUE(WriteFileBytes(source, a + "|5x2\r\n"));
        AutoCloseHandle lock;
        if (c.Kind == Folder) {
            ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr));
        } else {
            ASSERT_TRUE(WriteFileBytes(destination, d + "|1x1\r\n"));
            if (c.Kind == ReadOnly)
                ASSERT_TRUE(SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_READONLY));
            else
                lock = AutoCloseHandle(CreateFileA(destination.c_str(), GENERIC_READ, 0, nullptr,
                                                   OPEN_EXISTING, 0, nullptr));
        }
        RunAt(*host, 1, "3x2", c.Back ? Back : Forward);
        lock.Close();
        ExpectAt(*host, 1, "3x2", false);
        EXPECT_EQ(ReadFileBytes(source), a + "|5x2\r\n");
        if (c.Kind == Folder) {
            EXPECT_TRUE(GetFileAttributesA(destination.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
            RemoveDirectoryA(destination.c_str());
        } else {
            EXPECT_EQ(ReadFileBytes(destination), d + "|1x1\r\n");
            SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(destination.c_str());
        }
        DeleteFileA(source.c_str());
        ASSERT_EQ(HostSelectTab(*host, 0), 0);
        ASSERT_EQ(HostSelectTab(*host, 1), 1);
        std::vector<std::string> log = HostLogLines(*host);
        ASSERT_EQ(log.size(), ++logLines);
        EXPECT_NE(log.back().find("] [PLUGIN] History not changed"), std::string::npos);
    }
}

// Go back pressed quickly, the IDE not waiting for the navigator: twice, ten
// times in a burst, ten times 100 ms apart. Each press is a step, in the
// order pressed: the files and the IDE end as after that many presses one
// after another.
TEST_P(HistoryInBothIdes, EveryQuickPressIsAStep) {
    std::string history;
    for (int i = 0; i < 12; ++i)
        history += (i % 3 == 0 ? a : i % 3 == 1 ? b : c) + "|" + std::to_string(i + 5) + "x2\r\n";
    auto host = StartIde({a, b, c});
    ASSERT_TRUE(host->Ready);
    const struct {
        int Presses;
        DWORD ApartMs;
    } cases[] = {{2, 0}, {10, 0}, {10, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Presses) + " presses " + std::to_string(c.ApartMs) +
                     " ms apart");
        SetHistory(*host, history, "", 2, 3);
        for (int press = 0; press < c.Presses; ++press)
            ASSERT_TRUE(RunTool(*host, Back));
        const std::string oneAfterAnother = Outcome(*host);
        SetHistory(*host, history, "", 2, 3);
        std::vector<AutoCloseHandle> presses;
        for (int press = 0; press < c.Presses; ++press) {
            if (press) Sleep(c.ApartMs);
            const long id = HostRunToolByShortcut(*host, Back);
            ASSERT_GT(id, 0);
            presses.emplace_back(OpenProcess(SYNCHRONIZE, FALSE, DWORD(id)));
        }
        for (AutoCloseHandle& press : presses) {
            if (press.IsValid()) {
                EXPECT_EQ(WaitForSingleObject(press.Get(), 30000), WAIT_OBJECT_0);
            }
        }
        EXPECT_EQ(Outcome(*host), oneAfterAnother);
    }
    EXPECT_TRUE(HostLogLines(*host).empty());
}

// A history of many files that are gone is walked in parts, each step in
// bounded time: the first drops what it looked at and says so, a later one
// gets past them.
TEST_P(HistoryInBothIdes, ManyFilesThatAreGoneAreWalkedInParts) {
    std::string history = a + "|9x4\r\n";
    for (int i = 0; i < 6000; ++i)
        history += (sources / ("gone" + std::to_string(i) + ".pb")) + "|1x1\r\n";
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, history));
    auto host = StartIde({a, b, c});
    ASSERT_TRUE(host->Ready);
    for (int press = 0; press < 3 && HostCurrentTab(*host) != 0; ++press) {
        const ULONGLONG start = GetTickCount64();
        RunAt(*host, 2, "1x1", Back);
        EXPECT_LT(GetTickCount64() - start, 15000u);
        EXPECT_LT(BackFile().size(), history.size());
    }
    ExpectAt(*host, 0, "9x4");
    EXPECT_EQ(BackFile(), "");
    EXPECT_EQ(ForwardFile(), c + "|1x1\r\n");
    ASSERT_EQ(HostSelectTab(*host, 2), 2); // today's IDE shows a source's own log
    const std::vector<std::string> log = HostLogLines(*host);
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log[0].find("gone dropped"), std::string::npos);
}

// Fifteen Go back and fifteen Go forward pressed at once, all in the current
// file, each started by the IDE without waiting: every entry is still in one
// of the two files.
TEST_F(HistoryInTheIde, BackAndForwardAtOnceLoseNothing) {
    std::string back, forward;
    for (int i = 1; i <= 30; ++i) {
        back += a + "|" + std::to_string(i) + "x1\r\n";
        forward += a + "|" + std::to_string(100 + i) + "x1\r\n";
    }
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, back));
    ASSERT_TRUE(WriteFileBytes(work / HistoryForwardFileName, forward));
    ASSERT_TRUE(WriteFileBytes(a, NumberedLines(300)));
    auto host = StartIde({a});
    ASSERT_TRUE(host->Ready);
    ASSERT_GE(HostSetCaret(*host, 201, 1), 0);
    std::vector<AutoCloseHandle> runs;
    std::set<std::string> expected = {a + "|201x1"};
    for (const std::string& text : {back, forward})
        for (const std::string& line : LinesOf(text))
            expected.insert(line);
    for (int i = 1; i <= 15; ++i) {
        for (long shortcut : {Back, Forward}) {
            const long id = HostRunToolByShortcut(*host, shortcut);
            ASSERT_GT(id, 0);
            runs.emplace_back(OpenProcess(SYNCHRONIZE, FALSE, DWORD(id)));
        }
    }
    for (AutoCloseHandle& run : runs) {
        if (run.IsValid()) {
            EXPECT_EQ(WaitForSingleObject(run.Get(), 60000), WAIT_OBJECT_0);
        }
    }
    // Each step moves one entry from one file to the other and adds the
    // position it started from.
    std::vector<std::string> lines = LinesOf(BackFile() + ForwardFile());
    const size_t failed = HostLogLines(*host).size();
    EXPECT_EQ(failed, 0u);
    EXPECT_EQ(lines.size(), 60u);
    std::set<std::string> distinct(lines.begin(), lines.end());
    EXPECT_EQ(distinct.size(), lines.size());
    for (const std::string& line : lines)
        EXPECT_EQ(expected.count(line), 1u) << line;
}

// Sources named in any script, in today's IDE, which starts the tools with
// UTF-16. A name the code page spells is stored in it, byte for byte as the
// 8-bit tools stored it (code page 1252: "€" is 0x80); any other behind "*"
// in UTF-8.
class NamesInTodaysIde : public HistoryInTheIde {
  protected:
    void SetUp() override {
        Mode = HostMode::Today;
        HistoryInTheIde::SetUp();
        ASSERT_EQ(GetACP(), 1252u);
        for (const std::string& f : {zhuk, nihon, euro})
            ASSERT_TRUE(WriteFileUtf8(f, NumberedLines(40)));
    }

    // The IDE shows the file at the cursor.
    void ExpectShown(const HostIde& host, const std::string& file, const std::string& cursor) {
        EXPECT_EQ(HostCurrentPathUtf8(host), file);
        EXPECT_EQ(HostCursor(host), cursor);
        EXPECT_EQ(HostFocusedEditor(host), HostVisibleEditor(host));
    }

    const std::string zhuk = sources / u8"Жук.pb", nihon = sources / u8"日本.pb",
                      euro = sources / u8"€uro.pb", euroBytes = sources / "\x80uro.pb";
};

TEST_F(NamesInTodaysIde, WalksThroughNamesOfAnyScript) {
    auto host = StartIde({a});
    ASSERT_TRUE(host->Ready);
    for (const std::string& f : {zhuk, nihon, euro})
        ASSERT_GE(HostOpenFileUtf8(*host, f), 0);
    RunAt(*host, 0, "5x3", Record);
    RunAt(*host, 1, "4x3", Record);
    RunAt(*host, 2, "7x2", Record);
    RunAt(*host, 3, "9x5", Record);
    const std::string walked = a + "|5x3\r\n*" + zhuk + "|4x3\r\n*" + nihon + "|7x2\r\n";
    ASSERT_EQ(BackFile(), walked + euroBytes + "|9x5\r\n");

    const struct {
        long Shortcut;
        const std::string& File;
        const char* Cursor;
    } steps[] = {
        {Back, nihon, "7x2"},   {Back, zhuk, "4x3"},     {Back, a, "5x3"},
        {Forward, zhuk, "4x3"}, {Forward, nihon, "7x2"}, {Forward, euro, "9x5"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.File + "|" + step.Cursor);
        ASSERT_TRUE(RunTool(*host, step.Shortcut));
        ExpectShown(*host, step.File, step.Cursor);
        if (&step == &steps[2]) {
            EXPECT_EQ(BackFile(), "");
            EXPECT_EQ(ForwardFile(),
                      euroBytes + "|9x5\r\n*" + nihon + "|7x2\r\n*" + zhuk + "|4x3\r\n");
        }
    }
    EXPECT_EQ(BackFile(), walked);
    EXPECT_EQ(ForwardFile(), "");
    EXPECT_TRUE(HostLogLines(*host).empty());
    ExpectIdeFilesUntouched(*host);
}

TEST_F(NamesInTodaysIde, OpensAClosedFileInAFolderOfAnyScript) {
    const std::string folder = sources / u8"Łódź", file = folder + "\\c.pb";
    ASSERT_TRUE(CreateFolderUtf8(folder));
    ASSERT_TRUE(WriteFileUtf8(file, NumberedLines(40)));
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, "*" + file + "|12x4\r\n"));
    auto host = StartIde({a, b});
    ASSERT_TRUE(host->Ready);
    RunAt(*host, 1, "3x1", Back);
    EXPECT_EQ(HostEditorCount(*host), 3);
    ExpectShown(*host, file, "12x4");
    EXPECT_EQ(BackFile(), "");
    EXPECT_EQ(ForwardFile(), b + "|3x1\r\n");
    ASSERT_TRUE(RunTool(*host, Forward));
    ExpectShown(*host, b, "3x1");
    EXPECT_EQ(BackFile(), "*" + file + "|12x4\r\n");
    ExpectIdeFilesUntouched(*host);
}

// Histories written by the 8-bit tools, and ones that mix both kinds.
TEST_F(NamesInTodaysIde, ReadsOldAndMixedHistories) {
    const std::string gruesse = sources / u8"Grüße.pb", gruesseBytes = sources / "Gr\xFC\xDF"
                                                                                 "e.pb";
    ASSERT_TRUE(WriteFileUtf8(gruesse, NumberedLines(40)));
    const std::string old = a + "|2x2\r\n" + gruesseBytes + "|6x1\r\n" + euroBytes + "|8x2\r\n";
    const std::string mixed = "*" + zhuk + "|3x3\r\n" + euroBytes + "|5x1\r\n";
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, old + mixed));
    auto host = StartIde({a, b});
    ASSERT_TRUE(host->Ready);
    ASSERT_EQ(HostSelectTab(*host, 1), 1);
    ASSERT_GE(HostSetCaret(*host, 9, 1), 0);
    for (const auto& [file, cursor] : std::vector<std::pair<std::string, std::string>>{
             {euro, "5x1"}, {zhuk, "3x3"}, {euro, "8x2"}, {gruesse, "6x1"}, {a, "2x2"}}) {
        SCOPED_TRACE(file + "|" + cursor);
        ASSERT_TRUE(RunTool(*host, Back));
        ExpectShown(*host, file, cursor);
    }
    EXPECT_EQ(BackFile(), "");
    EXPECT_EQ(ForwardFile(), b + "|9x1\r\n" + euroBytes + "|5x1\r\n*" + zhuk + "|3x3\r\n" +
                                 euroBytes + "|8x2\r\n" + gruesseBytes + "|6x1\r\n");
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(RunTool(*host, Forward));
    ExpectShown(*host, b, "9x1");
    EXPECT_EQ(BackFile(), old + mixed);
    EXPECT_TRUE(HostLogLines(*host).empty());
}

// Each is passed over like a file that is gone: nothing opened or run, the
// entries before it kept.
TEST_F(NamesInTodaysIde, PassesOverNamesThatAreNotWhole) {
    const std::string bat = sources / "build.bat";
    ASSERT_TRUE(WriteFileBytes(bat, "echo ran > ran.txt\r\n"));
    std::string longName;
    for (int i = 0; i < 33000; ++i)
        longName += u8"ж";
    const struct {
        const char* Name;
        std::string Entry;
    } cases[] = {
        {"malformed UTF-8 behind the marker", "*" + sources / "\xC3(.pb|1x1\r\n"},
        {"a marker with nothing behind it", "*|1x1\r\n"},
        {"an unpaired surrogate written as UTF-8", "*" + sources / "a\xED\xA0\x80.pb|1x1\r\n"},
        {"a NUL behind the marker", "*" + bat + std::string(1, '\0') + "x.pb|1x1\r\n"},
        {"a name longer than 32,767 characters", "*" + sources / longName + ".pb|1x1\r\n"},
    };
    auto host = StartIde({a, b, c});
    ASSERT_TRUE(host->Ready);
    const std::string kept = c + "|3x1\r\n" + a + "|5x2\r\n";
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.Name);
        ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, kept + bad.Entry));
        ASSERT_TRUE(WriteFileBytes(work / HistoryForwardFileName, ""));
        RunAt(*host, 1, "1x1", Back);
        ExpectAt(*host, 0, "5x2");
        EXPECT_EQ(BackFile(), c + "|3x1\r\n");
        EXPECT_EQ(ForwardFile(), b + "|1x1\r\n");
        EXPECT_EQ(HostEditorCount(*host), 3);
    }
    EXPECT_FALSE(FileExists(sources / "ran.txt"));
    EXPECT_FALSE(FileExists(work / "ran.txt"));
    EXPECT_TRUE(HostLogLines(*host).empty());
    ExpectIdeFilesUntouched(*host);
}

// The classic IDE's tabs and file list are 8-bit: code-page names work, a
// name behind the marker is passed over as if its file were gone, and
// nothing is handed to the system for it.
TEST_F(NamesInTodaysIde, TheClassicIdeTakesCodePageNamesOnly) {
    Mode = HostMode::Classic;
    HostFileType fileType(".pb");
    ASSERT_TRUE(fileType.Registered);
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName,
                               a + "|5x2\r\n" + euroBytes + "|4x4\r\n*" + zhuk + "|3x1\r\n"));
    auto host = StartIde({a, b, euroBytes});
    ASSERT_TRUE(host->Ready);
    RunAt(*host, 1, "2x1", Back);
    ExpectAt(*host, 2, "4x4");
    ASSERT_TRUE(RunTool(*host, Back));
    ExpectAt(*host, 0, "5x2");
    EXPECT_EQ(HostEditorCount(*host), 3);
    EXPECT_EQ(BackFile(), "");
    EXPECT_EQ(ForwardFile(), b + "|2x1\r\n" + euroBytes + "|4x4\r\n");
    EXPECT_TRUE(HostLogLines(*host).empty());
    ExpectIdeFilesUntouched(*host);
}

// The direction word decides; without one, or with another, nothing happens,
// and the exit code is 0 whatever the command line.
TEST(Brannow, OtherDirectionsDoNothing) {
    TempDir work;
    const std::string history = "x.pb|1x1\r\n";
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, history));
    ASSERT_TRUE(WriteFileBytes(work / HistoryForwardFileName, history));
    std::string exe = SiblingExe("Brannow.exe");
    for (const std::string& arguments :
         {std::string(""), std::string(" \"a.pb\"\"1x1\" \"back\""),
          std::string(" \"a.pb\"\"1x1\" \"SIDEWAYS\""), std::string(" \"unclosed"),
          " " + std::string(32000, 'x')}) {
        ProcessResult r = RunProcess(exe, "\"" + exe + "\"" + arguments, work.Path());
        ASSERT_TRUE(r.Finished);
        EXPECT_EQ(r.ExitCode, 0u);
    }
    EXPECT_EQ(ReadFileBytes(work / HistoryBackFileName), history);
    EXPECT_EQ(ReadFileBytes(work / HistoryForwardFileName), history);
}

// Lines that occur in no other file of these tests, each once.
std::string Program(int lines) {
    std::string text;
    for (int i = 1; i <= lines; ++i)
        text += "  Total + Value(" + std::to_string(i) + ")\r\n";
    return text;
}

// Blocks of If, Debug, EndIf, a comment and a blank line: every fifth line
// is the same EndIf.
std::string Blocks(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "If x = " + std::to_string(i) + "\r\n  Debug " + std::to_string(i) +
                "\r\nEndIf\r\n; ----\r\n\r\n";
    return text;
}

// A position recorded by Quillet (or left by a step), then its file edited
// above it: the step lands on the remembered code where it is found, on the
// remembered number where it is not, and never outside the text.
TEST_P(HistoryInBothIdes, FindsTheRememberedCodeAgain) {
    enum class Entry { Recorded, LeftByAStep, Old, Damaged, TooLong, OtherFile, ExtraField };
    enum class Edit { InsertThree, DeleteFour, InsertFive, RewriteAndInsertThree, Empty };
    const struct {
        const char* Name;
        Entry How;
        const char* Lands;
        Edit Change = Edit::InsertThree;
        const char* Remembered = "17x5";
        std::string Text = Program(40);
        bool OnDisk = false; // the file closed, changed on disk, opened by the step
        bool Unreadable = false;
    } cases[] = {
        {"three lines inserted above", Entry::Recorded, "20x5"},
        {"lines deleted above", Entry::Recorded, "13x5", Edit::DeleteFour},
        {"an EndIf among EndIf lines", Entry::Recorded, "28x4", Edit::InsertFive, "23x4",
         Blocks(12)},
        {"the line itself rewritten", Entry::Recorded, "17x5", Edit::RewriteAndInsertThree},
        {"closed and changed on disk", Entry::Recorded, "20x5", Edit::InsertThree, "17x5",
         Program(40), true},
        {"forward after an edit", Entry::LeftByAStep, "20x5"},
        {"an old entry", Entry::Old, "17x5"},
        {"200,000 lines", Entry::Recorded, "150003x3", Edit::InsertThree, "150000x3",
         Program(200000)},
        {"a damaged fingerprint", Entry::Damaged, "17x5"},
        {"a fingerprint too long", Entry::TooLong, "17x5"},
        {"another file's fingerprint", Entry::OtherFile, "17x5"},
        {"an extra field", Entry::ExtraField, "17x5"},
        {"a text that cannot be read", Entry::Recorded, "17x5", Edit::InsertThree, "17x5",
         Program(40), false, true},
        {"a file empty now", Entry::Recorded, "1x1", Edit::Empty},
    };
    std::unique_ptr<HostFileType> fileType;
    if (Mode == HostMode::Classic) {
        fileType = std::make_unique<HostFileType>(".pb");
        ASSERT_TRUE(fileType->Registered);
    }
    const std::string back = work / HistoryBackFileName, forward = work / HistoryForwardFileName;
    auto host = StartIde({a, b, c});
    ASSERT_TRUE(host->Ready);
    RunAt(*host, 0, "5x1", Record);
    HistoryEntry other;
    ASSERT_TRUE(
        ParseHistoryEntry(ReadFileBytes(back).substr(0, ReadFileBytes(back).size() - 2), &other));
    const char* inserted = "; one\r\n; two\r\n; three\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string file = sources / (std::to_string(&c - cases) + ".pb");
        ASSERT_TRUE(WriteFileBytes(file, c.Text));
        const int tab = HostOpenFile(*host, file);
        ASSERT_GT(tab, 0);
        ASSERT_TRUE(WriteFileBytes(back, c.How == Entry::LeftByAStep ? a + "|5x1\r\n" : ""));
        ASSERT_TRUE(WriteFileBytes(forward, ""));
        RunAt(*host, tab, c.Remembered, c.How == Entry::LeftByAStep ? Back : Record);
        const std::string& kept = c.How == Entry::LeftByAStep ? forward : back;
        const std::string line = ReadFileBytes(kept).substr(0, ReadFileBytes(kept).size() - 2);
        HistoryEntry entry;
        ASSERT_TRUE(ParseHistoryEntry(line, &entry));
        ASSERT_EQ(entry.Cursor, c.Remembered);
        ASSERT_EQ(entry.Fingerprint.size(), 59u) << line;

        std::string fingerprint = entry.Fingerprint;
        if (c.How == Entry::Damaged) fingerprint[3 + 3 * 8] ^= 1; // the line's own hash
        if (c.How == Entry::TooLong) fingerprint += "0";
        if (c.How == Entry::OtherFile) fingerprint = other.Fingerprint;
        if (c.How == Entry::ExtraField) fingerprint += "|x";
        if (c.How == Entry::Old) fingerprint.clear();
        std::string target = file, text = c.Text;
        const HWND editor = HostEditors(*host)[tab];
        switch (c.Change) {
        case Edit::InsertThree:
            text = inserted + text;
            ASSERT_TRUE(HostInsertText(*host, editor, 1, inserted));
            break;
        case Edit::DeleteFour:
            ASSERT_TRUE(HostDeleteLines(*host, editor, 2, 4));
            break;
        case Edit::InsertFive:
            ASSERT_TRUE(HostInsertText(*host, editor, 1, "\r\n\r\n\r\n\r\n\r\n"));
            break;
        case Edit::RewriteAndInsertThree:
            ASSERT_TRUE(HostDeleteLines(*host, editor, 17, 1));
            ASSERT_TRUE(HostInsertText(*host, editor, 17, "  Total - Value(17)\r\n"));
            ASSERT_TRUE(HostInsertText(*host, editor, 1, inserted));
            break;
        case Edit::Empty:
            ASSERT_TRUE(HostDeleteLines(*host, editor, 1, 1000));
            ASSERT_EQ(HostEditorText(editor), "");
            break;
        }
        if (c.OnDisk) {
            target = sources / ("changed" + std::to_string(&c - cases) + ".pb");
            ASSERT_TRUE(WriteFileBytes(target, text));
        }
        ASSERT_TRUE(WriteFileBytes(kept, target + "|" + entry.Cursor +
                                             (fingerprint.empty() ? "" : "|" + fingerprint) +
                                             "\r\n"));
        HostSetPointerFailure(*host, c.Unreadable);
        if (c.How == Entry::LeftByAStep)
            ASSERT_TRUE(RunTool(*host, Forward));
        else
            RunAt(*host, 0, "1x1", Back);
        HostSetPointerFailure(*host, false);
        ExpectAt(*host, c.OnDisk ? HostEditorCount(*host) - 1 : tab, c.Lands);
        EXPECT_EQ(ReadFileBytes(kept), "");
        // The position left keeps its fingerprint when the editor can be read.
        const std::string left = ReadFileBytes(c.How == Entry::LeftByAStep ? back : forward);
        const std::string from = c.How == Entry::LeftByAStep ? "5x1" : "1x1";
        EXPECT_EQ(left.size(), (a + "|" + from + "\r\n").size() + (c.Unreadable ? 0 : 60)) << left;
        EXPECT_EQ(left.compare(0, a.size() + from.size() + 1, a + "|" + from), 0) << left;
    }
    EXPECT_TRUE(HostLogLines(*host).empty());
}

// A pick compared with presses from b 4x1, on a history of newest first
// c|20x5, c|20x2 (the line the press before stops at), d (gone), a line that
// is no entry, b|10x7, a|5x3; forward, the nearest first, c|12x4 and a|30x1;
// then on bad histories, read alike in both IDEs so given to today's alone.
// A pick the IDE refuses, or one on a history changed since it was listed,
// changes nothing and logs one line.
TEST_P(HistoryInBothIdes, APickEqualsThatManyPresses) {
    const std::string back = a + "|5x3\r\n" + b + "|10x7\r\nno entry\r\n" + d + "|3x1\r\n" + c +
                             "|20x2\r\n" + c + "|20x5\r\n",
                      forward = a + "|30x1\r\n" + c + "|12x4\r\n";
    const std::string folder = sources / "folder.pb", older = a + "|5x3\r\n",
                      newer = c + "|9x2\r\n";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string million;
    million.reserve(40000000);
    for (int i = 0; i < 1000000; ++i)
        million += (i % 2 ? a : c) + "|" + std::to_string(i % 37 + 1) + "x1\r\n";
    DeleteFileA(d.c_str());
    auto host = StartIde({a, b, c});
    ASSERT_TRUE(host->Ready);
    const std::vector<WORD> second = {VK_DOWN, VK_RETURN};
    const struct {
        std::string Back, Forward;
        long Shortcut;
        int Presses;
        std::vector<WORD> Keys;
        size_t Rows;
        int Tab;
        const char* Lands;
        const char* BadInput = nullptr;
        // Appended by another program while the list is open: the pick
        // goes only on the history it listed, so nothing changes.
        std::string Added = "";
        bool Refused = false;
        // Go back pressed just before the list is asked for: the list shows
        // the history that step leaves, so a pick is one press more.
        bool BackFirst = false;
    } cases[] = {
        {back, forward, Back, 3, {VK_DOWN, VK_DOWN, VK_RETURN}, 7, 0, "5x3"}, // the third back
                                                                              // entry
        {back, forward, Back, 1, {VK_RETURN}, 7, 2, "20x5"},
        {back, forward, Forward, 2, {VK_UP, VK_UP, VK_RETURN}, 7, 0, "30x1"},
        {back, forward, Back, 0, second, 7, 1, "4x1", nullptr, a + "|33x1\r\n"},
        {back, forward, Back, 3, second, 7, 0, "5x3", nullptr, "", false, true},
        // No back entry to pick: Enter is one Go back, never a step forward.
        {d + "|3x1\r\n", forward, Back, 1, {VK_RETURN}, 4, 1, "4x1", nullptr, ""},
        {older + "no entry\r\n|\r\n\r\n||1x1\r\n" + newer, "", Back, 2, second, 3, 0, "5x3",
         "lines that are no entries"},
        {older + std::string(50000000, 'x') + "|1x1\r\n" + newer, "", Back, 2, second, 3, 0, "5x3",
         "a 50 MB line"},
        {older + std::string("\0\x01\xff\xfe|\x80\x81\r\n\x1b\x7f\r\n", 13) + newer, "", Back, 2,
         second, 3, 0, "5x3", "binary bytes"},
        {older + newer + b + "|7x2|v1:" + std::string(56, '7') + "\r\n", "", Back, 2, second, 4, 2,
         "9x2", "a fingerprint that does not match"},
        {older + folder + "|1x1\r\n" + newer, "", Back, 2, second, 4, 0, "5x3",
         "a file that is a folder"},
        {older + newer + b + "|99999x4\r\n", "", Back, 2, second, 4, 2, "9x2",
         "a line far past the file's end"},
        {million, "", Back, 2, second, 1001, 2, "37x1", "1,000,000 entries"},
        // Last: the IDE shows the log of the file it is at, b.
        {back, forward, Back, 0, {VK_RETURN}, 7, 1, "4x1", nullptr, "", true},
    };
    for (const auto& c : cases) {
        if (c.BadInput && Mode == HostMode::Classic) continue;
        SCOPED_TRACE(c.BadInput ? c.BadInput : std::to_string(&c - cases));
        SetHistory(*host, c.Back + c.Added, c.Forward, 1, 4);
        for (int press = 0; press < c.Presses; ++press)
            ASSERT_TRUE(RunTool(*host, c.Shortcut));
        const std::string pressed = Outcome(*host);
        SetHistory(*host, c.Back, c.Forward, 1, 4);
        AutoCloseHandle first(
            c.BackFirst ? OpenProcess(SYNCHRONIZE, FALSE, DWORD(HostRunToolByShortcut(*host, Back)))
                        : nullptr);
        PickerWindow picker = OpenPicker(*host, Pick);
        ASSERT_TRUE(picker.Window);
        EXPECT_EQ(PickerRows(picker).size(), c.Rows);
        if (!c.Added.empty()) {
            ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, c.Back + c.Added));
        }
        if (c.Refused) {
            HostSetFrozen(*host, Mode == HostMode::Classic);
            HostSetHandOverFrozen(*host, Mode == HostMode::Today);
        }
        PressKeys(c.Keys);
        ASSERT_TRUE(Ended(picker));
        HostSetFrozen(*host, false);
        HostSetHandOverFrozen(*host, false);
        EXPECT_EQ(Outcome(*host), pressed);
        if (!c.Refused && c.Added.empty()) ExpectAt(*host, c.Tab, c.Lands);
    }
    const std::vector<std::string> log = HostLogLines(*host);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[0].find(LogLine(LogText::HistoryChanged)), std::string::npos);
    EXPECT_NE(log[1].find(LogLine(LogText::StepNotReached)), std::string::npos);
    ExpectIdeFilesUntouched(*host);
    if (Mode == HostMode::Classic) return;
    // Today's IDE killed while a step waits for it to take the file the
    // system's way and the list waits for that step to end before it reads
    // the history: both end with it, and the navigator's half of the step is
    // taken back.
    HostFileType fileType(".pb");
    ASSERT_TRUE(fileType.Registered);
    SetHistory(*host, older, "", 1, 2);
    HostLeaveOutToolVariable(*host, "PB_TOOL_IDE");
    HostSetHandOverFrozen(*host, true);
    AutoCloseHandle brannow(
        OpenProcess(SYNCHRONIZE, FALSE, DWORD(HostRunToolByShortcut(*host, Back))));
    ASSERT_TRUE(brannow.IsValid());
    Sleep(1500); // into the hand-over
    AutoCloseHandle picker(
        OpenProcess(SYNCHRONIZE, FALSE, DWORD(HostRunToolByShortcut(*host, Pick))));
    ASSERT_TRUE(picker.IsValid());
    Sleep(500);
    ASSERT_EQ(WaitForSingleObject(brannow.Get(), 0), WAIT_TIMEOUT);
    ASSERT_EQ(WaitForSingleObject(picker.Get(), 0), WAIT_TIMEOUT);
    ASSERT_TRUE(TerminateProcess(host->Process.Get(), 1));
    const HANDLE tools[] = {brannow.Get(), picker.Get()};
    EXPECT_EQ(WaitForMultipleObjects(2, tools, TRUE, 2000), WAIT_OBJECT_0);
    EXPECT_EQ(BackFile() + ForwardFile(), older);
}

// The cells of a row read by PickerRows.
std::vector<std::string> Cells(const std::string& row) {
    std::vector<std::string> cells;
    for (size_t at = 0;;) {
        const size_t end = row.find(" | ", at);
        cells.push_back(row.substr(at, end - at));
        if (end == std::string::npos) return cells;
        at = end + 3;
    }
}

// The rows read are the rows expected, where a folder may be cut at its
// start to its column: "…" and the folder's end. An expected folder that
// begins with "…" must be cut so and end so.
bool SameRows(const std::vector<std::string>& read, const std::vector<std::string>& expected) {
    const std::string cut = u8"…";
    const auto endsWith = [](const std::string& text, const std::string& end) {
        return text.size() >= end.size() &&
               text.compare(text.size() - end.size(), end.size(), end) == 0;
    };
    if (read.size() != expected.size()) return false;
    for (size_t row = 0; row < read.size(); ++row) {
        std::vector<std::string> got = Cells(read[row]), want = Cells(expected[row]);
        if (got.size() != 5 || want.size() != 5) return false;
        const std::string &folder = got[2], &wanted = want[2];
        const bool isCut = folder.rfind(cut, 0) == 0 && folder.size() > cut.size();
        const bool fits =
            wanted.rfind(cut, 0) == 0
                ? isCut && endsWith(folder, wanted.substr(cut.size()))
                : folder == wanted || (isCut && endsWith(wanted, folder.substr(cut.size())));
        got[2] = want[2];
        if (!fits || got != want) return false;
    }
    return true;
}

// The list as it opens, as it is walked through and filtered with keys (the
// typing reaching the filter), a folder too long for its column cut at its
// start; a long burst of typing leaves it answering, and Esc leaves
// everything as it was.
TEST_F(NamesInTodaysIde, ThePickerListsFiltersAndCloses) {
    DeleteFileA(d.c_str());
    std::string deepFolder = sources.Path() + "pick-windows-of-a-folder-named-at-length";
    for (const char* inner : {"", "\\windows", "\\pick-3"})
        ASSERT_TRUE(CreateDirectoryA((deepFolder += inner).c_str(), nullptr));
    const std::string deep = deepFolder + "\\e.pb";
    ASSERT_TRUE(WriteFileBytes(deep, NumberedLines(40)));
    const std::string back =
                          deep + "|6x1\r\n" + a + "|5x3\r\n" + d + "|3x1\r\n*" + zhuk + "|4x3\r\n",
                      forward = c + "|12x4\r\n";
    const std::string burst(10000, 'z');
    const ULONGLONG bare = BareWindowTakes(burst);
    auto host = StartIde({a, b, c});
    ASSERT_TRUE(host->Ready);
    SetHistory(*host, back, forward, 1, 2);
    const std::string before = Outcome(*host);
    PickerWindow picker = OpenPicker(*host, Pick);
    ASSERT_TRUE(picker.Window);
    std::string folder = sources.Path();
    folder.pop_back();
    const std::string forwardRow = "Forward | c.pb | " + folder + " | 12:4 | line 12",
                      currentRow = "Current | b.pb | " + folder + " | 2:1 | line 2",
                      zhukRow = u8" | Жук.pb | " + folder + " | 4:3 | line 4",
                      goneRow = " | d.pb | " + folder + " | 3:1 | ",
                      aRow = " | a.pb | " + folder + " | 5:3 | line 5",
                      deepRow = u8" | e.pb | …\\windows\\pick-3 | 6:1 | line 6";
    const std::vector<std::string> all = {forwardRow, currentRow, zhukRow, goneRow, aRow, deepRow};
    // Moves pass the gone file and the current position, which cannot be picked.
    const struct {
        std::vector<WORD> Keys;
        std::string Typed;
        std::vector<std::string> Rows;
        int Selected;
    } steps[] = {
        {{}, "", all, 2},
        {{VK_DOWN}, "", all, 4},
        {{VK_DOWN}, "", all, 5},
        {{VK_DOWN}, "", all, 5},
        {{VK_UP}, "", all, 4},
        {{VK_UP}, "", all, 2},
        {{VK_UP}, "", all, 0},
        {{VK_NEXT}, "", all, 5},
        {{VK_PRIOR}, "", all, 0},
        {{}, u8"жУК", {currentRow, zhukRow}, 1},     // another script
        {{}, "\b\b\bLINE 5", {currentRow, aRow}, 1}, // code text
        {{}, "\b\b\b\b\b\b.PB", all, 0},
    };
    std::vector<std::string> rows;
    for (const auto& step : steps) {
        PressKeys(step.Keys, step.Typed);
        bool reached = false;
        for (ULONGLONG end = GetTickCount64() + 10000; !reached && GetTickCount64() < end;
             Sleep(20)) {
            int selected = -1;
            rows = PickerRows(picker, &selected);
            reached = SameRows(rows, step.Rows) && selected == step.Selected;
        }
        EXPECT_TRUE(reached) << &step - steps << ": " << testing::PrintToString(rows);
    }
    // 10,000 characters typed at once, then Esc: the list takes them about as
    // fast as a window that does nothing with them (a tenth of the time it
    // took when each key cost more the longer the filter was).
    const ULONGLONG bound = bare * 3 + 15000;
    PressKeys({}, burst);
    PressKeys({VK_ESCAPE});
    EXPECT_EQ(WaitForSingleObject(picker.Process.Get(), DWORD(bound)), WAIT_OBJECT_0)
        << "a window that does nothing took them in " << bare << " ms";
    ASSERT_TRUE(Ended(picker));
    EXPECT_EQ(Outcome(*host), before);
    EXPECT_TRUE(HostLogLines(*host).empty());
}

} // namespace
