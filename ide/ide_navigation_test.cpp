// The navigation half of the IDE-access library, with this test process in
// the place of a tool: the stand-in IDE runs as its own process, and the
// tool environment is set in ours as the IDE would set it.
#include "ide/ide_navigation.h"

#include "ide/editor_session.h"
#include "ide/ide_access.h"
#include "testing/host_ide/host_client.h"
#include "testing/test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// What a tool started by the host as it is now would be connected to.
IdeConnection ConnectAsTool(const HostIde& host, const std::vector<std::string>& files) {
    IdeConnection ide;
    ide.MainWindow = host.MainWindow;
    ide.Editor = HostVisibleEditor(host);
    for (size_t i = 0; i < files.size(); ++i)
        ide.FileList += (i ? "\n" : "") + files[i];
    return ide;
}

DWORD HandleCount() {
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

// --- Messages as they leave the tool, caught by windows of our own ---------

struct SentMessage {
    HWND Window;
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
};
std::vector<SentMessage> Sent;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TCM_SETCURSEL || message == WM_COMMAND || message >= 2000)
        Sent.push_back({window, message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

struct RecordingWindows {
    RecordingWindows() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "NavigationRecorder";
        RegisterClassA(&wc);
        Parent = CreateWindowA("NavigationRecorder", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                               nullptr, nullptr, wc.hInstance, nullptr);
        Child = CreateWindowA("NavigationRecorder", "", WS_CHILD, 0, 0, 10, 10, Parent, nullptr,
                              wc.hInstance, nullptr);
        Other = CreateWindowA("NavigationRecorder", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                              nullptr, nullptr, wc.hInstance, nullptr);
        Sent.clear();
    }
    ~RecordingWindows() {
        DestroyWindow(Parent);
        DestroyWindow(Other);
    }
    HWND Parent, Child, Other;
};

TEST(NavigationMessages, SelectTabNotifiesTheGivenWindowOrTheTabBarsParent) {
    RecordingWindows w;
    const IdeConnection ide;
    SelectTab(ide, w.Child, 3, nullptr);
    SelectTab(ide, w.Child, 1, w.Other);
    ASSERT_EQ(Sent.size(), 4u);
    const SentMessage expected[] = {{w.Child, TCM_SETCURSEL, 3, 0},
                                    {w.Parent, WM_COMMAND, 4876, LPARAM(w.Child)},
                                    {w.Child, TCM_SETCURSEL, 1, 0},
                                    {w.Other, WM_COMMAND, 4876, LPARAM(w.Child)}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Sent[i].Window, expected[i].Window) << i;
        EXPECT_EQ(Sent[i].Message, expected[i].Message) << i;
        EXPECT_EQ(Sent[i].WParam, expected[i].WParam) << i;
        EXPECT_EQ(Sent[i].LParam, expected[i].LParam) << i;
    }
}

TEST(NavigationMessages, WindowsThatAreGoneAreHarmless) {
    RecordingWindows w;
    HWND gone = w.Child;
    DestroyWindow(gone);
    const IdeConnection ide;
    EXPECT_EQ(CurrentTabIndex(ide, gone), -1); // no answer: no tab
    SelectTab(ide, gone, 1, nullptr);
    for (HWND editor : {gone, HWND(nullptr)}) {
        const EditorSession session(editor, ColumnCounting::Characters);
        EditorExcerpt excerpt;
        EXPECT_FALSE(session.ReadLines(1, 3, &excerpt));
        EXPECT_FALSE(session.GoTo(3, 4));
        EXPECT_EQ(session.CursorText({2, 5}), "");
    }
}

// --- RunOnce of the classic IDE, in the prefs file -----------------------

struct AppData {
    AppData() {
        CreateDirectoryA((Dir / "PureBasic").c_str(), nullptr);
        SetEnvironmentVariableA("APPDATA", Dir.Path().substr(0, Dir.Path().size() - 1).c_str());
    }
    std::string Prefs() const { return Dir / "PureBasic\\PureBasic.prefs"; }
    TempDir Dir;
};

TEST(RunOnce, IsClearedAndRestoredInTheTopSection) {
    AppData appData;
    ASSERT_TRUE(WriteFileBytes(appData.Prefs(), "[Global]\r\nRunOnce = 7\r\n"));
    EXPECT_EQ(ClearRunOnce(), 1); // the key of group Global is not the top section's
    EXPECT_EQ(ReadFileBytes(appData.Prefs()), "RunOnce = 0\r\n[Global]\r\nRunOnce = 7\r\n");
    RestoreRunOnce(1);
    EXPECT_EQ(ReadFileBytes(appData.Prefs()), "RunOnce = 1\r\n[Global]\r\nRunOnce = 7\r\n");

    ASSERT_TRUE(WriteFileBytes(appData.Prefs(), "\xEF\xBB\xBFRunOnce = 5\r\n[Global]\r\n"));
    EXPECT_EQ(ClearRunOnce(), 5);
    RestoreRunOnce(5);
    EXPECT_EQ(ReadFileBytes(appData.Prefs()), "\xEF\xBB\xBF\r\nRunOnce = 5\r\n[Global]\r\n");
}

TEST(RunOnce, AFileThatCannotBeOpenedGivesZeroAndIsNotWritten) {
    AppData appData;
    EXPECT_EQ(ClearRunOnce(), 0);
    RestoreRunOnce(1);
    EXPECT_FALSE(FileExists(appData.Prefs()));

    ASSERT_TRUE(WriteFileBytes(appData.Prefs(), "RunOnce=3\n"));
    AutoCloseHandle locked(
        CreateFileA(appData.Prefs().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(locked.IsValid());
    EXPECT_EQ(ClearRunOnce(), 0);
    locked.Close();
    EXPECT_EQ(ReadFileBytes(appData.Prefs()), "RunOnce=3\n");
}

// Every distinct content a file has while the watcher lives, read as fast
// as the file can be read (a read that fails, giving "", is not a content).
class FileWatcher {
  public:
    explicit FileWatcher(const std::string& path)
        : Seen{ReadFileBytes(path)}, thread_([this, path] {
              while (!stop_) {
                  std::string now = ReadFileBytes(path);
                  if (!now.empty() && Seen.back() != now) Seen.push_back(now);
              }
          }) {}
    ~FileWatcher() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    std::vector<std::string> Seen;

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// --- Against the stand-in IDE ------------------------------------------------

struct ThreeFiles {
    ThreeFiles() {
        for (int i = 0; i < 3; ++i) {
            Files.push_back(Dir / ("file" + std::to_string(i) + ".pb"));
            WriteFileBytes(Files.back(), NumberedLines(20 + i));
        }
    }
    TempDir Dir;
    std::vector<std::string> Files;
};

// The lines come out of the IDE's process byte for byte, whatever bytes the
// text holds, and no handle is left open.
TEST(EditorSession, ReadsLinesByteForByteWithoutLeaks) {
    TempDir dir;
    std::string big;
    for (int i = 0; big.size() < 4 * 1024 * 1024; ++i)
        big += char(1 + i % 255);
    WriteFileBytes(dir / "big.pb", big);
    WriteFileBytes(dir / "empty.pb", "");
    HostIde host(dir.Path(), {dir / "empty.pb", dir / "big.pb"});
    ASSERT_TRUE(host.Ready);
    std::vector<HWND> editors = HostEditors(host);
    ASSERT_EQ(editors.size(), 2u);

    EditorExcerpt excerpt;
    ASSERT_TRUE(EditorSession(editors[0], ColumnCounting::Bytes).ReadLines(1, 1, &excerpt));
    EXPECT_EQ(excerpt.Text, "");
    const EditorSession session(editors[1], ColumnCounting::Bytes);
    DWORD handles = HandleCount();
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(session.ReadLines(1, INT64_MAX, &excerpt));
        ASSERT_EQ(excerpt.Text.size(), big.size());
        EXPECT_TRUE(excerpt.Text == big);
    }
    EXPECT_EQ(HandleCount(), handles);
}

std::string Where(const Landing& landing) {
    return std::to_string(landing.Line) + "x" + std::to_string(landing.Column) + "@" +
           std::to_string(landing.Position);
}

// The landing rule over the editor's lines and by its position messages (its
// text unreadable) lands where the rule lands over the whole text, the
// caret is put there, and its cursor text is the landing's: CR, LF, CR LF,
// a last line without an end, letters of several bytes and 8-bit bytes,
// columns at and past a line's end, lines past the last, in both IDEs, each
// counting columns its own way.
TEST(EditorSession, LandsOverItsLinesAndByItsMessagesAlike) {
    const std::string texts[] = {
        "ab\ncd\n",
        "ab\rcd\r\rx",
        "ab\r\n\r\ncd\r\n",
        "ab\ncd",
        "\xD0\x96uk\r\n\xC3\xA4\xC3\xB6 x\n\xE2\x82\xAC",
        "\xE4\xF6\xFC x\r\n\xFF\xFE\r\n",
        "",
    };
    const struct {
        int64_t Line, Column;
    } places[] = {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 99}, {2, 2}, {2, 3},
                  {3, 1}, {3, 2}, {4, 5}, {9, 0}, {9, 1}, {9, 3},  {0, 2}, {2, 1LL << 40}};
    for (HostMode mode : {HostMode::Classic, HostMode::Today}) {
        TempDir dir;
        std::vector<std::string> files;
        for (const std::string& text : texts) {
            files.push_back(dir / ("text" + std::to_string(files.size()) + ".pb"));
            ASSERT_TRUE(WriteFileBytes(files.back(), text));
        }
        HostIde host(dir.Path(), files, mode);
        ASSERT_TRUE(host.Ready);
        const ColumnCounting counting =
            mode == HostMode::Today ? ColumnCounting::Characters : ColumnCounting::Bytes;
        for (size_t i = 0; i < files.size(); ++i) {
            const EditorSession session(HostEditors(host)[i], counting);
            for (bool unreadable : {false, true}) {
                HostSetPointerFailure(host, unreadable);
                for (const auto& at : places) {
                    SCOPED_TRACE(testing::Message()
                                 << int(mode) << " text " << i << " at " << at.Line << "x"
                                 << at.Column << (unreadable ? " unreadable" : ""));
                    SourceLines whole(texts[i], 1, 0, 0, counting);
                    Landing expected, landed;
                    ASSERT_TRUE(LandOn(whole, at.Line, at.Column, &expected));
                    ASSERT_TRUE(session.Land(at.Line, at.Column, &landed));
                    EXPECT_EQ(Where(landed), Where(expected));
                    ASSERT_TRUE(session.GoTo(at.Line, at.Column));
                    CaretPlace caret;
                    ASSERT_TRUE(session.Caret(&caret));
                    EXPECT_EQ(caret.Position, expected.Position);
                    EXPECT_EQ(session.CursorText(caret), std::to_string(expected.Line) + "x" +
                                                             std::to_string(expected.Column));
                }
            }
        }
        HostSetPointerFailure(host, false);
    }
}

TEST(ShowFile, SwitchesTabsAndRecordsTheNewEditor) {
    ThreeFiles f;
    HostIde host(f.Dir.Path(), f.Files);
    ASSERT_TRUE(host.Ready);
    ASSERT_EQ(HostSelectTab(host, 2), 2);
    IdeConnection ide = ConnectAsTool(host, f.Files);
    HWND target = HostEditors(host)[0];

    EXPECT_EQ(ShowFile(ide, f.Files[0], f.Files[2], 0), ReachResult::Reached);
    EXPECT_EQ(HostCurrentTab(host), 0);
    EXPECT_EQ(HostVisibleEditor(host), target);
    EXPECT_EQ(ide.Editor, target);
    HostCounterValues counters = HostCounters(host);
    EXPECT_EQ(counters.TabSetCurSel, 1);
    EXPECT_EQ(counters.MainSwitch, 1);

    const EditorSession editor = SessionOf(ide, ide.Editor);
    ASSERT_TRUE(editor.GoTo(4, 1));
    EXPECT_EQ(HostCaretLine(host), 4);
    EXPECT_EQ(editor.CaretLine(), 4);
}

TEST(ShowFile, AFileAlreadyInFrontIsLeftAlone) {
    ThreeFiles f;
    HostIde host(f.Dir.Path(), f.Files);
    ASSERT_TRUE(host.Ready);
    IdeConnection ide = ConnectAsTool(host, f.Files);
    DWORD handles = HandleCount();

    EXPECT_EQ(ShowFile(ide, f.Files[2], f.Files[2], 0), ReachResult::Reached);
    EXPECT_EQ(HostCounters(host).TabSetCurSel, 0);
    EXPECT_EQ(HostCounters(host).MainSwitch, 0);
    EXPECT_EQ(HandleCount(), handles);
}

TEST(ShowFile, GivesUpOnAnIdeThatNeverSwitches) {
    ThreeFiles f;
    HostIde host(f.Dir.Path(), f.Files);
    ASSERT_TRUE(host.Ready);
    IdeConnection ide = ConnectAsTool(host, f.Files);
    HWND before = ide.Editor;
    HostSetFrozen(host, true);

    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(ShowFile(ide, f.Files[1], f.Files[2], 0), ReachResult::NotReached);
    ULONGLONG took = GetTickCount64() - start;
    EXPECT_GE(took, 1500u);
    EXPECT_LT(took, 5000u);
    EXPECT_EQ(ide.Editor, before);
    EXPECT_EQ(HostCounters(host).MainSwitch, 1);
}

TEST(ShowFile, WithoutAnIdeNothingHappens) {
    TempDir dir;
    WriteFileBytes(dir / "a.pb", "x");
    IdeConnection ide;
    ide.Editor = HWND(0xFFFF);
    ide.FileList = dir / "a.pb";
    EXPECT_EQ(ShowFile(ide, dir / "a.pb", "", 1), ReachResult::NotReached);
    EXPECT_EQ(ide.Editor, HWND(0xFFFF));
}

TEST(ShowFile, OpensAFileThatIsNotOpenThroughTheSystem) {
    ThreeFiles f;
    AppData appData;
    ASSERT_TRUE(WriteFileBytes(appData.Prefs(), "RunOnce = 1\r\n"));
    HostFileType fileType(".pbi");
    ASSERT_TRUE(fileType.Registered);
    std::string fourth = f.Dir / "fourth.pbi";
    WriteFileBytes(fourth, NumberedLines(30));
    HostIde host(f.Dir.Path(), f.Files);
    ASSERT_TRUE(host.Ready);
    IdeConnection ide = ConnectAsTool(host, f.Files);

    FileWatcher watcher(appData.Prefs());
    EXPECT_EQ(ShowFile(ide, fourth, f.Files[2], 0), ReachResult::Reached);
    watcher.Stop();
    EXPECT_EQ(watcher.Seen,
              (std::vector<std::string>{"RunOnce = 1\r\n", "RunOnce = 0\r\n", "RunOnce = 1\r\n"}));
    EXPECT_EQ(ide.FileList, f.Files[0] + "\n" + f.Files[1] + "\n" + f.Files[2] + "\n" + fourth);
    ASSERT_EQ(HostEditorCount(host), 4);
    EXPECT_EQ(HostCurrentTab(host), 3);
    HWND opened = HostEditors(host)[3];
    EXPECT_EQ(ide.Editor, opened);
    EXPECT_EQ(HostEditorText(opened), NumberedLines(30));
    EXPECT_EQ(ReadFileBytes(appData.Prefs()), "RunOnce = 1\r\n");
}

// A file that is neither open nor a source file on disk is not shown, and
// nothing is handed anywhere: a program or a batch file is never started,
// also when a NUL in its name hides it behind a source type.
TEST(ShowFile, AMissingEmptyOrForeignFileCannotBeShown) {
    for (HostMode mode : {HostMode::Classic, HostMode::Today}) {
        ThreeFiles f;
        AppData appData;
        ASSERT_TRUE(WriteFileBytes(appData.Prefs(), "RunOnce=1\n"));
        WriteFileBytes(f.Dir / "empty.pb", "");
        WriteFileBytes(f.Dir / "build.bat", "echo ran > ran.txt\r\n");
        CopyFileA(SiblingExe("HostIde.exe").c_str(), (f.Dir / "tool.exe").c_str(), FALSE);
        HostIde host(f.Dir.Path(), f.Files, mode);
        ASSERT_TRUE(host.Ready);
        IdeConnection ide = ConnectAsTool(host, f.Files);
        ide.IdeProgram = mode == HostMode::Today ? SiblingExe("HostIde.exe") : "";

        const std::string hidden = f.Dir / "build.bat";
        for (std::string missing :
             {f.Dir / "empty.pb", f.Dir / "gone.pb", f.Dir.Path(), f.Dir / "build.bat",
              f.Dir / "tool.exe", hidden + std::string(1, '\0') + "x.pb"}) {
            EXPECT_FALSE(CanShowFile(ide, missing)) << missing;
            EXPECT_EQ(ShowFile(ide, missing, f.Files[2], 1), ReachResult::CannotShow) << missing;
        }
        Sleep(200);
        EXPECT_FALSE(FileExists(f.Dir / "ran.txt"));
        EXPECT_EQ(HostEditorCount(host), 3);
        EXPECT_EQ(ReadFileBytes(appData.Prefs()), "RunOnce=1\n");
    }
}

} // namespace
