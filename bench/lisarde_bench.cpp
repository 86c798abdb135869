// The picker's cost: its start to its list drawn with its rows, as seen from
// outside, with a million entries against ten and against a GUI program that
// does nothing, and with 1,000 large sources against a few small ones; one
// key into its longest filter over 2,000 rows; and a pick of the 50th back
// entry against one Go back, each from the key that asks for it to the step
// done.
#include "bench/bench_support.h"
#include "history/history_line.h"
#include "history/line_fingerprint.h"
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

// The picker's window and its list.
struct Picker {
    HWND Window = nullptr, List = nullptr, Field = nullptr;
};

// The window has painted all it was asked to, and its thread has come back
// for its messages twice since: what it does while idle (a filter typed)
// is done and drawn too.
bool Drawn(const Picker& picker) {
    for (int round = 0; round < 2; ++round) {
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutA(picker.Window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer) ||
            GetUpdateRect(picker.Window, nullptr, FALSE) ||
            GetUpdateRect(picker.List, nullptr, FALSE) ||
            GetUpdateRect(picker.Field, nullptr, FALSE))
            return false;
    }
    return true;
}

// The picker of the process once it shows rows rows, drawn; nothing after
// 20 s.
Picker ShownPicker(DWORD processId, LRESULT rows) {
    for (double end = Seconds() + 20; Seconds() < end; Sleep(1)) {
        Picker picker;
        picker.Window = FindWindowA("TolvaneRecentPositions", nullptr);
        DWORD owner = 0;
        if (!picker.Window || !GetWindowThreadProcessId(picker.Window, &owner) ||
            owner != processId || !IsWindowVisible(picker.Window))
            continue;
        picker.List = FindWindowExA(picker.Window, nullptr, "SysListView32", nullptr);
        picker.Field = FindWindowExA(picker.Window, nullptr, "Edit", nullptr);
        if (picker.List && picker.Field &&
            SendMessageA(picker.List, LVM_GETITEMCOUNT, 0, 0) == rows && Drawn(picker))
            return picker;
    }
    return {};
}

// From the picker's start to its list drawn with its rows; the picker is
// closed afterwards, which is no part of the time.
double TimeOpening(const std::string& lisarde, const std::string& arguments,
                   const std::string& folder, LRESULT rows) {
    const double start = Seconds();
    AutoCloseHandle process(StartProcess(lisarde, "\"" + lisarde + "\"" + arguments, folder));
    const Picker picker = ShownPicker(GetProcessId(process.Get()), rows);
    const double opened = Seconds() - start;
    EXPECT_TRUE(picker.Window) << "no list of " << rows << " rows";
    if (picker.Window) PostMessageA(picker.Window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
    return opened;
}

TEST(LisardeBench, AFilledListCostsTheSameForAMillionEntries) {
    TwoFiles files;
    TempDir million, ten, empty;
    ASSERT_TRUE(WriteFileBytes(million / HistoryBackFileName, History(files.a, files.b, 1000000)));
    ASSERT_TRUE(WriteFileBytes(ten / HistoryBackFileName, History(files.a, files.b, 10)));
    HostIde host(files.sources.Path(), {files.a, files.b});
    ASSERT_TRUE(host.Ready);
    SetHostToolEnvironment(host, files.a + "\n" + files.b);
    const std::string lisarde = SiblingExe("Lisarde.exe"), emptyGui = SiblingExe("EmptyGui.exe");
    const std::string arguments = " \"" + files.a + "\"\"1x1\"";
    // The newest 1,000 entries and the current position; ten and the
    // current position.
    std::vector<double> medians =
        MedianTimes(101, {
                             [&] { return TimeOpening(lisarde, arguments, million.Path(), 1001); },
                             [&] { return TimeOpening(lisarde, arguments, ten.Path(), 11); },
                             [&] { return TimeRun(emptyGui, arguments, empty.Path()); },
                         });
    printf("Recent positions filled with 1,000,000 entries %.2f ms, with 10 entries %.2f ms, "
           "ratio %.3f (target <= 1.10)\n",
           medians[0] * 1000, medians[1] * 1000, medians[0] / medians[1]);
    printf("Recent positions filled (10 entries) %.2f ms, empty GUI program %.2f ms, ratio %.3f "
           "(target <= 2.5)\n",
           medians[1] * 1000, medians[2] * 1000, medians[1] / medians[2]);
    EXPECT_LE(medians[0] / medians[1], 1.10);
}

// A source of about 1 MB, its lines as code is written.
std::string LargeSource() {
    std::string text;
    for (int line = 1; text.size() < (1 << 20); ++line)
        text += "    Total = Total + Value(" + std::to_string(line) + ") ; step\r\n";
    return text;
}

TEST(LisardeBench, AListOfLargeSourcesOpensAsFastAsOfSmallOnes) {
    TwoFiles files;
    TempDir large, ten;
    const std::string source = LargeSource();
    // 1,000 back entries, each of a source of its own, remembered as
    // Remember writes them.
    std::string history;
    for (int i = 0; i < 1000; ++i) {
        const std::string file = large / ("source" + std::to_string(i) + ".pb");
        ASSERT_TRUE(WriteFileBytes(file, source));
        const int line = 5 + i % 300;
        history +=
            FormatHistoryEntry(file, std::to_string(line) + "x5", FingerprintOfLine(source, line));
    }
    ASSERT_TRUE(WriteFileBytes(large / HistoryBackFileName, history));
    ASSERT_TRUE(WriteFileBytes(ten / HistoryBackFileName, History(files.a, files.b, 10)));
    HostIde host(files.sources.Path(), {files.a, files.b});
    ASSERT_TRUE(host.Ready);
    SetHostToolEnvironment(host, files.a + "\n" + files.b);
    const std::string lisarde = SiblingExe("Lisarde.exe");
    const std::string arguments = " \"" + files.a + "\"\"1x1\"";
    std::vector<double> medians =
        MedianTimes(21, {
                            [&] { return TimeOpening(lisarde, arguments, large.Path(), 1001); },
                            [&] { return TimeOpening(lisarde, arguments, ten.Path(), 11); },
                        });
    printf("Recent positions opened over 1,000 sources of 1 MB %.2f ms, over 10 entries of small "
           "sources %.2f ms, ratio %.3f (target <= 1.3)\n",
           medians[0] * 1000, medians[1] * 1000, medians[0] / medians[1]);
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

void TypeCharacter(wchar_t character, int times = 1) {
    for (int i = 0; i < times; ++i) {
        INPUT input[2] = {};
        for (INPUT& event : input) {
            event.type = INPUT_KEYBOARD;
            event.ki.wScan = character;
            event.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
    }
}

LRESULT FieldLength(const Picker& picker) {
    return SendMessageA(picker.Field, WM_GETTEXTLENGTH, 0, 0);
}

// From the key to the field holding length characters and the window drawn.
double TimeKey(const Picker& picker, wchar_t character, LRESULT length, double timeout = 20) {
    const double start = Seconds();
    if (character == '\b')
        PressKey(VK_BACK);
    else
        TypeCharacter(character);
    for (double end = start + timeout; Seconds() < end;)
        if (FieldLength(picker) == length && Drawn(picker)) return Seconds() - start;
    ADD_FAILURE() << "the field never held " << length << " characters";
    return 0;
}

TEST(LisardeBench, AKeyIntoALongFilterOverTwoThousandRows) {
    TwoFiles files;
    TempDir work;
    ASSERT_TRUE(WriteFileBytes(work / HistoryBackFileName, History(files.a, files.b, 1000)));
    ASSERT_TRUE(WriteFileBytes(work / HistoryForwardFileName, History(files.b, files.a, 1000)));
    HostIde host(files.sources.Path(), {files.a, files.b});
    ASSERT_TRUE(host.Ready);
    SetHostToolEnvironment(host, files.a + "\n" + files.b);
    const std::string lisarde = SiblingExe("Lisarde.exe");
    AutoCloseHandle process(
        StartProcess(lisarde, "\"" + lisarde + "\" \"" + files.a + "\"\"1x1\"", work.Path()));
    const Picker picker = ShownPicker(GetProcessId(process.Get()), 2001);
    ASSERT_TRUE(picker.Window);
    for (double end = Seconds() + 10; GetForegroundWindow() != picker.Window && Seconds() < end;)
        Sleep(10);
    // A key that empties the filter or types its first character, against
    // one that takes the longest filter (of 10,000 characters typed, the
    // field keeps 512) a character back or forth; each key filters all
    // rows.
    const LRESULT longest = 512;
    std::vector<double> shortTimes, longTimes;
    for (int key = 0; key < 60; ++key)
        shortTimes.push_back(key % 2 ? TimeKey(picker, '\b', 0) : TimeKey(picker, 'z', 1));
    const double typing = Seconds();
    TypeCharacter('z', 10000);
    // The Backspace after them shows they are all taken.
    TimeKey(picker, '\b', longest - 1, 300);
    const double typed = Seconds() - typing;
    for (int key = 0; key < 60; ++key)
        longTimes.push_back(key % 2 ? TimeKey(picker, '\b', longest - 1)
                                    : TimeKey(picker, 'z', longest));
    printf("10,000 characters typed into Recent positions over 2,000 rows: taken in %.0f ms\n",
           typed * 1000);
    printf("one key into its filter of %d characters (the longest it keeps, of 10,000 typed) over "
           "2,000 rows %.2f ms (target <= 20 ms), into an empty filter %.2f ms\n",
           int(longest), Median(longTimes) * 1000, Median(shortTimes) * 1000);
    PressKey(VK_ESCAPE);
    EXPECT_EQ(WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
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
