#include "installer/installer_logic.h"
#include "installer/language_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

using namespace std::string_literals;

std::string TwentyLines(const std::string& end) {
    std::string bytes;
    for (int i = 1; i <= 20; ++i)
        bytes += "line " + std::to_string(i) + end;
    return bytes;
}

// Lines 1 to 20 as the file gives them.
std::vector<std::string> FirstLines(const LanguageFile& file) {
    std::vector<std::string> lines;
    for (int line = 1; line <= 20; ++line)
        lines.push_back(file.Line(LanguageLine(line)));
    return lines;
}

TEST(LanguageFile, EveryKindOfLineEndGivesTheSameLines) {
    for (std::string end :
         {std::string("\r\n"), std::string("\r"), std::string("\n"), std::string("\0", 1)}) {
        auto lines = FirstLines(LanguageFile(TwentyLines(end)));
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(lines[i], "line " + std::to_string(i + 1));
    }
    auto noFinalEnd = TwentyLines("\r\n");
    noFinalEnd.resize(noFinalEnd.size() - 2);
    EXPECT_EQ(LanguageFile(noFinalEnd).Line(LanguageLine::AboutText), "line 20");
}

TEST(LanguageFile, RolesNameTheirLines) {
    const std::pair<LanguageLine, int> roles[] = {
        {LanguageLine::WindowTitle, 1},        {LanguageLine::HeaderSecondLine, 3},
        {LanguageLine::EnableCaption, 4},      {LanguageLine::InstallNotice, 10},
        {LanguageLine::ClearerBox, 12},        {LanguageLine::RecorderName, 13},
        {LanguageLine::BackName, 14},          {LanguageLine::TolvaneName, 16},
        {LanguageLine::AboutButton, 19},       {LanguageLine::AboutText, 20},
        {LanguageLine::InstallIncomplete, 21}, {LanguageLine::FollowerBox, 39},
        {LanguageLine::PickerName, 40},        {LanguageLine::TooManyTools, 41},
        {LanguageLine::SideButtonsBox, 42},
    };
    std::string bytes = TwentyLines("\r\n");
    for (int line = 21; line <= 42; ++line)
        bytes += "line " + std::to_string(line) + "\r\n";
    const LanguageFile file(bytes);
    for (const auto& [role, line] : roles)
        EXPECT_EQ(file.Line(role), "line " + std::to_string(line));
}

TEST(LanguageFile, MixedEndsEmptyLinesAndTheirCounting) {
    // CR LF is one end; LF CR is two; a zero byte ends a line on its own.
    std::string bytes = std::string("a\r\nb\n\rc\0\0d\r\r\ne", 15);
    std::vector<std::string> want = {"a", "b", "", "c", "", "d", "", "e"};
    want.resize(20);
    EXPECT_EQ(FirstLines(LanguageFile(bytes)), want);
}

TEST(LanguageFile, MissingLinesAreEmptyLaterOnesEnglish) {
    EXPECT_EQ(FirstLines(LanguageFile("")), std::vector<std::string>(20));
    std::string nineteen = TwentyLines("\r\n");
    nineteen.resize(nineteen.find("line 20"));
    auto lines = FirstLines(LanguageFile(nineteen));
    EXPECT_EQ(lines[18], "line 19");
    EXPECT_EQ(lines[19], "");

    EXPECT_EQ(LanguageFile(TwentyLines("\r\n")).Text(LanguageLine::NotRead, "T.prefs"),
              "T.prefs could not be read, so it was left unchanged.");
    const LanguageFile own(TwentyLines("\r\n") + "Eins\n%2 und %1\r\rDrei\0Vier"s);
    EXPECT_EQ(own.Text(LanguageLine::InstallIncomplete), "Eins");
    EXPECT_EQ(own.Text(LanguageLine::NotBackedUp, "a", "b"), "b und a");
    EXPECT_EQ(own.Text(LanguageLine::NotRead, "x"),
              "x could not be read, so it was left unchanged.")
        << "an empty line falls back";
    EXPECT_EQ(own.Text(LanguageLine::NotWritten), "Drei");
    EXPECT_EQ(own.Text(LanguageLine::NothingRegistered), "Vier");
    EXPECT_EQ(own.Line(LanguageLine::SideButtonsBox),
              "The mouse's side buttons go back and forward");
}

TEST(LanguageFile, OnlyTheAboutLineExpandsLineBreaks) {
    std::string bytes;
    for (int i = 1; i <= 19; ++i)
        bytes += "a\\nb\r\n";
    const LanguageFile file(bytes + "one\\ntwo\\n\\nthree\\\\n \\N n\\\r\n\\n");
    auto lines = FirstLines(file);
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(lines[i], "a\\nb");
    EXPECT_EQ(lines[19], "one\r\ntwo\r\n\r\nthree\\\r\n \\N n\\");
    EXPECT_EQ(file.Line(LanguageLine::InstallIncomplete), "\\n");
}

TEST(LanguageFile, HighBytesPassUnchangedLongLinesAreCut) {
    const std::string high = "\xE4\xF6\xFC\x80\xFF";
    const std::string longLine = high + std::string(100000, 'x');
    auto lines = FirstLines(LanguageFile(high + "\r\n" + longLine + "\r\nnext"));
    EXPECT_EQ(lines[0], high);
    EXPECT_EQ(lines[1], longLine.substr(0, MaxLanguageLine));
    EXPECT_EQ(lines[2], "next") << "the rest of a long line is skipped, not a line of its own";
}

// The shipped language files carry every later line, naming what English
// names, and their about texts name this release.
TEST(LanguageFile, ShippedLanguageFiles) {
    const LanguageFile english;
    for (const char* name : {"English", "Deutsch"}) {
        SCOPED_TRACE(name);
        std::ifstream in(std::string(TOLVANE_DATA) + "/Sprachen/" + name + ".txt",
                         std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(bytes.empty());
        const LanguageFile texts(bytes);
        EXPECT_EQ(texts.Line(LanguageLine::AboutText).rfind("Tolvane " TOLVANE_VERSION "\r\n", 0),
                  0u);
        for (int line = int(FirstEnglishLine); line <= LanguageLineCount; ++line) {
            auto role = LanguageLine(line);
            std::string own = texts.Text(role, "<1>", "<2>"),
                        fallback = english.Text(role, "<1>", "<2>");
            EXPECT_EQ(own.find("<1>") == std::string::npos,
                      fallback.find("<1>") == std::string::npos)
                << own;
            EXPECT_EQ(own.find("<2>") == std::string::npos,
                      fallback.find("<2>") == std::string::npos)
                << own;
            if (std::string(name) == "English") {
                EXPECT_EQ(own, fallback);
            } else {
                EXPECT_NE(own, fallback);
            }
        }
    }
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
