// The sources the history names, for where a press lands and the code a row
// shows: a source open in the IDE through its editor (whose text may hold
// changes not saved, which a press lands in), any other from disk, opened
// once and read from its start only as far as a row needs.
#pragma once
#include "common/auto_handle.h"
#include "history/arrival.h"
#include "history/history_line.h"
#include "ide/ide_access.h"

#include <memory>
#include <string>
#include <unordered_map>

class SourceTexts {
  public:
    explicit SourceTexts(IdeConnection& ide);

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
    // The editor of the IDE that shows the file; null when none does or it
    // cannot be told.
    HWND EditorOf(const std::string& path);
    // The bytes of the 1-based line; empty when it cannot be read.
    std::string LineOf(const std::string& path, int64_t line);

    IdeConnection& ide_;
    ColumnCounting counting_;
    std::unordered_map<std::string, HWND> editors_;
    std::unordered_map<std::string, std::unique_ptr<Source>> sources_;
    // A history holds the same positions many times over.
    std::unordered_map<std::string, HistoryEntry> arrivals_;
    std::unordered_map<std::string, std::string> codes_;
};
