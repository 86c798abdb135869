// The navigator's cost: a BACK step with a million entries behind it against
// one with ten, and a whole BACK run against a GUI program that does nothing.
#include "bench/bench_support.h"
#include "history/history_line.h"
#include "testing/host_ide/host_client.h"

#include <gtest/gtest.h>

#include <cstdio>

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
    SetEnvironmentVariableA("PB_TOOL_MainWindow",
                            std::to_string(uintptr_t(host.MainWindow)).c_str());
    SetEnvironmentVariableA("PB_TOOL_Scintilla",
                            std::to_string(uintptr_t(HostVisibleEditor(host))).c_str());
    SetEnvironmentVariableA("PB_TOOL_FileList", file.c_str());

    const std::string brannow = SiblingExe("Brannow.exe"), emptyGui = SiblingExe("EmptyGui.exe");
    const std::string arguments = " \"" + file + "\"\"1x1\" \"BACK\"";
    std::vector<double> medians =
        MedianTimes(Runs, {
                              [&] { return TimeRun(brannow, arguments, million.Path()); },
                              [&] {
                                  WriteFileBytes(ten / HistoryBackFileName, History(file, 10));
                                  return TimeRun(brannow, arguments, ten.Path());
                              },
                              [&] { return TimeRun(emptyGui, arguments, empty.Path()); },
                          });
    printf("BACK with 1,000,000 entries %.2f ms, with 10 entries %.2f ms, ratio %.3f "
           "(target < 1.10)\n",
           medians[0] * 1000, medians[1] * 1000, medians[0] / medians[1]);
    printf("whole BACK run %.2f ms, empty GUI program %.2f ms, ratio %.3f\n", medians[1] * 1000,
           medians[2] * 1000, medians[1] / medians[2]);
    EXPECT_LT(medians[0] / medians[1], 1.10);
    // Every run went back one entry: the caret moved, the file lost one line.
    EXPECT_EQ(ReadFileBytes(million / HistoryBackFileName), History(file, 1000000 - Runs));
}

} // namespace
