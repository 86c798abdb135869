// Velmont run by the stand-in IDE on its events, beside Remember, Go back and
// Go forward, while the test moves the caret as a person would. Each check
// waits for the history it expects; one that nothing was recorded is closed
// by a move that is.
#include "follower/follow_rules.h"
#include "history/history_line.h"
#include "history/line_fingerprint.h"
#include "ide/follower_link.h"
#include "ide/log_texts.h"
#include "testing/host_ide/host_client.h"
#include "testing/picker_driver.h"
#include "testing/test_support.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <memory>
#include <optional>

namespace {

const long Record = 0x20035, Back = 0x20034, Forward = 0x20036, Pick = 0x20033; // Ctrl+5, 4, 6, 3

// Tools.prefs as the installation writes it: the follower's four entries,
// on the IDE's events or, menuOnly, on none (a test runs them by number),
// the closing one left out when !closing, the side buttons on unless
// !buttons; then Remember, Go back, Go forward, Recent positions.
std::string ToolsPrefs(const std::string& workingDir, bool menuOnly = false, bool closing = true,
                       bool buttons = true) {
    std::string text;
    int count = 0;
    const auto add = [&](const std::string& exe, const std::string& arguments, long shortcut,
                         int trigger, int flags) {
        text += "[Tool_" + std::to_string(count++) + "]\r\nCommand = " + SiblingExe(exe) +
                "\r\nArguments = " + arguments + "\r\nWorkingDir = " + workingDir +
                "\r\nShortcut = " + std::to_string(shortcut) +
                "\r\nTrigger = " + std::to_string(menuOnly ? 0 : trigger) +
                "\r\nFlags = " + std::to_string(flags) + "\r\nHideFromMenu = 1\r\n";
    };
    for (const auto& [event, trigger] :
         {std::pair{"STARTED", 1}, {"LOADED", 8}, {"SAVED", 9}, {"CLOSING", 13}, {"OPENED", 0}})
        if (closing || trigger != 13)
            add("Velmont.exe",
                std::string("\"%FILE\" \"") + event + "\" 20" + (buttons ? " SIDEBUTTONS" : ""), 0,
                trigger, trigger == 13 ? 3 : 2);
    add("Quillet.exe", "\"%FILE\"\"%CURSOR\"", Record, 0, 1);
    add("Brannow.exe", "\"%FILE\"\"%CURSOR\" \"BACK\"", Back, 0, 0);
    add("Brannow.exe", "\"%FILE\"\"%CURSOR\" \"FORWARD\"", Forward, 0, 0);
    add("Lisarde.exe", "\"%FILE\"\"%CURSOR\"", Pick, 0, 0);
    return "[ToolsInfo]\r\nToolCount = " + std::to_string(count) + "\r\n" + text;
}

// The positions of a history file, each line without its fingerprint.
std::string Positions(const std::string& path) {
    const std::string text = ReadFileBytes(path);
    std::string positions;
    for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        positions +=
            text.substr(at, std::min(end, text.find('|', text.find('|', at) + 1)) - at) + "\r\n";
    return positions;
}

int VelmontCount(const char* exe = "Velmont.exe") {
    AutoCloseHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more;
         more = Process32Next(snapshot.Get(), &entry))
        count += lstrcmpiA(entry.szExeFile, exe) == 0;
    return count;
}

// A window of the test in front of everything, covering the screen: what
// the pointer is over then is another program's window.
struct WindowInFront {
    HWND Window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  nullptr, nullptr, nullptr, nullptr);
    WindowInFront() {
        SetForegroundWindow(Window);
        for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageA(&message);
    }
    ~WindowInFront() { DestroyWindow(Window); }
};

template <class Check> bool WaitFor(Check check, DWORD timeoutMs = 10000) {
    for (const ULONGLONG end = GetTickCount64() + timeoutMs; !check(); Sleep(20))
        if (GetTickCount64() > end) return check();
    return true;
}

class FollowerTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryA((appData / "PureBasic").c_str(), nullptr));
        const std::string folder = appData.Path().substr(0, appData.Path().size() - 1);
        ASSERT_TRUE(SetEnvironmentVariableA("APPDATA", folder.c_str()));
        for (const std::string& f : {a, b, c, d})
            ASSERT_TRUE(WriteFileBytes(f, NumberedLines(120)));
        ASSERT_TRUE(WriteFileBytes(idePrefs, "[Global]\r\nRunOnce = 1\r\n"));
        WriteTools(ToolsPrefs(work.Path()));
    }
    void WriteTools(const std::string& text) {
        ASSERT_TRUE(WriteFileBytes(appData / "PureBasic\\Tools.prefs", text));
    }

    // The IDE with the files, its follower listening, the first file current.
    std::unique_ptr<HostIde> StartIde(const std::vector<std::string>& files) {
        auto host = std::make_unique<HostIde>(sources.Path(), files, Mode, idePrefs);
        EXPECT_TRUE(host->Ready);
        EXPECT_TRUE(WaitFor([&] { return FindFollower(host->MainWindow) != nullptr; }));
        ide = host.get();
        Paced([] {}); // it has asked about the sources loaded
        Tab(0);
        return host;
    }

    std::string BackFile() const { return Positions(work / HistoryBackFileName); }
    std::string ForwardFile() const { return Positions(work / HistoryForwardFileName); }
    // The back history once it is as expected, or after 10 s.
    std::string BackFileOnce(const std::string& expected) const {
        WaitFor([&] { return BackFile() == expected; });
        return BackFile();
    }
    // The follower adds these lines to the back history next.
    void Recorded(const std::string& lines) {
        back += lines;
        EXPECT_EQ(BackFileOnce(back), back);
    }

    // What a person does next comes after the follower has asked the editor
    // about this: the editors' messages rose and then stayed still.
    template <class Act> void Paced(Act act) {
        const long before = HostCounters(*ide).EditorMessages;
        act();
        long seen = before;
        WaitFor([&] { return (seen = HostCounters(*ide).EditorMessages) > before; }, 5000);
        for (long now; Sleep(100), (now = HostCounters(*ide).EditorMessages) != seen;)
            seen = now;
    }
    // Each of a person's moves; one that does not happen fails the checks after it.
    void Caret(long line, long column) {
        Paced([&] { HostSetCaret(*ide, line, column); });
    }
    void Key(unsigned key) {
        Paced([&] { HostPressCaretKey(*ide, key); });
    }
    void Goto(long line) {
        Paced([&] { HostGotoLine(*ide, line); });
    }
    void Tab(int tab) {
        Paced([&] { HostSelectTab(*ide, tab); });
    }
    // The starts that hand news over have ended: the follower has it.
    static void NewsTaken() {
        EXPECT_TRUE(WaitFor([] { return VelmontCount() == 1; }));
    }
    // The steps the follower started for the buttons, or a test without
    // waiting, have run and ended; false when none ran.
    // A step starts within a few hundred ms of its press: a step that was
    // not to start is given 2 s to show that it did.
    static bool StepsRan(bool expected = true) {
        return WaitFor([] { return VelmontCount("Brannow.exe") > 0; }, expected ? 5000 : 2000) &&
               WaitFor([] { return VelmontCount("Brannow.exe") == 0; }, 60000);
    }
    // The IDE at a's line 30, the follower told so by a step of nothing
    // (what it decided before is written at once), then the history files
    // as given.
    void StartFrom(const std::string& backLines, const std::string& forwardLines) {
        HostSelectTab(*ide, 0);
        HostSetCaret(*ide, 30, 4);
        IdeConnection connection;
        connection.MainWindow = ide->MainWindow;
        { FollowerPause pause(connection); }
        ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, backLines));
        ASSERT_TRUE(WriteFileBytes(work / HistoryForwardFileName, forwardLines));
        SetForegroundWindow(ide->MainWindow);
    }
    // Both files, where the IDE is, and its newest log line from the
    // tool's words on.
    std::string Outcome() const {
        const std::vector<std::string> log = HostLogLines(*ide);
        const std::string newest = log.empty() ? "" : log.back();
        return ReadFileBytes(work / HistoryBackFileName) + "--\r\n" +
               ReadFileBytes(work / HistoryForwardFileName) + "--\r\n" + HostCurrentPathUtf8(*ide) +
               "|" + HostCursor(*ide) +
               newest.substr(std::min(newest.find("[PLUGIN]"), newest.size()));
    }
    // Remember is waited for by the IDE, a step by the test.
    bool RunTool(long shortcut) {
        const long result = HostRunToolByShortcut(*ide, shortcut);
        AutoCloseHandle step(OpenProcess(SYNCHRONIZE, FALSE, DWORD(result)));
        return shortcut == Record
                   ? result == 0
                   : result > 0 && (!step.IsValid() || WaitForSingleObject(step.Get(), 30000) == 0);
    }

    HostMode Mode = HostMode::Today;
    const HostIde* ide = nullptr; // the IDE of the moves
    std::string back;             // what the back history holds by now
    TempDir appData, work, sources;
    const std::string a = sources / "a.pb", b = sources / "b.pb", c = sources / "c.pb",
                      d = sources / "d.pb", e = sources / "e.pb",
                      idePrefs = appData / "IdePrefs.prefs";
};

class Following : public FollowerTest, public testing::WithParamInterface<HostMode> {
  protected:
    void SetUp() override {
        Mode = GetParam();
        FollowerTest::SetUp();
    }
};

// A day of jumps and switches, then Go back and Go forward over it.
TEST_P(Following, RecordsJumpsAndSwitchesAndLetsStepsBe) {
    auto host = StartIde({a, b, c});
    Caret(10, 3);
    HostFreezeAfterReport(*host, 3000);
    Key(VK_NEXT); // 30 lines down: a jump, then the IDE answers nobody for 3 s
    Goto(90);     // the line jumped to is left
    Recorded(a + "|10x3\r\n" + a + "|40x3\r\n");
    Caret(70, 1); // 20 lines: none
    Tab(1);
    Recorded(a + "|70x1\r\n");
    Caret(5, 2);
    Tab(0);
    Recorded(b + "|5x2\r\n");

    for (long step : {Back, Back, Forward})
        ASSERT_TRUE(RunTool(step));
    EXPECT_EQ(HostCurrentPathUtf8(*host) + "|" + HostCursor(*host), b + "|5x2");
    back = a + "|10x3\r\n" + a + "|40x3\r\n" + a + "|70x1\r\n";
    EXPECT_EQ(BackFile(), back);
    EXPECT_EQ(ForwardFile(), a + "|70x1\r\n");
    // Whatever the steps' reports were, the next jump goes on from the step's
    // target, and drops the forward history as Remember does.
    Key(VK_NEXT);
    Recorded(b + "|5x2\r\n");
    EXPECT_EQ(ForwardFile(), "");
    EXPECT_TRUE(HostLogLines(*host).empty());
}

// The mouse's side buttons do what Go back and Go forward do: each row runs
// from the same start once with the buttons (the IDE still gets them) and
// once with the shortcuts, to the same files byte for byte, the same place
// and the same newest log line; where nothing can be pressed (another
// program in front, a hung IDE) nothing happens. A burst ends in bounded
// time with both files whole.
TEST_P(Following, SideButtonsStepAsTheShortcutsDo) {
    auto host = StartIde({a, b});
    const std::string backLines = a + "|5x1\r\n" + b + "|60x2\r\n" + c + "|7x1\r\n",
                      forwardLines = b + "|90x1\r\n";
    const struct {
        const char* Name;
        int Button, Presses;
        bool StepFirst, InFront, Held; // a shortcut's step first; the history held
        unsigned FreezeMs;             // the IDE answers nobody after the press
        std::vector<long> Shortcuts;
    } rows[] = {
        {"back", 1, 1, false, false, false, 0, {Back}},
        {"forward", 2, 1, false, false, false, 0, {Forward}},
        {"two quick presses", 1, 2, false, false, false, 0, {Back, Back}},
        {"a press while a step runs", 1, 1, true, false, false, 0, {Back, Back}},
        {"the history files held", 1, 1, false, false, true, 0, {Back}},
        {"another program in front", 1, 1, false, true, false, 0, {}},
        {"a hung IDE", 1, 1, false, false, false, 3000, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        std::string outcome[2];
        for (int run = 0; run < 2; ++run) {
            StartFrom(backLines, forwardLines);
            std::optional<WindowInFront> front;
            if (row.InFront) front.emplace();
            AutoCloseHandle held(row.Held ? CreateFileA((work / HistoryBackFileName).c_str(),
                                                        GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                                        nullptr)
                                          : INVALID_HANDLE_VALUE);
            const long buttons = HostCounters(*host).SideButtons;
            if (run == 0) {
                EXPECT_TRUE(!row.StepFirst || HostRunToolByShortcut(*host, Back) > 0);
                ASSERT_TRUE(HostPressSideButton(*host, row.Button, row.Presses, row.FreezeMs));
            }
            for (long shortcut : run == 1 ? row.Shortcuts : std::vector<long>())
                ASSERT_GT(HostRunToolByShortcut(*host, shortcut), 0);
            // Nothing pressed at all needs no wait for nothing to start.
            if (run == 0 || !row.Shortcuts.empty()) {
                EXPECT_EQ(StepsRan(!row.Shortcuts.empty()), !row.Shortcuts.empty());
            }
            EXPECT_EQ(HostCounters(*host).SideButtons - buttons,
                      run == 0 && !row.InFront ? 2 * row.Presses : 0);
            outcome[run] = Outcome();
        }
        EXPECT_EQ(outcome[0], outcome[1]);
    }
    StartFrom(backLines, forwardLines);
    ASSERT_TRUE(HostPressSideButton(*host, 1, 50));
    EXPECT_TRUE(StepsRan());
    // Whole: the files as after some of the three steps there are to take,
    // each whole or not at all.
    const std::string backs[] = {a + "|5x1\r\n", b + "|60x2\r\n", c + "|7x1\r\n"},
                      forwards[] = {b + "|90x1\r\n", a + "|30x4\r\n", c + "|7x1\r\n",
                                    b + "|60x2\r\n"};
    std::string states;
    for (int taken = 0; taken <= 3; ++taken) {
        for (int i = 0; i < 3 - taken; ++i)
            states += backs[i];
        states += "--\r\n";
        for (int i = 0; i <= taken; ++i)
            states += forwards[i];
        states += "==\r\n";
    }
    EXPECT_NE(("==\r\n" + states).find("==\r\n" + BackFile() + "--\r\n" + ForwardFile() + "==\r\n"),
              std::string::npos);
}

// Lines added above passed-over entries in another open source, not saved:
// a pick lands each where that many presses land, as the follower names the
// source's editor to the picker, and the pick goes ahead on the history it
// listed, what the follower recorded of the place left on the list.
TEST_P(Following, APickLandsWherePressesLandOverChangesNotSaved) {
    auto host = StartIde({a, b});
    const std::string text = NumberedLines(120);
    const auto entry = [&](const std::string& file, int line, int column) {
        return file + "|" + std::to_string(line) + "x" + std::to_string(column) + "|" +
               FingerprintOfLine(text, line) + "\r\n";
    };
    const std::string backLines = entry(a, 5, 3) + entry(b, 50, 3) + entry(b, 90, 2);
    ASSERT_TRUE(HostInsertText(*host, HostEditors(*host)[1], 1, "; one\r\n; two\r\n; three\r\n"));
    // The pick first: the presses save b.pb as they make it current.
    std::string outcome[2];
    for (int run = 0; run < 2; ++run) {
        StartFrom(backLines, "");
        if (run == 0) {
            PickerWindow picker = OpenPicker(*host, Pick);
            ASSERT_TRUE(picker.Window);
            PressKeys({VK_DOWN, VK_DOWN, VK_RETURN});
            ASSERT_TRUE(Ended(picker));
        } else {
            for (int press = 0; press < 3; ++press)
                ASSERT_TRUE(RunTool(Back));
        }
        outcome[run] = Outcome();
    }
    EXPECT_EQ(outcome[0], outcome[1]);
    EXPECT_NE(outcome[0].find(b + "|93x2|"), std::string::npos) << outcome[0];
}

// The file each position is recorded under follows the source: Remember,
// Save As, a file opened by Go back, the source closing.
TEST_P(Following, KnowsEachSourcesFile) {
    HostFileType fileType(".pb"); // the classic IDE is handed a file by the system
    ASSERT_TRUE(fileType.Registered);
    auto host = StartIde({a, b});
    Caret(10, 3);
    ASSERT_TRUE(RunTool(Record));
    Key(VK_NEXT); // the position just remembered: one entry
    Caret(45, 1);
    Goto(100);
    Recorded(a + "|10x3\r\n" + a + "|45x1\r\n");

    // Today's IDE gives every name whole; the classic one only what its code
    // page spells.
    const std::string renamed = GetParam() == HostMode::Today ? sources / u8"Жук.pb" : e;
    const std::string stored = GetParam() == HostMode::Today ? "*" + renamed : renamed;
    Caret(90, 2);
    ASSERT_EQ(HostSaveFileAs(*host, renamed), 1);
    Goto(20); // at once, before the news of the save can have come
    Recorded(stored + "|90x2\r\n");

    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, back + d + "|7x4\r\n"));
    ASSERT_TRUE(RunTool(Back));
    EXPECT_EQ(ForwardFile(), stored + "|20x1\r\n");
    NewsTaken();
    Key(VK_NEXT);
    Recorded(d + "|7x4\r\n");
    EXPECT_EQ(ForwardFile(), "");

    Caret(50, 1);
    ASSERT_EQ(HostCloseFile(*host), 2);
    back += d + "|50x1\r\n";
    EXPECT_EQ(BackFile(), back); // the IDE waited for it
    EXPECT_TRUE(HostLogLines(*host).empty());
}

// One follower for all the IDE's events, four hundred sources opened one
// after another among them (today's IDE, each start costing Wine about
// 100 ms; twenty in the classic one), the last one's name known; gone within
// a second or two of the IDE's end, whether it closed or was killed.
// Meanwhile, in today's IDE, a jump waits for a back file another program
// holds for 30 s, and is not lost nor said as a failure.
TEST_P(Following, OneFollowerForManyEventsGoneWithTheIde) {
    auto host = StartIde({a, b});
    const HWND follower = FindFollower(host->MainWindow);
    ASSERT_EQ(HostSaveFile(*host), 1);
    ASSERT_EQ(HostCloseFile(*host), 1);
    const bool today = Mode == HostMode::Today;
    const ULONGLONG heldSince = GetTickCount64();
    AutoCloseHandle held(today ? CreateFileA((work / HistoryBackFileName).c_str(), GENERIC_READ, 0,
                                             nullptr, CREATE_NEW, 0, nullptr)
                               : INVALID_HANDLE_VALUE);
    ASSERT_EQ(held.IsValid(), today);
    Caret(10, 1);
    Key(VK_NEXT);
    std::string last;
    for (int i = 0; i < (today ? 400 : 20); ++i) {
        last = sources / ("many" + std::to_string(i) + ".pb");
        ASSERT_TRUE(WriteFileBytes(last, NumberedLines(40)));
        ASSERT_GE(HostOpenFile(*host, last), 0);
    }
    NewsTaken();
    while (today && GetTickCount64() - heldSince < 30000)
        Sleep(100);
    held.Close();
    Recorded(b + "|10x1\r\n" + b + "|40x1\r\n"); // the jump, then the switch away
    EXPECT_EQ(FindFollower(host->MainWindow), follower);
    Caret(5, 1);
    Key(VK_NEXT);
    Recorded(last + "|5x1\r\n");
    EXPECT_TRUE(HostLogLines(*host).empty());
    // The last jump as the IDE ends, its file held a moment by another
    // program: the follower's last write waits for it.
    Key(VK_PRIOR);
    held = AutoCloseHandle(CreateFileA((work / HistoryBackFileName).c_str(), GENERIC_READ, 0,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.IsValid());
    host.reset();
    Sleep(300);
    held.Close();
    Recorded(last + "|35x1\r\n");
    EXPECT_TRUE(WaitFor([] { return VelmontCount() == 0; }, 3000));

    host = StartIde({a});
    ASSERT_EQ(VelmontCount(), 1);
    ASSERT_TRUE(TerminateProcess(host->Process.Get(), 1));
    EXPECT_TRUE(WaitFor([] { return VelmontCount() == 0; }, 3000));
}

// Starts with a tool environment of their own: each ends in time, and only
// an IDE that started it gets a follower.
TEST_F(FollowerTest, OddStartsEndInTime) {
    WriteTools(ToolsPrefs(work.Path(), true));
    auto host =
        std::make_unique<HostIde>(sources.Path(), std::vector<std::string>{a, b}, Mode, idePrefs);
    ASSERT_TRUE(host->Ready);
    const struct {
        const char* Name;
        int Tool; // STARTED, LOADED, SAVED, CLOSING, OPENED
        const char* Variable;
        std::string Value;
        bool Follows; // this start becomes the follower
        int Left;     // followers running afterwards
    } cases[] = {
        {"main window no window", 1, "PB_TOOL_MainWindow", "12345", false, 0},
        {"main window of another program", 1, "PB_TOOL_MainWindow",
         std::to_string(uintptr_t(GetDesktopWindow())), false, 0},
        {"an event it does not know", 4, nullptr, "", false, 0},
        {"closing with no follower", 3, nullptr, "", false, 0},
        {"no editor", 1, "PB_TOOL_Scintilla", "", true, 1},
        {"the next event hands over", 1, nullptr, "", false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        HostSetToolVariable(*host, "PB_TOOL_MainWindow",
                            std::to_string(uintptr_t(host->MainWindow)));
        if (c.Variable) HostSetToolVariable(*host, c.Variable, c.Value);
        const long result = HostRunToolByNumber(*host, c.Tool); // waited for when closing
        ASSERT_NE(result, ToolNotFound);
        AutoCloseHandle process(OpenProcess(SYNCHRONIZE, FALSE, DWORD(result)));
        if (c.Tool != 3) {
            EXPECT_EQ(WaitForSingleObject(process.Get(), 5000),
                      c.Follows ? DWORD(WAIT_TIMEOUT) : WAIT_OBJECT_0);
        }
        EXPECT_TRUE(WaitFor([&] { return VelmontCount() == c.Left; }));
        EXPECT_EQ(FindFollower(host->MainWindow) != nullptr, c.Left == 1);
    }
    EXPECT_FALSE(FileExists(work / HistoryBackFileName));
    EXPECT_EQ(ReadFileBytes(idePrefs), "[Global]\r\nRunOnce = 1\r\n");

    // Any program of the session may send news: only what a start of this
    // IDE could have given is taken.
    HostSetToolVariable(*host, "PB_TOOL_Scintilla",
                        std::to_string(uintptr_t(HostVisibleEditor(*host))));
    ASSERT_GT(HostRunToolByNumber(*host, 1), 0); // b loaded
    NewsTaken();
    IdeConnection connection;
    connection.MainWindow = host->MainWindow;
    const HWND editorOfB = HostVisibleEditor(*host);
    EXPECT_EQ(FindEditorOfFile(connection, b), editorOfB);
    const auto send = [&](EditorId editor, const std::string& file, size_t padding = 0) {
        std::string text =
            FormatNews({FollowerEvent::Saved, editor, 20, file, ""}) + std::string(padding, '\n');
        COPYDATASTRUCT data = {FollowerNewsData, DWORD(text.size()), &text[0]};
        return SendMessageA(FindFollower(host->MainWindow), WM_COPYDATA, 0, LPARAM(&data));
    };
    const EditorId idOfB = EditorId(uintptr_t(editorOfB));
    EXPECT_EQ(send(EditorId(uintptr_t(GetDesktopWindow())), a), 0);
    EXPECT_EQ(send(idOfB, a, MaxNewsBytes), 0); // too long to be news
    EXPECT_EQ(FindEditorOfFile(connection, a), nullptr);
    EXPECT_EQ(send(idOfB, b + "\r\nZ:\\evil\\forged.pb|7x7\r\ny.pb"), 1);
    EXPECT_EQ(FindEditorOfFile(connection, b), nullptr); // a name no history keeps: none
    host.reset();
    EXPECT_TRUE(WaitFor([] { return VelmontCount() == 0; }, 3000));
}

// A hung IDE holds neither the follower nor a step that talks to it. With
// no closing event an editor goes while its report waits: the report is
// dropped and following goes on.
TEST_F(FollowerTest, AHungIdeOrAGoneEditorHoldsNothing) {
    WriteTools(ToolsPrefs(work.Path(), false, false, false));
    auto host = StartIde({a, b});
    AutoCloseHandle ideThread(OpenThread(THREAD_SUSPEND_RESUME, FALSE,
                                         GetWindowThreadProcessId(host->MainWindow, nullptr)));
    IdeConnection connection;
    connection.MainWindow = host->MainWindow;
    ASSERT_NE(SuspendThread(ideThread.Get()), DWORD(-1));
    const ULONGLONG start = GetTickCount64();
    { FollowerPause pause(connection); }
    EXPECT_LT(GetTickCount64() - start, 2 * FollowerAnswerMs + 500u);
    ResumeThread(ideThread.Get());
    Caret(10, 1);
    ASSERT_GE(HostPressCaretKey(*host, VK_NEXT), 0);
    ASSERT_EQ(HostCloseFile(*host), 1);
    Caret(7, 2);
    Goto(60);
    const std::string now = BackFileOnce(b + "|7x2\r\n");
    EXPECT_TRUE(now == b + "|7x2\r\n" || now == a + "|10x1\r\n" + b + "|7x2\r\n") << now;
    back = now;

    // A step killed half-way, while it waits for the IDE: the follower
    // follows again within a second. Without SIDEBUTTONS the buttons do
    // nothing meanwhile.
    AutoCloseHandle step(
        OpenProcess(PROCESS_TERMINATE, FALSE, DWORD(HostRunToolByShortcut(*host, Back))));
    ASSERT_TRUE(step.IsValid());
    ASSERT_NE(SuspendThread(ideThread.Get()), DWORD(-1));
    Sleep(2500);
    ASSERT_TRUE(TerminateProcess(step.Get(), 1));
    ResumeThread(ideThread.Get());
    SetForegroundWindow(host->MainWindow);
    ASSERT_TRUE(HostPressSideButton(*host, 1));
    EXPECT_FALSE(StepsRan(false));
    Goto(20);
    Recorded(b + "|60x1\r\n");
}

// A history that cannot be written is said once in the IDE's log, again
// only after a position was written.
TEST_F(FollowerTest, AHistoryThatCannotBeWritten) {
    const std::string backFile = work / HistoryBackFileName;
    ASSERT_TRUE(CreateDirectoryA(backFile.c_str(), nullptr));
    auto host = StartIde({a, b});
    const auto logLines = [&](size_t count) {
        WaitFor([&] { return HostLogLines(*host).size() == count; });
        return HostLogLines(*host).size();
    };
    Caret(10, 1);
    Key(VK_NEXT); // 40
    ASSERT_EQ(logLines(1), 1u);
    EXPECT_NE(HostLogLines(*host)[0].find("[PLUGIN] Position not recorded"), std::string::npos);
    Goto(100);
    Goto(1);
    ASSERT_TRUE(RemoveDirectoryA(backFile.c_str()));
    Goto(50);
    Recorded(a + "|1x1\r\n");
    EXPECT_EQ(logLines(1), 1u);
    ASSERT_TRUE(DeleteFileA(backFile.c_str()));
    back.clear();
    ASSERT_TRUE(CreateDirectoryA(backFile.c_str(), nullptr));
    Goto(90);
    EXPECT_EQ(logLines(2), 2u);
    ASSERT_TRUE(RemoveDirectoryA(backFile.c_str()));
    Goto(30);
    Recorded(a + "|90x1\r\n");
    EXPECT_EQ(HostLogLines(*host).size(), 2u);

    // A forward history that cannot be emptied is kept, and said once,
    // again only after a recording emptied it.
    const std::string forwardFile = work / HistoryForwardFileName;
    for (const char* forward : {"a.pb|1x1\r\n", "", "a.pb|1x1\r\n"}) {
        SetFileAttributesA(forwardFile.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(WriteFileBytes(forwardFile, forward));
        if (*forward) {
            ASSERT_TRUE(SetFileAttributesA(forwardFile.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        Goto(90);
        Goto(30);
        Recorded(a + "|30x1\r\n" + a + "|90x1\r\n");
    }
    ASSERT_EQ(logLines(4), 4u);
    for (size_t line : {2, 3})
        EXPECT_NE(HostLogLines(*host)[line].find(LogLine(LogText::ForwardKept)), std::string::npos);
    SetFileAttributesA(forwardFile.c_str(), FILE_ATTRIBUTE_NORMAL);
}

INSTANTIATE_TEST_SUITE_P(Ide, Following, testing::Values(HostMode::Classic, HostMode::Today),
                         [](const testing::TestParamInfo<HostMode>& info) {
                             return info.param == HostMode::Classic ? "Classic" : "Today";
                         });

} // namespace
