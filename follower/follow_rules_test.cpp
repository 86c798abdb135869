#include "follower/follow_rules.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Plays a script of "verb editor [argument]" events, ";" between them: file E
// PATH names E's source; see, focus, close, start (E 0: none shown) and end
// E L give the caret at line L (0-based), byte position L*10 or, as L.P, P;
// lines N sets the threshold. Returns what was recorded, "file:line" each
// (".pos" added when not line*10), blanks between.
std::string Play(const std::string& script) {
    FollowRules rules;
    std::string recorded;
    std::istringstream steps(script);
    for (std::string step; std::getline(steps, step, ';');) {
        std::istringstream words(step);
        std::string verb, argument;
        EditorId editor = 0;
        words >> verb >> editor >> argument;
        const size_t dot = argument.find('.');
        const int64_t line = verb == "file" || argument.empty() ? 0 : std::stoll(argument);
        const CaretPlace place = {
            line, dot == argument.npos ? line * 10 : std::stoll(argument.substr(dot + 1))};
        std::vector<PositionLeft> out;
        if (verb == "file") rules.NameSource(editor, argument);
        if (verb == "see") out = rules.CaretSeen(editor, place);
        if (verb == "focus") out = rules.BecameCurrent(editor, place);
        if (verb == "close") out = rules.Closing(editor, place);
        if (verb == "start") out = rules.StepStarts(editor, place);
        if (verb == "end") rules.StepEnded(editor, place);
        if (verb == "lines") rules.SetJumpLines(int32_t(editor));
        for (const PositionLeft& left : out) {
            recorded +=
                (recorded.empty() ? "" : " ") + left.File + ":" + std::to_string(left.Place.Line);
            if (left.Place.Position != left.Place.Line * 10)
                recorded += "." + std::to_string(left.Place.Position);
        }
    }
    return recorded;
}

const char* const TwoFiles = "file 1 a;file 2 b;focus 1 0;";

TEST(FollowRules, RecordsThePositionLeft) {
    const struct {
        const char* Name;
        std::string Script, Recorded;
    } cases[] = {
        {"a jump of 21 lines", "see 1 5;see 1 26", "a:5"},
        {"a jump upwards keeps the column", "see 1 30.304;see 1 9", "a:30.304"},
        {"20 lines are no jump", "see 1 5;see 1 25;see 1 5", ""},
        {"a jump from where the file was loaded", "see 1 40", ""},
        {"there and back", "see 1 3;focus 2 0;see 2 7;focus 1 3", "a:3 b:7"},
        {"sources never moved in", "focus 2 0;focus 1 0;focus 2 0", ""},
        {"a report of another editor is a switch", "see 1 3;see 2 9", "a:3"},
        {"the focus back on the same editor", "see 1 3;focus 1 60", "a:3"},
        {"a source without a file", "file 3 ;focus 3 0;see 3 5;see 3 50;focus 1 0", ""},
        {"its file named late", "focus 3 0;see 3 5;file 3 c;focus 1 0", "c:5"},
        {"Save As renames", "see 1 5;file 1 new;see 1 50", "new:5"},
        {"a threshold of 5", "lines 5;see 1 3;see 1 9", "a:3"},
        {"the current source closing", "see 1 4;close 1 6", "a:6"},
        {"a jump then closing", "see 1 4;close 1 60", "a:4 a:60"},
        {"a closed source is forgotten", "close 1 0;focus 2 0;see 2 4;focus 1 0", "b:4"},
        {"a step: what the user left, then nothing",
         "see 1 3;start 1 50;see 1 90;focus 2 0;close 2 0", "a:3"},
        {"a step not yet seen switching sources", "see 1 3;start 2 7", "a:3"},
        {"after a step: on from where it went", "start 1 0;end 2 10;see 2 40;focus 1 0",
         "b:10 b:40"},
        {"a file the step opened, named after it ended", "start 1 0;end 4 7;file 4 d;see 4 50",
         "d:7"},
        {"a step with nothing shown", "see 1 4;start 0 0;end 0 0;focus 2 0", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(Play(TwoFiles + c.Script), c.Recorded);
    }
}

// Remember refuses these names, so the follower never records under them: a
// source saved under one loses the name it had.
TEST(FollowRules, NamesNoHistoryKeepsLeaveTheSourceUnnamed) {
    const std::string folder = "C:\\src\\";
    for (const auto& [file, storable] :
         {std::pair{folder + std::string(255, 'x'), true},
          {folder + "a.pb\r\nZ:\\evil\\forged.pb|7x7\r\ny.pb", false},
          {folder + "a|b.pb", false},
          {folder + std::string("a\0.pb", 5), false},
          {folder + std::string(256, 'x'), false},
          {folder + std::string(32000, 'x'), false}}) {
        SCOPED_TRACE(file.substr(0, 40));
        FollowRules rules;
        rules.NameSource(1, folder + "good.pb");
        rules.BecameCurrent(1, {0, 0});
        rules.CaretSeen(1, {5, 50});
        rules.NameSource(1, file);
        EXPECT_EQ(rules.CaretSeen(1, {90, 900}).size(), storable ? 1u : 0u);
        EXPECT_EQ(rules.EditorOfFile(file), storable ? 1u : 0u);
    }
    FollowRules rules;
    rules.NameSource(2, u8"C:\\src\\Жук.pb");
    EXPECT_EQ(rules.EditorOfFile(u8"c:\\SRC\\жук.PB"), 2u); // as the IDE compares names
}

// Positions wait their settle time, take the name a save gives their source
// meanwhile, and the oldest goes when too many wait.
TEST(FollowRules, WaitingPositions) {
    WaitingPositions waiting(2);
    EXPECT_TRUE(waiting.Add({1, "a.pb", "5x1", "", 100}));
    waiting.Rename(1, "renamed.pb");
    EXPECT_EQ(waiting.Due(99), nullptr);
    EXPECT_EQ(waiting.Due(100)->File, "renamed.pb");
    EXPECT_TRUE(waiting.Add({2, "b.pb", "7x1", "", 150}));
    EXPECT_FALSE(waiting.Add({1, "renamed.pb", "9x1", "", 200})); // 5x1 goes
    waiting.Rename(1, "");                                        // a name no history keeps
    waiting.AllDue();
    EXPECT_EQ(waiting.Due(0)->Cursor, "7x1");
    EXPECT_EQ(waiting.Size(), 1u);
}

// What a start hands over comes back whole, whatever its file holds; a text
// of another form or too long is no news.
TEST(FollowRules, NewsRoundTrip) {
    const FollowerNews news = {FollowerEvent::Saved, 123456789012345ull, 7, "C:\\a\n5x5|b.pb",
                               "C:\\a.pb\nC:\\b.pb"};
    FollowerNews back;
    ASSERT_TRUE(ParseNews(FormatNews(news), &back));
    EXPECT_EQ(FormatNews(back), FormatNews(news));
    for (const std::string& text :
         {std::string("SAVED\n1\n20\nC:\\a.pb"), std::string("SAVED\n1\n20\n9\nC:\\a.pb"),
          std::string("OPENED\n1\n20\n0\n"),
          std::string("SAVED\n1\n20\n0\n") + std::string(MaxNewsBytes, 'l')})
        EXPECT_FALSE(ParseNews(text, &back)) << text.substr(0, 40);
}

TEST(FollowRules, ThresholdIsAPlainNumber) {
    for (const auto& [text, lines] : {std::pair{"5", 5},
                                      {"0", 0},
                                      {"999999999", 999999999},
                                      {"", 20},
                                      {"-5", 20},
                                      {" 5", 20},
                                      {"5x", 20},
                                      {"1234567890", 20}})
        EXPECT_EQ(ParseJumpLines(text), lines) << text;
}

} // namespace
