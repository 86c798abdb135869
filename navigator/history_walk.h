// Steps through the history files in the running IDE, as Go back and Go
// forward take them: the order of a step's operations is TakeStep's
// (history_step.h); here are the files, the IDE and the turn they are taken
// in. The picker takes many presses at once the same way.
#pragma once
#include "history/history_line.h"
#include "ide/ide_access.h"
#include "navigator/history_step.h"

#include <cstdint>
#include <functional>
#include <vector>

// Where the IDE is once it shows an entry (ArrivalInText over the file as it
// is now); the entry itself when the file cannot be read.
using ArriveFunction = std::function<HistoryEntry(const HistoryEntry&)>;

// Goes from current (the IDE's file and "LINExCOLUMN" as it started the
// tool) to the newest usable entry of the back history, or of the forward
// history, leaving current on top of the other.
void Walk(IdeConnection& ide, bool back, const HistoryEntry& current);

// An entry that a run of presses stops at or passes over as not showable.
struct MetEntry {
    HistoryEntry Entry; // the name in UTF-8
    bool Showable = false;
    HistoryEntry Arrival; // where the press that stops here leaves the IDE
};

// The entries of one history file as presses from current meet them, the
// newest first: at most maxEntries of them, found among at most maxLines
// lines (lines that are no entries and entries at the position a press
// starts from are passed over). Read from the file's end, so the cost does
// not grow with the history's length.
// size is the file's length when it was read.
std::vector<MetEntry> MeetHistory(IdeConnection& ide, bool back, const HistoryEntry& current,
                                  size_t maxEntries, size_t maxLines, const ArriveFunction& arrive,
                                  uint64_t* size);

// `presses` presses of Go back (or Go forward) at once: the history files
// end as they would after as many presses, the passed-over entries moved to
// the other file in order, as their arrivals, on top of current; the IDE
// shows only the last. The presses were counted in the file as it was at
// listedSize bytes: entries added since (what the follower records of the
// position left as a step starts) take a press each on top. The last press
// must stop at `expected`, or nothing changes and the IDE's log says the
// history changed.
void WalkPresses(IdeConnection& ide, bool back, const HistoryEntry& current, int presses,
                 const HistoryEntry& expected, uint64_t listedSize, const ArriveFunction& arrive);
