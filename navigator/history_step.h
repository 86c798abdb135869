// One step through the history, as plain logic over the files and the IDE,
// so that its order of operations can be checked without either. A step is
// all or nothing: the current position goes onto the destination before
// anything else changes, and it comes off again when the IDE cannot be
// brought to the target; the source loses the target only after the IDE
// got there.
#pragma once
#include "history/history_line.h"
#include "history/press_search.h"
#include "ide/log_texts.h"
#include "ide/navigation_rules.h"

#include <cstdint>

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
