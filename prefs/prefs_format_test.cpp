#include "prefs/prefs_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace {

using namespace std::string_literals; // "\0"s keeps NUL bytes in test data

std::string Normalise(const std::string& bytes) {
    return FormatPrefsDocument(ParsePrefsDocument(bytes));
}

std::string SpanText(const PrefsDocument& doc, PrefsSpan span) {
    return doc.Text.substr(span.Start, span.Length);
}

// The line list in a compact form: "[name", ";text" or "key|value".
std::vector<std::string> DescribeLines(const PrefsDocument& doc) {
    std::vector<std::string> result;
    for (const PrefsLine& line : doc.Lines) {
        switch (line.Kind) {
        case PrefsLineKind::Header:
            result.push_back("[" + SpanText(doc, line.Name));
            break;
        case PrefsLineKind::Comment:
            result.push_back(";" + SpanText(doc, line.Name));
            break;
        case PrefsLineKind::Key:
            result.push_back(SpanText(doc, line.Name) + "|" + SpanText(doc, line.Value));
            break;
        }
    }
    return result;
}

// --- Reading -----------------------------------------------------------------

TEST(PrefsRead, SplitsLinesAndKinds) {
    struct Case {
        std::string Bytes;
        std::vector<std::string> Lines;
    } cases[] = {
        {"", {}},
        {"ToolCount=5", {"ToolCount|5"}},
        {"a=1\rb=2\r", {"a|1", "b|2"}},
        {"a=1\nb=2\n", {"a|1", "b|2"}},
        {"a=1\r\nb=2\r\n", {"a|1", "b|2"}},
        {"a=1\r\n\r\n\n\r\n\rb=2", {"a|1", "b|2"}},
        {"\r\r\r\r", {}},
        {"  \t \r\n\t\n a=1", {"a|1"}},
        {"k \t= \t v \t", {"k|v \t"}},
        {"k = a=b=c", {"k|a=b=c"}},
        {"k=v ; not a comment", {"k|v ; not a comment"}},
        {"NoEquals\nNext=1", {"NoEquals|", "Next|1"}},
        {"NoEquals  \t", {"NoEquals|"}},
        {"=value", {"|value"}},
        {"k=", {"k|"}},
        {"#hash=1", {"#hash|1"}},
        {";comment", {";comment"}},
        {"; spaced", {";spaced"}},
        {";  two spaces", {"; two spaces"}},
        {";\t tab", {";\t tab"}},
        {";", {";"}},
        {"   ; indented", {";indented"}},
        {"[Group]", {"[Group"}},
        {"[Group] text ] after", {"[Group"}},
        {"[Open group", {"[Open group"}},
        {"[ spaced ]", {"[ spaced "}},
        {"[]", {"["}},
        {"[a=b]", {"[a=b"}},
        {"\tx\t=\ty", {"x|y"}},
        {"k=v\0w"s, {"k|v\0w"s}},
        {"\0"s, {"\0|"s}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DescribeLines(ParsePrefsDocument(c.Bytes)), c.Lines) << c.Bytes;
    }
}

TEST(PrefsRead, DetectsTheUtf8Mark) {
    struct Case {
        std::string Bytes;
        bool Utf8;
        std::vector<std::string> Lines;
    } cases[] = {
        {"\xEF\xBB\xBF", true, {}},
        {"\xEF\xBB\xBF\r\n", true, {}},
        {"\xEF\xBB\xBFk=1", true, {"k|1"}},
        {"\xEF\xBB", false, {"\xEF\xBB|"}},
        {"\xEF\xBB\xBE", false, {"\xEF\xBB\xBE|"}},
        {" \xEF\xBB\xBFk=1", false, {"\xEF\xBB\xBFk|1"}},
    };
    for (const Case& c : cases) {
        PrefsDocument doc = ParsePrefsDocument(c.Bytes);
        EXPECT_EQ(doc.Utf8, c.Utf8) << c.Bytes;
        EXPECT_EQ(DescribeLines(doc), c.Lines) << c.Bytes;
    }
}

// --- Writing -----------------------------------------------------------------

TEST(PrefsWrite, NormalisesEveryLine) {
    struct Case {
        std::string Bytes;
        std::string Written;
    } cases[] = {
        {"", ""},
        {"ToolCount=5", "ToolCount = 5\r\n"},
        {"a=1\rb=2\r", "a = 1\r\nb = 2\r\n"},
        {"\n\na=1\n\n\nb=2\n", "a = 1\r\nb = 2\r\n"},
        {"  a  =  1  ", "a = 1  \r\n"},
        {";comment\r\n; spaced\r\n;  two", "; comment\r\n; spaced\r\n;  two\r\n"},
        {";", "; \r\n"},
        {"[Group] trailing text\r\n", "[Group]\r\n"},
        {"[Open group", "[Open group]\r\n"},
        {"NoEquals\nNext=1", "NoEquals = \r\nNext = 1\r\n"},
        {"=value", " = value\r\n"},
        {"\xEF\xBB\xBF", "\xEF\xBB\xBF\r\n"},
        {"\xEF\xBB\xBF\r\n\r\n[G]\nk=\xC3\xA4", "\xEF\xBB\xBF\r\n[G]\r\nk = \xC3\xA4\r\n"},
        // An 8-bit file whose first key starts with the mark's bytes stays
        // 8-bit: it is written behind an empty line.
        {"\r\n\xEF\xBB\xBFk=1", "\r\n\xEF\xBB\xBFk = 1\r\n"},
        {"k=\0"s, "k = \0\r\n"s},
        // Lines that are already almost in written form.
        {"k   \r\nk =  v\r\nk  = v\r\nk =\r\n;x\r\n[G]]\r\n[G] \r\n",
         "k = \r\nk = v\r\nk = v\r\nk = \r\n; x\r\n[G]\r\n[G]\r\n"},
        {"k = v\r\r\nk = v\n\r\n k = v\r\n", "k = v\r\nk = v\r\nk = v\r\n"},
    };
    for (const Case& c : cases) {
        std::string written = Normalise(c.Bytes);
        EXPECT_EQ(written, c.Written) << c.Bytes;
        EXPECT_EQ(Normalise(written), written) << c.Bytes;
    }
}

TEST(PrefsWrite, PassesUnchangedRunsOnWithoutCopying) {
    std::string group = "[Tool]\r\nCommand = x\r\n; note\r\nArguments = \"%FILE\"\r\n";
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += group;
    PrefsDocument doc = ParsePrefsDocument(text);
    doc.Lines[10001].Value = doc.Lines[10003].Value; // Command = "%FILE" in the middle
    doc.Lines[10001].Written = false;
    // Where each piece came from, and its bytes: pieces live only for the call.
    std::vector<const char*> starts;
    std::vector<std::string> pieces;
    WritePrefsDocument(doc, [&](const char* bytes, size_t length) {
        starts.push_back(bytes);
        pieces.emplace_back(bytes, length);
    });
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(starts[0], doc.Text.data());
    EXPECT_EQ(pieces[0].size(), 2500 * group.size() + 8);
    EXPECT_EQ(pieces[1], "Command = \"%FILE\"\r\n");
    EXPECT_EQ(starts[2] + pieces[2].size(), doc.Text.data() + text.size());
    EXPECT_EQ(WrittenPrefsSize(doc), text.size() + 7 - 1);
}

// --- Lookups -----------------------------------------------------------------

const char ToolsPrefs[] = "Top = 1\r\n"
                          "[ToolsInfo]\r\n"
                          "ToolCount = 5\r\n"
                          "[Tool_0]\r\n"
                          "; the first tool\r\n"
                          "Command = first\r\n"
                          "command = second\r\n"
                          "Empty = \r\n"
                          "[toolsinfo]\r\n"
                          "ToolCount = 9\r\n"
                          "Only = here\r\n"
                          "[Gr\xE4sse]\r\n"
                          "k = v\r\n";

TEST(PrefsLookup, SelectsGroups) {
    struct Case {
        std::string Group;
        bool Found;
        std::string Key;
        std::string Value; // "default" when the key is not found
    } cases[] = {
        {"ToolsInfo", 1, "ToolCount", "5"},
        {"toolsinfo", 1, "TOOLCOUNT", "5"},  // the first of two equal headers
        {"ToolsInfo", 1, "Only", "default"}, // the second section is never read
        {"Tool_0", 1, "Command", "first"},   // the first of two equal keys
        {"TOOL_0", 1, "command", "first"},
        {"Tool_0", 1, "Empty", ""},
        {"Tool_0", 1, "Top", "default"},       // not in this section
        {"Tool_0", 1, "ToolCount", "default"}, // beyond the next header
        {"Tool_", 0, "Command", "default"},
        {"Tool_00", 0, "Command", "default"},
        {"Tool_7", 0, "ToolCount", "default"},
        {"Gr\xE4sse", 1, "k", "v"},
        {"GR\xE4SSE", 1, "k", "v"},
        {"Gr\xC4sse", 0, "k", "default"}, // only ASCII letters ignore case
        {"", 0, "k", "default"},
    };
    for (const Case& c : cases) {
        PrefsDocument doc = ParsePrefsDocument(ToolsPrefs);
        EXPECT_EQ(SelectDocumentGroup(doc, c.Group), c.Found) << c.Group;
        EXPECT_EQ(ReadDocumentString(doc, c.Key, "default"), c.Value) << c.Group << " " << c.Key;
    }
}

TEST(PrefsLookup, TopSectionAndPendingGroup) {
    PrefsDocument doc = ParsePrefsDocument(ToolsPrefs);
    EXPECT_EQ(ReadDocumentLong(doc, "top", -1), 1);
    EXPECT_EQ(ReadDocumentLong(doc, "ToolCount", -1), -1);
    ASSERT_TRUE(SelectDocumentGroup(doc, "ToolsInfo"));
    EXPECT_FALSE(SelectDocumentGroup(doc, "Missing"));
    // A pending group hides the group selected before it.
    EXPECT_EQ(ReadDocumentLong(doc, "ToolCount", -1), -1);
    EXPECT_EQ(FindDocumentKey(doc, "ToolCount"), NoLine);
    EXPECT_TRUE(SelectDocumentGroup(doc, "ToolsInfo"));
    EXPECT_EQ(ReadDocumentLong(doc, "ToolCount", -1), 5);
    EXPECT_FALSE(doc.Changed);
    EXPECT_EQ(FormatPrefsDocument(doc), ToolsPrefs) << "selecting alone adds nothing";
}

TEST(PrefsLookup, ReadsValues) {
    struct Case {
        std::string Value;
        std::string String;
        int32_t Long;
    } cases[] = {
        {"x", "x", 0},
        {"  x \t", "x", 0},
        {"a b", "a b", 0},
        {"12abc", "12abc", 12},
        {"", "", 0},
        {"abc", "abc", 0},
        {"-7", "-7", -7},
        {"+7", "+7", 7},
        {"- 5", "- 5", 0},
        {"+-5", "+-5", 0},
        {"007", "007", 7},
        {"2147483647", "2147483647", INT32_MAX},
        {"-2147483648", "-2147483648", INT32_MIN},
        // Beyond 32 bits the number wraps modulo 2^32.
        {"2147483648", "2147483648", INT32_MIN},
        {"4294967295", "4294967295", -1},
        {"4294967297", "4294967297", 1},
        {"99999999999999999999", "99999999999999999999", 1661992959},
        {"-99999999999999999999", "-99999999999999999999", -1661992959},
        {std::string(100000, '9'), std::string(100000, '9'), -1},
    };
    for (const Case& c : cases) {
        PrefsDocument doc = ParsePrefsDocument("k = " + c.Value);
        EXPECT_EQ(ReadDocumentString(doc, "k", "default"), c.String) << c.Value;
        EXPECT_EQ(ReadDocumentLong(doc, "k", 99), c.Long) << c.Value;
        EXPECT_EQ(ReadDocumentLong(doc, "absent", 99), 99);
    }
}

TEST(PrefsLookup, ParsesLeadingWhiteSpaceOfNumbers) {
    // Values read from a file never begin with blanks, but values written in
    // the same session may.
    PrefsDocument doc = ParsePrefsDocument("");
    WriteDocumentString(doc, "k", " \t 42 ");
    EXPECT_EQ(ReadDocumentLong(doc, "k", 0), 42);
    EXPECT_EQ(ParseDecimalLong("\v\f\r\n-3", 6), -3);
    EXPECT_EQ(ParseDecimalLong("123", 2), 12) << "stops at the given length";
}

// --- Edits -------------------------------------------------------------------

TEST(PrefsEdit, WritesGoldenBytes) {
    struct Case {
        const char* Name;
        std::string Bytes;
        std::function<void(PrefsDocument&)> Edit;
        std::string Written;
    } cases[] = {
        {"replaces in place with the caller's key", "a=1\r\nKey=2\r\nb=3",
         [](PrefsDocument& d) { WriteDocumentString(d, "KEY", "x"); },
         "a = 1\r\nKEY = x\r\nb = 3\r\n"},
        {"changes only the first of two equal keys", "[G]\r\nk=1\r\nk=2",
         [](PrefsDocument& d) {
             SelectDocumentGroup(d, "G");
             WriteDocumentLong(d, "k", 3);
         },
         "[G]\r\nk = 3\r\nk = 2\r\n"},
        {"changes only the first of two equal groups", "[G]\r\nk=1\r\n[g]\r\nk=2",
         [](PrefsDocument& d) {
             SelectDocumentGroup(d, "g");
             WriteDocumentLong(d, "k", 3);
             WriteDocumentLong(d, "new", 4);
         },
         "[G]\r\nk = 3\r\nnew = 4\r\n[g]\r\nk = 2\r\n"},
        {"adds before the next header, after a comment ending the section",
         "[A]\r\nx=1\r\n; about B\r\n[B]\r\ny=2",
         [](PrefsDocument& d) {
             SelectDocumentGroup(d, "A");
             WriteDocumentString(d, "z", "3");
         },
         "[A]\r\nx = 1\r\n; about B\r\nz = 3\r\n[B]\r\ny = 2\r\n"},
        {"adds at the end of the last section", "[A]\r\nx=1\r\n[B]\r\ny=2",
         [](PrefsDocument& d) {
             SelectDocumentGroup(d, "b");
             WriteDocumentString(d, "z", "3");
             WriteDocumentString(d, "w", "4");
         },
         "[A]\r\nx = 1\r\n[B]\r\ny = 2\r\nz = 3\r\nw = 4\r\n"},
        {"adds to the end of the top section", "a=1\r\n[A]\r\nx=1",
         [](PrefsDocument& d) { WriteDocumentLong(d, "RunOnce", 0); },
         "a = 1\r\nRunOnce = 0\r\n[A]\r\nx = 1\r\n"},
        {"adds at the very start of a file beginning with a header", "[A]\r\nx=1",
         [](PrefsDocument& d) {
             WriteDocumentLong(d, "RunOnce", 0);
             WriteDocumentLong(d, "Second", 1);
         },
         "RunOnce = 0\r\nSecond = 1\r\n[A]\r\nx = 1\r\n"},
        {"adds to an empty file", "", [](PrefsDocument& d) { WriteDocumentLong(d, "RunOnce", 1); },
         "RunOnce = 1\r\n"},
        {"appends a pending group with its keys in the order written", "[ToolsInfo]\r\nToolCount=7",
         [](PrefsDocument& d) {
             SelectDocumentGroup(d, "Tool_7");
             WriteDocumentString(d, "Command", "C:\\Tools\\Quillet.exe");
             WriteDocumentString(d, "Arguments", "\"%FILE\"\"%CURSOR\"");
             WriteDocumentLong(d, "Shortcut", 0x20035);
             SelectDocumentGroup(d, "ToolsInfo");
             WriteDocumentLong(d, "ToolCount", 8);
         },
         "[ToolsInfo]\r\nToolCount = 8\r\n[Tool_7]\r\nCommand = C:\\Tools\\Quillet.exe\r\n"
         "Arguments = \"%FILE\"\"%CURSOR\"\r\nShortcut = 131125\r\n"},
        {"forgets a pending group selected away from", "[A]",
         [](PrefsDocument& d) {
             SelectDocumentGroup(d, "X");
             SelectDocumentGroup(d, "Y");
             WriteDocumentString(d, "k", "v");
             SelectDocumentGroup(d, "Z");
             SelectDocumentGroup(d, "A");
             WriteDocumentString(d, "k", "w");
         },
         "[A]\r\nk = w\r\n[Y]\r\nk = v\r\n"},
        {"finds a group it appended", "",
         [](PrefsDocument& d) {
             SelectDocumentGroup(d, "New");
             WriteDocumentString(d, "k", "1");
             SelectDocumentGroup(d, "other");
             EXPECT_TRUE(SelectDocumentGroup(d, "NEW"));
             WriteDocumentString(d, "k", "2");
         },
         "[New]\r\nk = 2\r\n"},
        {"formats numbers as %d", "",
         [](PrefsDocument& d) {
             WriteDocumentLong(d, "a", -5);
             WriteDocumentLong(d, "b", 0);
             WriteDocumentLong(d, "c", INT32_MIN);
             WriteDocumentLong(d, "d", INT32_MAX);
         },
         "a = -5\r\nb = 0\r\nc = -2147483648\r\nd = 2147483647\r\n"},
        {"keeps the blanks around a written value", "",
         [](PrefsDocument& d) { WriteDocumentString(d, "k", " v "); }, "k =  v \r\n"},
        {"turns line breaks in written text into spaces", "[A]\r\nk=1",
         [](PrefsDocument& d) {
             SelectDocumentGroup(d, "A");
             WriteDocumentString(d, "k", "one\r\n[B]\rtwo\n");
             SelectDocumentGroup(d, "C\r\nD");
             WriteDocumentString(d, "x\ny", "1");
         },
         "[A]\r\nk = one  [B] two \r\n[C  D]\r\nx y = 1\r\n"},
        {"stores 8-bit text unchanged in an 8-bit file", "[\xC4]\r\nk=1",
         [](PrefsDocument& d) {
             SelectDocumentGroup(d, "\xC4");
             WriteDocumentString(d, "\xE4", "\xFF\x80");
         },
         "[\xC4]\r\nk = 1\r\n\xE4 = \xFF\x80\r\n"},
        {"converts written text into a UTF-8 file",
         "\xEF\xBB\xBF[Gr\xC3\xBC\xC3\x9F"
         "e]\r\nK\xC3\xA4y=1",
         [](PrefsDocument& d) {
             EXPECT_EQ(SelectDocumentGroup(d, "GR\xFC\xDF"
                                              "E"),
                       1);
             WriteDocumentString(d, "K\xE4y", "W\xE9rt");
             SelectDocumentGroup(d, "\xFF");
             WriteDocumentString(d, "\x80", "\x7F");
         },
         "\xEF\xBB\xBF\r\n[Gr\xC3\xBC\xC3\x9F"
         "e]\r\nK\xC3\xA4y = W\xC3\xA9rt\r\n"
         "[\xC3\xBF]\r\n\xC2\x80 = \x7F\r\n"},
    };
    for (const Case& c : cases) {
        PrefsDocument doc = ParsePrefsDocument(c.Bytes);
        c.Edit(doc);
        EXPECT_TRUE(doc.Changed) << c.Name;
        EXPECT_EQ(FormatPrefsDocument(doc), c.Written) << c.Name;
    }
}

TEST(PrefsEdit, ReadsBackWhatWasWritten) {
    PrefsDocument doc = ParsePrefsDocument("[A]\r\nx=1");
    WriteDocumentLong(doc, "RunOnce", 0);
    EXPECT_EQ(ReadDocumentLong(doc, "RunOnce", 1), 0);
    SelectDocumentGroup(doc, "A");
    EXPECT_EQ(ReadDocumentLong(doc, "RunOnce", 1), 1);
    EXPECT_EQ(ReadDocumentLong(doc, "x", 0), 1);
}

TEST(PrefsEdit, AnyWriteSetsTheChangedFlag) {
    PrefsDocument doc = ParsePrefsDocument("k = 1\r\n");
    EXPECT_FALSE(doc.Changed);
    WriteDocumentLong(doc, "k", 1);
    EXPECT_TRUE(doc.Changed);
    EXPECT_EQ(FormatPrefsDocument(doc), "k = 1\r\n");
}

// --- UTF-8 -------------------------------------------------------------------

TEST(PrefsUtf8, ConvertsInto) {
    EXPECT_EQ(ConvertToUtf8(""), "");
    EXPECT_EQ(ConvertToUtf8("plain 7-bit\x7F"), "plain 7-bit\x7F");
    EXPECT_EQ(ConvertToUtf8("\x80\xA0\xC4\xE4\xFF"), "\xC2\x80\xC2\xA0\xC3\x84\xC3\xA4\xC3\xBF");
}

TEST(PrefsUtf8, ConvertsOutOf) {
    struct Case {
        std::string Utf8;
        bool Ok;
        std::string Text;
    } cases[] = {
        {"", true, ""},
        {"abc", true, "abc"},
        {"\xC3\xA4\xC3\xBF\xC2\x80", true, "\xE4\xFF\x80"},
        {"\xC4\x80", false, ""},         // U+0100
        {"\xE4\xB8\xAD", false, ""},     // U+4E2D
        {"\xF0\x9F\x98\x80", false, ""}, // U+1F600
        {"a\x80", false, ""},            // a continuation byte as lead
        {"\xBF", false, ""},
        {"\xF8\x80\x80\x80\x80", false, ""},
        {"\xFF", false, ""},
        {"\xC3\x41", false, ""}, // a lead byte without its continuation
        {"\xE0\x80\xC3", false, ""},
        {"ab\xC3", true, "ab"}, // cut short by the end of the value
        {"ab\xE0\x80", true, "ab"},
        {"ab\xF4\x8F\xBF", true, "ab"},
        // Overlong forms are decoded by their value.
        {"\xC1\xBF", true, "\x7F"},
        {"\xC0\x80", true, "\0"s},
        {"\xE0\x83\xBF", true, "\xFF"},
        {"\xF0\x80\x80\x80", true, "\0"s},
    };
    for (const Case& c : cases) {
        std::string text = "stale";
        EXPECT_EQ(ConvertFromUtf8(c.Utf8, text), c.Ok) << c.Utf8;
        if (c.Ok) {
            EXPECT_EQ(text, c.Text) << c.Utf8;
        }
    }
}

TEST(PrefsUtf8, ReadsConvertedValues) {
    PrefsDocument doc = ParsePrefsDocument("\xEF\xBB\xBF"
                                           "\xC3\xA4=  W\xC3\xA9rt \r\n"
                                           "bad=  \xE4\xB8\xAD\r\n"
                                           "cut=x \xC3\r\n"
                                           "num=12\xFF\r\n"
                                           "\xFF\xFE=raw key\r\n");
    EXPECT_EQ(ReadDocumentString(doc, "\xE4", "d"), "W\xE9rt");
    EXPECT_EQ(ReadDocumentString(doc, "\xC3\xA4", "d"), "d") << "keys are converted too";
    EXPECT_EQ(ReadDocumentString(doc, "bad", "d"), "") << "undecodable: empty, not the default";
    EXPECT_EQ(ReadDocumentString(doc, "cut", "d"), "x");
    EXPECT_EQ(ReadDocumentLong(doc, "num", 0), 12);
    // A key of invalid UTF-8 can never be named by a caller's 8-bit text.
    EXPECT_EQ(ReadDocumentString(doc, "\xFF\xFE", "d"), "d");
    EXPECT_EQ(FormatPrefsDocument(doc), "\xEF\xBB\xBF\r\n"
                                        "\xC3\xA4 = W\xC3\xA9rt \r\n"
                                        "bad = \xE4\xB8\xAD\r\n"
                                        "cut = x \xC3\r\n"
                                        "num = 12\xFF\r\n"
                                        "\xFF\xFE = raw key\r\n");
}

// A code page that is Latin-1 but for 0x80, which is the euro sign: so
// U+20AC has an 8-bit form and U+0080 has none.
std::string EuroToUtf8(const std::string& text) {
    std::string utf8;
    for (char c : text)
        utf8 += c == '\x80' ? std::string("\xE2\x82\xAC") : ConvertToUtf8(std::string(1, c));
    return utf8;
}
bool EuroFromUtf8(const std::string& text, std::string& result) {
    std::string latin1 = text;
    if (latin1.find("\xC2\x80") != std::string::npos) return false;
    for (size_t at; (at = latin1.find("\xE2\x82\xAC")) != std::string::npos;)
        latin1.replace(at, 3, "\xC2\x80");
    return ConvertFromUtf8(latin1, result);
}
const PrefsConversion EuroCodePage = {EuroToUtf8, EuroFromUtf8};

TEST(PrefsUtf8, ConvertsThroughTheGivenCodePage) {
    PrefsDocument doc = ParsePrefsDocument("\xEF\xBB\xBF[Gr\xE2\x82\xAC]\r\n"
                                           "latin=\xC2\x80\r\n"
                                           "han=\xE4\xB8\xAD\r\n"
                                           "cut=\xE2\x82\xAC\xE2\x82\r\n",
                                           EuroCodePage);
    ASSERT_TRUE(SelectDocumentGroup(doc, "Gr\x80")) << "names are converted";
    EXPECT_EQ(ReadDocumentString(doc, "latin", "d"), "") << "no 8-bit form: empty";
    EXPECT_EQ(ReadDocumentString(doc, "han", "d"), "");
    EXPECT_EQ(ReadDocumentString(doc, "cut", "d"), "\x80") << "a cut sequence ends the value";
    WriteDocumentString(doc, "K\x80", "C:\\x\x80\xE4\\");
    EXPECT_EQ(ReadDocumentString(doc, "k\x80", "d"), "C:\\x\x80\xE4\\");
    std::string written = FormatPrefsDocument(doc);
    EXPECT_NE(written.find("K\xE2\x82\xAC = C:\\x\xE2\x82\xAC\xC3\xA4\\\r\n"), std::string::npos)
        << written;
    PrefsDocument again = ParsePrefsDocument(written, EuroCodePage);
    SelectDocumentGroup(again, "GR\x80");
    EXPECT_EQ(ReadDocumentString(again, "K\x80", "d"), "C:\\x\x80\xE4\\");

    // An 8-bit file holds the caller's bytes, whatever the code page.
    PrefsDocument plain = ParsePrefsDocument("", EuroCodePage);
    WriteDocumentString(plain, "\x80", "\x80");
    EXPECT_EQ(FormatPrefsDocument(plain), "\x80 = \x80\r\n");
}

// --- Bad input ---------------------------------------------------------------

// Writing and reading again changes nothing more: the written form is stable.
void ExpectStable(const std::string& bytes) {
    PrefsDocument doc = ParsePrefsDocument(bytes);
    std::string written = FormatPrefsDocument(doc);
    PrefsDocument again = ParsePrefsDocument(written);
    EXPECT_EQ(again.Utf8, doc.Utf8);
    EXPECT_EQ(DescribeLines(again), DescribeLines(doc));
    EXPECT_EQ(FormatPrefsDocument(again), written);
}

TEST(PrefsBadInput, BinaryGarbage) {
    std::string bytes(1 << 20, '\0');
    uint32_t seed = 12345;
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    ExpectStable(bytes);
    ExpectStable("\xEF\xBB\xBF" + bytes);
    PrefsDocument doc = ParsePrefsDocument(bytes);
    SelectDocumentGroup(doc, "x");
    WriteDocumentString(doc, "k", "v");
    EXPECT_EQ(ReadDocumentString(doc, "k", ""), "v");
}

TEST(PrefsBadInput, OnlyLineEnds) {
    EXPECT_EQ(Normalise(std::string(1 << 20, '\r')), "");
    EXPECT_EQ(Normalise("\xEF\xBB\xBF" + std::string(1 << 20, '\n')), "\xEF\xBB\xBF\r\n");
    EXPECT_EQ(Normalise(std::string(1 << 20, ' ') + "\t\r\n"), "");
}

TEST(PrefsBadInput, MegabyteLines) {
    const std::string big(1 << 20, 'x');
    PrefsDocument doc = ParsePrefsDocument("[" + big + "]\r\n;" + big + "\r\n" + big + "=" + big);
    EXPECT_TRUE(SelectDocumentGroup(doc, big));
    EXPECT_EQ(ReadDocumentString(doc, big, ""), big);
    WriteDocumentString(doc, big, big + "y");
    EXPECT_EQ(FormatPrefsDocument(doc),
              "[" + big + "]\r\n; " + big + "\r\n" + big + " = " + big + "y\r\n");
}

TEST(PrefsBadInput, FiftyMegabytes) {
    std::string bytes;
    bytes.reserve(50u << 20);
    while (bytes.size() < (50u << 20))
        bytes += "[G]\nKey=Value\n";
    size_t groups = bytes.size() / 14;
    PrefsDocument doc = ParsePrefsDocument(std::move(bytes));
    ASSERT_EQ(doc.Lines.size(), groups * 2);
    EXPECT_TRUE(SelectDocumentGroup(doc, "g"));
    WriteDocumentString(doc, "New", "1");
    EXPECT_EQ(doc.Lines[2].Kind, PrefsLineKind::Key);
    EXPECT_EQ(SpanText(doc, doc.Lines[2].Name), "New");
    std::string written = FormatPrefsDocument(doc);
    EXPECT_EQ(written.size(), groups * 18 + 9);
    const std::string start = "[G]\r\nKey = Value\r\nNew = 1\r\n[G]\r\n";
    EXPECT_EQ(written.compare(0, start.size(), start), 0);
}

} // namespace

// --- Removing and renaming lines ---------------------------------------------

namespace {

// Edits by line index keep every other line as writing would have it, a
// UTF-8 file its mark, and the selection on its header.
TEST(PrefsRemoving, EditsByLine) {
    const std::string file =
        "Top = 1\n[A]\nKey = a\n; note\n[B]  tail\nKey=b\nOther = x\n[C]\nKey = c";
    struct {
        const char* Name;
        std::function<void(PrefsDocument&)> Edit;
        std::string After;
    } cases[] = {
        {"a whole group with its comment", [](PrefsDocument& doc) { RemoveDocumentGroup(doc, 1); },
         "Top = 1\r\n[B]\r\nKey = b\r\nOther = x\r\n[C]\r\nKey = c\r\n"},
        {"the last group", [](PrefsDocument& doc) { RemoveDocumentGroup(doc, 7); },
         "Top = 1\r\n[A]\r\nKey = a\r\n; note\r\n[B]\r\nKey = b\r\nOther = x\r\n"},
        {"not a header: nothing", [](PrefsDocument& doc) { RemoveDocumentGroup(doc, 2); },
         "Top = 1\r\n[A]\r\nKey = a\r\n; note\r\n[B]\r\nKey = b\r\nOther = x\r\n[C]\r\nKey = "
         "c\r\n"},
        {"a key of the selected group",
         [](PrefsDocument& doc) {
             SelectDocumentGroup(doc, "b");
             EXPECT_TRUE(RemoveDocumentKey(doc, "KEY"));
             EXPECT_FALSE(RemoveDocumentKey(doc, "Key"));
         },
         "Top = 1\r\n[A]\r\nKey = a\r\n; note\r\n[B]\r\nOther = x\r\n[C]\r\nKey = c\r\n"},
        {"a key of the top section",
         [](PrefsDocument& doc) { EXPECT_TRUE(RemoveDocumentKey(doc, "Top")); },
         "[A]\r\nKey = a\r\n; note\r\n[B]\r\nKey = b\r\nOther = x\r\n[C]\r\nKey = c\r\n"},
        {"renamed header and key keep their place and value",
         [](PrefsDocument& doc) {
             RenameDocumentLine(doc, 4, "Tool_0");
             RenameDocumentLine(doc, 5, "Icon_1");
         },
         "Top = 1\r\n[A]\r\nKey = a\r\n; note\r\n[Tool_0]\r\nIcon_1 = b\r\nOther = x\r\n[C]\r\nKey "
         "= "
         "c\r\n"},
        {"lines before the selected header move the selection",
         [](PrefsDocument& doc) {
             SelectDocumentGroup(doc, "C");
             RemoveDocumentLines(doc, 0, 4);
             WriteDocumentString(doc, "New", "n");
         },
         "[B]\r\nKey = b\r\nOther = x\r\n[C]\r\nKey = c\r\nNew = n\r\n"},
        {"a set of lines in one pass, the selection kept",
         [](PrefsDocument& doc) {
             SelectDocumentGroup(doc, "C");
             RemoveDocumentLineSet(doc, {8, 0, 3, 99, 5, 0});
             WriteDocumentString(doc, "New", "n");
         },
         "[A]\r\nKey = a\r\n[B]\r\nOther = x\r\n[C]\r\nNew = n\r\n"},
        {"the selected header gone: the top section",
         [](PrefsDocument& doc) {
             SelectDocumentGroup(doc, "A");
             RemoveDocumentGroup(doc, 1);
             WriteDocumentString(doc, "New", "n");
         },
         "Top = 1\r\nNew = n\r\n[B]\r\nKey = b\r\nOther = x\r\n[C]\r\nKey = c\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        PrefsDocument doc = ParsePrefsDocument(file);
        c.Edit(doc);
        EXPECT_EQ(FormatPrefsDocument(doc), c.After);
    }
}

TEST(PrefsRemoving, Utf8AndReading) {
    PrefsDocument doc = ParsePrefsDocument(
        "\xEF\xBB\xBF[G\xC3\xA4]\r\nPath =  C:\\Caf\xC3\xA9\\  \r\nBad = \xC3\r\n[H]");
    EXPECT_EQ(DocumentGroupHeaders(doc), (std::vector<size_t>{0, 3}));
    EXPECT_EQ(DocumentSectionEnd(doc, 0), 3u);
    EXPECT_EQ(DocumentSectionEnd(doc, NoLine), 0u);
    EXPECT_EQ(DocumentLineName(doc, 0), "G\xC3\xA4") << "as the file holds it";
    EXPECT_EQ(DocumentLineValue(doc, 1), "C:\\Caf\xE9\\") << "as a read gives it";
    RenameDocumentLine(doc, 3, "\xE4");
    RemoveDocumentLines(doc, 1, 1);
    EXPECT_EQ(FormatPrefsDocument(doc),
              "\xEF\xBB\xBF\r\n[G\xC3\xA4]\r\nBad = \xC3\r\n[\xC3\xA4]\r\n");
    EXPECT_TRUE(doc.Changed);
}

} // namespace
