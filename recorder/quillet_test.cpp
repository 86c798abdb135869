// Quillet run as the IDE runs it: a separate process in a fresh working
// folder, started with an exact raw command line.
#include "common/auto_handle.h"
#include "history/history_line.h"
#include "testing/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

const std::string QuilletPath = SiblingExe("Quillet.exe");

std::string BackFile(const TempDir& dir) {
    return ReadFileBytes(dir / HistoryBackFileName);
}
std::string ForwardFile(const TempDir& dir) {
    return ReadFileBytes(dir / HistoryForwardFileName);
}

// Runs Quillet with its quoted path followed by `arguments` exactly.
ProcessResult RunQuillet(const TempDir& dir, const std::string& arguments) {
    return RunProcess(QuilletPath, "\"" + QuilletPath + "\"" + arguments, dir.Path());
}

// Today's IDE as far as its log goes: a window on a thread of its own keeps
// the lines sent to it, so that a test waits for a tool without answering.
std::vector<std::string> LogLines;
LRESULT CALLBACK KeepLogLine(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COPYDATA) return DefWindowProcA(window, message, wParam, lParam);
    LogLines.emplace_back(static_cast<char*>(((COPYDATASTRUCT*)lParam)->lpData));
    return TRUE;
}
const HWND IdeWindow = [] {
    static std::atomic<HWND> window{nullptr};
    std::thread([] {
        WNDCLASSA wc = {0, KeepLogLine, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "Ide"};
        RegisterClassA(&wc);
        window = CreateWindowExA(0, "Ide", "", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, 0, 0);
        for (MSG msg; GetMessageA(&msg, nullptr, 0, 0);)
            DispatchMessageA(&msg);
    }).detach();
    while (!window)
        Sleep(1);
    return window.load();
}();

// The one log line since the last call, "" for none.
std::string LoggedLine() {
    std::string line = LogLines.size() > 1 ? "several" : LogLines.empty() ? "" : LogLines[0];
    LogLines.clear();
    return line;
}

void ExpectCleanExit(const ProcessResult& result) {
    EXPECT_TRUE(result.Started);
    EXPECT_TRUE(result.Finished);
    EXPECT_EQ(result.ExitCode, 0u);
}

// Holds a file open for reading without write sharing, the way another
// history tool does while it works on it.
AutoCloseHandle HoldFile(const std::string& path) {
    return AutoCloseHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

class QuilletTest : public testing::Test {
  protected:
    // Failure lines reach this test's IDE window, none the test run
    // inherited.
    void SetUp() override {
        SetEnvironmentVariableA("PB_TOOL_MainWindow", std::to_string(uintptr_t(IdeWindow)).c_str());
        SetEnvironmentVariableA("PB_TOOL_IDE", "PureBasic.exe");
        SetEnvironmentVariableA("PB_TOOL_Scintilla", nullptr);
    }
    TempDir dir;
};

constexpr char NoFileLine[] = "[PLUGIN] Position not remembered: there is no file to remember";
constexpr char UnstorableLine[] =
    "[PLUGIN] Position not remembered: the file name cannot be kept in the history";
constexpr char ForwardKeptLine[] =
    "[PLUGIN] Forward history kept: history file could not be emptied";

struct CommandLineCase {
    const char* Name;
    std::string Arguments; // after the quoted program path
    std::string Entry;     // "": nothing written, the forward history kept
    std::string Log = "";
    std::wstring Wide = L""; // instead, in UTF-16 as today's IDE starts its tools
};

// What the readers would pass over, or read as lines never recorded, is not
// written: no file, a name no Windows path can be, a line end anywhere.
TEST_F(QuilletTest, RecordsParametersZeroAndOneOfTheRawCommandLine) {
    std::string highBytes;
    for (int c = 0x80; c <= 0xFF; ++c)
        highBytes += char(c);
    const std::string longPath(31900, 'p');
    const CommandLineCase cases[] = {
        {"the IDE's template", R"( "C:\My Files\a b.pb""12 34")", "C:\\My Files\\a b.pb|12 34\r\n"},
        {"only the program path", "", "", NoFileLine},
        {"program path touching the file", R"("a.pb""3")", "a.pb|3\r\n"},
        {"tab inside an unquoted parameter", " a\tb c", "", UnstorableLine},
        {"empty quoted pair counts", R"( "" 5)", "", NoFileLine},
        {"two empty quoted pairs", R"( """")", "", NoFileLine},
        {"unclosed quote", R"( "C:\x y)", "C:\\x y|\r\n"},
        {"quotes inside an unquoted parameter", R"( a"b c")", "", UnstorableLine},
        {"further parameters ignored", " a b c d", "a|b\r\n"},
        {"bytes 0x80-0xFF", " \"C:\\" + highBytes + "\" 1", "C:\\" + highBytes + "|1\r\n"},
        {"a command line of 32,000 characters", " " + longPath + " 9", longPath + "|9\r\n"},
        {"CR LF inside the file", " \"a.pb|1\r\nb.pb\"\"2\"", "", UnstorableLine},
        {"CR LF inside the cursor", " \"a.pb\"\"1\r\nb.pb|2\"", "", UnstorableLine},
        {"| in the name", R"( "C:\a|b.pb""1x1")", "", UnstorableLine},
        {"a name that starts with the marker", R"( "*a.pb""1")", "", UnstorableLine},
        {"UTF-16: an unpaired surrogate names no file", "", "*C:\\a\xEF\xBF\xBD.pb|1x1\r\n", "",
         L" \"C:\\a\xD800.pb\"\"1x1\""},
    };
    ASSERT_EQ(GetACP(), 1252u); // the Western code page the bytes above are in
    for (const CommandLineCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TempDir caseDir;
        ASSERT_TRUE(WriteFileBytes(caseDir / HistoryForwardFileName, "x.pb|1\r\n"));
        ExpectCleanExit(
            c.Wide.empty()
                ? RunQuillet(caseDir, c.Arguments)
                : RunProcessWide(QuilletPath,
                                 L"\"" + std::wstring(QuilletPath.begin(), QuilletPath.end()) +
                                     L"\"" + c.Wide,
                                 caseDir.Path()));
        EXPECT_EQ(BackFile(caseDir), c.Entry);
        EXPECT_EQ(ForwardFile(caseDir), c.Entry.empty() ? "x.pb|1\r\n" : "");
        EXPECT_EQ(LoggedLine(), c.Log);
    }
}

// A last line left without its line end, or NUL bytes where a crash cut the
// file, keep the new entry on a line of its own.
TEST_F(QuilletTest, StartsTheEntryOnALineOfItsOwn) {
    for (const std::string& before :
         {std::string("a.pb|1\r\nb.pb|2"), std::string("a|1\r\n\0\0", 7)}) {
        TempDir caseDir;
        ASSERT_TRUE(WriteFileBytes(caseDir / HistoryBackFileName, before));
        ExpectCleanExit(RunQuillet(caseDir, R"( "c.pb""3")"));
        EXPECT_EQ(BackFile(caseDir), before + "\r\nc.pb|3\r\n");
    }
}

TEST_F(QuilletTest, RecordsTheSamePositionTwice) {
    ExpectCleanExit(RunQuillet(dir, R"( "a.pb""7")"));
    ExpectCleanExit(RunQuillet(dir, R"( "a.pb""7")"));
    EXPECT_EQ(BackFile(dir), "a.pb|7\r\na.pb|7\r\n");
}

TEST_F(QuilletTest, EmptiesTheForwardFile) {
    ASSERT_TRUE(WriteFileBytes(dir / HistoryForwardFileName, "x.pb|1\r\ny.pb|2\r\n"));
    ExpectCleanExit(RunQuillet(dir, R"( "a.pb""1")"));
    EXPECT_TRUE(FileExists(dir / HistoryForwardFileName));
    EXPECT_EQ(ForwardFile(dir), "");
}

TEST_F(QuilletTest, TruncatesAForwardFileThatMayOnlyBeWritten) {
    // A reader that lets others write but not read: creating the file anew
    // asks for read access and fails, truncating it does not.
    const std::string forward = dir / HistoryForwardFileName;
    ASSERT_TRUE(WriteFileBytes(forward, "x.pb|1\r\n"));
    AutoCloseHandle reader(CreateFileA(forward.c_str(), GENERIC_READ, FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(reader.IsValid());
    ExpectCleanExit(RunQuillet(dir, R"( "a.pb""1")"));
    reader.Close();
    EXPECT_EQ(ForwardFile(dir), "");
}

// The forward file is waited for as the back file is; one that cannot be
// emptied stays, the entry is kept, and the log says so.
TEST_F(QuilletTest, SaysWhenTheForwardFileCannotBeEmptied) {
    enum Fault { HeldForAMoment, HeldForLong, ReadOnly, Folder };
    for (Fault fault : {HeldForAMoment, HeldForLong, ReadOnly, Folder}) {
        SCOPED_TRACE(fault);
        TempDir caseDir;
        const std::string forward = caseDir / HistoryForwardFileName;
        ASSERT_TRUE(fault == Folder ? CreateDirectoryA(forward.c_str(), nullptr) != 0
                                    : WriteFileBytes(forward, "x.pb|1\r\n"));
        if (fault == ReadOnly) SetFileAttributesA(forward.c_str(), FILE_ATTRIBUTE_READONLY);
        AutoCloseHandle held = fault <= HeldForLong ? HoldFile(forward) : AutoCloseHandle();
        AutoCloseHandle process(
            StartProcess(QuilletPath, "\"" + QuilletPath + "\" \"a.pb\"\"1\"", caseDir.Path()));
        Sleep(fault == HeldForAMoment ? 300 : fault == HeldForLong ? 5000 : 0);
        held.Close();
        ASSERT_EQ(WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
        EXPECT_EQ(BackFile(caseDir), "a.pb|1\r\n");
        EXPECT_EQ(LoggedLine(), fault == HeldForAMoment ? "" : ForwardKeptLine);
        if (fault != Folder) {
            EXPECT_EQ(ForwardFile(caseDir), fault == HeldForAMoment ? "" : "x.pb|1\r\n");
        }
        SetFileAttributesA(forward.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(QuilletTest, WaitsOutABackFileHeldForAMoment) {
    ASSERT_TRUE(WriteFileBytes(dir / HistoryBackFileName, "a.pb|1\r\n"));
    AutoCloseHandle held = HoldFile(dir / HistoryBackFileName);
    ASSERT_TRUE(held.IsValid());
    HANDLE process = StartProcess(QuilletPath, "\"" + QuilletPath + "\" \"b.pb\"\"2\"", dir.Path());
    ASSERT_NE(process, nullptr);
    AutoCloseHandle owner(process);
    Sleep(300);
    held.Close();
    ASSERT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(BackFile(dir), "a.pb|1\r\nb.pb|2\r\n");
}

TEST_F(QuilletTest, GivesUpOnABackFileHeldForLong) {
    ASSERT_TRUE(WriteFileBytes(dir / HistoryBackFileName, "a.pb|1\r\n"));
    ASSERT_TRUE(WriteFileBytes(dir / HistoryForwardFileName, "x.pb|1\r\n"));
    AutoCloseHandle held = HoldFile(dir / HistoryBackFileName);
    ASSERT_TRUE(held.IsValid());
    ULONGLONG start = GetTickCount64();
    ExpectCleanExit(RunQuillet(dir, R"( "b.pb""2")"));
    ULONGLONG elapsed = GetTickCount64() - start;
    held.Close();
    EXPECT_GE(elapsed, 900u);
    EXPECT_EQ(BackFile(dir), "a.pb|1\r\n");
    EXPECT_EQ(ForwardFile(dir), "x.pb|1\r\n");
    EXPECT_EQ(LoggedLine(), "[PLUGIN] Historyfile not found");
}

// Puts a file in the back file's place that opens but takes no byte, as on a
// full disk: a link to /dev/full, made by the Unix program ln, which only
// Wine starts. Wine gives no handle to wait on for it, so the link is looked
// for. False where that cannot be done.
bool PutFullDiskBackFile(const TempDir& dir) {
    AutoCloseHandle link(
        StartProcess("Z:\\bin\\ln", "ln -s /dev/full History_Back.txt", dir.Path()));
    WIN32_FIND_DATAA found;
    for (int i = 0; i < 500; ++i, Sleep(10)) {
        HANDLE find = FindFirstFileA((dir / HistoryBackFileName).c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) continue;
        FindClose(find);
        return true;
    }
    return false;
}

TEST_F(QuilletTest, FailsAtOnceWhenTheBackFileCannotBeOpenedOrWritten) {
    struct Case {
        const char* Name;
        bool (*Prepare)(const TempDir& dir);
    } cases[] = {
        // No amount of waiting would help either.
        {"a folder in the back file's place",
         [](const TempDir& dir) {
             return CreateDirectoryA((dir / HistoryBackFileName).c_str(), nullptr) != 0;
         }},
        {"a full disk", PutFullDiskBackFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TempDir caseDir;
        if (!c.Prepare(caseDir)) {
            ADD_FAILURE() << "cannot be simulated here";
            continue;
        }
        ASSERT_TRUE(WriteFileBytes(caseDir / HistoryForwardFileName, "x.pb|1\r\n"));
        ULONGLONG start = GetTickCount64();
        ExpectCleanExit(RunQuillet(caseDir, R"( "b.pb""2")"));
        EXPECT_LT(GetTickCount64() - start, 900u);
        EXPECT_EQ(ForwardFile(caseDir), "x.pb|1\r\n");
        EXPECT_EQ(LoggedLine(), "[PLUGIN] Historyfile not found");
    }
}

TEST_F(QuilletTest, TwentyAtOnceLeaveTwentyWholeLines) {
    std::vector<std::string> expected;
    std::vector<AutoCloseHandle> processes;
    for (int i = 0; i < 20; ++i) {
        // Long entries make an interleaved write easy to see.
        std::string file = "C:\\src\\" + std::string(200, char('a' + i)) + ".pb";
        std::string cursor = std::to_string(i * 1000);
        expected.push_back(FormatHistoryEntry(file, cursor));
        processes.emplace_back(StartProcess(
            QuilletPath, "\"" + QuilletPath + "\" \"" + file + "\"\"" + cursor + "\"", dir.Path()));
        ASSERT_TRUE(processes.back().IsValid());
    }
    for (AutoCloseHandle& process : processes) {
        ASSERT_EQ(WaitForSingleObject(process.Get(), 30000), WAIT_OBJECT_0);
        DWORD exitCode = 1;
        GetExitCodeProcess(process.Get(), &exitCode);
        EXPECT_EQ(exitCode, 0u);
    }
    std::string back = BackFile(dir);
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < back.size(); start = end + 2) {
        end = back.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "unterminated tail: " << back.substr(start);
        lines.push_back(back.substr(start, end + 2 - start));
    }
    std::sort(lines.begin(), lines.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
}

} // namespace
