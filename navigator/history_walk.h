// A step through the history files in the running IDE, as Go back and Go
// forward take it: the order of its operations is TakeStep's
// (history_step.h); here are the files, the IDE and the turn they are
// taken in.
#pragma once
#include "history/history_line.h"

// Goes from current (the IDE's file and "LINExCOLUMN" as it started the
// tool) to the newest usable entry of the back history, or of the forward
// history, leaving current on top of the other.
void Walk(bool back, const HistoryEntry& current);
