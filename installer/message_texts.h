// Tolvane's messages about an installation that did not complete and about
// the uninstall, put together from what failed and the language file's texts.
#pragma once
#include "installer/language_file.h"

#include <string>
#include <vector>

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
std::string InstallReport(const LanguageFile& texts, const InstallFailures& failures,
                          const std::string& installFolder);

// What the uninstall found or removed.
struct UninstallCounts {
    int Entries = 0, Items = 0;
    std::vector<std::string> Folders;
};
std::string UninstallQuestion(const LanguageFile& texts, const UninstallCounts& found);
// The closing message: the failures, what was removed and the folders left.
std::string UninstallOutcome(const LanguageFile& texts, const UninstallCounts& removed,
                             const FileFailures& failures);
