#include "navigator/history_step.h"

#include "common/utf.h"

#include <utility>

void TakeStep(StepActions& actions, const HistoryEntry& current) {
    HistoryEntry target;
    uint64_t cutAt = 0;
    switch (actions.FindTarget(&target, &cutAt)) {
    case TargetSearch::Found:
        break;
    case TargetSearch::Nothing:
        return;
    case TargetSearch::GaveUp:
        if (actions.CutSource(cutAt)) actions.Log(StepGaveUpText);
        return;
    }
    if (!actions.AppendToDestination(current)) {
        actions.Log(StepNotSavedText);
        return;
    }
    if (actions.Reach(target) != ReachResult::Reached) {
        actions.UndoAppend();
        actions.Log(StepNotReachedText);
        return;
    }
    if (!actions.CutSource(cutAt)) actions.Log(StepNotCutText);
}

PathVerdicts::PathVerdicts(std::function<bool(const std::string&)> check, size_t limit)
    : check_(std::move(check)), limit_(limit) {}

bool PathVerdicts::Ask(const std::string& path) {
    std::string key = FoldPathCase(path);
    auto known = verdicts_.find(key);
    if (known != verdicts_.end()) return known->second;
    if (verdicts_.size() >= limit_) {
        exhausted_ = true;
        return false;
    }
    bool verdict = check_(path);
    verdicts_.emplace(std::move(key), verdict);
    return verdict;
}
