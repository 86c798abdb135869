// A language file: the texts of Tolvane's windows and messages, one line per
// role, read once.
//
// It is 8-bit text. A line ends at CR, LF, CR LF or a zero byte, and is used
// up to MaxLanguageLine bytes (no caption or message needs more, and the
// window system refuses a window whose title is tens of kilobytes long); the
// rest of a longer line is skipped. Lines 1 to 20 are the main window's
// texts: a missing one reads as empty, and only line 20 (the about text)
// turns the two characters "\n" into CR LF. Lines 21 and on came later: a
// file without one (a user's own), or with it empty, gives the English text,
// line by line. Lines are only ever added at the end: users' own files rely
// on the numbers.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The roles, by their line numbers. "%1", "%2" stand for what a text names.
enum class LanguageLine {
    WindowTitle = 1,
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
    // English when missing.
    InstallIncomplete,
    NotBackedUp, // %1 the file
    NotRead,     // %1 the file
    NotWritten,  // %1 the file
    NothingRegistered,
    NoButtons,
    NotCopied,         // %1 the installation folder; the file names follow
    UninstallQuestion, // %1 tool entries, %2 toolbar items; the folders follow
    CloseIdeFirst,
    NothingToUninstall,
    Removed,       // %1 tool entries, %2 toolbar items
    FoldersRemain, // the folders follow
    NothingRemoved,
    CountUnclear,     // %1 the file
    NotRestored,      // %1 the file, %2 its backup
    IdeNeverRan,      // %1 the IDE's settings folder
    ItemCountUnclear, // %1 the file
    NoBaseFolder,
    FollowerBox,    // the main window's checkbox for the follower
    PickerName,     // menu item name of the fifth tool, "Recent positions"
    TooManyTools,   // %1 the tools the IDE has, %2 those the installation needs
    SideButtonsBox, // the main window's checkbox for the mouse's side buttons
};
constexpr LanguageLine FirstEnglishLine = LanguageLine::InstallIncomplete;
constexpr int LanguageLineCount = int(LanguageLine::SideButtonsBox);
static_assert(int(LanguageLine::AboutText) == 20 && int(FirstEnglishLine) == 21 &&
                  int(LanguageLine::TooManyTools) == 41,
              "the lines keep their numbers");

constexpr size_t MaxLanguageLine = 4096;

class LanguageFile {
  public:
    // From the file's bytes; none gives the English texts alone.
    explicit LanguageFile(std::string_view bytes = {});
    const std::string& Line(LanguageLine role) const { return lines_[size_t(role) - 1]; }
    // The line with %1 and %2 replaced.
    std::string Text(LanguageLine role, const std::string& first = "",
                     const std::string& second = "") const;

  private:
    std::vector<std::string> lines_;
};
