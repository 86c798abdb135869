#include "navigator/history_step.h"

#include "history/line_fingerprint.h"

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

TEST(PathVerdicts, AsksOncePerPathWhateverItsLetterCase) {
    std::vector<std::string> asked;
    PathVerdicts verdicts(
        [&](const std::string& path) {
            asked.push_back(path);
            return path.find("gone") == std::string::npos;
        },
        3);
    EXPECT_FALSE(verdicts.Ask("C:\\gone.pb"));
    EXPECT_TRUE(verdicts.Ask("C:\\here.pb"));
    for (int i = 0; i < 1000; ++i) {
        EXPECT_FALSE(verdicts.Ask(i % 2 ? "c:\\GONE.PB" : "C:\\gone.pb"));
        EXPECT_TRUE(verdicts.Ask("c:\\Here.pb"));
    }
    EXPECT_TRUE(verdicts.Ask(u8"C:\\ä.pb"));
    EXPECT_TRUE(verdicts.Ask(u8"C:\\Ä.PB"));
    EXPECT_FALSE(verdicts.Exhausted());
    // A fourth path is past the limit: refused unasked, and what is known stays.
    EXPECT_FALSE(verdicts.Ask("C:\\other.pb"));
    EXPECT_TRUE(verdicts.Exhausted());
    EXPECT_TRUE(verdicts.Ask("C:\\here.pb"));
    EXPECT_EQ(asked, (std::vector<std::string>{"C:\\gone.pb", "C:\\here.pb", u8"C:\\ä.pb"}));
}

// Where the IDE's caret lands, and what a tool started there is told.
TEST(ArrivalInText, AsTheEditorIsMoved) {
    const std::string text = "first\r\nab\r\n\tx\t\xC3\xA4z\r\nlast line\r\n";
    const std::string moved = "; new\r\n; lines\r\n" + text;
    // A large file read only around the line, with the same outcome.
    std::string large;
    for (int i = 1; i <= 20000; ++i)
        large += "Value(" + std::to_string(i) + ")\r\n";
    const std::string edited = "; one\r\n; two\r\n; three\r\n" + large;
    const struct {
        std::string Text, Cursor, Fingerprinted, Lands;
    } cases[] = {
        {text, "3x99", "", "3x6"}, // a character of two bytes
        {text, "2x0", "", "2x1"},
        {moved, "3x2", text, "5x2"}, // found again two lines down
        {"", "4x4", "", "1x1"},
        {edited, "15000x3", large, "15003x3"},
        {edited, "1x1", large, "4x1"},
        {edited, "19999x99", large, "20002x13"},
        {edited, "40000x2", large, "20003x2"},
    };
    for (const auto& c : cases) {
        const std::string fingerprint =
            c.Fingerprinted.empty() ? "" : FingerprintOfLine(c.Fingerprinted, std::stoi(c.Cursor));
        const HistoryEntry arrival = ArrivalInText(c.Text, {"a.pb", c.Cursor, fingerprint});
        EXPECT_EQ(arrival.Cursor, c.Lands) << c.Cursor;
        EXPECT_EQ(arrival.Fingerprint, FingerprintOfLine(c.Text, std::stoi(c.Lands))) << c.Cursor;
        const HistoryEntry read =
            ArrivalInText(c.Text, LineStarts(c.Text), {"a.pb", c.Cursor, fingerprint});
        EXPECT_EQ(read.Cursor + read.Fingerprint, arrival.Cursor + arrival.Fingerprint) << c.Cursor;
    }
    EXPECT_EQ(ArrivalInText(text, {"a.pb", "somewhere", "v1:x"}).Cursor, "somewhere");
    EXPECT_EQ(LineAt("a\rb\nc", LineStarts("a\rb\nc"), 2), "b");
}

} // namespace
