// How presses of Go back (or Go forward) meet the lines of one history
// file, read from its end: which entries a press passes over, where it
// stops, and where the next press starts. Plain logic over a
// ReverseLineReader, shared by a single press, by many presses taken at once
// and by the list of Recent positions, so that a pick and that many presses
// cannot disagree.
//
// A press passes over lines that are no entries, entries at the position it
// starts from and entries whose file cannot be shown; it stops at the first
// other entry, and the next press starts where the IDE then is: the stop's
// arrival (history/arrival.h), worked out only where a later entry of the
// same file needs it.
#pragma once
#include "common/utf.h"
#include "history/history_line.h"
#include "history/reverse_line_reader.h"

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

// How the search for a target ended.
enum class TargetSearch {
    Found,
    // No entry worth going to: nothing changes.
    Nothing,
    // Too many files looked at, none of them there: the entries passed over
    // are dropped, and the next step goes on from there.
    GaveUp,
};

// What a check said about each path, asked once per path in a run; paths
// that differ only in letter case (as the IDE's file list compares them) are
// one path. A run asks at most `limit` paths: past that, Exhausted() holds
// and every new path is refused unasked.
class PathVerdicts {
  public:
    PathVerdicts(std::function<bool(const std::string&)> check, size_t limit);
    bool Ask(const std::string& path);
    bool Exhausted() const { return exhausted_; }

  private:
    std::function<bool(const std::string&)> check_;
    std::unordered_map<std::string, bool> verdicts_;
    size_t limit_;
    bool exhausted_ = false;
};

enum class LineMeeting { NoEntry, AtPosition, CannotShow, Stop };

// Where the IDE is once a step has shown the entry.
using ArriveFunction = std::function<HistoryEntry(const HistoryEntry&)>;

// A run of presses through the lines of one file, the newest first.
class PressWalk {
  public:
    // reader: the file's lines from its end; names are read in codePage.
    // At most maxLines lines are looked at.
    PressWalk(ReverseLineReader reader, uint64_t size, const CodePage& codePage,
              const HistoryEntry& start, PathVerdicts& showable, ArriveFunction arrive,
              size_t maxLines = SIZE_MAX);

    // The next line towards the start that holds an entry a press would not
    // pass over for its position (met Stop or CannotShow), and where the line
    // starts. False at the file's start, after maxLines, or when too many
    // paths were looked at.
    bool Next(HistoryEntry* entry, LineMeeting* met, uint64_t* lineStart);
    // The press that stopped at entry: the next one starts at its arrival.
    void StopAt(const HistoryEntry& entry);
    // Where the last stop arrives, worked out now if it was not yet.
    const HistoryEntry& Arrival();
    bool ArrivalKnown() const { return !pending_; }
    // Too many paths were looked at.
    bool Exhausted() const { return showable_.Exhausted(); }
    // Where the lines looked at start: the file cut there drops them all.
    uint64_t Looked() const { return looked_; }

  private:
    LineMeeting Meet(const HistoryEntry* entry);

    ReverseLineReader reader_;
    CodePage codePage_;
    HistoryEntry position_; // the start, or the last stop's arrival
    bool pending_ = false;  // position_ is the last stop's entry, its arrival not worked out
    PathVerdicts& showable_;
    ArriveFunction arrive_;
    uint64_t looked_;
    size_t linesLeft_;
};

// `presses` presses at once over one file, from start.
struct PressesFound {
    TargetSearch Search = TargetSearch::Nothing;
    HistoryEntry Target; // where the last press stops, as the file holds it
    // The file cut there loses the target and every line passed over.
    uint64_t CutAt = 0;
    // Where each press before the last arrives, in the order pressed: what
    // they leave on the other file.
    std::vector<HistoryEntry> Passed;
};

// expected: the entry the last press must stop at (a pick); when it stops
// elsewhere, or the presses run out first, nothing is found. Without it, a
// run that looked at too many files that are gone gives up.
PressesFound SearchPresses(PressWalk& walk, uint64_t size, int presses,
                           const HistoryEntry* expected = nullptr);

// An entry of a file as the presses meet it, for a list.
struct MetEntry {
    HistoryEntry Entry; // the name in UTF-8
    bool Showable = false;
    // Where the press that stops here leaves the IDE; the entry itself until
    // it is known.
    HistoryEntry Arrival;
    bool ArrivalKnown = false;
};

// At most maxEntries entries as presses meet them, the newest first. The
// arrival of an entry is worked out only where the press after it needs
// it (an entry of the same file follows).
std::vector<MetEntry> MeetEntries(PressWalk& walk, size_t maxEntries);
