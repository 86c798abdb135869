#include "history/history_line.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatHistoryEntry, JoinsFileAndCursorIntoOneCrLfLine) {
    EXPECT_EQ(FormatHistoryEntry(R"(C:\My Files\a.pb)", "12"), "C:\\My Files\\a.pb|12\r\n");
    EXPECT_EQ(FormatHistoryEntry("", ""), "|\r\n");
    // Bytes pass unchanged: no quoting, no escaping, no code-page conversion.
    EXPECT_EQ(FormatHistoryEntry("\"\xE4|\xFF\"", "a|b"), "\"\xE4|\xFF\"|a|b\r\n");
    // A fingerprint only where it reads back as written.
    const struct {
        const char *Cursor, *Fingerprint, *Line;
    } cases[] = {
        {"17x5", "v1:0a", "a.pb|17x5|v1:0a\r\n"}, {"17x5", "", "a.pb|17x5\r\n"},
        {"1|2", "v1:0a", "a.pb|1|2\r\n"},         {"17x5", "v1|0a", "a.pb|17x5\r\n"},
        {"17x5", "v1:\r\n", "a.pb|17x5\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatHistoryEntry("a.pb", c.Cursor, c.Fingerprint), c.Line) << c.Fingerprint;
}

TEST(HistoryEntry, SplitsAtTheFirstBar) {
    HistoryEntry e;
    ASSERT_TRUE(ParseHistoryEntry("C:\\a b\\x.pb|12x5", &e));
    EXPECT_EQ(e.File, "C:\\a b\\x.pb");
    EXPECT_EQ(e.Cursor, "12x5");
    ASSERT_TRUE(ParseHistoryEntry("|", &e));
    EXPECT_EQ(e.File, "");
    EXPECT_EQ(e.Cursor, "");
    ASSERT_TRUE(ParseHistoryEntry("f|a|b", &e));
    EXPECT_EQ(e.Cursor, "a");
    EXPECT_EQ(e.Fingerprint, "b");
    ASSERT_TRUE(ParseHistoryEntry("f|a|b|c", &e));
    EXPECT_EQ(e.Cursor, "a");
    EXPECT_EQ(e.Fingerprint, "");
    EXPECT_FALSE(ParseHistoryEntry("no bar here", &e));
}

TEST(CursorLine, AcceptsOnlyLineXColumn) {
    const struct {
        const char* Text;
        bool Ok;
        int32_t Line;
    } cases[] = {
        {"12x5", true, 12},  {"1x1", true, 1},           {"2147483647x1", true, 2147483647},
        {"0x1", false, 0},   {"2147483648x1", false, 0}, {"12", false, 0},
        {"x5", false, 0},    {"12x", false, 0},          {"12x5x", false, 0},
        {" 12x5", false, 0}, {"-3x1", false, 0},         {"", false, 0},
    };
    for (const auto& c : cases) {
        int32_t line = -7;
        EXPECT_EQ(ParseCursorLine(c.Text, &line), c.Ok) << c.Text;
        if (c.Ok) {
            EXPECT_EQ(line, c.Line) << c.Text;
        }
    }
}

TEST(CursorPosition, GivesLineAndColumnOrNothing) {
    const struct {
        const char* Text;
        bool Ok;
        int32_t Line, Column;
    } cases[] = {
        {"12x5", true, 12, 5},
        {"1x1", true, 1, 1},
        {"7x2147483647", true, 7, 2147483647},
        {"2147483647x3", true, 2147483647, 3},
        {"12x0", false, 0, 0},
        {"12x2147483648", false, 0, 0},
        {"12x99999999999999999999", false, 0, 0},
        {"0x4", false, 0, 0},
        {"12x-1", false, 0, 0},
        {"12x5 ", false, 0, 0},
        {"12", false, 0, 0},
        {"x", false, 0, 0},
    };
    for (const auto& c : cases) {
        int32_t line = -7, column = -7;
        EXPECT_EQ(ParseCursorPosition(c.Text, &line, &column), c.Ok) << c.Text;
        EXPECT_EQ(line, c.Ok ? c.Line : -7) << c.Text;
        EXPECT_EQ(column, c.Ok ? c.Column : -7) << c.Text;
    }
}

TEST(SamePosition, FileCaseIgnoredLineCompared) {
    EXPECT_TRUE(SamePosition({u8"C:\\Src\\ä\\Жук.pb", "3x1"}, {u8"c:\\SRC\\Ä\\жук.PB", "3x9"}));
    EXPECT_FALSE(SamePosition({"a.pb", "3x1"}, {"a.pb", "4x1"}));
    EXPECT_FALSE(SamePosition({"a.pb", "3x1"}, {"b.pb", "3x1"}));
    EXPECT_TRUE(SamePosition({"a.pb", "odd"}, {"A.PB", "odd"}));
    EXPECT_FALSE(SamePosition({"a.pb", "odd"}, {"a.pb", "3x1"}));
    EXPECT_TRUE(SamePosition({"a.pb", "3x1", "v1:0a"}, {"a.pb", "3x1", ""}));
}

} // namespace
