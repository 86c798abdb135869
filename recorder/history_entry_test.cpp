#include "history_entry.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatHistoryEntry, JoinsFileAndCursorIntoOneCrLfLine) {
    EXPECT_EQ(FormatHistoryEntry(R"(C:\My Files\a.pb)", "12"), "C:\\My Files\\a.pb|12\r\n");
    EXPECT_EQ(FormatHistoryEntry("", ""), "|\r\n");
    // Bytes pass unchanged: no quoting, no escaping, no code-page conversion.
    EXPECT_EQ(FormatHistoryEntry("\"\xE4|\xFF\"", "a|b"), "\"\xE4|\xFF\"|a|b\r\n");
}

} // namespace
