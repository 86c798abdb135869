// The file side of the preferences: what reaches the disk, and when.
#include "prefs/prefs.h"

#include <gtest/gtest.h>

#include "common/auto_handle.h"
#include "testing/test_support.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace {

const char Messy[] = "RunOnce=1\n\n  [Global]  tail\r\n\tLanguageFile = x\r\r;c\n";
const char MessyWritten[] = "RunOnce = 0\r\n[Global]\r\nLanguageFile = x\r\n; c\r\n";

HANDLE OpenForTest(const std::string& path, DWORD access) {
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The names in a folder: a write-back leaves no file of its own behind.
std::vector<std::string> FolderNames(const TempDir& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((dir / "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

class PrefsFile : public ::testing::Test {
  protected:
    TempDir dir_;
    std::string path_ = dir_ / "PureBasic.prefs";
};

TEST_F(PrefsFile, LeavesAnUnwrittenFileUntouched) {
    ASSERT_TRUE(WriteFileBytes(path_, Messy));
    Prefs prefs = OpenPrefs(path_);
    ASSERT_TRUE(prefs.IsOpen());
    EXPECT_EQ(ReadPrefsLong(prefs, "RunOnce", 5), 1);
    EXPECT_TRUE(SelectPrefsGroup(prefs, "global"));
    EXPECT_EQ(ReadPrefsString(prefs, "LanguageFile", ""), "x");
    SelectPrefsGroup(prefs, "Absent");
    EXPECT_TRUE(ClosePrefs(prefs)) << "nothing to write back";
    EXPECT_EQ(ReadFileBytes(path_), Messy);
}

TEST_F(PrefsFile, WritesBackNormalisedAndCutsTheRest) {
    // Longer than what is written back, so the end must be cut off.
    ASSERT_TRUE(WriteFileBytes(path_, std::string(Messy) + std::string(1000, '\n')));
    Prefs prefs = OpenPrefs(path_);
    ASSERT_TRUE(prefs.IsOpen());
    WritePrefsLong(prefs, "RunOnce", 0);
    EXPECT_TRUE(ClosePrefs(prefs));
    EXPECT_EQ(ReadFileBytes(path_), MessyWritten);
    EXPECT_EQ(FolderNames(dir_), std::vector<std::string>{"PureBasic.prefs"});
}

TEST_F(PrefsFile, WriteBackKeepsAttributesAndReplacesALeftover) {
    // What a crash during an earlier write-back left beside the file.
    ASSERT_TRUE(WriteFileBytes(path_ + ".tmp", "torn"));
    ASSERT_TRUE(WriteFileBytes(path_, Messy));
    const DWORD attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    ASSERT_TRUE(SetFileAttributesA(path_.c_str(), attributes));
    Prefs prefs = OpenPrefs(path_);
    ASSERT_TRUE(prefs.IsOpen());
    WritePrefsLong(prefs, "RunOnce", 0);
    ClosePrefs(prefs);
    EXPECT_EQ(ReadFileBytes(path_), MessyWritten);
    EXPECT_EQ(GetFileAttributesA(path_.c_str()) & attributes, attributes);
    EXPECT_EQ(FolderNames(dir_), std::vector<std::string>{"PureBasic.prefs"});
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(PrefsFile, WriteBackWaitsOutAReaderThatHoldsTheFileForAMoment) {
    ASSERT_TRUE(WriteFileBytes(path_, Messy));
    Prefs prefs = OpenPrefs(path_);
    ASSERT_TRUE(prefs.IsOpen());
    WritePrefsLong(prefs, "RunOnce", 0);
    // Lets us write, but not replace the file while it holds it.
    HANDLE reader = OpenForTest(path_, GENERIC_READ);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    std::thread release([reader] {
        Sleep(300);
        CloseHandle(reader);
    });
    EXPECT_TRUE(ClosePrefs(prefs));
    release.join();
    EXPECT_EQ(ReadFileBytes(path_), MessyWritten);
}

TEST_F(PrefsFile, FailedWriteBackLeavesTheFileWhole) {
    struct Case {
        const char* Name;
        // Prepares the failure; the handle is held until the file is closed.
        HANDLE (*Prepare)(const std::string& path);
        std::vector<std::string> Names;
    } cases[] = {
        {"the new content cannot be created",
         [](const std::string& path) {
             CreateDirectoryA((path + ".tmp").c_str(), nullptr);
             return INVALID_HANDLE_VALUE;
         },
         {"PureBasic.prefs", "PureBasic.prefs.tmp"}},
        {"a reader lets us write but not replace",
         [](const std::string& path) {
             return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
         },
         {"PureBasic.prefs"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TempDir dir;
        const std::string path = dir / "PureBasic.prefs";
        ASSERT_TRUE(WriteFileBytes(path, Messy));
        HANDLE held = c.Prepare(path);
        Prefs prefs = OpenPrefs(path);
        ASSERT_TRUE(prefs.IsOpen());
        WritePrefsLong(prefs, "RunOnce", 0);
        EXPECT_FALSE(ClosePrefs(prefs));
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        EXPECT_EQ(ReadFileBytes(path), Messy);
        EXPECT_EQ(FolderNames(dir), c.Names);
        RemoveDirectoryA((path + ".tmp").c_str());
    }
}

TEST_F(PrefsFile, WritesBackAGrowingFile) {
    ASSERT_TRUE(WriteFileBytes(path_, "[A]"));
    Prefs prefs = OpenPrefs(path_);
    ASSERT_TRUE(prefs.IsOpen());
    SelectPrefsGroup(prefs, "Tool_0");
    WritePrefsString(prefs, "Command", std::string(100000, 'c'));
    ClosePrefs(prefs);
    EXPECT_EQ(ReadFileBytes(path_),
              "[A]\r\n[Tool_0]\r\nCommand = " + std::string(100000, 'c') + "\r\n");
}

TEST_F(PrefsFile, KeepsTheUtf8Mark) {
    ASSERT_TRUE(WriteFileBytes(path_, "\xEF\xBB\xBF[Global]\nLanguageFile=C:\\\xC3\xBC\\x"));
    Prefs prefs = OpenPrefs(path_);
    ASSERT_TRUE(prefs.IsOpen());
    SelectPrefsGroup(prefs, "Global");
    EXPECT_EQ(ReadPrefsString(prefs, "LanguageFile"), "C:\\\xFC\\x");
    WritePrefsString(prefs, "Other", "\xE4");
    ClosePrefs(prefs);
    EXPECT_EQ(ReadFileBytes(path_),
              "\xEF\xBB\xBF\r\n[Global]\r\nLanguageFile = C:\\\xC3\xBC\\x\r\nOther = \xC3\xA4\r\n");
}

TEST_F(PrefsFile, ConvertsUtf8ThroughTheSystemCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "written for code page 1252, this is " << GetACP();
    ASSERT_TRUE(WriteFileBytes(path_, "\xEF\xBB\xBF[Global]\r\n"
                                      "Euro = \xC2\x80\r\n"
                                      "Han = \xE4\xB8\xAD\r\n"));
    Prefs prefs = OpenPrefs(path_);
    ASSERT_TRUE(prefs.IsOpen());
    SelectPrefsGroup(prefs, "Global");
    EXPECT_EQ(ReadPrefsString(prefs, "Euro", "d"), "") << "U+0080 has no form in 1252";
    EXPECT_EQ(ReadPrefsString(prefs, "Han", "d"), "");
    WritePrefsString(prefs, "LanguageFile", "C:\\x\x80\x8C\\");
    SelectPrefsGroup(prefs, "Gr\x80");
    WritePrefsString(prefs, "K\x8C", "\xE4");
    ClosePrefs(prefs);
    EXPECT_EQ(ReadFileBytes(path_), "\xEF\xBB\xBF\r\n[Global]\r\n"
                                    "Euro = \xC2\x80\r\n"
                                    "Han = \xE4\xB8\xAD\r\n"
                                    "LanguageFile = C:\\x\xE2\x82\xAC\xC5\x92\\\r\n"
                                    "[Gr\xE2\x82\xAC]\r\n"
                                    "K\xC5\x92 = \xC3\xA4\r\n");
    prefs = OpenPrefs(path_);
    ASSERT_TRUE(prefs.IsOpen());
    SelectPrefsGroup(prefs, "Global");
    EXPECT_EQ(ReadPrefsString(prefs, "LanguageFile"), "C:\\x\x80\x8C\\");
    EXPECT_TRUE(SelectPrefsGroup(prefs, "gr\x80"));
    EXPECT_EQ(ReadPrefsString(prefs, "k\x8C"), "\xE4");
}

TEST_F(PrefsFile, EmptyFiles) {
    ASSERT_TRUE(WriteFileBytes(path_, ""));
    Prefs prefs = OpenPrefs(path_);
    ASSERT_TRUE(prefs.IsOpen());
    EXPECT_EQ(ReadPrefsLong(prefs, "RunOnce", 7), 7);
    WritePrefsLong(prefs, "RunOnce", 0);
    ClosePrefs(prefs);
    EXPECT_EQ(ReadFileBytes(path_), "RunOnce = 0\r\n");

    ASSERT_TRUE(WriteFileBytes(path_, "\xEF\xBB\xBF"));
    prefs = OpenPrefs(path_);
    ASSERT_TRUE(prefs.IsOpen());
    WritePrefsLong(prefs, "RunOnce", 0);
    ClosePrefs(prefs);
    EXPECT_EQ(ReadFileBytes(path_), "\xEF\xBB\xBF\r\nRunOnce = 0\r\n");
}

TEST_F(PrefsFile, MissingFileIsNotCreated) {
    Prefs prefs = OpenPrefs(path_);
    EXPECT_FALSE(prefs.IsOpen());
    // Calls after a failed open read defaults and write nowhere.
    EXPECT_EQ(ReadPrefsLong(prefs, "RunOnce", 3), 3);
    EXPECT_FALSE(SelectPrefsGroup(prefs, "Global"));
    WritePrefsString(prefs, "k", "v");
    EXPECT_FALSE(ClosePrefs(prefs));
    EXPECT_FALSE(FileExists(path_));
    EXPECT_FALSE(OpenPrefs(dir_.Path()).IsOpen()) << "a folder is no file";
}

TEST_F(PrefsFile, ReadOnlyFileOpensButIsNotWritten) {
    ASSERT_TRUE(WriteFileBytes(path_, Messy));
    // Also where the file still opens for writing: Wine run by root maps the
    // attribute to file modes that root ignores.
    ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    Prefs prefs = OpenPrefs(path_);
    ASSERT_TRUE(prefs.IsOpen());
    EXPECT_FALSE(prefs.Writable);
    EXPECT_EQ(ReadPrefsLong(prefs, "RunOnce", 5), 1);
    WritePrefsLong(prefs, "RunOnce", 0);
    EXPECT_EQ(ReadPrefsLong(prefs, "RunOnce", 5), 0);
    EXPECT_FALSE(ClosePrefs(prefs));
    EXPECT_EQ(ReadFileBytes(path_), Messy);
    EXPECT_NE(GetFileAttributesA(path_.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(FolderNames(dir_), std::vector<std::string>{"PureBasic.prefs"});
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(PrefsFile, OthersMayReadButNotWriteWhileOpen) {
    ASSERT_TRUE(WriteFileBytes(path_, Messy));
    Prefs prefs = OpenPrefs(path_);
    ASSERT_TRUE(prefs.IsOpen());
    HANDLE reader = OpenForTest(path_, GENERIC_READ);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
    EXPECT_EQ(ReadFileBytes(path_), Messy);
    HANDLE writer = OpenForTest(path_, GENERIC_WRITE);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    // Nor may another program, however it shares the file itself.
    char system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
    const std::string cmd = std::string(system) + "\\cmd.exe";
    ProcessResult append = RunProcess(cmd, "cmd /c echo x>>\"" + path_ + "\"", dir_.Path());
    EXPECT_TRUE(append.Finished);
    EXPECT_EQ(ReadFileBytes(path_), Messy) << "Wine's cmd exits with 0 all the same";
    ClosePrefs(prefs);
    writer = OpenForTest(path_, GENERIC_WRITE);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE) << "closed files are free again";
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    RunProcess(cmd, "cmd /c echo x>>\"" + path_ + "\"", dir_.Path());
    EXPECT_EQ(ReadFileBytes(path_), std::string(Messy) + "x\r\n");
}

TEST_F(PrefsFile, FileHeldByAReaderOpensForReadingOnly) {
    // Another program holding the file open for reading, sharing reading only,
    // refuses us write access; we still read it.
    ASSERT_TRUE(WriteFileBytes(path_, Messy));
    HANDLE other = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    Prefs prefs = OpenPrefs(path_);
    ASSERT_TRUE(prefs.IsOpen());
    EXPECT_EQ(ReadPrefsLong(prefs, "RunOnce", 5), 1);
    WritePrefsLong(prefs, "RunOnce", 0);
    EXPECT_FALSE(ClosePrefs(prefs));
    CloseHandle(other);
    EXPECT_EQ(ReadFileBytes(path_), Messy);
}

// Through a symbolic link the target is rewritten and the link stays.
TEST_F(PrefsFile, WritesBackThroughASymbolicLink) {
    const std::string target = dir_ / "Target.prefs";
    ASSERT_TRUE(WriteFileBytes(target, Messy));
    if (!CreateSymbolicLinkA(path_.c_str(), target.c_str(), 0) || ReadFileBytes(path_) != Messy)
        GTEST_SKIP() << "no symbolic links here (Wine 8 only pretends to make them)";
    Prefs prefs = OpenPrefs(path_);
    ASSERT_TRUE(prefs.IsOpen());
    WritePrefsLong(prefs, "RunOnce", 0);
    EXPECT_TRUE(ClosePrefs(prefs));
    EXPECT_EQ(ReadFileBytes(target), MessyWritten);
    EXPECT_NE(GetFileAttributesA(path_.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
}

TEST_F(PrefsFile, TwoOpenFilesAreWrittenEachAtItsClose) {
    std::string second = dir_ / "Tools.prefs";
    ASSERT_TRUE(WriteFileBytes(path_, Messy));
    ASSERT_TRUE(WriteFileBytes(second, "[ToolsInfo]\nToolCount=3"));
    Prefs main = OpenPrefs(path_), tools = OpenPrefs(second);
    ASSERT_TRUE(main.IsOpen() && tools.IsOpen());
    WritePrefsLong(main, "RunOnce", 0);
    EXPECT_EQ(ReadPrefsLong(tools, "RunOnce", 9), 9);
    SelectPrefsGroup(tools, "ToolsInfo");
    EXPECT_EQ(ReadPrefsLong(tools, "ToolCount", 0), 3);
    EXPECT_TRUE(ClosePrefs(tools));
    EXPECT_EQ(ReadFileBytes(second), "[ToolsInfo]\nToolCount=3");
    EXPECT_EQ(ReadFileBytes(path_), Messy) << "not before its own close";
    EXPECT_TRUE(ClosePrefs(main));
    EXPECT_EQ(ReadFileBytes(path_), MessyWritten);
}

TEST_F(PrefsFile, OnlyClosePrefsWritesBack) {
    ASSERT_TRUE(WriteFileBytes(path_, Messy));
    {
        Prefs dropped = OpenPrefs(path_);
        ASSERT_TRUE(dropped.IsOpen());
        WritePrefsLong(dropped, "RunOnce", 0);
    }
    EXPECT_EQ(ReadFileBytes(path_), Messy);
    Prefs prefs = OpenPrefs(path_);
    ASSERT_TRUE(prefs.IsOpen());
    WritePrefsLong(prefs, "RunOnce", 0);
    EXPECT_TRUE(ClosePrefs(prefs));
    prefs = OpenPrefs(path_);
    EXPECT_EQ(ReadPrefsLong(prefs, "RunOnce", 9), 0) << "reopened, it sees the write-back";
}

TEST_F(PrefsFile, AnotherProgramsCloseReachesTheDisk) {
    ASSERT_TRUE(WriteFileBytes(path_, Messy));
    ProcessResult run =
        RunProcess(SiblingExe("prefs_exit_helper.exe"), "prefs_exit_helper|" + path_, dir_.Path());
    ASSERT_TRUE(run.Finished);
    EXPECT_EQ(run.ExitCode, 0u);
    EXPECT_EQ(ReadFileBytes(path_), MessyWritten);
}

// True once the folder holds anything but the file at its old size: the
// write-back has begun.
bool WriteBackBegun(const TempDir& dir, const std::string& path, size_t oldSize) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return FolderNames(dir).size() != 1 ||
           !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
           data.nFileSizeLow != oldSize;
}

TEST_F(PrefsFile, AKilledWriteBackLeavesTheOldOrTheNewFile) {
    // Large enough that writing it back takes a while, as a big Tools.prefs.
    std::string before;
    while (before.size() < (16u << 20))
        before += "[Tool]\r\nCommand = C:\\Tools\\x.exe\r\n";
    const std::string after = "RunOnce = 0\r\n" + before;
    const std::string exe = SiblingExe("prefs_exit_helper.exe");
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        TempDir dir;
        const std::string path = dir / "PureBasic.prefs";
        ASSERT_TRUE(WriteFileBytes(path, before));
        AutoCloseHandle process(StartProcess(exe, "prefs_exit_helper|" + path, dir.Path()));
        ASSERT_TRUE(process.IsValid());
        // Killed the moment anything in the folder changes.
        while (WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT) {
            if (WriteBackBegun(dir, path, before.size())) TerminateProcess(process.Get(), 1);
        }
        std::string now = ReadFileBytes(path);
        EXPECT_TRUE(now == before || now == after) << now.size() << " bytes";
    }
}

} // namespace
