// The texts of Tolvane's own messages about failures and the uninstall, and
// the captions added to the main window since its first 20 lines: lines 21
// and after of the language file. A language file without them (a user's own) falls back to English
// line by line, so it keeps working. Lines are only ever added at the end:
// users' own files rely on the numbers.
#pragma once
#include <string>
#include <vector>

// In the order of the lines, from line 21 on. "%1", "%2" stand for what the
// text names.
enum class MessageText {
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
    FollowerBox, // the main window's checkbox for the follower
    PickerName,  // menu item name of the fifth tool, "Recent positions"
    Count
};
constexpr int FirstMessageLine = 21;

class MessageTexts {
  public:
    // From the language file's bytes: lines end at CR, LF, CR LF or a zero
    // byte; an empty or missing line takes the English text.
    explicit MessageTexts(const std::string& languageFile = "");
    // The text with %1 and %2 replaced.
    std::string Get(MessageText text, const std::string& first = "",
                    const std::string& second = "") const;

  private:
    std::vector<std::string> lines_;
};

// Files that could not be backed up, read or written, by full path; a
// Tools.prefs whose ToolCount does not cover its entries, a PureBasic.prefs
// whose ItemCount does not cover its toolbar; files that were
// changed before another failed and could not get their backup back (with
// the backup after each).
struct FileFailures {
    std::vector<std::string> NotBackedUp, NotRead, NotWritten, CountUnclear, ItemCountUnclear,
        NotRestored;
    bool Any() const;
};

// What went wrong during an installation, in the order it happened.
struct InstallFailures {
    FileFailures Files;
    std::vector<std::string> NotCopied; // names inside the installation folder
    bool NothingRegistered = false, NoButtons = false;
    bool Any() const;
};
// The message after an installation that did not complete.
std::string InstallReport(const MessageTexts& texts, const InstallFailures& failures,
                          const std::string& installFolder);

// What the uninstall found or removed.
struct UninstallCounts {
    int Entries = 0, Items = 0;
    std::vector<std::string> Folders;
};
std::string UninstallQuestion(const MessageTexts& texts, const UninstallCounts& found);
// The closing message: the failures, what was removed and the folders left.
std::string UninstallOutcome(const MessageTexts& texts, const UninstallCounts& removed,
                             const FileFailures& failures);
