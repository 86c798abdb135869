#include "navigator/press_queue.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What each press's navigator does, in turn: "B7" offers a back press made
// at time 7 by process 7, "F7" a forward one, "t1" lets process 1 take its
// next press, "x" kills the taker (its later offers and takes are another
// process's). Each step's outcome: "self", "over", "full" for an offer; the
// press taken ("B7") or "-" for a take.
std::string Play(const std::string& script) {
    PressQueueBlock block;
    std::string outcome;
    bool takerRuns = true;
    for (size_t at = 0; at < script.size();) {
        const char what = script[at++];
        size_t used = 0;
        const uint32_t number = uint32_t(std::stoul(script.substr(at), &used));
        at += used + (at + used < script.size() && script[at + used] == ' ');
        if (what == 'x') {
            takerRuns = false;
            continue;
        }
        if (what == 't') {
            Press press;
            outcome += TakeNextPress(block, number, &press)
                           ? std::string(press.Back ? "B" : "F") + std::to_string(press.At)
                           : "-";
        } else {
            const Offered offered = OfferPress(block, {what == 'B', number}, number, takerRuns);
            outcome += offered == Offered::HandedOver ? "over"
                       : offered == Offered::Full     ? "full"
                                                      : "self";
            if (offered == Offered::TakeItYourself) takerRuns = true;
        }
        outcome += ' ';
    }
    return outcome;
}

TEST(PressQueue, EveryPressIsAStepInTheOrderPressed) {
    const struct {
        const char* Script;
        const char* Outcome;
    } cases[] = {
        {"B1 t1", "self - "},
        {"B1 B2 F3 t1 t1 t1", "self over over B2 F3 - "},
        // Handed over out of order, taken in the order pressed.
        {"B1 F5 B3 t1 t1 t1", "self over over B3 F5 - "},
        // The taker stopped taking: the next press takes its own.
        {"B1 t1 B2 t2", "self - self - "},
        // Only the taker takes.
        {"B1 B2 t2 t1", "self over - B2 "},
        // A taker killed with presses waiting leaves them to the next.
        {"B1 B2 x0 B3 t3 t3", "self over self B2 - "},
        {"B1 F2 F2 t1 t1", "self over over F2 F2 "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Play(c.Script), c.Outcome) << c.Script;
    std::string many = "B1 ";
    for (size_t i = 0; i <= MaxWaitingPresses; ++i)
        many += "B2 ";
    EXPECT_EQ(Play(many).substr(Play(many).size() - 10), "over full ");
}

} // namespace
