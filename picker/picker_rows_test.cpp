#include "picker/picker_rows.h"

#include <gtest/gtest.h>

namespace {

// Latin-1 for the bytes that are no UTF-8.
bool Latin1ToUtf8(const std::string& bytes, std::string* text) {
    text->clear();
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            *text += char(c);
        } else {
            *text += char(0xC0 | c >> 6);
            *text += char(0x80 | (c & 0x3F));
        }
    }
    return true;
}
const CodePage Latin1 = {nullptr, Latin1ToUtf8};

ListedEntry Listed(const std::string& file, const std::string& cursor, bool showable,
                   const std::string& code = "") {
    return {{file, cursor}, showable, {file, cursor}, code};
}

std::vector<std::string> Texts(const std::vector<PickerRow>& rows, const std::vector<int>& shown) {
    std::vector<std::string> texts;
    for (int i : shown)
        texts.push_back(rows[size_t(i)].Name + " " + rows[size_t(i)].Position + " " +
                        std::to_string(rows[size_t(i)].Presses) +
                        (rows[size_t(i)].Pickable ? "" : " -"));
    return texts;
}

// Forward entries and back entries as the presses meet them, nearest first.
struct History : testing::Test {
    std::vector<PickerRow> rows = ArrangeRows(
        {Listed("C:\\src\\f1.pb", "4x1", true, "If Ready"),
         Listed("C:\\src\\gone.pb", "1x1", false), Listed("C:\\src\\f2.pb", "8x3", true)},
        RowOf(RowKind::Current, {"C:\\src\\now.pb", "2x2"}, "Now()"),
        {Listed("C:\\src\\b1.pb", "5x2", true, "Total + Value"),
         Listed("C:\\src\\b2.pb", "1x9", true, u8"Debug \"Жук\""),
         Listed("D:\\b3.pb", "7", true, "EndIf")});
    std::vector<int> all = FilterRows(rows, "");
};

TEST_F(History, ForwardOnTopThenCurrentThenBackNewestFirst) {
    EXPECT_EQ(Texts(rows, all), (std::vector<std::string>{
                                    "f2.pb 8:3 2", "gone.pb 1:1 1 -", "f1.pb 4:1 1",
                                    "now.pb 2:2 0 -", "b1.pb 5:2 1", "b2.pb 1:9 2", "b3.pb 7 3"}));
    EXPECT_EQ(rows[0].Folder, "C:\\src");
    EXPECT_EQ(rows[0].Kind, RowKind::Forward);
    EXPECT_EQ(rows[3].Kind, RowKind::Current);
    // Enter alone is one Go back; Up then Enter one Go forward, past the
    // current position; the selection stops at the last pickable row.
    const int start = InitialSelection(rows, all);
    EXPECT_EQ(start, 4);
    EXPECT_EQ(MoveSelection(rows, all, start, -1), 2);
    EXPECT_EQ(MoveSelection(rows, all, 2, -1), 0);
    EXPECT_EQ(MoveSelection(rows, all, 0, -1), 0);
    EXPECT_EQ(MoveSelection(rows, all, start, 100), 6);
    EXPECT_EQ(MoveSelection(rows, all, 6, -100), 0);
    EXPECT_EQ(MoveSelection(rows, all, 0, 1), 2);
}

TEST_F(History, FiltersByNameOrCodeInAnyLetterCase) {
    const struct {
        const char* Filter;
        std::vector<std::string> Shown;
        int First;
    } cases[] = {
        {"B2", {"now.pb 2:2 0 -", "b2.pb 1:9 2"}, 1},
        {"value", {"now.pb 2:2 0 -", "b1.pb 5:2 1"}, 1},
        {u8"жУК", {"now.pb 2:2 0 -", "b2.pb 1:9 2"}, 1},
        {"if", {"f1.pb 4:1 1", "now.pb 2:2 0 -", "b3.pb 7 3"}, 0},
        {"gone", {"gone.pb 1:1 1 -", "now.pb 2:2 0 -"}, -1},
        {"src", {"now.pb 2:2 0 -"}, -1}, // the folder is not searched
    };
    for (const auto& c : cases) {
        const std::vector<int> shown = FilterRows(rows, c.Filter);
        EXPECT_EQ(Texts(rows, shown), c.Shown) << c.Filter;
        EXPECT_EQ(FirstPickable(rows, shown), c.First) << c.Filter;
    }
}

TEST(CodeForRow, ShowsTheLineShortAndWhole) {
    const struct {
        std::string Line, Shown;
    } cases[] = {
        {"\t\t  If x\t= 1  \t", "If x  = 1"},
        {u8"  Debug \"日本\"", u8"Debug \"日本\""},
        {"Gr\xFC\xDF"
         "e",
         u8"Grüße"}, // not UTF-8: the code page
        {std::string("a\0b\x1b"
                     "c",
                     5),
         "a b c"},
        {std::string(300, 'x'), std::string(MaxCodeCharacters, 'x')},
        {std::string(MaxCodeCharacters - 1, 'x') + u8"ä",
         std::string(MaxCodeCharacters - 1, 'x') + u8"ä"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CodeForRow(c.Line, Latin1), c.Shown) << c.Line;
}

} // namespace
