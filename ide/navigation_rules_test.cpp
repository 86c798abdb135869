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

TEST(OpenMessageText, NamesTheIdeTheCountTheLineAndTheFile) {
    EXPECT_EQ(OpenMessageText("C:\\PB\\PureBasic.exe", u8"C:\\my src\\Жук.pb", 12),
              u8"C:\\PB\\PureBasic.exe\n1\n12\nC:\\my src\\Жук.pb");
    EXPECT_EQ(OpenMessageText("ide.exe", "a.pb", 0), "ide.exe\n1\n0\na.pb");
    EXPECT_EQ(OpenMessageText("ide.exe", "a.pb", -3), "ide.exe\n1\n0\na.pb");
}

} // namespace
