// The installer's platform-neutral rules: the base folder proposed from the
// IDE's preferences, language-list entries, and shortcut codes with their
// key table. The language file itself is installer/language_file.h.
//
// A shortcut code is a Windows virtual-key code plus the modifier bits
// 0x10000 Shift, 0x20000 Ctrl and 0x40000 Alt, as the IDE stores it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The IDE's "LanguageFile" value cut just after its (n-3)-th of n
// backslashes: the folder three levels above the catalog. Empty with three
// backslashes or fewer.
std::string BaseFolderFromLanguageFile(const std::string& value);

// The language list's entry of a file in "Sprachen": its name less ".txt"
// (any letter case); "" for a file that is no language file.
std::string LanguageEntryFromFileName(const std::string& fileName);

constexpr int32_t ShortcutShift = 0x10000;
constexpr int32_t ShortcutCtrl = 0x20000;
constexpr int32_t ShortcutAlt = 0x40000;

constexpr int KeyCount = 85;
// Label and virtual-key code of the key list's entry at index (0 to 84).
std::string KeyLabel(int index);
int32_t KeyCode(int index);
// The entry carrying exactly that code, or -1.
int KeyIndexFromCode(int32_t code);

struct ShortcutParts {
    bool Ctrl = false;
    bool Shift = false;
    bool Alt = false;
    int KeyIndex = -1; // -1: no key
};

ShortcutParts DecodeShortcut(int32_t code);
int32_t EncodeShortcut(const ShortcutParts& parts);
