// The picker's cost: its window's start to a list drawn with its rows, with
// a million entries against ten and against a GUI program that does
// nothing, and a pick of the 50th back entry against one Go back, each
// from the key that asks for it to the step done.
#include "bench/bench_support.h"
#include "history/history_line.h"
#include "testing/host_ide/host_client.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Entries alternating between two files, on lines that differ: every one
// is a press's stop.
std::string History(const std::string& a, const std::string& b, int entries) {
    std::string history;
    history.reserve(size_t(entries) * (a.size() + 8));
    for (int i = 0; i < entries; ++i)
        history += (i % 2 ? a : b) + "|" + std::to_string(i % 30 + 5) + "x2\r\n";
    return history;
}

struct TwoFiles {
    TwoFiles() {
        for (const std::string& file : {a, b})
            EXPECT_TRUE(WriteFileBytes(file, NumberedLines(40)));
    }
    TempDir sources;
    const std::string a = sources / "a.pb", b = sources / "b.pb";
};

TEST(LisardeBench, AFilledListCostsTheSameForAMillionEntries) {
    TwoFiles files;
    TempDir million, ten, empty;
    ASSERT_TRUE(WriteFileBytes(million / HistoryBackFileName, History(files.a, files.b, 1000000)));
    ASSERT_TRUE(WriteFileBytes(ten / HistoryBackFileName, History(files.a, files.b, 10)));
    HostIde host(files.sources.Path(), {files.a, files.b});
    ASSERT_TRUE(host.Ready);
    SetHostToolEnvironment(host, files.a + "\n" + files.b);
    // The picker closes once its list is drawn with its rows.
    SetEnvironmentVariableA("TOLVANE_PICKER_CLOSE_WHEN_FILLED", "1");
    const std::string lisarde = SiblingExe("Lisarde.exe"), emptyGui = SiblingExe("EmptyGui.exe");
    const std::string arguments = " \"" + files.a + "\"\"1x1\"";
    std::vector<double> medians =
        MedianTimes(101, {
                            [&] { return TimeRun(lisarde, arguments, million.Path()); },
                            [&] { return TimeRun(lisarde, arguments, ten.Path()); },
                            [&] { return TimeRun(emptyGui, arguments, empty.Path()); },
                        });
    SetEnvironmentVariableA("TOLVANE_PICKER_CLOSE_WHEN_FILLED", nullptr);
    printf("Recent positions filled with 1,000,000 entries %.2f ms, with 10 entries %.2f ms, "
           "ratio %.3f (target <= 1.10)\n",
           medians[0] * 1000, medians[1] * 1000, medians[0] / medians[1]);
    printf("Recent positions filled (10 entries) %.2f ms, empty GUI program %.2f ms, ratio %.3f "
           "(target <= 2.5)\n",
           medians[1] * 1000, medians[2] * 1000, medians[1] / medians[2]);
    EXPECT_LE(medians[0] / medians[1], 1.10);
}

// Waits for the picker to be in front with the row selected; its list.
HWND PickerAt(int row) {
    for (double end = Seconds() + 20; Seconds() < end; Sleep(1)) {
        HWND window = FindWindowA("TolvaneRecentPositions", nullptr);
        HWND list = window ? FindWindowExA(window, nullptr, "SysListView32", nullptr) : nullptr;
        if (list && GetForegroundWindow() == window &&
            SendMessageA(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED) == row)
            return list;
    }
    return nullptr;
}

void PressKey(WORD key, int times = 1) {
    for (int i = 0; i < times; ++i) {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = key;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
    }
}

TEST(LisardeBench, APickOfTheFiftiethAgainstOneGoBack) {
    TwoFiles files;
    TempDir work;
    HostIde host(files.sources.Path(), {files.a, files.b});
    ASSERT_TRUE(host.Ready);
    const std::string history = History(files.a, files.b, 100);
    const std::string brannow = SiblingExe("Brannow.exe"), lisarde = SiblingExe("Lisarde.exe");
    const std::string arguments = " \"" + files.a + "\"\"1x1\"";
    // Each from the IDE at a's first line, with the same history.
    const auto reset = [&] {
        WriteFileBytes(work / HistoryBackFileName, history);
        WriteFileBytes(work / HistoryForwardFileName, "");
        HostSelectTab(host, 0);
        HostSetCaret(host, 1, 1);
        SetHostToolEnvironment(host, files.a + "\n" + files.b);
    };
    std::vector<double> medians =
        MedianTimes(21, {
                            [&] {
                                reset();
                                AutoCloseHandle picker(StartProcess(
                                    lisarde, "\"" + lisarde + "\"" + arguments, work.Path()));
                                // The current position heads the list, the newest
                                // back entry selected below it.
                                PickerAt(1);
                                PressKey(VK_DOWN, 49);
                                EXPECT_TRUE(PickerAt(50));
                                const double start = Seconds();
                                PressKey(VK_RETURN);
                                EXPECT_EQ(WaitForSingleObject(picker.Get(), 20000), WAIT_OBJECT_0);
                                return Seconds() - start;
                            },
                            [&] {
                                reset();
                                return TimeRun(brannow, arguments + " \"BACK\"", work.Path());
                            },
                        });
    printf("a pick of the 50th back entry %.2f ms (Enter to the step done), one Go back %.2f ms "
           "(its start to its end), ratio %.3f (target <= 1.3)\n",
           medians[0] * 1000, medians[1] * 1000, medians[0] / medians[1]);
    // The last run was a Go back: one entry fewer.
    EXPECT_EQ(ReadFileBytes(work / HistoryBackFileName),
              history.substr(0, history.rfind("\r\n", history.size() - 3) + 2));
}

} // namespace
