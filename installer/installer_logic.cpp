#include "installer/installer_logic.h"

#include <algorithm>

std::string BaseFolderFromLanguageFile(const std::string& value) {
    std::vector<size_t> slashes;
    for (size_t i = 0; i < value.size(); ++i)
        if (value[i] == '\\') slashes.push_back(i);
    if (slashes.size() <= 3) return "";
    return value.substr(0, slashes[slashes.size() - 4] + 1);
}

std::string LanguageEntryFromFileName(const std::string& fileName) {
    const std::string extension = ".txt";
    if (fileName.size() <= extension.size()) return "";
    std::string ending = fileName.substr(fileName.size() - extension.size());
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return ending == extension ? fileName.substr(0, fileName.size() - extension.size()) : "";
}

namespace {

struct NamedKey {
    const char* Label;
    int32_t Code;
};

// Entries 70 to 84. "+" and "-" are the keypad's keys; "Delete" carries the
// Delete key's code, as its label says (8 would be Backspace).
const NamedKey NamedKeys[] = {
    {"Space", 32},   {"Arrow up", 38},  {"Arrow down", 40}, {"Arrow left", 37}, {"Arrow right", 39},
    {"Page Up", 33}, {"Page Down", 34}, {"Finish", 35},     {"Home/Pos1", 36},  {"Enter", 13},
    {"+", 107},      {"-", 109},        {"Tab", 9},         {"Delete", 46},     {"Insert", 45},
};
static_assert(70 + sizeof NamedKeys / sizeof NamedKeys[0] == KeyCount, "85 keys");

} // namespace

std::string KeyLabel(int index) {
    if (index < 0 || index >= KeyCount) return "";
    if (index < 26) return std::string(1, char('A' + index));
    if (index < 36) return std::string(1, char('0' + index - 26));
    if (index < 60) return "F" + std::to_string(index - 35);
    if (index < 70) return "Numpad" + std::to_string(index - 60);
    return NamedKeys[index - 70].Label;
}

int32_t KeyCode(int index) {
    if (index < 0 || index >= KeyCount) return 0;
    if (index < 26) return index + 65;
    if (index < 36) return index + 22;
    if (index < 60) return index + 76;
    if (index < 70) return index + 36;
    return NamedKeys[index - 70].Code;
}

int KeyIndexFromCode(int32_t code) {
    for (int i = 0; i < KeyCount; ++i)
        if (KeyCode(i) == code) return i;
    return -1;
}

ShortcutParts DecodeShortcut(int32_t code) {
    ShortcutParts parts;
    parts.Ctrl = code & ShortcutCtrl;
    parts.Alt = code & ShortcutAlt;
    parts.Shift = code & ShortcutShift;
    parts.KeyIndex = KeyIndexFromCode(code & ~(ShortcutCtrl | ShortcutAlt | ShortcutShift));
    return parts;
}

int32_t EncodeShortcut(const ShortcutParts& parts) {
    int32_t code = KeyCode(parts.KeyIndex);
    if (parts.Ctrl) code |= ShortcutCtrl;
    if (parts.Alt) code |= ShortcutAlt;
    if (parts.Shift) code |= ShortcutShift;
    return code;
}
