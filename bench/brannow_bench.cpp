// The navigator's cost: a BACK step with a million entries behind it against
// one with ten, a whole BACK run against a GUI program that does nothing, a
// BACK step to another file in today's IDE against one in the classic IDE,
// a walk over a large history of files that are gone, a step whose line
// moved in a large file against one whose line stayed, and ten presses
// 100 ms apart against ten single steps.
#include "bench/bench_support.h"
#include "common/auto_handle.h"
#include "history/history_line.h"
#include "history/line_fingerprint.h"
#include "testing/host_ide/host_client.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

const int Runs = 101;

// Every entry on the same line, so that both histories send the IDE's caret
// to the same place and only the history's length differs.
std::string History(const std::string& file, int entries) {
    std::string history;
    const std::string entry = file + "|7x1\r\n";
    history.reserve(entry.size() * entries);
    for (int i = 0; i < entries; ++i)
        history += entry;
    return history;
}

TEST(BrannowBench, BackStepCostsTheSameForAMillionEntries) {
    TempDir sources, million, ten, empty;
    const std::string file = sources / "main.pb";
    ASSERT_TRUE(WriteFileBytes(file, NumberedLines(40)));
    ASSERT_TRUE(WriteFileBytes(million / HistoryBackFileName, History(file, 1000000)));
    HostIde host(sources.Path(), {file});
    ASSERT_TRUE(host.Ready);
    SetHostToolEnvironment(host, file);

    const std::string brannow = SiblingExe("Brannow.exe"), emptyGui = SiblingExe("EmptyGui.exe");
    const std::string arguments = " \"" + file + "\"\"1x1\" \"BACK\"";
    // A step goes only from where the IDE is: each starts at line 1.
    std::vector<double> medians =
        MedianTimes(Runs, {
                              [&] {
                                  HostSetCaret(host, 1, 1);
                                  return TimeRun(brannow, arguments, million.Path());
                              },
                              [&] {
                                  WriteFileBytes(ten / HistoryBackFileName, History(file, 10));
                                  HostSetCaret(host, 1, 1);
                                  return TimeRun(brannow, arguments, ten.Path());
                              },
                              [&] { return TimeRun(emptyGui, arguments, empty.Path()); },
                          });
    printf("BACK with 1,000,000 entries %.2f ms, with 10 entries %.2f ms, ratio %.3f "
           "(target < 1.10)\n",
           medians[0] * 1000, medians[1] * 1000, medians[0] / medians[1]);
    printf("whole BACK run %.2f ms, empty GUI program %.2f ms, ratio %.3f (target < 2.2)\n",
           medians[1] * 1000, medians[2] * 1000, medians[1] / medians[2]);
    EXPECT_LT(medians[0] / medians[1], 1.10);
    // Every run went back one entry: the caret moved, the file lost one line.
    EXPECT_EQ(ReadFileBytes(million / HistoryBackFileName), History(file, 1000000 - Runs));
}

// One IDE with two files open, b current, and a million history entries
// alternating between them, newest a: every BACK step switches files.
struct SwitchingIde {
    explicit SwitchingIde(HostMode mode) {
        for (const std::string& file : {a, b})
            EXPECT_TRUE(WriteFileBytes(file, NumberedLines(40)));
        std::string history;
        // A column inside the line: the caret is placed by line and column.
        const std::string entries[] = {b + "|7x4\r\n", a + "|7x4\r\n"};
        history.reserve(entries[0].size() * 1000000);
        for (int i = 0; i < 1000000; ++i)
            history += entries[i % 2];
        EXPECT_TRUE(WriteFileBytes(work / HistoryBackFileName, history));
        Host = std::make_unique<HostIde>(sources.Path(), std::vector<std::string>{a, b}, mode,
                                         sources / "ide.prefs");
    }

    // The next step, as the IDE would start it: from the file and line it
    // shows now.
    double TimeStep(const std::string& brannow) {
        SetHostToolEnvironment(*Host, a + "\n" + b);
        const std::string& current = Steps++ % 2 ? a : b;
        const std::string cursor = HostCursor(*Host);
        return TimeRun(brannow, " \"" + current + "\"\"" + cursor + "\" \"BACK\"", work.Path());
    }

    TempDir sources, work;
    const std::string a = sources / "a.pb", b = sources / "b.pb";
    std::unique_ptr<HostIde> Host;
    int Steps = 0;
};

TEST(BrannowBench, TodaysStepToAnotherFileAgainstTheClassicOne) {
    SwitchingIde classic(HostMode::Classic), today(HostMode::Today);
    ASSERT_TRUE(classic.Host->Ready);
    ASSERT_TRUE(today.Host->Ready);
    const std::string brannow = SiblingExe("Brannow.exe");
    std::vector<double> medians = MedianTimes(51, {
                                                      [&] { return today.TimeStep(brannow); },
                                                      [&] { return classic.TimeStep(brannow); },
                                                  });
    printf("BACK to another file with 1,000,000 entries: today's IDE %.2f ms, classic IDE "
           "%.2f ms, ratio %.3f (target <= 1.3)\n",
           medians[0] * 1000, medians[1] * 1000, medians[0] / medians[1]);
    // Every step switched files: the last went to a.
    for (SwitchingIde* ide : {&today, &classic}) {
        EXPECT_EQ(HostCurrentTab(*ide->Host), 0);
        EXPECT_EQ(HostCursor(*ide->Host), "7x4");
    }
    for (const char* name : {"PB_TOOL_IDE", "PB_TOOL_Preferences"})
        SetEnvironmentVariableA(name, nullptr);
}

// Ten megabytes of entries for three files that are gone, and one entry
// to go to before them: each gone file is looked at once, so the walk costs
// about what reading the bytes costs.
TEST(BrannowBench, AWalkOverGoneFilesCostsTheBytesNotTheChecks) {
    TempDir sources, gone, few;
    const std::string file = sources / "main.pb";
    ASSERT_TRUE(WriteFileBytes(file, NumberedLines(40)));
    std::string goneEntries;
    for (int i = 0; goneEntries.size() < 10000000; ++i)
        goneEntries += sources / ("gone" + std::to_string(i % 3) + ".pb") + "|3x1\r\n";
    const std::string target = file + "|7x1\r\n";
    HostIde host(sources.Path(), {file});
    ASSERT_TRUE(host.Ready);
    SetHostToolEnvironment(host, file);

    const std::string brannow = SiblingExe("Brannow.exe");
    const std::string arguments = " \"" + file + "\"\"1x1\" \"BACK\"";
    std::vector<double> medians = MedianTimes(
        5, {
               [&] {
                   WriteFileBytes(gone / HistoryBackFileName, target + goneEntries);
                   HostSetCaret(host, 1, 1);
                   return TimeRun(brannow, arguments, gone.Path());
               },
               [&] {
                   WriteFileBytes(few / HistoryBackFileName, target + goneEntries.substr(0, 1000));
                   HostSetCaret(host, 1, 1);
                   return TimeRun(brannow, arguments, few.Path());
               },
           });
    printf("BACK over 10 MB of entries of 3 gone files %.2f ms (%.0f MB/s), over 1 KB %.2f ms\n",
           medians[0] * 1000, goneEntries.size() / 1e6 / medians[0], medians[1] * 1000);
    // The walk reached the one entry worth going to and dropped the rest.
    EXPECT_EQ(ReadFileBytes(gone / HistoryBackFileName), "");
    EXPECT_EQ(HostCursor(host), "7x1");
}

// Two copies of a 200,000-line source open, one with lines inserted at its
// top as far as a line is looked for; the same remembered line stepped to in
// each, from a third file: the moved one is searched for, the other is found
// at once.
TEST(BrannowBench, AStepToAMovedLineInALargeFile) {
    TempDir sources, work;
    const int32_t remembered = 150000;
    std::string text;
    for (int i = 1; i <= 200000; ++i)
        text += "  Total + Value(" + std::to_string(i) + ")\r\n";
    const std::string fingerprint = FingerprintOfLine(text, remembered);
    const std::string start = sources / "start.pb", same = sources / "same.pb",
                      moved = sources / "moved.pb";
    ASSERT_TRUE(WriteFileBytes(start, NumberedLines(40)));
    ASSERT_TRUE(WriteFileBytes(same, text));
    ASSERT_TRUE(WriteFileBytes(moved, std::string(RelocationWindow, '\n') + text));
    HostIde host(sources.Path(), {start, same, moved});
    ASSERT_TRUE(host.Ready);

    const std::string brannow = SiblingExe("Brannow.exe");
    const std::string cursor = std::to_string(remembered) + "x3";
    const auto step = [&](const std::string& target, int tab, const std::string& lands) {
        return [&, target, tab, lands] {
            HostSelectTab(host, 0);
            HostSetCaret(host, 1, 1);
            SetHostToolEnvironment(host, start + "\n" + same + "\n" + moved);
            WriteFileBytes(work / HistoryBackFileName,
                           FormatHistoryEntry(target, cursor, fingerprint));
            const double seconds =
                TimeRun(brannow, " \"" + start + "\"\"1x1\" \"BACK\"", work.Path());
            EXPECT_EQ(HostCurrentTab(host), tab);
            EXPECT_EQ(HostCursor(host), lands);
            return seconds;
        };
    };
    std::vector<double> medians =
        MedianTimes(Runs, {step(moved, 2, std::to_string(remembered + RelocationWindow) + "x3"),
                           step(same, 1, cursor)});
    printf("BACK to a line moved %d lines in a 200,000-line file %.2f ms, not moved %.2f ms, "
           "ratio %.3f (target <= 1.5)\n",
           RelocationWindow, medians[0] * 1000, medians[1] * 1000, medians[0] / medians[1]);
    EXPECT_LE(medians[0] / medians[1], 1.5);
}

// Ten BACK presses 100 ms apart, each started by the IDE's shortcut (from
// where the IDE is at that moment, not waited for), until the IDE shows the
// tenth step; against ten single steps one after another. The tenth step's
// line is the only 30 of the history.
TEST(BrannowBench, TenQuickPressesAgainstTenSingleSteps) {
    TempDir appData, sources, work;
    const std::string file = sources / "main.pb", brannow = SiblingExe("Brannow.exe");
    const long backShortcut = 0x20034; // Ctrl+4
    ASSERT_TRUE(WriteFileBytes(file, NumberedLines(40)));
    ASSERT_TRUE(CreateDirectoryA((appData / "PureBasic").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(
        appData / "PureBasic\\Tools.prefs",
        "[ToolsInfo]\r\nToolCount = 1\r\n[Tool_0]\r\nCommand = " + brannow +
            "\r\nArguments = \"%FILE\"\"%CURSOR\" \"BACK\"\r\nWorkingDir = " + work.Path() +
            "\r\nShortcut = " + std::to_string(backShortcut) + "\r\nTrigger = 0\r\nFlags = 0\r\n"));
    std::string path = appData.Path();
    path.pop_back();
    SetEnvironmentVariableA("APPDATA", path.c_str());
    std::string history;
    for (int line = 30; line > 20; --line)
        history += file + "|" + std::to_string(line) + "x1\r\n";
    HostIde host(sources.Path(), {file}, HostMode::Today, appData / "ide.prefs");
    ASSERT_TRUE(host.Ready);
    const auto press = [&] {
        AutoCloseHandle step(
            OpenProcess(SYNCHRONIZE, FALSE, DWORD(HostRunToolByShortcut(host, backShortcut))));
        EXPECT_TRUE(step.IsValid());
        return step;
    };
    const auto startFrom = [&] {
        WriteFileBytes(work / HistoryBackFileName, history);
        DeleteFileA((work / HistoryForwardFileName).c_str());
        HostSetCaret(host, 1, 1);
    };
    const auto quick = [&] {
        startFrom();
        std::vector<AutoCloseHandle> presses;
        const double start = Seconds();
        for (int count = 0; count < 10; ++count) {
            if (count) Sleep(100);
            presses.push_back(press());
        }
        while (HostCursor(host) != "30x1" && Seconds() - start < 30)
            Sleep(5);
        const double seconds = Seconds() - start;
        for (AutoCloseHandle& step : presses)
            WaitForSingleObject(step.Get(), 30000);
        EXPECT_EQ(ReadFileBytes(work / HistoryBackFileName), "");
        return seconds;
    };
    const auto single = [&] {
        startFrom();
        const double start = Seconds();
        for (int count = 0; count < 10; ++count)
            WaitForSingleObject(press().Get(), 30000);
        EXPECT_EQ(HostCursor(host), "30x1");
        return Seconds() - start;
    };
    std::vector<double> medians = MedianTimes(11, {quick, single});
    printf("ten BACK presses 100 ms apart until the tenth is shown %.2f ms, ten single steps "
           "%.2f ms, ratio %.3f (target <= 1.2)\n",
           medians[0] * 1000, medians[1] * 1000, medians[0] / medians[1]);
    EXPECT_TRUE(HostLogLines(host).empty());
    SetEnvironmentVariableA("APPDATA", nullptr);
}

} // namespace
