// The sources the history names, read from disk once each, for where a
// press lands and the code a row shows.
#pragma once
#include "history/history_line.h"
#include "text/source_text.h"

#include <memory>

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class SourceTexts {
  public:
    // Columns counted as the IDE counts them.
    explicit SourceTexts(ColumnCounting counting) : counting_(counting) {}

    // Where the IDE lands when a step shows the entry (ArrivalInText); the
    // entry itself when its file cannot be read.
    HistoryEntry Arrive(const HistoryEntry& entry);
    // The line a position names as a row shows it (CodeForRow).
    const std::string& Code(const HistoryEntry& position);

  private:
    struct Source {
        std::string Text;
        std::unique_ptr<SourceLines> Lines; // over Text, which stays where it is
    };
    // The line a cursor text names, in the file's bytes; empty when none.
    std::string Line(const std::string& path, const std::string& cursor);
    // The file's bytes and lines, null when it cannot be read: a folder, a
    // device, larger than a source gets.
    const Source* Read(const std::string& path);

    ColumnCounting counting_;
    std::unordered_map<std::string, std::optional<Source>> sources_;
    // A history holds the same positions many times over.
    std::unordered_map<std::string, HistoryEntry> arrivals_;
    std::unordered_map<std::string, std::string> codes_;
};
