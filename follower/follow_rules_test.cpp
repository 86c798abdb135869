#include "follower/follow_rules.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Plays a script of events, each "verb editor [argument]", ";" between them:
//   file E PATH   the source of editor E has this file
//   see E L       a caret report, line L (0-based), byte position L*10,
//                 or L.P for position P
//   focus E L     E became current; close E L its source closes
//   start E L     a step starts with E shown (0: none); end E L it ended
//   lines N       the jump threshold
// and returns what was recorded, "file:line" each (":line.pos" when the
// position is not line*10), blanks between.
std::string Play(const std::string& script) {
    FollowRules rules;
    std::string recorded;
    std::istringstream steps(script);
    for (std::string step; std::getline(steps, step, ';');) {
        std::istringstream words(step);
        std::string verb, argument;
        EditorId editor = 0;
        words >> verb >> editor >> argument;
        CaretPlace place;
        const size_t dot = argument.find('.');
        if (verb != "file" && !argument.empty()) {
            place.Line = std::stoll(argument);
            place.Position =
                dot == std::string::npos ? place.Line * 10 : std::stoll(argument.substr(dot + 1));
        }
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
        {"small moves add up to nothing", "see 1 5;see 1 15;see 1 25;see 1 35", ""},
        {"a jump from where the file was loaded", "see 1 40", ""},
        {"a tab switch", "see 1 3;focus 2 0", "a:3"},
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
        {"another source closing", "see 1 4;close 2 9;see 1 6", ""},
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

TEST(FollowRules, NewsReadsBackAsSent) {
    const FollowerNews news = {FollowerEvent::Saved, 0xFFFFFFFFFFFFFFFFull, 7,
                               u8"C:\\Łódź\\a b|\"x\".pb"};
    FollowerNews back;
    ASSERT_TRUE(ParseNews(FormatNews(news), &back));
    EXPECT_EQ(back.Event, news.Event);
    EXPECT_EQ(back.Editor, news.Editor);
    EXPECT_EQ(back.JumpLines, news.JumpLines);
    EXPECT_EQ(back.File, news.File);
    for (const char* bad : {"", "LOADED\n1\n20", "OPENED\n1\n20\nx", "LOADED\n-1\n20\nx",
                            "LOADED\n1\nx\nx", "LOADED\n123456789012345678901\n20\nx"})
        EXPECT_FALSE(ParseNews(bad, &back)) << bad;
    EXPECT_EQ(ParseFollowerEvent("CLOSING"), FollowerEvent::Closing);
    EXPECT_EQ(ParseFollowerEvent("closing"), FollowerEvent::Unknown);
}

TEST(FollowRules, ThresholdIsAPlainNumber) {
    const std::pair<const char*, int32_t> cases[] = {
        {"20", 20},        {"5", 5},    {"0", 0},
        {"", 20},          {"-5", 20},  {" 5", 20},
        {"5x", 20},        {"1e3", 20}, {"999999999", 999999999},
        {"1234567890", 20}};
    for (const auto& [text, lines] : cases)
        EXPECT_EQ(ParseJumpLines(text), lines) << text;
}

TEST(FollowRules, ColumnsCountCharacters) {
    const std::string line = u8"\tЖук = 1";
    EXPECT_EQ(CharacterColumn(line, 0, true), 1);
    EXPECT_EQ(CharacterColumn(line, 1, true), 2);  // after the tab
    EXPECT_EQ(CharacterColumn(line, 7, true), 5);  // after three letters of two bytes
    EXPECT_EQ(CharacterColumn(line, 7, false), 8); // an 8-bit editor counts bytes
    EXPECT_EQ(CharacterColumn("ab", 5, true), 6);  // bytes not read count one each
    EXPECT_EQ(CharacterColumn("ab", -3, true), 1);

    const std::string text = "one\r\ntwo\rthree\n\nlast";
    const std::pair<int64_t, const char*> lines[] = {{1, "one"},  {2, "two"}, {3, "three"}, {4, ""},
                                                     {5, "last"}, {6, ""},    {0, ""}};
    for (const auto& [index, expected] : lines)
        EXPECT_EQ(LineOfText(text, index), expected) << index;
}

} // namespace
