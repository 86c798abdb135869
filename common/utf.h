// Unicode text as the tools carry it: a path travels as UTF-8 in a
// std::string, which holds every valid UTF-16 name without loss; only the
// Win32 layer turns it into UTF-16 for the system.
#pragma once
#include <string>
#include <string_view>

// True for well-formed UTF-8 only: no overlong forms, no encoded surrogates,
// nothing above U+10FFFF, no sequence cut short.
bool IsValidUtf8(std::string_view text);

// UTF-16 to UTF-8. An unpaired surrogate has no UTF-8 form and becomes
// U+FFFD, so a name holding one never names a real file afterwards.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16; false, with nothing written, for malformed UTF-8.
bool Utf8ToUtf16(std::string_view text, std::u16string* wide);

// The length of well-formed UTF-8 in UTF-16 units, the unit Windows limits
// path lengths in.
size_t Utf16Length(std::string_view text);

// A path with letter case folded the way file names are compared: the
// letters of ASCII, Latin-1, Latin Extended-A, basic Greek and Cyrillic
// become upper case; every other character, and any malformed byte, stays as
// it is. Two paths name the same file, letter case ignored, when their folded
// forms are equal, so the folded form also serves as a key.
std::string FoldPathCase(std::string_view path);

// An 8-bit code page, between its bytes and UTF-8; each conversion is false
// when it is not exact.
struct CodePage {
    bool (*FromUtf8)(const std::string& name, std::string* bytes);
    bool (*ToUtf8)(const std::string& bytes, std::string* name);
};
