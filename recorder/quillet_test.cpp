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
    std::string longPath; // folders no longer than a name can be
    while (longPath.size() < 31900)
        longPath += std::string(200, 'p') + "\\";
    longPath += "a.pb";
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

// The forward history that the store could not empty is said in the IDE's
// log, the entry kept (the store's own table has every way it can fail).
TEST_F(QuilletTest, SaysWhenTheForwardFileCannotBeEmptied) {
    ASSERT_TRUE(CreateDirectoryA((dir / HistoryForwardFileName).c_str(), nullptr));
    ExpectCleanExit(RunQuillet(dir, R"( "a.pb""1")"));
    EXPECT_EQ(BackFile(dir), "a.pb|1\r\n");
    EXPECT_EQ(LoggedLine(), ForwardKeptLine);
}

} // namespace
