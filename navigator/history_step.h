// One step through the history, as plain logic over the files and the IDE,
// so that its order of operations can be checked without either. A step is
// all or nothing: the current position goes onto the destination before
// anything else changes, and it comes off again when the IDE cannot be
// brought to the target; the source loses the target only after the IDE
// got there.
#pragma once
#include "history/history_line.h"
#include "ide/log_texts.h"
#include "ide/navigation_rules.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
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

// The parts of a step that touch the history files and the IDE.
class StepActions {
  public:
    virtual ~StepActions() = default;
    // The newest entry of the source worth going to, and the length the
    // source is cut to so that it and everything passed over are dropped.
    virtual TargetSearch FindTarget(HistoryEntry* target, uint64_t* cutAt) = 0;
    // Appends the entry's whole line to the destination, in the form the
    // history files store it, or leaves the destination as it was.
    virtual bool AppendToDestination(const HistoryEntry& entry) = 0;
    // Cuts the destination back to its length before the append.
    virtual void UndoAppend() = 0;
    virtual ReachResult Reach(const HistoryEntry& target) = 0;
    virtual bool CutSource(uint64_t length) = 0;
    virtual void Log(LogText text) = 0;
};

// Moves from `current` to the source's newest usable entry, leaving
// `current`, with its fingerprint, on top of the destination.
void TakeStep(StepActions& actions, const HistoryEntry& current);

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

// How a run of presses of Go back (or Go forward) meets the lines of one
// history file, the newest first. A press passes over lines that are no
// entries, entries at the position it starts from and entries whose file
// cannot be shown; it stops at the first other entry, and the next press
// starts from where the IDE then is.
enum class LineMeeting { NoEntry, AtPosition, CannotShow, Stop };

class PressRun {
  public:
    explicit PressRun(const HistoryEntry& start) : position_(start) {}
    // entry is null for a line that is no entry; showable is asked only for
    // an entry that is not at the position.
    LineMeeting Meet(const HistoryEntry* entry, PathVerdicts& showable) const;
    // The press that stopped: the next one starts at its arrival.
    void StopAt(const HistoryEntry& arrival) { position_ = arrival; }

  private:
    HistoryEntry position_;
};

// The 1-based line of a text split as the editor splits it (LF, CR LF, CR),
// without its line end; empty past the end.
std::string_view LineOfText(std::string_view text, int64_t line);

// Where the IDE's caret is once a step has shown the entry in a file holding
// this text, as a tool started there is told it: the line found again by the
// fingerprint and kept within the text as the editor keeps it, the column
// within that line (in characters), and the fingerprint of the line as it is
// now. The entry itself when its cursor names no line.
HistoryEntry ArrivalInText(std::string_view text, const HistoryEntry& entry);

// Where each line of a text starts, split as the editor splits it.
std::vector<size_t> LineStarts(std::string_view text);
// The 1-based line of a text whose lines start at `starts`; empty past the
// end.
std::string_view LineAt(std::string_view text, const std::vector<size_t>& starts, int64_t line);
// ArrivalInText over only the lines it reads around the entry's line, so
// that many entries in one large file cost no more than its size once.
HistoryEntry ArrivalInText(std::string_view text, const std::vector<size_t>& starts,
                           const HistoryEntry& entry);
