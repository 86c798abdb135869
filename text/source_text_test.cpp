#include "text/source_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Lines = std::vector<std::string>;

Lines AllLines(std::string_view text) {
    SourceLines lines(text);
    Lines all;
    for (int64_t line = 1; line <= lines.Last(); ++line)
        all.emplace_back(lines.Line(line));
    return all;
}

TEST(SourceLines, SplitAsTheEditorSplits) {
    const struct {
        std::string Text;
        Lines Expected;
    } cases[] = {
        {"", {""}},
        {"a", {"a"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\r\n", {"a", ""}},
        {"\r\r\n\n", {"", "", "", ""}},
        {"a\n\rb", {"a", "", "b"}},
        {std::string("x\0y\r\n", 5), {std::string("x\0y", 3), ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AllLines(c.Text), c.Expected) << c.Text;
    SourceLines lines("a\nb", 10);
    EXPECT_FALSE(lines.Holds(9));
    EXPECT_EQ(lines.Line(11), "b");
    EXPECT_EQ(lines.Line(12), "");
    EXPECT_EQ(lines.Start(12), std::string_view::npos);
}

// A tab is one column, a UTF-8 letter of several bytes one in today's IDE
// and a byte each in the classic one; an 8-bit letter is one byte either way.
TEST(Columns, CountAsTheIdeCounts) {
    const std::string line = "\tGr\xC3\xBC\xC3\x9F\x65 \xE6\x97\xA5x\xFC";
    const auto chars = ColumnCounting::Characters, bytes = ColumnCounting::Bytes;
    const struct {
        int64_t Offset;
        int32_t Characters, Bytes;
    } cases[] = {{0, 1, 1},   {1, 2, 2},    {5, 5, 6},    {7, 6, 8},
                 {12, 9, 13}, {14, 11, 15}, {16, 13, 17}, {-3, 1, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(ColumnOfOffset(line, c.Offset, chars), c.Characters) << c.Offset;
        EXPECT_EQ(ColumnOfOffset(line, c.Offset, bytes), c.Bytes) << c.Offset;
        if (c.Offset >= 0 && size_t(c.Offset) <= line.size()) {
            EXPECT_EQ(OffsetOfColumn(line, c.Characters, chars), size_t(c.Offset));
            EXPECT_EQ(OffsetOfColumn(line, c.Bytes, bytes), size_t(c.Offset));
        }
    }
    EXPECT_EQ(OffsetOfColumn(line, 99, chars), line.size());
    EXPECT_EQ(OffsetOfColumn(line, 0, chars), 0u);
    EXPECT_EQ(CountColumns(line, chars), 10);
    EXPECT_EQ(CountColumns(line, bytes), 14);
}

// Where the caret lands for LINExCOLUMN, column 0 standing for none.
TEST(LandOn, KeepsTheCaretWithinTheText) {
    const std::string text = "first\r\nab\r\n\tx\t\xC3\xA4z\r\nlast line\r\n";
    const struct {
        int64_t Line, Column;
        int64_t Lands;
        int32_t Characters, Bytes;
    } cases[] = {
        {1, 1, 1, 1, 1}, {1, 3, 1, 3, 3}, {3, 5, 3, 5, 5},  {3, 6, 3, 6, 6}, {3, 99, 3, 6, 7},
        {2, 3, 2, 3, 3}, {2, 4, 2, 3, 3}, {4, 9, 4, 9, 9},  {5, 1, 5, 1, 1}, {9, 4, 4, 4, 4},
        {9, 0, 5, 1, 1}, {0, 2, 1, 2, 2}, {-5, 0, 1, 1, 1},
    };
    for (const auto counting : {ColumnCounting::Characters, ColumnCounting::Bytes}) {
        const bool chars = counting == ColumnCounting::Characters;
        for (const auto& c : cases) {
            SourceLines lines(text, 1, 0, 0, counting);
            Landing landing;
            ASSERT_TRUE(LandOn(lines, c.Line, c.Column, &landing));
            const int32_t column = chars ? c.Characters : c.Bytes;
            EXPECT_EQ(landing.Line, c.Lands) << c.Line << "x" << c.Column;
            EXPECT_EQ(landing.Column, column) << c.Line << "x" << c.Column;
            const std::string_view line = lines.Line(c.Lands);
            EXPECT_EQ(size_t(landing.Position) - lines.Start(c.Lands),
                      OffsetOfColumn(line, column, counting));
        }
    }
    // An empty text has one line; an excerpt counts as its document does.
    SourceLines empty("");
    Landing landing;
    ASSERT_TRUE(LandOn(empty, 7, 7, &landing));
    EXPECT_EQ(landing.Line, 1);
    EXPECT_EQ(landing.Column, 1);
    SourceLines excerpt("ab\r\ncd", 40, 1000, 100);
    ASSERT_TRUE(LandOn(excerpt, 41, 2, &landing));
    EXPECT_EQ(landing.Line, 41);
    EXPECT_EQ(landing.Position, 1005);
    EXPECT_FALSE(LandOn(excerpt, 90, 1, &landing));
}

} // namespace
