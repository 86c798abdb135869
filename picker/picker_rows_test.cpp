#include "picker/picker_rows.h"

#include "history/arrival.h"
#include "history/line_fingerprint.h"
#include "picker/partial_source.h"
#include "picker/picker_layout.h"
#include "testing/latin1_code_page.h"

#include <gtest/gtest.h>

namespace {

TEST(CodeForRow, ShowsTheLineShortAndWhole) {
    const struct {
        std::string Line, Shown;
    } cases[] = {
        {"\t\t  If x\t= 1  \t", "If x  = 1"},
        {u8"  Debug \"日本\"", u8"Debug \"日本\""},
        {"Gr\xFC\xDF\x65", u8"Grüße"}, // not UTF-8: the code page
        {std::string("a\0b\x1b\x63", 5), "a b c"},
        {std::string(300, 'x'), std::string(MaxCodeCharacters, 'x')},
        {std::string(MaxCodeCharacters - 1, 'x') + u8"ä",
         std::string(MaxCodeCharacters - 1, 'x') + u8"ä"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CodeForRow(c.Line, Latin1), c.Shown) << c.Line;
}

// Rows listed before their code is read: the filter keeps what holds it of
// the names and of the code known so far, and gains rows as code arrives.
TEST(RowFilter, KeepsTheRowsThatHoldItAsTheirCodeArrives) {
    const std::vector<ListedEntry> forward = {
        {{"C:\\src\\c.pb", "12x4"}, true, {"C:\\src\\c.pb", "?"}, false}};
    const std::vector<ListedEntry> back = {
        {{"C:\\src\\a.pb", "5x3"}, true, {"C:\\src\\a.pb", "6x1"}},
        {{"C:\\gone\\d.pb", "3x1"}, false, {}},
        {{u8"C:\\src\\Жук.pb", "4x3"}, true, {u8"C:\\src\\Жук.pb", "4x3"}}};
    std::vector<PickerRow> rows =
        ArrangeRows(forward, RowOf(RowKind::Current, {"C:\\src\\b.pb", "2x1"}), back);
    // Shown as recorded until the arrival is known; a gone file waits for
    // nothing.
    EXPECT_EQ(rows[0].Position, "12:4");
    EXPECT_EQ(rows[2].Position, "6:1");
    EXPECT_EQ(rows[4].Folder, "C:\\src");
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(), RowPending), 4);
    const struct {
        int Completed; // the row whose code arrives, -1 for a filter typed
        std::string Text;
        bool Changed; // others shown than before
        std::vector<int> Shown;
    } steps[] = {
        {-1, "", false, {0, 1, 2, 3, 4}},  // every row
        {-1, u8"жУК", true, {1, 4}},       // a name, another script
        {-1, "D.PB", true, {1, 3}},        // widened, then narrowed again
        {-1, "debug", true, {1}},          // no code known yet
        {2, "  Debug x", true, {1, 2}},    // code arrives that holds it
        {0, "If debug", true, {0, 1, 2}},  // before the rows shown
        {-1, "debug x", true, {1, 2}},     // narrowed
        {4, "debug xy", true, {1, 2, 4}},  // narrowed, then gained
        {4, "debug xy", false, {1, 2, 4}}, // shown already
        {1, "nothing", false, {1, 2, 4}},  // the current position stays
        {-1, "debug x", false, {1, 2, 4}}, // the same rows
        {-1, "", true, {0, 1, 2, 3, 4}},
    };
    RowFilter filter(rows);
    for (const auto& step : steps) {
        SCOPED_TRACE(&step - steps);
        if (step.Completed < 0) {
            EXPECT_EQ(filter.Apply(step.Text), step.Changed);
        } else {
            PickerRow& row = rows[size_t(step.Completed)];
            CompleteRow(row, row.Arrival, CodeForRow(step.Text, Latin1));
            EXPECT_EQ(filter.Recheck(step.Completed), step.Changed);
        }
        EXPECT_EQ(filter.Shown(), step.Shown);
    }
    CompleteRow(rows[0], {"C:\\src\\c.pb", "14x1"}, "");
    EXPECT_EQ(rows[0].Position, "14:1");
    EXPECT_FALSE(RowPending(rows[0]));
}

// Ten pixels a character: "…" is one.
int TenPixelsEach(std::string_view text) {
    return 10 * int(std::count_if(text.begin(), text.end(),
                                  [](char c) { return (uint8_t(c) & 0xC0) != 0x80; }));
}

TEST(CutAtStart, KeepsTheEndOfAFolder) {
    const struct {
        std::string Text;
        int Width;
        std::string Shown;
    } cases[] = {
        {"Z:\\tmp\\pick-3", 130, "Z:\\tmp\\pick-3"},
        {"Z:\\tmp\\pick-windows\\windows\\pick-3", 160, u8"…\\windows\\pick-3"},
        {"Z:\\tmp\\pick-windows\\windows\\pick-3", 169, u8"…\\windows\\pick-3"},
        {u8"C:\\Łódź\\日本語", 40, u8"…日本語"}, // between characters
        {u8"C:\\Łódź\\日本語", 5, u8"…"},
        {"", 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CutAtStart(c.Text, c.Width, TenPixelsEach), c.Shown) << c.Text << " " << c.Width;
}

TEST(PlacePicker, CentredOverTheIdeWithinTheWorkArea) {
    const ScreenBox area = {0, 0, 1280, 1000}, second = {1280, 0, 2560, 1000};
    const struct {
        ScreenBox Over, Area, Placed;
    } cases[] = {
        {{100, 100, 1100, 900}, area, {170, 320, 1030, 680}},     // as wide as asked
        {{100, 100, 700, 900}, area, {100, 320, 700, 680}},       // no wider than the IDE
        {{100, 100, 300, 900}, area, {0, 320, 480, 680}},         // but not below the least
        {{-900, -300, 100, 300}, area, {0, 0, 860, 360}},         // moved into the area
        {{0, 0, 1280, 1000}, {0, 0, 640, 200}, {0, 0, 640, 200}}, // a small screen
        {{1500, 100, 2500, 900}, second, {1570, 320, 2430, 680}},
        {area, area, {210, 320, 1070, 680}}, // no IDE
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlacePicker(c.Over, c.Area, 860, 480, 360), c.Placed) << &c - cases;
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
