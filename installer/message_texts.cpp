#include "installer/message_texts.h"

namespace {

void AddLines(std::string& message, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        message += "\r\n" + line;
}

void AddLine(std::string& message, const std::string& line) {
    message += (message.empty() ? "" : "\r\n") + line;
}

void AddFileFailures(std::string& message, const LanguageFile& texts,
                     const FileFailures& failures) {
    for (const std::string& file : failures.NotBackedUp)
        AddLine(message, texts.Text(LanguageLine::NotBackedUp, file));
    for (const std::string& file : failures.NotRead)
        AddLine(message, texts.Text(LanguageLine::NotRead, file));
    for (const std::string& file : failures.NotWritten)
        AddLine(message, texts.Text(LanguageLine::NotWritten, file));
    for (const std::string& file : failures.CountUnclear)
        AddLine(message, texts.Text(LanguageLine::CountUnclear, file));
    for (const std::string& file : failures.ItemCountUnclear)
        AddLine(message, texts.Text(LanguageLine::ItemCountUnclear, file));
    for (size_t i = 0; i + 1 < failures.NotRestored.size(); i += 2)
        AddLine(message, texts.Text(LanguageLine::NotRestored, failures.NotRestored[i],
                                    failures.NotRestored[i + 1]));
}

} // namespace

bool FileFailures::Any() const {
    return !NotBackedUp.empty() || !NotRead.empty() || !NotWritten.empty() ||
           !CountUnclear.empty() || !ItemCountUnclear.empty() || !NotRestored.empty();
}

bool InstallFailures::Any() const {
    return Files.Any() || !NotCopied.empty() || NothingRegistered || NoButtons;
}

std::string InstallReport(const LanguageFile& texts, const InstallFailures& failures,
                          const std::string& installFolder) {
    std::string message = texts.Text(LanguageLine::InstallIncomplete);
    AddFileFailures(message, texts, failures.Files);
    if (failures.NothingRegistered) AddLine(message, texts.Text(LanguageLine::NothingRegistered));
    if (failures.NoButtons) AddLine(message, texts.Text(LanguageLine::NoButtons));
    if (!failures.NotCopied.empty()) {
        AddLine(message, texts.Text(LanguageLine::NotCopied, installFolder));
        AddLines(message, failures.NotCopied);
    }
    return message;
}

std::string UninstallQuestion(const LanguageFile& texts, const UninstallCounts& found) {
    std::string message = texts.Text(LanguageLine::UninstallQuestion, std::to_string(found.Entries),
                                     std::to_string(found.Items));
    AddLines(message, found.Folders);
    AddLine(message, texts.Text(LanguageLine::CloseIdeFirst));
    return message;
}

std::string UninstallOutcome(const LanguageFile& texts, const UninstallCounts& removed,
                             const FileFailures& failures) {
    std::string message;
    AddFileFailures(message, texts, failures);
    if (removed.Entries == 0 && removed.Items == 0) {
        AddLine(message, texts.Text(failures.Any() ? LanguageLine::NothingRemoved
                                                   : LanguageLine::NothingToUninstall));
    } else {
        AddLine(message, texts.Text(LanguageLine::Removed, std::to_string(removed.Entries),
                                    std::to_string(removed.Items)));
    }
    if (!removed.Folders.empty()) {
        AddLine(message, texts.Text(LanguageLine::FoldersRemain));
        AddLines(message, removed.Folders);
    }
    return message;
}
