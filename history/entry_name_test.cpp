#include "history/entry_name.h"
#include "testing/latin1_code_page.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A double-byte code page whose one character "ポ" has "|" as its second byte.
constexpr CodePage DoubleByte = {[](const std::string& name, std::string* bytes) {
                                     if (name != u8"ポ.pb") return false;
                                     *bytes = "\x83|.pb";
                                     return true;
                                 },
                                 [](const std::string&, std::string*) { return false; }};

std::string Marked(const std::string& name) {
    return UnicodeNameMarker + name;
}

TEST(EntryName, CodePageNamesKeepTheirBytesAndOthersGoBehindTheMarker) {
    const struct {
        std::string Name;
        std::string Stored;
    } cases[] = {
        {"C:\\Src\\a.pb", "C:\\Src\\a.pb"},
        {u8"C:\\€uro.pb", "C:\\\x80uro.pb"},
        {u8"C:\\Grüße.pb", "C:\\Gr\xFC\xDF"
                           "e.pb"},
        {u8"C:\\Жук.pb", Marked(u8"C:\\Жук.pb")},
        {u8"C:\\日本.pb", Marked(u8"C:\\日本.pb")},
        {u8"C:\\Łódź\\x.pb", Marked(u8"C:\\Łódź\\x.pb")},
        {u8"\\\\server\\share\\Жук.pb", Marked(u8"\\\\server\\share\\Жук.pb")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeEntryName(c.Name, Latin1), c.Stored) << c.Name;
        std::string name;
        ASSERT_TRUE(DecodeEntryName(c.Stored, Latin1, &name)) << c.Name;
        EXPECT_EQ(name, c.Name);
    }
    EXPECT_EQ(EncodeEntryName(u8"ポ.pb", DoubleByte), Marked(u8"ポ.pb")) << "no | inside a name";
}

TEST(EntryName, NamesThatCannotBeShownAreRefused) {
    // Folders of 200 letters each up to the limit: no name of a file or
    // folder is longer than 255 characters.
    std::string folders;
    while (folders.size() + 201 < MaxPathUnits - 3)
        folders += std::string(200, 'a') + "\\";
    const std::string longName =
        "C:\\" + folders + std::string(MaxPathUnits - 3 - folders.size(), 'a');
    // One unit short of the limit in bytes and code points, but not in UTF-16 units.
    const std::string almostLong = longName.substr(0, longName.size() - 1);
    // Malformed behind the marker (overlong, a surrogate, cut short, code-page
    // bytes), too long, a colon off the drive, device names, NUL.
    std::vector<std::string> cases = {"",
                                      Marked(""),
                                      Marked("C:\\a\xC0\x80.pb"),
                                      Marked("C:\\a\xED\xA0\x80.pb"),
                                      Marked("C:\\a\xE2\x82"),
                                      Marked("C:\\a\x80uro.pb"),
                                      longName + "a",
                                      "C:\\" + std::string(256, 'a') + "\\x.pb",
                                      Marked(almostLong + u8"𝄞"),
                                      "C:\\a.pb:evil.bat",
                                      "1:\\a.pb",
                                      ":a.pb",
                                      "\\\\?\\C:\\a:b.pb",
                                      "\\\\.\\pipe\\a.pb",
                                      "\\??\\C:\\a.pb",
                                      "C:\\?\\a.pb"};
    for (char c : std::string("\0\x01\x1F\t<>\"|?*", 10)) {
        cases.push_back(std::string("C:\\evil.bat") + c + "x.pb");
        cases.push_back(Marked(cases.back()));
    }
    for (const std::string& stored : cases) {
        std::string name = "kept";
        EXPECT_FALSE(DecodeEntryName(stored, Latin1, &name)) << stored.substr(0, 40);
        EXPECT_EQ(name, "kept");
    }
    const std::string shown[] = {longName,
                                 Marked(almostLong + u8"日"),
                                 "c:x.pb",
                                 "relative\\x.pb",
                                 "C:/forward/x.pb",
                                 "\\\\server\\share\\x.pb",
                                 "\\\\?\\C:\\long\\x.pb",
                                 "\\\\?\\UNC\\server\\share\\x.pb",
                                 Marked(u8"C:\\ä\x7F.pb")};
    for (const std::string& stored : shown) {
        std::string name;
        EXPECT_TRUE(DecodeEntryName(stored, Latin1, &name)) << stored.substr(0, 40);
    }
}

// A name only the UTF-16 side can hold reads back as a name no file has,
// never as another file's name.
TEST(EntryName, OddNamesComeBackAsThemselvesOrNotAtAll) {
    const std::string fffdName = Utf16ToUtf8(std::u16string(u"C:\\a") + char16_t(0xD800) + u".pb");
    EXPECT_EQ(EncodeEntryName(fffdName, Latin1), Marked(u8"C:\\a\uFFFD.pb"));
    std::string name;
    EXPECT_FALSE(DecodeEntryName(EncodeEntryName("*C:\\a.pb", Latin1), Latin1, &name));
    EXPECT_FALSE(DecodeEntryName(EncodeEntryName("C:\\a.pb|1x1", Latin1), Latin1, &name));
}

// A whole line as the tools write it, and read back; a cursor text the code
// page spells is stored in it too.
TEST(EntryName, WholeLinesStoreAndReadBack) {
    const struct {
        HistoryEntry Entry;
        std::string Line;
    } cases[] = {
        {{u8"C:\\Жук.pb", "4x3"}, Marked(u8"C:\\Жук.pb") + "|4x3\r\n"},
        {{u8"C:\\€uro.pb", u8"é"}, "C:\\\x80uro.pb|\xE9\r\n"},
        {{"a.pb", u8"Ж"}, u8"a.pb|Ж\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StoredHistoryEntry(c.Entry, Latin1), c.Line);
        HistoryEntry read;
        ASSERT_TRUE(ParseStoredEntry(c.Line.substr(0, c.Line.size() - 2), Latin1, &read));
        EXPECT_EQ(read.File, c.Entry.File);
    }
    HistoryEntry read;
    for (const std::string& line : {std::string("*|1x1"), std::string("a.pb"), std::string("|1x1"),
                                    std::string("*C:\\\xC3(.pb|1x1")})
        EXPECT_FALSE(ParseStoredEntry(line, Latin1, &read)) << line;
}

} // namespace
