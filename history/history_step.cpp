#include "history/history_step.h"

#include "ide/file_list.h"

#include <utility>

void TakeStep(StepActions& actions, const HistoryEntry& current) {
    HistoryEntry target;
    uint64_t cutAt = 0;
    if (!actions.FindTarget(&target, &cutAt)) return;
    if (!actions.AppendToDestination(FormatHistoryEntry(current.File, current.Cursor))) {
        actions.Log(StepNotSavedText);
        return;
    }
    switch (actions.Reach(target)) {
    case ReachResult::Reached:
        break;
    case ReachResult::SecondInstanceRefused:
        actions.UndoAppend();
        actions.Log(StepSecondInstanceText);
        return;
    case ReachResult::NotReached:
        actions.UndoAppend();
        actions.Log(StepNotReachedText);
        return;
    }
    if (!actions.CutSource(cutAt)) actions.Log(StepNotCutText);
}

PathVerdicts::PathVerdicts(std::function<bool(const std::string&)> check)
    : check_(std::move(check)) {}

bool PathVerdicts::Ask(const std::string& path) {
    std::string key = UpperCasePath(path);
    auto known = verdicts_.find(key);
    if (known != verdicts_.end()) return known->second;
    bool verdict = check_(path);
    verdicts_.emplace(std::move(key), verdict);
    return verdict;
}
