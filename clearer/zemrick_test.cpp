// Zemrick run as the IDE runs it, in a fresh working folder.
#include "common/auto_handle.h"
#include "history/history_line.h"
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

TEST_F(ZemrickTest, EmptiesTheForwardFileWhileTheBackFileIsHeld) {
    ASSERT_TRUE(WriteFileBytes(dir / HistoryBackFileName, "a.pb|1\r\n"));
    ASSERT_TRUE(WriteFileBytes(dir / HistoryForwardFileName, "c.pb|3\r\n"));
    AutoCloseHandle held(CreateFileA((dir / HistoryBackFileName).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
    ASSERT_TRUE(held.IsValid());
    RunZemrick();
    held.Close();
    EXPECT_EQ(ReadFileBytes(dir / HistoryBackFileName), "a.pb|1\r\n");
    ExpectEmpty(HistoryForwardFileName);
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
