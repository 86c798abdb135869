// A stand-in for the system's code page in platform-neutral tests: Latin-1,
// with "€" at 0x80 as code page 1252 has it.
#pragma once
#include "common/utf.h"

inline bool Latin1FromUtf8(const std::string& name, std::string* bytes) {
    std::u16string wide;
    if (!Utf8ToUtf16(name, &wide)) return false;
    bytes->clear();
    for (char16_t unit : wide) {
        if ((unit > 0xFF && unit != 0x20AC) || unit == 0x80) return false;
        *bytes += char(unit == 0x20AC ? 0x80 : unit);
    }
    return true;
}

inline bool Latin1ToUtf8(const std::string& bytes, std::string* name) {
    std::u16string wide;
    for (char byte : bytes)
        wide += byte == '\x80' ? char16_t(0x20AC) : char16_t(static_cast<unsigned char>(byte));
    *name = Utf16ToUtf8(wide);
    return true;
}

constexpr CodePage Latin1 = {Latin1FromUtf8, Latin1ToUtf8};
