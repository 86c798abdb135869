#include "installer/message_texts.h"

#include "installer/installer_logic.h"

namespace {

const char* const EnglishTexts[] = {
    "The installation is not complete.",
    "%1 could not be backed up, so it was left unchanged.",
    "%1 could not be read, so it was left unchanged.",
    "%1 could not be written, so it was left unchanged.",
    "No tool was registered and no toolbar button added.",
    "No toolbar button was added.",
    "These files could not be copied into %1:",
    ("This removes Tolvane's tool entries (%1) and toolbar items (%2) from the IDE's settings. "
     "They point to these folders:"),
    "Please close the PureBasic IDE before you press OK.",
    "Nothing of Tolvane is registered in the IDE's settings.",
    "Tool entries removed: %1. Toolbar items removed: %2.",
    "The installation folders are still on disk; delete them when you no longer need them:",
    "Nothing was removed.",
    ("%1 does not say how many tool entries the IDE reads (ToolCount), so it was left "
     "unchanged."),
    "%1 was changed and could not be put back; its old content is in %2.",
    ("The PureBasic IDE has no settings in %1 yet. Start the IDE once and close it, then "
     "install again. Nothing was changed."),
    ("%1 does not say how many toolbar items the IDE reads (ItemCount), so it was left "
     "unchanged."),
    "Please enter the folder to install into.",
    "Also install the follower, which remembers every jump by itself (Velmont)",
    "Recent positions",
};
static_assert(sizeof EnglishTexts / sizeof EnglishTexts[0] == size_t(MessageText::Count),
              "one English text per line");

void AddLines(std::string& message, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        message += "\r\n" + line;
}

void AddLine(std::string& message, const std::string& line) {
    message += (message.empty() ? "" : "\r\n") + line;
}

void AddFileFailures(std::string& message, const MessageTexts& texts,
                     const FileFailures& failures) {
    for (const std::string& file : failures.NotBackedUp)
        AddLine(message, texts.Get(MessageText::NotBackedUp, file));
    for (const std::string& file : failures.NotRead)
        AddLine(message, texts.Get(MessageText::NotRead, file));
    for (const std::string& file : failures.NotWritten)
        AddLine(message, texts.Get(MessageText::NotWritten, file));
    for (const std::string& file : failures.CountUnclear)
        AddLine(message, texts.Get(MessageText::CountUnclear, file));
    for (const std::string& file : failures.ItemCountUnclear)
        AddLine(message, texts.Get(MessageText::ItemCountUnclear, file));
    for (size_t i = 0; i + 1 < failures.NotRestored.size(); i += 2)
        AddLine(message, texts.Get(MessageText::NotRestored, failures.NotRestored[i],
                                   failures.NotRestored[i + 1]));
}

} // namespace

MessageTexts::MessageTexts(const std::string& languageFile) {
    std::vector<std::string> file =
        SplitLanguageLines(languageFile, FirstMessageLine - 1 + size_t(MessageText::Count));
    for (size_t i = 0; i < size_t(MessageText::Count); ++i) {
        size_t line = FirstMessageLine - 1 + i;
        lines_.push_back(line < file.size() && !file[line].empty() ? file[line] : EnglishTexts[i]);
    }
}

std::string MessageTexts::Get(MessageText text, const std::string& first,
                              const std::string& second) const {
    const std::string& pattern = lines_[size_t(text)];
    std::string result;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() &&
            (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
            result += pattern[++i] == '1' ? first : second;
        } else {
            result += pattern[i];
        }
    }
    return result;
}

bool FileFailures::Any() const {
    return !NotBackedUp.empty() || !NotRead.empty() || !NotWritten.empty() ||
           !CountUnclear.empty() || !ItemCountUnclear.empty() || !NotRestored.empty();
}

bool InstallFailures::Any() const {
    return Files.Any() || !NotCopied.empty() || NothingRegistered || NoButtons;
}

std::string InstallReport(const MessageTexts& texts, const InstallFailures& failures,
                          const std::string& installFolder) {
    std::string message = texts.Get(MessageText::InstallIncomplete);
    AddFileFailures(message, texts, failures.Files);
    if (failures.NothingRegistered) AddLine(message, texts.Get(MessageText::NothingRegistered));
    if (failures.NoButtons) AddLine(message, texts.Get(MessageText::NoButtons));
    if (!failures.NotCopied.empty()) {
        AddLine(message, texts.Get(MessageText::NotCopied, installFolder));
        AddLines(message, failures.NotCopied);
    }
    return message;
}

std::string UninstallQuestion(const MessageTexts& texts, const UninstallCounts& found) {
    std::string message = texts.Get(MessageText::UninstallQuestion, std::to_string(found.Entries),
                                    std::to_string(found.Items));
    AddLines(message, found.Folders);
    AddLine(message, texts.Get(MessageText::CloseIdeFirst));
    return message;
}

std::string UninstallOutcome(const MessageTexts& texts, const UninstallCounts& removed,
                             const FileFailures& failures) {
    std::string message;
    AddFileFailures(message, texts, failures);
    if (removed.Entries == 0 && removed.Items == 0) {
        AddLine(message, texts.Get(failures.Any() ? MessageText::NothingRemoved
                                                  : MessageText::NothingToUninstall));
    } else {
        AddLine(message, texts.Get(MessageText::Removed, std::to_string(removed.Entries),
                                   std::to_string(removed.Items)));
    }
    if (!removed.Folders.empty()) {
        AddLine(message, texts.Get(MessageText::FoldersRemain));
        AddLines(message, removed.Folders);
    }
    return message;
}
