#include "history/entry_name.h"

#include "common/utf.h"

#include <algorithm>
#include <string_view>

namespace {

bool IsAscii(const std::string& bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The prefix that hands a path to the file system unparsed, the way to reach
// paths beyond MAX_PATH; its "?" is the one a path may hold.
constexpr char VerbatimPrefix[] = "\\\\?\\";

} // namespace

std::string EncodeEntryName(const std::string& name, const CodePage& codePage) {
    // No path starts with the marker, but a name that does must not lose it.
    if (!name.empty() && name[0] == UnicodeNameMarker) return UnicodeNameMarker + name;
    // Every Windows code page spells ASCII as itself.
    if (IsAscii(name)) return name;
    // A double-byte code page may hold a "|" as the second byte of a
    // character, which would end the name early when the line is read.
    std::string bytes;
    if (codePage.FromUtf8(name, &bytes) && bytes.find('|') == std::string::npos) return bytes;
    return UnicodeNameMarker + name;
}

bool DecodeEntryName(const std::string& stored, const CodePage& codePage, std::string* name) {
    std::string decoded;
    if (!stored.empty() && stored[0] == UnicodeNameMarker) {
        decoded = stored.substr(1);
    } else if (IsAscii(stored)) {
        decoded = stored;
    } else if (!codePage.ToUtf8(stored, &decoded)) {
        return false;
    }
    if (!IsWindowsPathName(decoded)) return false;
    *name = std::move(decoded);
    return true;
}

bool IsWindowsPathName(const std::string& name) {
    if (name.empty() || !IsValidUtf8(name) || Utf16Length(name) > MaxPathUnits) return false;
    size_t start = name.compare(0, 4, VerbatimPrefix) == 0 ? 4 : 0;
    // "\\.\" and "\??\" name devices and kernel objects, never a source.
    if (name.compare(0, 4, "\\\\.\\") == 0 || name.compare(0, 4, "\\??\\") == 0) return false;
    // A colon only ends a drive letter; anywhere else it names a stream.
    if (name.size() >= start + 2 && IsAsciiLetter(name[start]) && name[start + 1] == ':')
        start += 2;
    for (size_t i = start; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || std::string_view("<>:\"|?*").find(char(c)) != std::string_view::npos)
            return false;
    }
    return true;
}
