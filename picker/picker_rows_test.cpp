#include "picker/picker_rows.h"

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

} // namespace
