// Quillet started by the stand-in IDE through a registered tool entry and its
// shortcut, as a user starts it with Ctrl+5.
#include "history/history_line.h"
#include "history/line_fingerprint.h"
#include "testing/host_ide/host_client.h"
#include "testing/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const long CtrlFive = 0x20000 + '5';

std::string WithoutBackslash(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

class QuilletInTheIde : public testing::Test {
  protected:
    // Registers Quillet with the IDE's own template, waited for by the IDE,
    // in the `work` folder, and points this process's APPDATA (which the
    // host inherits) at it.
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryA((appData / "PureBasic").c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(
            appData / "PureBasic\\Tools.prefs",
            "[ToolsInfo]\r\nToolCount = 1\r\n[Tool_0]\r\nCommand = " + SiblingExe("Quillet.exe") +
                "\r\nArguments = \"%FILE\"\"%CURSOR\"\r\nWorkingDir = " + work.Path() +
                "\r\nShortcut = " + std::to_string(CtrlFive) +
                "\r\nFlags = 1\r\nDeactivate = 0\r\n"));
        ASSERT_TRUE(SetEnvironmentVariableA("APPDATA", WithoutBackslash(appData.Path()).c_str()));
        ASSERT_TRUE(WriteFileBytes(source, "line one\r\nline two\r\n"));
    }

    TempDir appData, work, sources;
    const std::string source = sources / "my source.pb";
};

TEST_F(QuilletInTheIde, RecordsTheCurrentFileAndCursor) {
    ASSERT_TRUE(WriteFileBytes(work / HistoryForwardFileName, "x.pb|1x1\r\n"));
    HostIde host(sources.Path(), {source});
    ASSERT_TRUE(host.Ready);
    ASSERT_GE(HostSetCaret(host, 2, 3), 0);
    EXPECT_EQ(HostRunToolByShortcut(host, CtrlFive), 0);
    EXPECT_EQ(ReadFileBytes(work / HistoryBackFileName),
              source + "|2x3|" + FingerprintOfLine("line one\r\nline two\r\n", 2) + "\r\n");
    EXPECT_EQ(ReadFileBytes(work / HistoryForwardFileName), "");
    EXPECT_TRUE(HostLogLines(host).empty());
}

// The fingerprint is that of the editor's text at the cursor's line, the
// lines beyond the text's start and end included; without the editor's text
// the entry is as without an IDE.
TEST_F(QuilletInTheIde, KeepsTheFingerprintOfTheCursorLine) {
    std::string text;
    for (int i = 1; i <= 30; ++i)
        text += "Procedure P" + std::to_string(i) + "()\r\n";
    ASSERT_TRUE(WriteFileBytes(source, text));
    const struct {
        long Line;
        bool Unreadable;
    } cases[] = {{1, false}, {2, false}, {15, false}, {31, false}, {15, true}};
    HostIde host(sources.Path(), {source});
    ASSERT_TRUE(host.Ready);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, ""));
        ASSERT_GE(HostSetCaret(host, c.Line, 1), 0);
        HostSetPointerFailure(host, c.Unreadable);
        EXPECT_EQ(HostRunToolByShortcut(host, CtrlFive), 0);
        const std::string cursor = std::to_string(c.Line) + "x1";
        EXPECT_EQ(ReadFileBytes(work / HistoryBackFileName),
                  FormatHistoryEntry(source, cursor,
                                     c.Unreadable ? "" : FingerprintOfLine(text, c.Line)));
    }
    HostSetPointerFailure(host, false);
}

TEST_F(QuilletInTheIde, LogsABackFileHeldLongerThanItWaits) {
    const std::string back = "a.pb|1x1\r\n", forward = "x.pb|1x1\r\n";
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, back));
    ASSERT_TRUE(WriteFileBytes(work / HistoryForwardFileName, forward));
    HostIde host(sources.Path(), {source});
    ASSERT_TRUE(host.Ready);
    const size_t linesBefore = HostLogLines(host).size();
    {
        AutoCloseHandle held(CreateFileA((work / HistoryBackFileName).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.IsValid());
        SYSTEMTIME before, after;
        GetLocalTime(&before);
        EXPECT_EQ(HostRunToolByShortcut(host, CtrlFive), 0);
        GetLocalTime(&after);

        std::vector<std::string> lines = HostLogLines(host);
        ASSERT_EQ(lines.size(), linesBefore + 1);
        // Under load the run, its second of waiting included, may span
        // more than two seconds of the clock.
        bool duringTheRun = false;
        const int from = (before.wHour * 60 + before.wMinute) * 60 + before.wSecond;
        const int to = (after.wHour * 60 + after.wMinute) * 60 + after.wSecond;
        for (int second = from; second <= to; ++second) {
            char expected[80];
            snprintf(expected, sizeof expected, "[%d:%d:%d] [PLUGIN] Historyfile not found",
                     second / 3600, second / 60 % 60, second % 60);
            duringTheRun |= lines.back() == expected;
        }
        EXPECT_TRUE(duringTheRun) << lines.back();
    }
    EXPECT_EQ(ReadFileBytes(work / HistoryBackFileName), back);
    EXPECT_EQ(ReadFileBytes(work / HistoryForwardFileName), forward);
}

} // namespace
