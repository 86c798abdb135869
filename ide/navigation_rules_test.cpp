#include "ide/navigation_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(IdeSourceFile, OnlyTheIdesOwnTypes) {
    const struct {
        const char* Path;
        bool Source;
    } cases[] = {
        {"C:\\src\\a.pb", true},
        {"C:\\src\\A.PBI", true},
        {"b.pbf", true},
        {"C:\\x.y\\Project.pbp", true},
        {"C:\\src\\build.bat", false},
        {"tool.exe", false},
        {"C:\\src\\a.pb.exe", false},
        {"C:\\src.pb\\make", false},
        {"C:\\src\\pb", false},
        {"a.pbx", false},
        {"", false},
        {"C:\\src\\.pb", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsIdeSourceFile(c.Path), c.Source) << c.Path;
}

TEST(HandOverCommandLine, QuotesBothPathsAndAddsTheLine) {
    EXPECT_EQ(HandOverCommandLine("C:\\PB\\PureBasic.exe", "C:\\my src\\a.pb", 12),
              "\"C:\\PB\\PureBasic.exe\" \"C:\\my src\\a.pb\" /L 12");
    EXPECT_EQ(HandOverCommandLine("ide.exe", "a.pb", 1), "\"ide.exe\" \"a.pb\" /L 1");
    EXPECT_EQ(HandOverCommandLine("ide.exe", "a.pb", 0), "\"ide.exe\" \"a.pb\"");
}

} // namespace
