#include "navigator/history_step.h"

void TakeStep(StepActions& actions, const HistoryEntry& current) {
    HistoryEntry target;
    uint64_t cutAt = 0;
    switch (actions.FindTarget(&target, &cutAt)) {
    case TargetSearch::Found:
        break;
    case TargetSearch::Nothing:
        return;
    case TargetSearch::GaveUp:
        if (actions.CutSource(cutAt)) actions.Log(LogText::StepGaveUp);
        return;
    }
    if (!actions.AppendToDestination(current)) {
        actions.Log(LogText::StepNotSaved);
        return;
    }
    if (actions.Reach(target) != ReachResult::Reached) {
        actions.UndoAppend();
        actions.Log(LogText::StepNotReached);
        return;
    }
    if (!actions.CutSource(cutAt)) actions.Log(LogText::StepNotCut);
}
