// Steps through the history files in the running IDE, as Go back and Go
// forward take them: the order of a step's operations is TakeStep's
// (history_step.h), how presses meet the lines is the history's
// (history/press_search.h); here are the files, the IDE and the turn they
// are taken in. The picker lists the history and takes many presses at once
// the same way.
#pragma once
#include "history/history_line.h"
#include "history/press_search.h"
#include "ide/ide_access.h"
#include "navigator/history_step.h"

#include <cstdint>
#include <functional>
#include <vector>

enum class Walked {
    // The IDE was taken to the entry; arrival says where it is now.
    Moved,
    // Nothing to go to, or a step that could not be completed (and says so).
    Stayed,
    // The IDE is no longer at current: an earlier step moved it.
    NotThere,
};

// Goes from current (the IDE's file and "LINExCOLUMN" as it started the
// tool) to the newest usable entry of the back history, or of the forward
// history, leaving current on top of the other.
// arrived, when given, learns where the IDE is after the step while the
// step still holds the history's turn.
Walked Walk(IdeConnection& ide, bool back, const HistoryEntry& current, HistoryEntry* arrival,
            const std::function<void(const HistoryEntry&)>& arrived = nullptr);

// Where the IDE is now, after a step took it to arrival: that file, and the
// caret of its editor as the IDE would tell a tool (the user may have moved
// it since); arrival itself when the IDE shows another editor.
HistoryEntry WhereTheIdeIs(IdeConnection& ide, const HistoryEntry& arrival);

// What a list read of one history file: enough to tell later that the file
// is still as it was listed.
struct ListedFile {
    bool Present = false;
    uint64_t Size = 0;
    uint64_t From = 0;   // where the first line looked at starts
    uint64_t Digest = 0; // of the bytes from From to Size
};
struct ListedHistory {
    ListedFile Back, Forward;
};

// The entries of one history file as presses from current meet them, the
// newest first: at most maxEntries of them, found among at most maxLines
// lines. Read from the file's end, so the cost does not grow with the
// history's length. listed: what was read, for WalkPresses.
std::vector<MetEntry> MeetHistory(IdeConnection& ide, bool back, const HistoryEntry& current,
                                  size_t maxEntries, size_t maxLines, const ArriveFunction& arrive,
                                  ListedFile* listed);

// `presses` presses of Go back (or Go forward) at once: the history files
// end as they would after as many presses, the passed-over entries moved to
// the other file in order, as their arrivals, on top of current; the IDE
// shows only the last. Only on the history listed, and only when the last
// press stops at `expected`: otherwise nothing changes and the IDE's log
// says the history changed.
void WalkPresses(IdeConnection& ide, bool back, const HistoryEntry& current, int presses,
                 const HistoryEntry& expected, const ListedHistory& listed,
                 const ArriveFunction& arrive);
