#include "common/utf.h"
#include "ide/command_line.h"

#include <gtest/gtest.h>

namespace {

// The names the UTF-16 side gives, and the UTF-8 bytes they must become.
TEST(Utf, NamesRoundTripBetweenUtf16AndUtf8) {
    const struct {
        std::u16string Wide;
        std::string Utf8;
    } cases[] = {
        {u"C:\\a.pb", "C:\\a.pb"},
        {u"\u0416\u0443\u043A.pb", "\xD0\x96\xD1\x83\xD0\xBA.pb"}, // Жук.pb
        {u"\u65E5\u672C.pb", "\xE6\x97\xA5\xE6\x9C\xAC.pb"},       // 日本.pb
        {u"\u0141\u00F3d\u017A\\x.pb", u8"Łódź\\x.pb"},
        {u"\u20ACuro.pb", "\xE2\x82\xACuro.pb"}, // €uro.pb
        {u"Gr\u00FC\u00DFe.pb", u8"Grüße.pb"},
        {u"\U0001D11E\uFFFF\u0080", "\xF0\x9D\x84\x9E\xEF\xBF\xBF\xC2\x80"},
        {u"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf16ToUtf8(c.Wide), c.Utf8);
        std::u16string wide = u"stale";
        ASSERT_TRUE(Utf8ToUtf16(c.Utf8, &wide)) << c.Utf8;
        EXPECT_EQ(wide, c.Wide) << c.Utf8;
        EXPECT_EQ(Utf16Length(c.Utf8), c.Wide.size()) << c.Utf8;
    }
}

TEST(Utf, UnpairedSurrogatesBecomeTheReplacementCharacter) {
    const std::string fffd = "\xEF\xBF\xBD";
    const std::pair<std::u16string, std::string> cases[] = {
        {std::u16string(u"a") + char16_t(0xD800), "a" + fffd},
        {char16_t(0xDC00) + std::u16string(u"a"), fffd + "a"},
        {std::u16string{0xDC00, 0xD800}, fffd + fffd},
        {std::u16string{0xD83D, 'x', 0xDE00}, fffd + "x" + fffd},
    };
    for (const auto& [wide, utf8] : cases)
        EXPECT_EQ(Utf16ToUtf8(wide), utf8);
}

TEST(Utf, OnlyWellFormedUtf8IsValid) {
    const std::pair<const char*, bool> cases[] = {
        {"\xC2\x80", true},
        {"\xDF\xBF", true},
        {"\xED\x9F\xBF", true},
        {"\xEE\x80\x80", true},
        {"\xF4\x8F\xBF\xBF", true},
        {"\xC0\x80", false}, // overlong NUL
        {"\xC1\xBF", false},
        {"\xE0\x9F\xBF", false},
        {"\xF0\x8F\xBF\xBF", false},
        {"\xED\xA0\x80", false}, // a surrogate
        {"\xED\xBF\xBF", false},
        {"\xF4\x90\x80\x80", false}, // above U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"\xFF", false},
        {"\x80", false},
        {"a\xE2\x82", false}, // cut short
        {"\xE2\x28\xAC", false},
        {"\xC3\xA4\xBC", false},
    };
    for (const auto& [text, valid] : cases) {
        EXPECT_EQ(IsValidUtf8(text), valid) << text;
        std::u16string wide = u"kept";
        EXPECT_EQ(Utf8ToUtf16(text, &wide), valid) << text;
        if (!valid) {
            EXPECT_EQ(wide, u"kept");
        }
    }
}

TEST(Utf, FoldedPathsMatchWithLetterCaseIgnored) {
    const struct {
        const char* A;
        const char* B;
        bool Same;
    } cases[] = {
        {"c:\\Src\\a.PB", "C:\\SRC\\A.pb", true},
        {u8"C:\\жук.pb", u8"C:\\ЖУК.PB", true},
        {u8"C:\\łódź\\x.pb", u8"C:\\ŁÓDŹ\\X.PB", true},
        {u8"grüße ÿ š ё αβγ", u8"GRÜßE Ÿ Š Ё ΑΒΓ", true},
        {u8"日本.pb", u8"日本.PB", true},
        {u8"÷.pb", u8"×.pb", false}, // not letters
        {u8"ß.pb", u8"SS.pb", false},
        {"a\xFF.b", "A\xFF.B", true}, // malformed bytes are kept
        {"\xE4.pb", "\xC4.pb", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FoldPathCase(c.A) == FoldPathCase(c.B), c.Same) << c.A << " / " << c.B;
}

// The tools split a UTF-8 command line with the rule written for 8-bit text.
TEST(Utf, CommandLinesInUtf8SplitAsBefore) {
    const std::string line =
        u8"\"C:\\PB\\Tolvane\\Brannow.exe\" \"C:\\Łódź\\Жук 日本.pb\"\"4x3\" BACK";
    const std::vector<std::string> expected = {u8"C:\\PB\\Tolvane\\Brannow.exe",
                                               u8"C:\\Łódź\\Жук 日本.pb", "4x3", "BACK"};
    EXPECT_EQ(SplitCommandLine(line), expected);
}

} // namespace
