// Zemrick run as the IDE runs it, in a fresh working folder.
#include "common/auto_handle.h"
#include "history/history_line.h"
#include "testing/host_ide/host_client.h"
#include "testing/test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const std::string ZemrickPath = SiblingExe("Zemrick.exe");

class ZemrickTest : public testing::Test {
  protected:
    void RunZemrick(const std::string& arguments = "") {
        ProcessResult result =
            RunProcess(ZemrickPath, "\"" + ZemrickPath + "\"" + arguments, dir.Path());
        EXPECT_TRUE(result.Finished);
        EXPECT_EQ(result.ExitCode, 0u);
    }
    void ExpectEmpty(const char* name) {
        EXPECT_TRUE(FileExists(dir / name)) << name;
        EXPECT_EQ(ReadFileBytes(dir / name), "") << name;
    }
    TempDir dir;
};

TEST_F(ZemrickTest, CreatesBothFilesEmpty) {
    RunZemrick();
    ExpectEmpty(HistoryBackFileName);
    ExpectEmpty(HistoryForwardFileName);
}

TEST_F(ZemrickTest, EmptiesBothFiles) {
    ASSERT_TRUE(WriteFileBytes(dir / HistoryBackFileName, "a.pb|1\r\nb.pb|2\r\n"));
    ASSERT_TRUE(WriteFileBytes(dir / HistoryForwardFileName, "c.pb|3\r\n"));
    RunZemrick();
    ExpectEmpty(HistoryBackFileName);
    ExpectEmpty(HistoryForwardFileName);
}

TEST_F(ZemrickTest, IgnoresItsParameters) {
    const char* argumentSets[] = {R"( "a.pb""1")", " BACK", R"( "unclosed)", " --help /?"};
    for (const char* arguments : argumentSets) {
        SCOPED_TRACE(arguments);
        ASSERT_TRUE(WriteFileBytes(dir / HistoryBackFileName, "a.pb|1\r\n"));
        ASSERT_TRUE(WriteFileBytes(dir / HistoryForwardFileName, "c.pb|3\r\n"));
        RunZemrick(arguments);
        ExpectEmpty(HistoryBackFileName);
        ExpectEmpty(HistoryForwardFileName);
        EXPECT_FALSE(FileExists(dir / "a.pb"));
    }
}

// A file another program holds is left as it is, and the IDE's log says so.
TEST_F(ZemrickTest, EmptiesTheForwardFileWhileTheBackFileIsHeld) {
    TempDir sources;
    ASSERT_TRUE(WriteFileBytes(sources / "a.pb", "x\r\n"));
    HostIde host(sources.Path(), {sources / "a.pb"}, HostMode::Today);
    ASSERT_TRUE(host.Ready);
    SetHostToolEnvironment(host, sources / "a.pb");
    ASSERT_TRUE(WriteFileBytes(dir / HistoryBackFileName, "a.pb|1\r\n"));
    ASSERT_TRUE(WriteFileBytes(dir / HistoryForwardFileName, "c.pb|3\r\n"));
    AutoCloseHandle held(CreateFileA((dir / HistoryBackFileName).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
    ASSERT_TRUE(held.IsValid());
    RunZemrick();
    held.Close();
    for (const char* name : {"PB_TOOL_MainWindow", "PB_TOOL_Scintilla", "PB_TOOL_FileList",
                             "PB_TOOL_IDE", "PB_TOOL_Preferences"})
        SetEnvironmentVariableA(name, nullptr);
    EXPECT_EQ(ReadFileBytes(dir / HistoryBackFileName), "a.pb|1\r\n");
    ExpectEmpty(HistoryForwardFileName);
    const std::vector<std::string> log = HostLogLines(host);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("[PLUGIN] History not cleared: History_Back.txt"), std::string::npos);
}

TEST_F(ZemrickTest, TruncatesFilesThatMayOnlyBeWritten) {
    // Readers that let others write but not read: creating the files anew
    // asks for read access and fails, truncating them does not.
    std::vector<AutoCloseHandle> readers;
    for (const char* name : {HistoryBackFileName, HistoryForwardFileName}) {
        ASSERT_TRUE(WriteFileBytes(dir / name, "a.pb|1\r\n"));
        readers.emplace_back(CreateFileA((dir / name).c_str(), GENERIC_READ, FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(readers.back().IsValid());
    }
    RunZemrick();
    readers.clear();
    ExpectEmpty(HistoryBackFileName);
    ExpectEmpty(HistoryForwardFileName);
}

} // namespace
