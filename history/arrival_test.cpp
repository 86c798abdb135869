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

} // namespace
