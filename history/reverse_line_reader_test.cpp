#include "history/reverse_line_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Reads from the text as from a file, counting the reads; offsets below
// failBelow fail.
ReadAtFunction ReadFrom(const std::string& text, int* reads = nullptr, uint64_t failBelow = 0) {
    return [&text, reads, failBelow](uint64_t offset, char* buffer, size_t count) {
        if (reads) ++*reads;
        if (offset < failBelow || offset > text.size()) return size_t(0);
        size_t n = std::min(count, size_t(text.size() - offset));
        text.copy(buffer, n, size_t(offset));
        return n;
    };
}

// All lines of text from the last to the first, with their start offsets.
std::vector<std::pair<std::string, uint64_t>> LinesBackwards(const std::string& text) {
    ReverseLineReader reader(ReadFrom(text), text.size());
    std::vector<std::pair<std::string, uint64_t>> out;
    std::string line;
    uint64_t start;
    while (reader.Previous(&line, &start))
        out.push_back({line, start});
    return out;
}

using Lines = std::vector<std::pair<std::string, uint64_t>>;

TEST(ReverseLineReader, ReadsLinesFromTheEnd) {
    EXPECT_EQ(LinesBackwards("a|1x1\r\nb|2x1\r\n"), (Lines{{"b|2x1", 7}, {"a|1x1", 0}}));
    EXPECT_EQ(LinesBackwards("a\nb"), (Lines{{"b", 2}, {"a", 0}}));
    EXPECT_EQ(LinesBackwards("a\r\r\n\n\rb\r\n\r\n"), (Lines{{"b", 6}, {"a", 0}}));
    EXPECT_EQ(LinesBackwards(""), Lines{});
    EXPECT_EQ(LinesBackwards("\r\n\r\n\n"), Lines{});
}

TEST(ReverseLineReader, LinesAcrossAndLongerThanBlocks) {
    std::string longLine(100000, 'x');
    std::string text = "first\r\n" + longLine + "\r\n" + std::string(5000, 'y') + "\r\n";
    Lines lines = LinesBackwards(text);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].first, std::string(5000, 'y'));
    EXPECT_EQ(lines[0].second, 7 + longLine.size() + 2);
    EXPECT_EQ(lines[1].first, longLine);
    EXPECT_EQ(lines[1].second, 7u);
    EXPECT_EQ(lines[2], (std::pair<std::string, uint64_t>{"first", 0}));
}

TEST(ReverseLineReader, TheLastEntryCostsTheSameForAnyHistory) {
    std::string entry = "C:\\src\\main.pb|120x4\r\n";
    for (size_t entries : {10u, 100000u}) {
        std::string text;
        for (size_t i = 0; i < entries; ++i)
            text += entry;
        int reads = 0;
        ReverseLineReader reader(ReadFrom(text, &reads), text.size());
        std::string line;
        uint64_t start;
        ASSERT_TRUE(reader.Previous(&line, &start));
        EXPECT_EQ(line, "C:\\src\\main.pb|120x4");
        EXPECT_EQ(start, text.size() - entry.size());
        EXPECT_EQ(reads, 1);
    }
}

TEST(ReverseLineReader, AFailedReadEndsTheWalk) {
    std::string text = std::string(10000, 'a') + "\nb\n";
    ReverseLineReader reader(ReadFrom(text, nullptr, 4096), text.size());
    std::string line;
    uint64_t start;
    ASSERT_TRUE(reader.Previous(&line, &start));
    EXPECT_EQ(line, "b");
    EXPECT_FALSE(reader.Previous(&line, &start));
}

} // namespace
