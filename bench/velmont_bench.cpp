// The follower's cost: the IDE's own CPU time for caret keys with a follower
// listening against without one, the editor messages it sends per caret
// report and while nothing moves, and how soon a jump is on disk against a
// Remember's whole run.
#include "bench/bench_support.h"
#include "history/history_line.h"
#include "ide/follower_link.h"
#include "testing/host_ide/host_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

const int Keys = 2000, KeysPerRound = 100;

std::string FollowerEntries(const std::string& workingDir) {
    const char* events[][3] = {
        {"1", "2", "STARTED"}, {"8", "2", "LOADED"}, {"9", "2", "SAVED"}, {"13", "3", "CLOSING"}};
    std::string text = "[ToolsInfo]\r\nToolCount = 4\r\n";
    for (int i = 0; i < 4; ++i)
        text += "[Tool_" + std::to_string(i) + "]\r\nCommand = " + SiblingExe("Velmont.exe") +
                "\r\nArguments = \"%FILE\" \"" + events[i][2] +
                "\" 20\r\nWorkingDir = " + workingDir +
                "\r\nShortcut = 0\r\nTrigger = " + events[i][0] + "\r\nFlags = " + events[i][1] +
                "\r\nHideFromMenu = 1\r\nDeactivate = 0\r\n";
    return text;
}

struct BenchIdes {
    BenchIdes() {
        CreateDirectoryA((appData / "PureBasic").c_str(), nullptr);
        std::string path = appData.Path();
        path.pop_back();
        SetEnvironmentVariableA("APPDATA", path.c_str());
        WriteFileBytes(file, NumberedLines(400));
        // Tools.prefs is read at each event: the first IDE starts its
        // follower, the second finds no entries.
        WriteFileBytes(appData / "PureBasic\\Tools.prefs", FollowerEntries(work.Path()));
        following = Start("following.prefs");
        WriteFileBytes(appData / "PureBasic\\Tools.prefs", "[ToolsInfo]\r\nToolCount = 0\r\n");
        alone = Start("alone.prefs");
    }
    std::unique_ptr<HostIde> Start(const std::string& prefs) {
        auto host = std::make_unique<HostIde>(sources.Path(), std::vector<std::string>{file},
                                              HostMode::Today, appData / prefs);
        HostSetCaretKeyWork(*host, 1);
        HostSelectTab(*host, 0); // the keyboard in its editor
        return host;
    }

    TempDir appData, work, sources;
    const std::string file = sources / "main.pb";
    std::unique_ptr<HostIde> following, alone;
};

uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

bool WaitForFollower(const HostIde& host) {
    for (int i = 0; i < 500 && !FindFollower(host.MainWindow); ++i)
        Sleep(20);
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(FindFollower(host.MainWindow), WM_NULL, 0, 0, SMTO_NORMAL, 10000,
                               &ignored) != 0;
}

// The CPU seconds of the IDE's window thread, which answers the follower:
// Wine gives another process's times only thread by thread.
double IdeCpuSeconds(const HostIde& host) {
    AutoCloseHandle thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE,
                                      GetWindowThreadProcessId(host.MainWindow, nullptr)));
    FILETIME created, ended, kernel, user;
    if (!GetThreadTimes(thread.Get(), &created, &ended, &kernel, &user)) return 0;
    const auto seconds = [](const FILETIME& t) {
        return double(uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// A round of line moves down and back up, none a jump; the IDE's CPU
// seconds it cost.
double KeyRound(const HostIde& host) {
    HostSelectTab(host, 0); // the keyboard to this IDE's editor
    const double before = IdeCpuSeconds(host);
    for (int i = 0; i < KeysPerRound; ++i)
        EXPECT_GE(HostPressCaretKey(host, i < KeysPerRound / 2 ? VK_DOWN : VK_UP), 0);
    return IdeCpuSeconds(host) - before;
}

TEST(VelmontBench, WhatFollowingCostsTheIde) {
    BenchIdes ides;
    ASSERT_TRUE(ides.following->Ready && ides.alone->Ready);
    ASSERT_TRUE(WaitForFollower(*ides.following));
    ASSERT_EQ(FindFollower(ides.alone->MainWindow), nullptr);
    Sleep(500); // the start's own reports handled
    const HostCounterValues start = HostCounters(*ides.following);
    double following = 0, alone = 0;
    for (int round = 0; round < Keys / KeysPerRound; ++round) {
        if (round % 2) {
            alone += KeyRound(*ides.alone);
            following += KeyRound(*ides.following);
        } else {
            following += KeyRound(*ides.following);
            alone += KeyRound(*ides.alone);
        }
    }
    Sleep(500);
    const HostCounterValues moved = HostCounters(*ides.following);
    Sleep(2000);
    const HostCounterValues still = HostCounters(*ides.following);
    const long reports = moved.CaretReports - start.CaretReports;
    const long messages = moved.EditorMessages - start.EditorMessages;
    printf("%d caret keys with 1 ms of the IDE's work each: IDE CPU with the follower %.3f s, "
           "without %.3f s, ratio %.3f (target <= 1.05)\n",
           Keys, following, alone, following / alone);
    printf("editor messages per caret report %.2f (%ld for %ld reports, target <= 2), while "
           "nothing moves for 2 s %ld (target 0)\n",
           double(messages) / reports, messages, reports,
           still.EditorMessages - moved.EditorMessages);
    EXPECT_LE(double(messages) / reports, 2.0);
    EXPECT_EQ(still.EditorMessages, moved.EditorMessages);
    // A follower far behind a quick run of keys sees the lines it missed as
    // one jump; a person is slower.
    const std::string recorded = ReadFileBytes(ides.work / HistoryBackFileName);
    printf("line moves taken for jumps: %td\n", std::count(recorded.begin(), recorded.end(), '\n'));
}

// From the key that jumps to the entry on disk, against Remember started
// by the IDE with the same file and cursor.
TEST(VelmontBench, AJumpRecordedAgainstARemember) {
    BenchIdes ides;
    ASSERT_TRUE(ides.following->Ready);
    ASSERT_TRUE(WaitForFollower(*ides.following));
    const HostIde& host = *ides.following;
    HostSetCaretKeyWork(host, 0);
    HostSelectTab(host, 0);
    HostSetCaret(host, 2, 1);
    Sleep(300);
    const std::string back = ides.work / HistoryBackFileName;
    const std::string quillet = SiblingExe("Quillet.exe");
    TempDir rememberFolder;
    int jumps = 0;
    std::vector<double> medians = MedianTimes(
        51, {[&] {
                 // Down a page from line 2 or 32, up again from 32 or 62:
                 // every key is a jump.
                 const uint64_t size = FileSize(back);
                 const double start = Seconds();
                 EXPECT_GE(HostPressCaretKey(host, jumps++ % 4 < 2 ? VK_NEXT : VK_PRIOR), 0);
                 while (FileSize(back) == size && Seconds() - start < 2)
                     Sleep(1);
                 const double elapsed = Seconds() - start;
                 Sleep(100); // a person's pace
                 return elapsed;
             },
             [&] {
                 SetHostToolEnvironment(host, ides.file);
                 const std::string cursor = HostCursor(host);
                 return TimeRun(quillet, " \"" + ides.file + "\"\"" + cursor + "\"",
                                rememberFolder.Path());
             }});
    printf("a jump from the report to the entry on disk %.2f ms, a Remember's whole run %.2f ms, "
           "ratio %.3f (target <= 0.5)\n",
           medians[0] * 1000, medians[1] * 1000, medians[0] / medians[1]);
    EXPECT_LE(medians[0] / medians[1], 0.5);
    for (const char* name : {"PB_TOOL_IDE", "PB_TOOL_Preferences"})
        SetEnvironmentVariableA(name, nullptr);
}

} // namespace
