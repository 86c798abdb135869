#include "common/code_page.h"
#include "history/entry_name.h"
#include "testing/test_support.h"

#include <gtest/gtest.h>

namespace {

// Wine, like Western Windows, runs with code page 1252.
TEST(CodePage, HistoryNamesKeepTheCodePageBytesWhereTheyCan) {
    if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
    const std::string marker(1, UnicodeNameMarker);
    const std::pair<std::string, std::string> cases[] = {
        {u8"C:\\€uro.pb", "C:\\\x80uro.pb"},
        {u8"C:\\Жук.pb", marker + u8"C:\\Жук.pb"},
        // Best-fit look-alikes ("a", "8") would name other files.
        {u8"C:\\ā∞.pb", marker + u8"C:\\ā∞.pb"},
    };
    for (const auto& [name, stored] : cases) {
        EXPECT_EQ(EncodeEntryName(name, SystemCodePage()), stored) << name;
        std::string decoded;
        EXPECT_TRUE(DecodeEntryName(stored, SystemCodePage(), &decoded));
        EXPECT_EQ(decoded, name);
    }
}

TEST(CodePage, EnvironmentValuesComeWholeInUtf8) {
    const std::wstring piece = L"C:\\\u0141\u00F3d\u017A\\\u65E5\u672C.pb\n";
    const std::string utf8Piece = u8"C:\\Łódź\\日本.pb\n";
    for (size_t count : {1, 21, 2340}) {
        std::wstring value;
        std::string expected;
        for (size_t i = 0; i < count; ++i) {
            value += piece;
            expected += utf8Piece;
        }
        ASSERT_TRUE(SetEnvironmentVariableW(L"TOLVANE_TEST", value.c_str()));
        EXPECT_EQ(EnvironmentUtf8("TOLVANE_TEST"), expected) << count;
    }
    SetEnvironmentVariableW(L"TOLVANE_TEST", nullptr);
    EXPECT_EQ(EnvironmentUtf8("TOLVANE_TEST"), "");
}

TEST(CodePage, FilesAreFoundByTheirUtf8Names) {
    TempDir dir;
    const std::string folder = dir / u8"Łódź";
    const std::string full = folder + u8"\\日本.pb", empty = folder + u8"\\Жук.pb";
    ASSERT_TRUE(CreateFolderUtf8(folder));
    ASSERT_TRUE(WriteFileUtf8(full, "x"));
    ASSERT_TRUE(WriteFileUtf8(empty, ""));
    EXPECT_TRUE(PathHasContent(full));
    EXPECT_FALSE(PathHasContent(empty));
    EXPECT_FALSE(PathHasContent(folder));
    EXPECT_FALSE(PathHasContent(folder + u8"\\gone.pb"));
    EXPECT_TRUE(PathAttributes(folder) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_NE(PathAttributes(empty), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(PathAttributes(folder + "\\\xE6\x97"), INVALID_FILE_ATTRIBUTES) << "malformed";
}

} // namespace
