#include "history/arrival.h"

#include "history/line_fingerprint.h"

#include <gtest/gtest.h>

namespace {

// Where the IDE's caret lands, and what a tool started there is told, in
// today's IDE (characters) and the classic one (bytes).
TEST(ArrivalIn, AsTheEditorIsMoved) {
    const std::string text = "first\r\nab\r\n\tx\t\xC3\xA4z\r\nlast line\r\n";
    const std::string moved = "; new\r\n; lines\r\n" + text;
    std::string large;
    for (int i = 1; i <= 20000; ++i)
        large += "Value(" + std::to_string(i) + ")\r\n";
    const std::string edited = "; one\r\n; two\r\n; three\r\n" + large;
    const struct {
        std::string Text, Cursor, Fingerprinted, Characters, Bytes;
    } cases[] = {
        {text, "3x99", "", "3x6", "3x7"}, // a character of two bytes
        {text, "3x5", "", "3x5", "3x5"},
        {text, "2x0", "", "2x1", "2x1"},
        {moved, "3x2", text, "5x2", "5x2"}, // found again two lines down
        {"", "4x4", "", "1x1", "1x1"},
        {edited, "15000x3", large, "15003x3", "15003x3"},
        {edited, "1x1", large, "4x1", "4x1"},
        {edited, "19999x99", large, "20002x13", "20002x13"},
        {edited, "40000x2", large, "20003x2", "20003x2"},
    };
    for (const auto counting : {ColumnCounting::Characters, ColumnCounting::Bytes}) {
        for (const auto& c : cases) {
            const std::string fingerprint =
                c.Fingerprinted.empty() ? ""
                                        : FingerprintOfLine(c.Fingerprinted, std::stoi(c.Cursor));
            SourceLines lines(c.Text, 1, 0, 0, counting);
            const HistoryEntry arrival = ArrivalIn(lines, {"a.pb", c.Cursor, fingerprint});
            const std::string& lands =
                counting == ColumnCounting::Characters ? c.Characters : c.Bytes;
            EXPECT_EQ(arrival.Cursor, lands) << c.Cursor;
            EXPECT_EQ(arrival.Fingerprint, FingerprintOfLine(c.Text, std::stoi(lands))) << c.Cursor;
        }
    }
    SourceLines lines(text);
    EXPECT_EQ(ArrivalIn(lines, {"a.pb", "somewhere", "v1:x"}).Cursor, "somewhere");
}

// An excerpt of an editor's text, numbered as its document, lands as the
// whole text does.
TEST(ArrivalIn, OverAnExcerptAsOverTheWhole) {
    std::string text;
    for (int i = 1; i <= 3000; ++i)
        text += "Line " + std::to_string(i) + "\r\n";
    const std::string fingerprint = FingerprintOfLine(text, 2000);
    const std::string moved = "; a\r\n; b\r\n" + text;
    SourceLines whole(moved);
    const size_t from = whole.Start(900);
    SourceLines excerpt(std::string_view(moved).substr(from), 900, int64_t(from), whole.Last());
    for (const char* cursor : {"2000x3", "2000x99", "9999x1"}) {
        const HistoryEntry entry = {"a.pb", cursor, fingerprint};
        EXPECT_EQ(ArrivalIn(excerpt, entry).Cursor, ArrivalIn(whole, entry).Cursor) << cursor;
    }
}

// A source read in parts as small as asked, counting what was read.
struct ServedText {
    std::string Text;
    size_t Part = 7, Read = 0;
    ReadBytesAt Reader() {
        return [this](uint64_t offset, char* buffer, size_t count) -> int64_t {
            if (offset >= Text.size()) return 0;
            const size_t got = std::min({count, Part, Text.size() - size_t(offset)});
            Text.copy(buffer, got, size_t(offset));
            Read += got;
            return int64_t(got);
        };
    }
};

std::string Lines(int count, const std::string& lineEnd, int from = 1) {
    std::string text;
    for (int i = from; i < from + count; ++i)
        text += "  line " + std::to_string(i) + (i % 3 ? "" : "\t") + lineEnd;
    return text;
}

// What a source read only as far as asked tells is what the whole text
// tells: where a step lands and the line shown, and a large file is read
// only near the lines asked for.
TEST(PartialSource, TellsWhatTheWholeTextTells) {
    std::string moved;
    for (int i = 0; i < 800; ++i)
        moved += "; new\r\n";
    const std::string big = Lines(100000, "\r\n");
    moved += big;
    const struct {
        std::string Text, Cursor;
        // The line of Text whose fingerprint the entry keeps; 0 none, -1 one
        // that matches no line.
        int FingerprintOf;
        std::string Now;       // the text on disk, Text when empty
        size_t Part, MostRead; // 0: the whole text
    } cases[] = {
        {big, "20x3", 20, "", 4096, 4096},        // the neighbours only
        {big, "20x3", 20, moved, 4096, 5 * 4096}, // found 800 lines down
        {big, "99000x2", 0, "", 65536, 0},
        {Lines(40, "\n"), "99999x4", 0, "", 7, 0}, // past the end
        {Lines(40, "\r"), "5x99", 5, "", 7, 0},    // past the line's end
        {Lines(40, "\r\n"), "12x2", 0, "", 1, 0},  // CR LF split between reads
        {Lines(40, "\r\n") + "last", "41x3", 0, "", 7, 0},
        {"", "1x1", 0, "", 7, 0},
        {Lines(40, "\r\n"), "7x2", -1, "", 65536, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        const std::string fingerprint = c.FingerprintOf < 0 ? "v1:" + std::string(56, '7')
                                        : c.FingerprintOf > 0
                                            ? FingerprintOfLine(c.Text, c.FingerprintOf)
                                            : "";
        const HistoryEntry entry = {"a.pb", c.Cursor, fingerprint};
        ServedText served{c.Now.empty() ? c.Text : c.Now, c.Part};
        SourceLines whole(served.Text);
        const HistoryEntry expected = ArrivalIn(whole, entry);
        PartialSource source(served.Reader(), SIZE_MAX);
        const HistoryEntry arrival = ArrivalInSource(source, entry);
        EXPECT_EQ(arrival.Cursor, expected.Cursor);
        EXPECT_EQ(arrival.Fingerprint, expected.Fingerprint);
        int32_t line = 0;
        ASSERT_TRUE(ParseCursorLine(arrival.Cursor, &line));
        SourceLines* shown = source.Through(line);
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->Line(line), whole.Line(line));
        EXPECT_LE(served.Read, c.MostRead ? c.MostRead : served.Text.size());
    }
}

TEST(PartialSource, CannotBeReadWhenAReadFailsOrTheFileIsTooLarge) {
    PartialSource failing([](uint64_t, char*, size_t) -> int64_t { return -1; }, 1000);
    EXPECT_FALSE(failing.Through(1));
    EXPECT_EQ(ArrivalInSource(failing, {"a.pb", "5x3"}).Cursor, "5x3");
    ServedText large{Lines(100, "\n")};
    PartialSource tooLarge(large.Reader(), large.Text.size() - 1);
    EXPECT_FALSE(tooLarge.Through(1000));
    ServedText fits{Lines(100, "\n")};
    PartialSource whole(fits.Reader(), fits.Text.size());
    ASSERT_TRUE(whole.Through(1000));
    EXPECT_EQ(whole.Through(1000)->Last(), 101);
}

} // namespace
