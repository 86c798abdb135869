#include "history/press_search.h"

#include "testing/latin1_code_page.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using std::min;

// A history file's bytes, read from the end as the tools read it.
ReverseLineReader ReaderOf(const std::string& file) {
    return ReverseLineReader(
        [file](uint64_t offset, char* buffer, size_t count) {
            const size_t n = std::min<size_t>(count, file.size() - size_t(offset));
            file.copy(buffer, n, size_t(offset));
            return n;
        },
        file.size());
}

std::string Entries(const std::vector<HistoryEntry>& entries) {
    std::string text;
    for (const HistoryEntry& e : entries)
        text += e.File + "|" + e.Cursor + ";";
    return text;
}

// Presses from b.pb 4x1 over a history of, newest last: a.pb 5x3, b.pb 10x7,
// a line that is no entry, d.pb (gone), c.pb 20x2 and c.pb 20x5 (where the
// press before stops once c.pb's 20x5 has been relocated to 20x2), and again
// b.pb 4x1 (where the presses start). c.pb's lines moved: each c.pb entry
// arrives two lines down, where the next press starts, so that c.pb 22x2 is
// passed over by the press that starts at c.pb 20x2's arrival.
struct History {
    const std::string File = "a.pb|5x3\r\nb.pb|10x7\r\nno entry\r\nd.pb|3x1\r\nc.pb|22x2\r\n"
                             "c.pb|20x2\r\nc.pb|20x5\r\nb.pb|4x1\r\n";
    std::vector<std::string> Arrived; // the entries whose arrival was worked out
    PathVerdicts Showable{[](const std::string& path) { return path != "d.pb"; }, 100};

    PressWalk Walk(size_t maxLines = SIZE_MAX) {
        return PressWalk(
            ReaderOf(File), File.size(), Latin1, {"b.pb", "4x1"}, Showable,
            [this](const HistoryEntry& e) {
                Arrived.push_back(e.File + "|" + e.Cursor);
                HistoryEntry arrival = e;
                if (e.File == "c.pb")
                    arrival.Cursor = "22x" + e.Cursor.substr(e.Cursor.find('x') + 1);
                return arrival;
            },
            maxLines);
    }
};

TEST(SearchPresses, PassesOverWhatAPressPassesOver) {
    const struct {
        int Presses;
        std::string Target, Passed;
        uint64_t CutAt; // the target's line start
    } cases[] = {
        {1, "c.pb|20x5", "", 63},
        {2, "c.pb|20x2", "c.pb|22x5;", 52},
        {3, "b.pb|10x7", "c.pb|22x5;c.pb|22x2;", 10},
        {4, "a.pb|5x3", "c.pb|22x5;c.pb|22x2;b.pb|10x7;", 0},
        {5, "", "c.pb|22x5;c.pb|22x2;b.pb|10x7;a.pb|5x3;", 0},
    };
    for (const auto& c : cases) {
        History history;
        PressWalk walk = history.Walk();
        const PressesFound found = SearchPresses(walk, history.File.size(), c.Presses);
        EXPECT_EQ(found.Search, c.Target.empty() ? TargetSearch::Nothing : TargetSearch::Found);
        EXPECT_EQ(found.Target.File + (found.Target.File.empty() ? "" : "|") + found.Target.Cursor,
                  c.Target);
        EXPECT_EQ(Entries(found.Passed), c.Passed) << c.Presses;
        if (!c.Target.empty()) {
            EXPECT_EQ(found.CutAt, c.CutAt) << c.Presses;
        }
    }
}

// A pick names the entry its last press must stop at; a history of files
// that are gone gives up only when it is a plain press.
TEST(SearchPresses, AnExpectedTargetOrFilesThatAreGone) {
    History history;
    PressWalk walk = history.Walk();
    const HistoryEntry right = {"b.pb", "10x7"}, wrong = {"b.pb", "10x8"};
    EXPECT_EQ(SearchPresses(walk, history.File.size(), 3, &right).Search, TargetSearch::Found);
    PressWalk again = history.Walk();
    EXPECT_EQ(SearchPresses(again, history.File.size(), 3, &wrong).Search, TargetSearch::Nothing);

    std::string gone;
    for (int i = 0; i < 50; ++i)
        gone += "gone" + std::to_string(i) + ".pb|1x1\r\n";
    PathVerdicts few([](const std::string&) { return false; }, 10);
    PressWalk walkGone(ReaderOf(gone), gone.size(), Latin1, {"b.pb", "1x1"}, few, nullptr);
    const PressesFound found = SearchPresses(walkGone, gone.size(), 1);
    EXPECT_EQ(found.Search, TargetSearch::GaveUp);
    EXPECT_EQ(found.CutAt, gone.size() - 10 * std::string("gone40.pb|1x1\r\n").size());
}

// The list meets the entries as the presses do, working out an arrival only
// where the next press compares with it: an entry of the same file follows.
TEST(MeetEntries, ListsAsThePressesMeetAndArrivesOnlyWhereNeeded) {
    History history;
    PressWalk walk = history.Walk();
    const std::vector<MetEntry> met = MeetEntries(walk, 10);
    std::string listed;
    for (const MetEntry& m : met)
        listed += m.Entry.File + "|" + m.Entry.Cursor + (m.Showable ? "" : " gone") +
                  (m.ArrivalKnown ? " at " + m.Arrival.Cursor : "") + ";";
    EXPECT_EQ(listed, "c.pb|20x5 at 22x5;c.pb|20x2 at 22x2;d.pb|3x1 gone at 3x1;b.pb|10x7;"
                      "a.pb|5x3;");
    EXPECT_EQ(history.Arrived, (std::vector<std::string>{"c.pb|20x5", "c.pb|20x2"}));
    PressWalk short_ = history.Walk(3);
    EXPECT_EQ(MeetEntries(short_, 10).size(), 2u);
    EXPECT_EQ(short_.Looked(), 52u);
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

} // namespace
