#include "common/text_rules.h"

#include "common/utf.h"

#include <string_view>

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The prefix that hands a path to the file system unparsed, the way to reach
// paths beyond MAX_PATH; its "?" is the one a path may hold.
constexpr char VerbatimPrefix[] = "\\\\?\\";

} // namespace

bool SamePath(const std::string& a, const std::string& b) {
    return FoldPathCase(a) == FoldPathCase(b);
}

bool IsWindowsPathName(const std::string& name) {
    if (name.empty() || !IsValidUtf8(name) || Utf16Length(name) > MaxPathUnits) return false;
    size_t start = name.compare(0, 4, VerbatimPrefix) == 0 ? 4 : 0;
    // "\\.\" and "\??\" name devices and kernel objects, never a source.
    if (name.compare(0, 4, "\\\\.\\") == 0 || name.compare(0, 4, "\\??\\") == 0) return false;
    // A colon only ends a drive letter; anywhere else it names a stream.
    if (name.size() >= start + 2 && IsAsciiLetter(name[start]) && name[start + 1] == ':')
        start += 2;
    size_t componentStart = start;
    for (size_t i = start; i <= name.size(); ++i) {
        const unsigned char c = i < name.size() ? static_cast<unsigned char>(name[i]) : '\\';
        if (c == '\\' || c == '/') {
            const std::string_view component(name.data() + componentStart, i - componentStart);
            if (Utf16Length(component) > MaxComponentUnits) return false;
            componentStart = i + 1;
        } else if (c < 0x20 ||
                   std::string_view("<>:\"|?*").find(char(c)) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}
