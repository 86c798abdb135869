#include "common/utf.h"

namespace {

constexpr char32_t Replacement = 0xFFFD;

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Reads the code point at *pos and moves past it; false, leaving *pos alone,
// for a malformed sequence. The second byte's range rules out the overlong
// forms, the surrogates and what lies above U+10FFFF.
bool NextCodePoint(std::string_view text, size_t* pos, char32_t* codePoint) {
    const auto byteAt = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byteAt(*pos);
    if (lead < 0x80) {
        *codePoint = lead;
        ++*pos;
        return true;
    }
    size_t length;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return false;
    }
    if (text.size() - *pos < length) return false;
    if (byteAt(*pos + 1) < low || byteAt(*pos + 1) > high) return false;
    char32_t value = lead & (0xFF >> (length + 1));
    for (size_t i = 1; i < length; ++i) {
        if (!IsContinuation(byteAt(*pos + i))) return false;
        value = (value << 6) | (byteAt(*pos + i) & 0x3F);
    }
    *codePoint = value;
    *pos += length;
    return true;
}

void AppendUtf8(char32_t c, std::string* out) {
    if (c < 0x80) {
        *out += char(c);
    } else if (c < 0x800) {
        *out += char(0xC0 | (c >> 6));
        *out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out += char(0xE0 | (c >> 12));
        *out += char(0x80 | ((c >> 6) & 0x3F));
        *out += char(0x80 | (c & 0x3F));
    } else {
        *out += char(0xF0 | (c >> 18));
        *out += char(0x80 | ((c >> 12) & 0x3F));
        *out += char(0x80 | ((c >> 6) & 0x3F));
        *out += char(0x80 | (c & 0x3F));
    }
}

// Simple upper-case mapping of the scripts a Windows user's folders most
// often hold; the pairs of Latin Extended-A alternate upper, lower.
char32_t UpperLetter(char32_t c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
        (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) || (c >= 0x430 && c <= 0x44F))
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if (c == 0xFF) return 0x178;
    if ((c >= 0x100 && c <= 0x137 && c != 0x131) || (c >= 0x14A && c <= 0x177))
        return c & ~char32_t(1);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c - ((c & 1) ^ 1);
    return c;
}

} // namespace

bool IsValidUtf8(std::string_view text) {
    char32_t c;
    for (size_t pos = 0; pos < text.size();)
        if (!NextCodePoint(text, &pos, &c)) return false;
    return true;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = Replacement;
        }
        AppendUtf8(c, &out);
    }
    return out;
}

bool Utf8ToUtf16(std::string_view text, std::u16string* wide) {
    std::u16string out;
    out.reserve(text.size());
    char32_t c;
    for (size_t pos = 0; pos < text.size();) {
        if (!NextCodePoint(text, &pos, &c)) return false;
        if (c < 0x10000) {
            out += char16_t(c);
        } else {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    *wide = std::move(out);
    return true;
}

size_t Utf16Length(std::string_view text) {
    size_t units = 0;
    for (char ch : text) {
        const unsigned char byte = static_cast<unsigned char>(ch);
        if (!IsContinuation(byte)) ++units;
        if (byte >= 0xF0) ++units; // a code point beyond U+FFFF takes a surrogate pair
    }
    return units;
}

std::string FoldPathCase(std::string_view path) {
    std::string folded;
    folded.reserve(path.size());
    char32_t c;
    for (size_t pos = 0; pos < path.size();) {
        const unsigned char byte = static_cast<unsigned char>(path[pos]);
        if (byte < 0x80) {
            folded += char(byte >= 'a' && byte <= 'z' ? byte - 0x20 : byte);
            ++pos;
        } else if (NextCodePoint(path, &pos, &c)) {
            AppendUtf8(UpperLetter(c), &folded);
        } else {
            folded += path[pos++];
        }
    }
    return folded;
}
