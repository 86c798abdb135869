// The sources the history names, each opened once and read from its start
// only as far as a row needs: for where a press lands and the code a row
// shows.
#pragma once
#include "common/auto_handle.h"
#include "history/arrival.h"
#include "history/history_line.h"

#include <memory>
#include <string>
#include <unordered_map>

class SourceTexts {
  public:
    // Columns counted as the IDE counts them.
    explicit SourceTexts(ColumnCounting counting) : counting_(counting) {}

    // Where the IDE lands when a step shows the entry (ArrivalInSource);
    // the entry itself when its file cannot be read.
    HistoryEntry Arrive(const HistoryEntry& entry);
    // The line a position names as a row shows it (CodeForRow).
    const std::string& Code(const HistoryEntry& position);

  private:
    struct Source {
        AutoCloseHandle File;
        PartialSource Text;
    };
    // The file, opened once; null when it cannot be read: a folder, a
    // device, larger than a source gets.
    PartialSource* Open(const std::string& path);

    ColumnCounting counting_;
    std::unordered_map<std::string, std::unique_ptr<Source>> sources_;
    // A history holds the same positions many times over.
    std::unordered_map<std::string, HistoryEntry> arrivals_;
    std::unordered_map<std::string, std::string> codes_;
};
