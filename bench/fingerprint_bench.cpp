// Finding a remembered line again in a 200,000-line source: the line moved
// (to the edge of the window, the farthest it is looked for) against the same
// line not moved, both through the whole text as the navigator hands it over.
#include "bench/bench_support.h"
#include "history/line_fingerprint.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

std::string Source(int lines, int insertedAtTop) {
    std::string text;
    for (int i = 0; i < insertedAtTop; ++i)
        text += "; inserted\r\n";
    for (int i = 1; i <= lines; ++i)
        text += "  Value(" + std::to_string(i) + ") = " + std::to_string(i % 7) + "\r\n";
    return text;
}

TEST(FingerprintBench, AMovedLineCostsLittleMoreThanOneInPlace) {
    const int32_t remembered = 190000;
    const std::string before = Source(200000, 0), after = Source(200000, RelocationWindow);
    const std::string fingerprint = FingerprintOfLine(before, remembered);
    ASSERT_EQ(RelocateLine(after, remembered, fingerprint), remembered + RelocationWindow);
    const auto time = [&](const std::string& text) {
        return [&] {
            const double start = Seconds();
            int32_t line = RelocateLine(text, remembered, fingerprint);
            const double seconds = Seconds() - start;
            EXPECT_GE(line, remembered);
            return seconds;
        };
    };
    const std::vector<double> medians = MedianTimes(101, {time(after), time(before)});
    printf("line found %d lines on %.3f ms, in place %.3f ms, ratio %.3f (target <= 1.5)\n",
           RelocationWindow, medians[0] * 1000, medians[1] * 1000, medians[0] / medians[1]);
    EXPECT_LE(medians[0] / medians[1], 1.5);
}

} // namespace
