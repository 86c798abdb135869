// The installer's platform-neutral rules: language files, the base folder
// proposed from the IDE's preferences, language-list entries, and shortcut
// codes with their key table.
//
// A language file is 20 lines of 8-bit text with fixed roles. A line ends at
// CR, LF, CR LF, a zero byte or the end of the file; missing lines read as
// empty, lines after the twentieth are ignored, and only the last line (the
// about text) turns the two characters "\n" into CR LF. A line is used up to
// MaxLanguageLine bytes: no caption or message needs more, and the window
// system refuses a window whose title is tens of kilobytes long.
//
// A shortcut code is a Windows virtual-key code plus the modifier bits
// 0x10000 Shift, 0x20000 Ctrl and 0x40000 Alt, as the IDE stores it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The roles of the lines of a language file, in file order.
enum class LanguageLine {
    WindowTitle,
    HeaderFirstLine,
    HeaderSecondLine,
    EnableCaption,
    MenuCaption,
    ToolbarCaption,
    ShortcutCaption,
    ShortcutButtonCaption,
    ArgumentsCaption,
    InstallNotice,
    PathLabel,
    ClearerBox,
    RecorderName,
    BackName,
    ForwardName,
    TolvaneName,
    InstallButton,
    CloseButton,
    AboutButton,
    AboutText,
};
constexpr int LanguageLineCount = int(LanguageLine::AboutText) + 1;
static_assert(LanguageLineCount == 20, "a language file has 20 lines");

constexpr size_t MaxLanguageLine = 4096;
// The first maxLines lines of a language file, each cut to MaxLanguageLine
// bytes; a line ends at CR, LF, CR LF or a zero byte.
std::vector<std::string> SplitLanguageLines(const std::string& bytes, size_t maxLines);
// Exactly LanguageLineCount lines, indexed by int(LanguageLine).
std::vector<std::string> ReadLanguageLines(const std::string& bytes);
// Every "\n" (backslash, letter n) replaced by CR LF.
std::string ExpandLineBreaks(const std::string& text);

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
