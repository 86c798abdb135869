#include "history/line_fingerprint.h"

#include "history/history_line.h"

#include <gtest/gtest.h>

#include <functional>
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
const Lines Source = {
    "; Gamma",       "EnableExplicit", "",           "Procedure Alpha(a)",
    "  If a = 1",    "    Count + 1",  "  EndIf",    "  If a = 2",
    "    Count + 1", "  EndIf",        "  If a = 3", "    Count + 1",
    "  EndIf",       "EndProcedure",   "",           "Procedure Gamma(c)",
    "  Debug c",     "EndProcedure",   "",           "Alpha(2)",
};

const Lines Block = {"a1", "a2", "a3", "a4",    "a5", "a6", "a7",
                     "p",  "q",  "r",  "EndIf", "s",  "t",  "u"};

// `line` is 1-based; `count` lines of `text` go in before it.
Lines Inserted(Lines lines, int line, int count, const std::string& text = "; new") {
    lines.insert(lines.begin() + line - 1, size_t(count), text);
    return lines;
}

Lines Erased(Lines lines, int line, int count) {
    lines.erase(lines.begin() + line - 1, lines.begin() + line - 1 + count);
    return lines;
}

Lines Replaced(Lines lines, int line, const std::string& text) {
    lines[size_t(line - 1)] = text;
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
        {"nothing changed", Source, 17, Source, 17},
        {"three lines inserted above", Source, 17, Inserted(Source, 1, 3), 20},
        {"lines deleted above", Source, 17, Erased(Source, 5, 9), 8},
        // The nearest EndIf (2 lines on) and the farther one share half their
        // neighbours with the remembered one; only the right one shares all.
        {"an EndIf among alike EndIfs", Source, 10, Inserted(Source, 1, 5), 15},
        {"the remembered line rewritten", Source, 10, Replaced(Source, 10, "  Else"), 10},
        {"the remembered line rewritten and moved", Source, 10,
         Replaced(Inserted(Source, 1, 5), 15, "  Else"), 10},
        {"re-indented and moved", Source, 17, Replaced(Inserted(Source, 1, 2), 19, "\t\tDebug c  "),
         19},
        {"a blank line found by its neighbours", Source, 15, Inserted(Source, 1, 4), 19},
        {"the remembered number past the end now", Source, 20, Erased(Source, 1, 6), 14},
        {"lines inserted right above it", Source, 17, Inserted(Source, 17, 3), 20},
        {"the code gone", Source, 17, Erased(Source, 16, 3), 17},
        {"a line from another file", {"x", "y", "Debug 1", "z", "w"}, 3, Source, 3},
        {"a file empty now", Source, 17, {""}, 17},
        // Equally near, the better neighbours win; equally good, the one above.
        {"the better of two equally near",
         Block,
         11,
         {"a1", "a2", "a3", "p", "q", "r", "EndIf", "s", "t", "x", "-", "p", "q", "r", "EndIf", "s",
          "t", "u"},
         15},
        {"the one above of two alike",
         Block,
         11,
         {"a1", "a2", "a3", "p", "q", "r", "EndIf", "s", "t", "u", "-", "p", "q", "r", "EndIf", "s",
          "t", "u"},
         7},
    };
    for (const auto& c : cases) {
        const std::string fingerprint = FingerprintOfLine(Join(c.Before), c.Remembered);
        ASSERT_FALSE(fingerprint.empty()) << c.Name;
        EXPECT_EQ(RelocateLine(Join(c.After), c.Remembered, fingerprint), c.Expected) << c.Name;
    }
}

TEST(RelocateLine, LineEndsDoNotMatter) {
    const std::string lf = FingerprintOfLine(Join(Source), 17);
    for (const char* lineEnd : {"\r\n", "\r"}) {
        EXPECT_EQ(FingerprintOfLine(Join(Source, lineEnd), 17), lf);
        EXPECT_EQ(RelocateLine(Join(Inserted(Source, 1, 3), lineEnd), 17, lf), 20);
    }
    // A text ending in a line end has an empty last line, as in the editor.
    EXPECT_FALSE(FingerprintOfLine("a\r\nb\r\n", 3).empty());
    EXPECT_TRUE(FingerprintOfLine("a\r\nb\r\n", 4).empty());
    EXPECT_TRUE(FingerprintOfLine("a", 0).empty());
}

TEST(RelocateLine, AnExcerptGivesTheSameFingerprintAsTheWholeText) {
    const std::string whole = Join(Source, "\r\n");
    const std::string excerpt = Join(Lines(Source.begin() + 13, Source.begin() + 20), "\r\n");
    EXPECT_EQ(FingerprintOfLine(excerpt, 4), FingerprintOfLine(whole, 17));
    EXPECT_EQ(RelocateLine(excerpt, 2, FingerprintOfLine(whole, 17)), 4);
}

TEST(RelocateLine, AFingerprintNotOfThisFormIsIgnored) {
    const std::string good = FingerprintOfLine(Join(Source), 17);
    const std::string moved = Join(Inserted(Source, 1, 3));
    std::string upper = good, noLine = good;
    for (char& c : upper)
        c = char(toupper(c));
    noLine.replace(3 + 3 * 8, 8, "00000000");
    const struct {
        const char* Name;
        std::string Fingerprint;
        int32_t Expected;
    } cases[] = {
        {"well formed", good, 20},
        {"none", "", 17},
        {"another version", "v2" + good.substr(2), 17},
        {"too long", good + "0", 17},
        {"too short", good.substr(0, good.size() - 1), 17},
        {"upper case", upper, 17},
        {"not hexadecimal", good.substr(0, 10) + "g" + good.substr(11), 17},
        {"a bar inside", good.substr(0, 10) + "|" + good.substr(11), 17},
        {"no line of its own", noLine, 17},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RelocateLine(moved, 17, c.Fingerprint), c.Expected) << c.Name;
    EXPECT_EQ(good.size(), 59u);
    EXPECT_EQ(good.find_first_not_of("v:0123456789abcdef"), std::string::npos);
    EXPECT_EQ(RelocateLine(moved, 0, good), 0);
}

TEST(RelocateLine, LooksOnlyWithinTheWindowOfALargeFile) {
    Lines lines;
    for (int i = 1; i <= 200000; ++i)
        lines.push_back("Line " + std::to_string(i));
    const std::string fingerprint = FingerprintOfLine(Join(lines), 150000);
    const struct {
        int Inserted, Erased;
        int32_t Expected;
    } cases[] = {
        {3, 0, 150003},
        {0, 3, 149997},
        {RelocationWindow, 0, 150000 + RelocationWindow},
        {RelocationWindow + 1, 0, 150000},
        {0, RelocationWindow + 1, 150000},
    };
    for (const auto& c : cases) {
        const Lines after =
            c.Inserted ? Inserted(lines, 100, c.Inserted) : Erased(lines, 100, c.Erased);
        EXPECT_EQ(RelocateLine(Join(after, "\r\n"), 150000, fingerprint), c.Expected)
            << c.Inserted << " inserted, " << c.Erased << " erased";
    }
}

TEST(CursorField, SplitsAfterTheCursorOnlyWhenOneFieldFollows) {
    const struct {
        const char* AfterFile;
        const char* Cursor;
        const char* Fingerprint;
    } cases[] = {
        {"12x5", "12x5", ""},  {"12x5|v1:ab", "12x5", "v1:ab"}, {"12x5|v1:ab|x", "12x5", ""},
        {"12x5|", "12x5", ""}, {"|v1:ab", "", "v1:ab"},         {"", "", ""},
    };
    for (const auto& c : cases) {
        const CursorField field = SplitCursorField(c.AfterFile);
        EXPECT_EQ(field.Cursor, c.Cursor) << c.AfterFile;
        EXPECT_EQ(field.Fingerprint, c.Fingerprint) << c.AfterFile;
    }
}

TEST(CursorField, AnEntryWithoutAFingerprintKeepsItsBytes) {
    const std::string fingerprint = FingerprintOfLine(Join(Source), 17);
    EXPECT_EQ(FormatFingerprintedEntry("C:\\a.pb", "17x5", ""),
              FormatHistoryEntry("C:\\a.pb", "17x5"));
    EXPECT_EQ(FormatFingerprintedEntry("C:\\a.pb", "17x5", "v1:damaged"), "C:\\a.pb|17x5\r\n");
    EXPECT_EQ(FormatFingerprintedEntry("a.pb", "1|2", fingerprint), "a.pb|1|2\r\n");
    const std::string line = FormatFingerprintedEntry("C:\\a.pb", "17x5", fingerprint);
    EXPECT_EQ(line, "C:\\a.pb|17x5|" + fingerprint + "\r\n");
    HistoryEntry entry;
    ASSERT_TRUE(ParseHistoryEntry(line.substr(0, line.size() - 2), &entry));
    const CursorField field = SplitCursorField(entry.Cursor);
    EXPECT_EQ(field.Cursor, "17x5");
    EXPECT_EQ(field.Fingerprint, fingerprint);
}

} // namespace
