#include "ide/ide_text.h"

#include <gtest/gtest.h>

namespace {

struct NumberCase {
    const char* Text;
    long long Value;
};

const NumberCase NumberCases[] = {
    {"", 0},
    {"garbage", 0},
    {"131234", 131234},
    {" \t 42", 42},
    {"\n42", 0},
    {"+7", 7},
    {"-7", -7},
    {"- 7", 0},
    {"$1F", 31},
    {"$1f", 31},
    {"-$10", -16},
    {"$", 0},
    {"$G", 0},
    {"%101", 5},
    {"%102", 2},
    {"%2", 0},
    {"0x1F", 0},
    {"12abc", 12},
    {"1 2", 1},
    {"4294967295", 4294967295LL},
    {"$7FFFFFFFFFFFFFFF", 0x7FFFFFFFFFFFFFFFLL},
    {"99999999999999999999", 7766279631452241919LL}, // wrapped, no overflow trap
};

TEST(ParseEnvironmentNumber, ReadsTheForms) {
    for (const NumberCase& c : NumberCases)
        EXPECT_EQ(ParseEnvironmentNumber(c.Text), c.Value) << "text: " << c.Text;
}

TEST(LowerClassName, RaisesAsciiAndHighCapitalsOnly) {
    EXPECT_EQ(LowerClassName("SysTabControl32"), "systabcontrol32");
    EXPECT_EQ(LowerClassName("SCINTILLA"), "scintilla");
    EXPECT_EQ(LowerClassName("@[`{"), "@[`{");
    EXPECT_EQ(LowerClassName("\xBF\xC0\xD7\xDE\xDF\xE0"), "\xBF\xE0\xF7\xFE\xDF\xE0");
}

TEST(FormatLogLine, WritesTimeWithoutLeadingZeros) {
    EXPECT_EQ(FormatLogLine(9, 5, 3, "Historyfile not found"),
              "[9:5:3] [PLUGIN] Historyfile not found");
    EXPECT_EQ(FormatLogLine(23, 59, 59, "x"), "[23:59:59] [PLUGIN] x");
    EXPECT_EQ(FormatLogLine(0, 0, 7, ""), "[0:0:7] [PLUGIN] ");
}

} // namespace
