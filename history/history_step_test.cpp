#include "history/history_step.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Does what a scenario says and writes down every call in order.
class ScriptedStep : public StepActions {
  public:
    bool HasTarget = true, AppendWorks = true, CutWorks = true;
    ReachResult Reaching = ReachResult::Reached;
    std::vector<std::string> Calls;

    bool FindTarget(HistoryEntry* target, uint64_t* cutAt) override {
        Calls.push_back("find");
        *target = {"t.pb", "3x4"};
        *cutAt = 17;
        return HasTarget;
    }
    bool AppendToDestination(const std::string& line) override {
        Calls.push_back("append " + line);
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
    void Log(const std::string& message) override { Calls.push_back("log " + message); }
};

TEST(TakeStep, AllOrNothing) {
    const std::string append = "append c.pb|9x2\r\n", reach = "reach t.pb|3x4";
    const std::string log = "log ";
    const struct {
        const char* Scenario;
        bool HasTarget, AppendWorks, CutWorks;
        ReachResult Reaching;
        std::vector<std::string> Calls;
    } cases[] = {
        {"moves", true, true, true, ReachResult::Reached, {"find", append, reach, "cut 17"}},
        {"nothing to go to", false, true, true, ReachResult::Reached, {"find"}},
        {"destination not written",
         true,
         false,
         true,
         ReachResult::Reached,
         {"find", append, log + StepNotSavedText}},
        {"second IDE refused",
         true,
         true,
         true,
         ReachResult::SecondInstanceRefused,
         {"find", append, reach, "undo", log + StepSecondInstanceText}},
        {"IDE did not get there",
         true,
         true,
         true,
         ReachResult::NotReached,
         {"find", append, reach, "undo", log + StepNotReachedText}},
        {"source not cut",
         true,
         true,
         false,
         ReachResult::Reached,
         {"find", append, reach, "cut 17", log + StepNotCutText}},
    };
    for (const auto& c : cases) {
        ScriptedStep step;
        step.HasTarget = c.HasTarget;
        step.AppendWorks = c.AppendWorks;
        step.CutWorks = c.CutWorks;
        step.Reaching = c.Reaching;
        TakeStep(step, {"c.pb", "9x2"});
        EXPECT_EQ(step.Calls, c.Calls) << c.Scenario;
    }
}

TEST(PathVerdicts, AsksOncePerPathWhateverItsLetterCase) {
    std::vector<std::string> asked;
    PathVerdicts verdicts([&](const std::string& path) {
        asked.push_back(path);
        return path.find("gone") == std::string::npos;
    });
    EXPECT_FALSE(verdicts.Ask("C:\\gone.pb"));
    EXPECT_TRUE(verdicts.Ask("C:\\here.pb"));
    for (int i = 0; i < 1000; ++i) {
        EXPECT_FALSE(verdicts.Ask(i % 2 ? "c:\\GONE.PB" : "C:\\gone.pb"));
        EXPECT_TRUE(verdicts.Ask("c:\\Here.pb"));
    }
    EXPECT_TRUE(verdicts.Ask("C:\\\xE4.pb"));
    EXPECT_TRUE(verdicts.Ask("C:\\\xC4.PB"));
    EXPECT_EQ(asked, (std::vector<std::string>{"C:\\gone.pb", "C:\\here.pb", "C:\\\xE4.pb"}));
}

} // namespace
