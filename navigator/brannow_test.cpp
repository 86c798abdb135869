// Brannow and Quillet run by the stand-in IDE on their shortcuts, as a user
// runs them: record positions, walk back and forward.
#include "history/history_line.h"
#include "testing/host_ide/host_client.h"
#include "testing/test_support.h"

#include <gtest/gtest.h>

namespace {

const long Record = 0x20035, Back = 0x20034, Forward = 0x20036; // Ctrl+5, 4, 6

std::string ToolEntry(int number, const std::string& exe, const std::string& arguments,
                      long shortcut, const std::string& workingDir) {
    return "[Tool_" + std::to_string(number) + "]\r\nCommand = " + SiblingExe(exe) +
           "\r\nArguments = " + arguments + "\r\nWorkingDir = " + workingDir +
           "\r\nShortcut = " + std::to_string(shortcut) + "\r\nFlags = 1\r\nDeactivate = 0\r\n";
}

// Three files open in the IDE, a fourth on disk, and the history tools
// registered as the installation registers them.
class HistoryInTheIde : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryA((appData / "PureBasic").c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(
            appData / "PureBasic\\Tools.prefs",
            "[ToolsInfo]\r\nToolCount = 3\r\n" +
                ToolEntry(0, "Quillet.exe", "\"%FILE\"\"%CURSOR\"", Record, work.Path()) +
                ToolEntry(1, "Brannow.exe", "\"%FILE\"\"%CURSOR\" \"BACK\"", Back, work.Path()) +
                ToolEntry(2, "Brannow.exe", "\"%FILE\"\"%CURSOR\" \"FORWARD\"", Forward,
                          work.Path())));
        std::string appDataPath = appData.Path();
        appDataPath.pop_back();
        ASSERT_TRUE(SetEnvironmentVariableA("APPDATA", appDataPath.c_str()));
        for (const std::string& f : {a, b, c, d})
            ASSERT_TRUE(WriteFileBytes(f, NumberedLines(40)));
    }

    std::string BackFile() const { return ReadFileBytes(work / HistoryBackFileName); }
    std::string ForwardFile() const { return ReadFileBytes(work / HistoryForwardFileName); }

    // Makes the tab current with the caret on the line, then runs the tool.
    void RunAt(const HostIde& host, int tab, long line, long shortcut) {
        ASSERT_EQ(HostSelectTab(host, tab), tab);
        ASSERT_GE(HostSetCaret(host, line, 1), 0);
        ASSERT_EQ(HostRunToolByShortcut(host, shortcut), 0);
    }

    void ExpectAt(const HostIde& host, int tab, long line) {
        EXPECT_EQ(HostCurrentTab(host), tab);
        EXPECT_EQ(HostVisibleEditor(host), HostEditors(host)[tab]);
        EXPECT_EQ(HostCaretLine(host), line);
    }

    TempDir appData, work, sources;
    const std::string a = sources / "a.pb", b = sources / "b.pb", c = sources / "c.pb",
                      d = sources / "d.pb";
};

TEST_F(HistoryInTheIde, WalksBackAndForwardLikeABrowser) {
    HostIde host(sources.Path(), {a, b, c});
    ASSERT_TRUE(host.Ready);
    RunAt(host, 0, 5, Record);  // A
    RunAt(host, 1, 10, Record); // B
    ASSERT_EQ(BackFile(), a + "|5x1\r\n" + b + "|10x1\r\n");

    RunAt(host, 2, 15, Back); // from C
    ExpectAt(host, 1, 10);
    EXPECT_EQ(BackFile(), a + "|5x1\r\n");
    EXPECT_EQ(ForwardFile(), c + "|15x1\r\n");

    ASSERT_EQ(HostRunToolByShortcut(host, Back), 0);
    ExpectAt(host, 0, 5);
    EXPECT_EQ(BackFile(), "");
    EXPECT_EQ(ForwardFile(), c + "|15x1\r\n" + b + "|10x1\r\n");

    ASSERT_EQ(HostRunToolByShortcut(host, Forward), 0);
    ExpectAt(host, 1, 10);
    ASSERT_EQ(HostRunToolByShortcut(host, Forward), 0);
    ExpectAt(host, 2, 15);
    EXPECT_EQ(BackFile(), a + "|5x1\r\n" + b + "|10x1\r\n");
    EXPECT_EQ(ForwardFile(), "");

    // A recording after going back drops the forward history.
    ASSERT_EQ(HostRunToolByShortcut(host, Back), 0);
    ExpectAt(host, 1, 10);
    ASSERT_EQ(HostRunToolByShortcut(host, Record), 0);
    EXPECT_EQ(BackFile(), a + "|5x1\r\n" + b + "|10x1\r\n");
    EXPECT_EQ(ForwardFile(), "");
    EXPECT_TRUE(HostLogLines(host).empty());
}

TEST_F(HistoryInTheIde, GoesBackToAFileThatIsNotOpen) {
    HostFileType fileType(".pb");
    ASSERT_TRUE(fileType.Registered);
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, d + "|7x1\r\n"));
    HostIde host(sources.Path(), {a, b, c});
    ASSERT_TRUE(host.Ready);
    RunAt(host, 2, 3, Back);
    ASSERT_EQ(HostEditorCount(host), 4);
    ExpectAt(host, 3, 7);
    EXPECT_EQ(BackFile(), "");
    EXPECT_EQ(ForwardFile(), c + "|3x1\r\n");
}

TEST_F(HistoryInTheIde, PassesOverWhatCannotBeShown) {
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName,
                               a + "|12x1\r\nnot an entry\r\n" + (sources / "gone.pb") +
                                   "|5x1\r\n" + d + "|9x1\r\n\r\nrubbish without a bar"));
    DeleteFileA(d.c_str()); // deleted since it was recorded
    HostIde host(sources.Path(), {a, b, c});
    ASSERT_TRUE(host.Ready);
    RunAt(host, 1, 2, Back);
    ExpectAt(host, 0, 12);
    EXPECT_EQ(HostEditorCount(host), 3);
    EXPECT_EQ(BackFile(), "");
    EXPECT_EQ(ForwardFile(), b + "|2x1\r\n");
}

TEST_F(HistoryInTheIde, NothingToGoToChangesNothing) {
    HostIde host(sources.Path(), {a, b, c});
    ASSERT_TRUE(host.Ready);
    RunAt(host, 1, 4, Back);
    RunAt(host, 1, 4, Forward);
    ExpectAt(host, 1, 4);
    EXPECT_FALSE(FileExists(work / HistoryBackFileName));
    EXPECT_FALSE(FileExists(work / HistoryForwardFileName));

    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, ""));
    ASSERT_TRUE(WriteFileBytes(work / HistoryForwardFileName, ""));
    RunAt(host, 1, 4, Back);
    RunAt(host, 1, 4, Forward);
    ExpectAt(host, 1, 4);
    EXPECT_EQ(BackFile(), "");
    EXPECT_EQ(ForwardFile(), "");
}

TEST_F(HistoryInTheIde, ThePositionRecordedTwiceIsVisitedOnce) {
    HostIde host(sources.Path(), {a, b, c});
    ASSERT_TRUE(host.Ready);
    RunAt(host, 0, 5, Record);
    RunAt(host, 0, 5, Record);
    RunAt(host, 1, 9, Back);
    ExpectAt(host, 0, 5);
    const std::string back = BackFile(), forward = ForwardFile();
    EXPECT_EQ(back, a + "|5x1\r\n");
    EXPECT_EQ(forward, b + "|9x1\r\n");

    ASSERT_EQ(HostRunToolByShortcut(host, Back), 0);
    ExpectAt(host, 0, 5);
    EXPECT_EQ(BackFile(), back);
    EXPECT_EQ(ForwardFile(), forward);
}

TEST_F(HistoryInTheIde, ACursorTextOfAnotherFormLeavesTheLineAlone) {
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, b + "|somewhere\r\n"));
    HostIde host(sources.Path(), {a, b, c});
    ASSERT_TRUE(host.Ready);
    ASSERT_EQ(HostSelectTab(host, 1), 1);
    ASSERT_GE(HostSetCaret(host, 6, 1), 0);
    RunAt(host, 0, 20, Back);
    ExpectAt(host, 1, 6);
}

TEST_F(HistoryInTheIde, AMillionEntriesCostNothingExtra) {
    std::string entry = a + "|33x2\r\n", history;
    history.reserve(entry.size() * 1000000 + 100);
    for (int i = 0; i < 999999; ++i)
        history += entry;
    history += b + "|21x1\r\n";
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, history));
    HostIde host(sources.Path(), {a, b, c});
    ASSERT_TRUE(host.Ready);
    RunAt(host, 2, 1, Back);
    ExpectAt(host, 1, 21);
    std::string back = BackFile();
    EXPECT_EQ(back.size(), entry.size() * 999999);
    EXPECT_TRUE(back.compare(0, entry.size(), entry) == 0);
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

} // namespace
