#include "navigator/history_step.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Does what a scenario says and writes down every call in order.
class ScriptedStep : public StepActions {
  public:
    TargetSearch Search = TargetSearch::Found;
    bool AppendWorks = true, CutWorks = true;
    ReachResult Reaching = ReachResult::Reached;
    std::vector<std::string> Calls;

    TargetSearch FindTarget(HistoryEntry* target, uint64_t* cutAt) override {
        Calls.push_back("find");
        *target = {"t.pb", "3x4"};
        *cutAt = 17;
        return Search;
    }
    bool AppendToDestination(const HistoryEntry& entry) override {
        Calls.push_back("append " + entry.File + "|" + entry.Cursor + "|" + entry.Fingerprint);
        return AppendWorks;
    }
    void UndoAppend() override { Calls.push_back("undo"); }
    ReachResult Reach(const HistoryEntry& target) override {
        Calls.push_back("reach " + target.File + "|" + target.Cursor);
        return Reaching;
    }
    bool CutSource(uint64_t length) override {
        Calls.push_back("cut " + std::to_string(length));
        return CutWorks;
    }
    void Log(LogText text) override { Calls.push_back("log " + LogLine(text)); }
};

// Each scenario: what goes wrong, and the calls the step makes.
TEST(TakeStep, AllOrNothing) {
    const std::string find = "find", append = "append c.pb|9x2|v1:0a", reach = "reach t.pb|3x4",
                      cut = "cut 17", undo = "undo", log = "log ";
    using Calls = std::vector<std::string>;
    const struct {
        TargetSearch Search;
        bool AppendWorks, CutWorks;
        ReachResult Reaching;
        Calls Expected;
    } cases[] = {
        {TargetSearch::Found, true, true, ReachResult::Reached, Calls{find, append, reach, cut}},
        {TargetSearch::Nothing, true, true, ReachResult::Reached, Calls{find}},
        {TargetSearch::GaveUp, true, true, ReachResult::Reached,
         Calls{find, cut, log + LogLine(LogText::StepGaveUp)}},
        {TargetSearch::GaveUp, true, false, ReachResult::Reached, Calls{find, cut}},
        {TargetSearch::Found, false, true, ReachResult::Reached,
         Calls{find, append, log + LogLine(LogText::StepNotSaved)}},
        {TargetSearch::Found, true, true, ReachResult::CannotShow,
         Calls{find, append, reach, undo, log + LogLine(LogText::StepNotReached)}},
        {TargetSearch::Found, true, true, ReachResult::NotReached,
         Calls{find, append, reach, undo, log + LogLine(LogText::StepNotReached)}},
        {TargetSearch::Found, true, false, ReachResult::Reached,
         Calls{find, append, reach, cut, log + LogLine(LogText::StepNotCut)}},
    };
    for (const auto& c : cases) {
        ScriptedStep step;
        step.Search = c.Search;
        step.AppendWorks = c.AppendWorks;
        step.CutWorks = c.CutWorks;
        step.Reaching = c.Reaching;
        TakeStep(step, {"c.pb", "9x2", "v1:0a"}); // the position left keeps its fingerprint
        EXPECT_EQ(step.Calls, c.Expected) << "scenario " << (&c - cases);
    }
}

} // namespace
