#include "history/entry_name.h"

#include <gtest/gtest.h>

namespace {

// Code page 1252 as Western Windows has it, for the characters it adds to
// Latin-1 and the five bytes it leaves undefined.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t Cp1252ToUnit(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? Cp1252High[byte - 0x80] : char16_t(byte);
}

bool Cp1252FromUtf8(const std::string& name, std::string* bytes) {
    std::u16string wide;
    if (!Utf8ToUtf16(name, &wide)) return false;
    bytes->clear();
    for (char16_t unit : wide) {
        int byte = 0;
        while (byte < 256 && Cp1252ToUnit(byte) != unit)
            ++byte;
        if (byte == 256) return false;
        *bytes += char(byte);
    }
    return true;
}

bool Cp1252ToUtf8(const std::string& bytes, std::string* name) {
    std::u16string wide;
    for (char byte : bytes) {
        const char16_t unit = Cp1252ToUnit(static_cast<unsigned char>(byte));
        if (unit == 0 && byte != 0) return false;
        wide += unit;
    }
    *name = Utf16ToUtf8(wide);
    return true;
}

constexpr CodePage Cp1252 = {Cp1252FromUtf8, Cp1252ToUtf8};

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
        EXPECT_EQ(EncodeEntryName(c.Name, Cp1252), c.Stored) << c.Name;
        std::string name;
        ASSERT_TRUE(DecodeEntryName(c.Stored, Cp1252, &name)) << c.Name;
        EXPECT_EQ(name, c.Name);
    }
    EXPECT_EQ(EncodeEntryName(u8"ポ.pb", DoubleByte), Marked(u8"ポ.pb")) << "no | inside a name";
}

TEST(EntryName, NamesThatCannotBeShownAreRefused) {
    const std::string longName = "C:\\" + std::string(MaxPathUnits - 3, 'a');
    // One unit short of the limit in bytes and code points, but not in UTF-16 units.
    const std::string almostLong = "C:\\" + std::string(MaxPathUnits - 4, 'a');
    const std::string cases[] = {
        "",
        Marked(""),
        Marked("C:\\a\xC0\x80.pb"),     // overlong
        Marked("C:\\a\xED\xA0\x80.pb"), // an encoded surrogate
        Marked("C:\\a\xE2\x82"),        // cut short
        Marked("C:\\a\x80uro.pb"),      // code-page bytes behind the marker
        "C:\\a\x81.pb",                 // a byte the code page does not define
        std::string("C:\\evil.bat\0x.pb", 16),
        Marked(std::string("C:\\evil.bat\0x.pb", 16)),
        "C:\\a\x01.pb",
        "C:\\a\x1F.pb",
        "C:\\a\t.pb",
        "C:\\a<.pb",
        "C:\\a>.pb",
        "C:\\a\".pb",
        "C:\\a|.pb",
        "C:\\a?.pb",
        "C:\\a*.pb",
        "C:\\a.pb:evil.bat",
        "1:\\a.pb",
        ":a.pb",
        "\\\\?\\C:\\a:b.pb",
        "\\\\.\\pipe\\a.pb",
        "\\??\\C:\\a.pb",
        "C:\\?\\a.pb",
        longName + "a",
        Marked(almostLong + u8"𝄞"),
    };
    for (const std::string& stored : cases) {
        std::string name = "kept";
        EXPECT_FALSE(DecodeEntryName(stored, Cp1252, &name)) << stored.substr(0, 40);
        EXPECT_EQ(name, "kept");
    }
    const std::string shown[] = {
        longName,
        Marked(almostLong + u8"日"),
        "c:x.pb",
        "relative\\x.pb",
        "C:/forward/x.pb",
        "\\\\server\\share\\x.pb",
        "\\\\?\\C:\\long\\x.pb",
        "\\\\?\\UNC\\server\\share\\x.pb",
        Marked(u8"C:\\ä\x7F.pb"),
    };
    for (const std::string& stored : shown) {
        std::string name;
        EXPECT_TRUE(DecodeEntryName(stored, Cp1252, &name)) << stored.substr(0, 40);
    }
}

// A name only the UTF-16 side can hold reads back as a name no file has,
// never as another file's name.
TEST(EntryName, OddNamesComeBackAsThemselvesOrNotAtAll) {
    const std::string fffdName = Utf16ToUtf8(std::u16string(u"C:\\a") + char16_t(0xD800) + u".pb");
    EXPECT_EQ(EncodeEntryName(fffdName, Cp1252), Marked(u8"C:\\a\uFFFD.pb"));
    std::string name;
    EXPECT_FALSE(DecodeEntryName(EncodeEntryName("*C:\\a.pb", Cp1252), Cp1252, &name));
    EXPECT_FALSE(DecodeEntryName(EncodeEntryName("C:\\a.pb|1x1", Cp1252), Cp1252, &name));
}

} // namespace
