#include "picker/picker_rows.h"

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

} // namespace
