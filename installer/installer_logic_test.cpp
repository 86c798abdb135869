#include "installer/installer_logic.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string TwentyLines(const std::string& end) {
    std::string bytes;
    for (int i = 1; i <= 20; ++i)
        bytes += "line " + std::to_string(i) + end;
    return bytes;
}

TEST(ReadLanguageLines, EveryKindOfLineEndGivesTheSameLines) {
    for (std::string end :
         {std::string("\r\n"), std::string("\r"), std::string("\n"), std::string("\0", 1)}) {
        auto lines = ReadLanguageLines(TwentyLines(end));
        ASSERT_EQ(lines.size(), 20u);
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(lines[i], "line " + std::to_string(i + 1));
    }
    auto noFinalEnd = TwentyLines("\r\n");
    noFinalEnd.resize(noFinalEnd.size() - 2);
    EXPECT_EQ(ReadLanguageLines(noFinalEnd)[19], "line 20");
}

TEST(ReadLanguageLines, RolesNameTheirLines) {
    const std::pair<LanguageLine, int> roles[] = {
        {LanguageLine::WindowTitle, 1},   {LanguageLine::HeaderSecondLine, 3},
        {LanguageLine::EnableCaption, 4}, {LanguageLine::InstallNotice, 10},
        {LanguageLine::ClearerBox, 12},   {LanguageLine::RecorderName, 13},
        {LanguageLine::BackName, 14},     {LanguageLine::TolvaneName, 16},
        {LanguageLine::AboutButton, 19},  {LanguageLine::AboutText, 20},
    };
    auto lines = ReadLanguageLines(TwentyLines("\r\n"));
    for (const auto& [role, line] : roles)
        EXPECT_EQ(lines[int(role)], "line " + std::to_string(line));
}

TEST(ReadLanguageLines, MixedEndsEmptyLinesAndTheirCounting) {
    // CR LF is one end; LF CR is two; a zero byte ends a line on its own.
    std::string bytes = std::string("a\r\nb\n\rc\0\0d\r\r\ne", 15);
    auto lines = ReadLanguageLines(bytes);
    std::vector<std::string> want = {"a", "b", "", "c", "", "d", "", "e"};
    want.resize(20);
    EXPECT_EQ(lines, want);
}

TEST(ReadLanguageLines, MissingLinesAreEmptyAndExtraLinesIgnored) {
    EXPECT_EQ(ReadLanguageLines(""), std::vector<std::string>(20));
    std::string nineteen = TwentyLines("\r\n");
    nineteen.resize(nineteen.find("line 20"));
    auto lines = ReadLanguageLines(nineteen);
    EXPECT_EQ(lines[18], "line 19");
    EXPECT_EQ(lines[19], "");

    auto many = ReadLanguageLines(TwentyLines("\n") + "line 21\nline 22\n");
    EXPECT_EQ(many.size(), 20u);
    EXPECT_EQ(many[19], "line 20");
}

TEST(ReadLanguageLines, OnlyTheAboutLineExpandsLineBreaks) {
    std::string bytes;
    for (int i = 1; i <= 19; ++i)
        bytes += "a\\nb\r\n";
    bytes += "one\\ntwo\\n\\nthree\\";
    auto lines = ReadLanguageLines(bytes);
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(lines[i], "a\\nb");
    EXPECT_EQ(lines[19], "one\r\ntwo\r\n\r\nthree\\");
    EXPECT_EQ(ExpandLineBreaks("\\\\n \\N n\\"), "\\\r\n \\N n\\");
}

TEST(ReadLanguageLines, HighBytesPassUnchangedLongLinesAreCut) {
    const std::string high = "\xE4\xF6\xFC\x80\xFF";
    const std::string longLine = high + std::string(100000, 'x');
    auto lines = ReadLanguageLines(high + "\r\n" + longLine + "\r\nnext");
    EXPECT_EQ(lines[0], high);
    EXPECT_EQ(lines[1], longLine.substr(0, MaxLanguageLine));
    EXPECT_EQ(lines[2], "next") << "the rest of a long line is skipped, not a line of its own";
}

TEST(BaseFolderFromLanguageFile, CutsAfterTheThirdBackslashFromTheEnd) {
    struct {
        const char* value;
        const char* folder;
    } cases[] = {
        {"", ""},
        {"C:\\x.catalog", ""},
        {"C:\\a\\b\\c.catalog", ""},                                // 3
        {"C:\\Program Files\\X\\Catalogs\\German.catalog", "C:\\"}, // 4
        {"D:\\a\\b\\c\\d\\e.f", "D:\\a\\"},                         // 5
        {"C:\\A\\B\\C\\D\\E\\file", "C:\\A\\B\\"},                  // 6
        {"\\\\server\\share\\PB\\Catalogs\\x", "\\\\server\\"},     // 6, UNC
        {"C:\\a\\b\\c\\d\\", "C:\\a\\"},                            // trailing
        {"C:/a/b/c/d/e", ""},                                       // only backslashes count
    };
    for (auto& c : cases)
        EXPECT_EQ(BaseFolderFromLanguageFile(c.value), c.folder) << c.value;
}

TEST(LanguageEntryFromFileName, OnlyTextFilesGiveEntries) {
    EXPECT_EQ(LanguageEntryFromFileName("English.txt"), "English");
    EXPECT_EQ(LanguageEntryFromFileName("Deutsch.TXT"), "Deutsch");
    EXPECT_EQ(LanguageEntryFromFileName("notes.md"), "");
    EXPECT_EQ(LanguageEntryFromFileName("a.b"), "");
    EXPECT_EQ(LanguageEntryFromFileName("a.b.txt"), "a.b");
    EXPECT_EQ(LanguageEntryFromFileName("x.txt.bak"), "");
    EXPECT_EQ(LanguageEntryFromFileName(".txt"), "");
    EXPECT_EQ(LanguageEntryFromFileName("x.txt"), "x");
    EXPECT_EQ(LanguageEntryFromFileName(""), "");
}

TEST(KeyTable, LabelsAndCodesInBothDirections) {
    struct {
        int index;
        const char* label;
        int32_t code;
    } cases[] = {
        {0, "A", 65},           {25, "Z", 90},           {26, "0", 48},
        {35, "9", 57},          {36, "F1", 112},         {47, "F12", 123},
        {59, "F24", 135},       {60, "Numpad0", 96},     {69, "Numpad9", 105},
        {70, "Space", 32},      {71, "Arrow up", 38},    {72, "Arrow down", 40},
        {73, "Arrow left", 37}, {74, "Arrow right", 39}, {75, "Page Up", 33},
        {76, "Page Down", 34},  {77, "Finish", 35},      {78, "Home/Pos1", 36},
        {79, "Enter", 13},      {80, "+", 107},          {81, "-", 109},
        {82, "Tab", 9},         {83, "Delete", 46},      {84, "Insert", 45},
    };
    for (auto& c : cases) {
        EXPECT_EQ(KeyLabel(c.index), c.label);
        EXPECT_EQ(KeyCode(c.index), c.code) << c.label;
        EXPECT_EQ(KeyIndexFromCode(c.code), c.index) << c.label;
    }
    for (int32_t code : {0, 8, 0x1002E, 0x80041, 106, 187, 136, -1})
        EXPECT_EQ(KeyIndexFromCode(code), -1) << code;
}

TEST(KeyTable, EveryEntryIsDistinctAndFindsItself) {
    std::vector<int32_t> codes;
    std::vector<std::string> labels;
    for (int i = 0; i < KeyCount; ++i) {
        EXPECT_EQ(KeyIndexFromCode(KeyCode(i)), i);
        EXPECT_GT(KeyCode(i), 0);
        EXPECT_LT(KeyCode(i), 0x100);
        labels.push_back(KeyLabel(i));
        EXPECT_FALSE(labels.back().empty());
    }
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ(std::unique(labels.begin(), labels.end()), labels.end());
}

TEST(Shortcut, DecodesAndEncodesTheDocumentedCodes) {
    struct {
        int32_t code;
        bool ctrl, shift, alt;
        const char* key;
    } cases[] = {
        {0x20035, true, false, false, "5"},     {0x40073, false, false, true, "F4"},
        {0x7005A, true, true, true, "Z"},       {0x30074, true, true, false, "F5"},
        {0x20000, true, false, false, nullptr}, {0, false, false, false, nullptr},
    };
    for (auto& c : cases) {
        ShortcutParts p = DecodeShortcut(c.code);
        EXPECT_EQ(p.Ctrl, c.ctrl);
        EXPECT_EQ(p.Shift, c.shift);
        EXPECT_EQ(p.Alt, c.alt);
        EXPECT_EQ(KeyLabel(p.KeyIndex), c.key ? c.key : "");
        EXPECT_EQ(EncodeShortcut(p), c.code);
    }
}

TEST(Shortcut, EveryKeyWithEveryModifierRoundTrips) {
    for (int i = 0; i < KeyCount; ++i)
        for (int mods = 0; mods < 8; ++mods) {
            int32_t code = KeyCode(i) | mods << 16;
            ShortcutParts p = DecodeShortcut(code);
            EXPECT_EQ(p.KeyIndex, i);
            EXPECT_EQ(EncodeShortcut(p), code);
        }
}

TEST(Shortcut, BitsOutsideTheTableSelectNoKey) {
    // Bit 0x80000 with "A": no box and no key, so applying yields 0.
    ShortcutParts p = DecodeShortcut(0x80041);
    EXPECT_FALSE(p.Ctrl || p.Shift || p.Alt);
    EXPECT_EQ(p.KeyIndex, -1);
    EXPECT_EQ(EncodeShortcut(p), 0);
    // Modifiers survive beside an unknown key; the unknown part is dropped.
    p = DecodeShortcut(0x70000 | 0x80000 | 0x41);
    EXPECT_TRUE(p.Ctrl && p.Shift && p.Alt);
    EXPECT_EQ(EncodeShortcut(p), 0x70000);
    EXPECT_EQ(EncodeShortcut(DecodeShortcut(int32_t(0x80000000u) | 0x20035)), 0x20000);
}

} // namespace
