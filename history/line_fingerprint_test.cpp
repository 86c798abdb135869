#include "history/line_fingerprint.h"

#include "history/history_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Lines = std::vector<std::string>;

std::string Join(const Lines& lines, const std::string& lineEnd = "\n") {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i ? lineEnd : "") + lines[i];
    return text;
}

// Three blocks alike but for their condition, between two procedures.
const Lines Source = {"; Gamma",       "EnableExplicit", "",           "Procedure Alpha(a)",
                      "  If a = 1",    "    Count + 1",  "  EndIf",    "  If a = 2",
                      "    Count + 1", "  EndIf",        "  If a = 3", "    Count + 1",
                      "  EndIf",       "EndProcedure",   "",           "Procedure Gamma(c)",
                      "  Debug c",     "EndProcedure",   "",           "Alpha(2)"};
// The remembered EndIf (line 11) twice, 4 lines above and below it.
const Lines Block = {"a1", "a2", "a3", "a4",    "a5", "a6", "a7",
                     "p",  "q",  "r",  "EndIf", "s",  "t",  "u"};
const Lines Twice = {"a5", "a6", "a7", "p", "q", "r",     "EndIf", "s", "t",
                     "u",  "-",  "p",  "q", "r", "EndIf", "s",     "t", "u"};

// `count` copies of `text` go in before the 1-based `line`, or with a
// negative count lines there go; `replaced` then replaces one line.
Lines Edited(Lines lines, int line, int count, int replaced = 0, const std::string& text = "x") {
    auto at = lines.begin() + line - 1;
    if (count >= 0)
        lines.insert(at, size_t(count), "; new");
    else
        lines.erase(at, at - count);
    if (replaced) lines[size_t(replaced - 1)] = text;
    return lines;
}

TEST(RelocateLine, FindsTheRememberedLineWhereItIsNow) {
    const struct {
        const char* Name;
        Lines Before;
        int32_t Remembered;
        Lines After;
        int32_t Expected;
    } cases[] = {
        {"three lines inserted above", Source, 17, Edited(Source, 1, 3), 20},
        {"lines deleted above", Source, 17, Edited(Source, 5, -9), 8},
        {"lines inserted right above", Source, 17, Edited(Source, 17, 3), 20},
        // The nearest EndIf (2 lines on) and the farther one share half their
        // neighbours with the remembered one; only the right one shares all.
        {"an EndIf among alike EndIfs", Source, 10, Edited(Source, 1, 5), 15},
        {"the line rewritten", Source, 10, Edited(Source, 1, 0, 10, "Else"), 10},
        {"the line rewritten, moved", Source, 10, Edited(Source, 1, 5, 15, "Else"), 10},
        {"re-indented, moved", Source, 17, Edited(Source, 1, 2, 19, "\tDebug c "), 19},
        {"a line of another file", {"x", "y", "Debug 1", "z"}, 3, Source, 3},
        {"a file empty now", Source, 17, {""}, 17},
        // Equally near, the better neighbours win; equally good, the one above.
        {"the better of two", Block, 11, Edited(Twice, 1, 0, 10, "x"), 15},
        {"the upper of two", Block, 11, Twice, 7},
    };
    for (const auto& c : cases) {
        const std::string fingerprint = FingerprintOfLine(Join(c.Before), c.Remembered);
        ASSERT_FALSE(fingerprint.empty()) << c.Name;
        EXPECT_EQ(RelocateLine(Join(c.After), c.Remembered, fingerprint), c.Expected) << c.Name;
    }
}

TEST(RelocateLine, ReadsAnyLineEndsAndExcerptsAlike) {
    const std::string lf = FingerprintOfLine(Join(Source), 17);
    for (const char* lineEnd : {"\r\n", "\r"}) {
        EXPECT_EQ(FingerprintOfLine(Join(Source, lineEnd), 17), lf);
        EXPECT_EQ(RelocateLine(Join(Edited(Source, 1, 3), lineEnd), 17, lf), 20);
    }
    const std::string excerpt = Join(Lines(Source.begin() + 13, Source.end()), "\r\n");
    EXPECT_EQ(FingerprintOfLine(excerpt, 4), lf);
    EXPECT_EQ(RelocateLine(excerpt, 2, lf), 4);
}

TEST(RelocateLine, IgnoresAFingerprintNotOfItsForm) {
    const std::string good = FingerprintOfLine(Join(Source), 17),
                      moved = Join(Edited(Source, 1, 3));
    std::string upper = good, noLine = good;
    for (char& c : upper)
        c = char(toupper(c));
    noLine.replace(3 + 3 * 8, 8, "00000000");
    ASSERT_EQ(RelocateLine(moved, 17, good), 20);
    for (const std::string& fingerprint :
         {std::string(), "v2" + good.substr(2), good + "0", good.substr(1), upper, noLine,
          good.substr(0, 10) + "g" + good.substr(11), good.substr(0, 10) + "|" + good.substr(11)})
        EXPECT_EQ(RelocateLine(moved, 17, fingerprint), 17) << fingerprint;
}

TEST(RelocateLine, LooksOnlyWithinTheWindowOfALargeFile) {
    Lines lines;
    for (int i = 1; i <= 200000; ++i)
        lines.push_back("Line " + std::to_string(i));
    const std::string fingerprint = FingerprintOfLine(Join(lines), 150000);
    for (int moved : {3, -3, RelocationWindow, RelocationWindow + 1, -RelocationWindow - 1}) {
        const int32_t expected = std::abs(moved) > RelocationWindow ? 150000 : 150000 + moved;
        const std::string text = Join(Edited(lines, 100, moved), "\r\n");
        EXPECT_EQ(RelocateLine(text, 150000, fingerprint), expected) << moved;
    }
}

TEST(CursorField, SplitsOffOneFingerprint) {
    for (const auto& c : {Lines{"12x5", "12x5", ""}, Lines{"12x5|v1:a", "12x5", "v1:a"},
                          Lines{"12x5|v1:a|x", "12x5", ""}, Lines{"|v1:a", "", "v1:a"}}) {
        const CursorField field = SplitCursorField(c[0]);
        EXPECT_EQ(field.Cursor + "/" + field.Fingerprint, c[1] + "/" + c[2]);
    }
}

} // namespace
