#include "ide/file_list.h"

#include "common/text_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(FileList, FindsAPathWhateverItsLetterCase) {
    const std::string list =
        u8"C:\\src\\Main.pb\nC:\\src\\änderung.pb\nD:\\x\\INC.pbi\nC:\\Łódź\\Жук.pb";
    const struct {
        const char* Path;
        int Index;
    } cases[] = {
        {"C:\\src\\Main.pb", 0},         {"c:\\SRC\\main.PB", 0},
        {u8"C:\\src\\ÄNDERUNG.pb", 1},   {u8"c:\\łÓDŹ\\жУК.PB", 3},
        {"C:\\src\\\xC4NDERUNG.pb", -1}, // a code page's byte is no UTF-8 letter
        {"d:\\x\\inc.pbi", 2},           {"C:\\src\\Main.p", -1},
        {"C:\\src\\Main.pb\n", -1},      {"", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindInFileList(list, c.Path), c.Index) << c.Path;
}

TEST(FileList, EmptyFieldsAreFieldsToo) {
    EXPECT_EQ(FindInFileList("a\nb\n", ""), 2);
    EXPECT_EQ(FindInFileList("", ""), 0);
    EXPECT_EQ(FindInFileList("", "a"), -1);
    EXPECT_EQ(FindInFileList("a\n\nb", ""), 1);
}

TEST(FileList, AppendedFileTakesItsZeroBasedPosition) {
    std::string list;
    EXPECT_EQ(AppendToFileList(list, "a.pb"), 0);
    EXPECT_EQ(list, "a.pb");
    EXPECT_EQ(AppendToFileList(list, "b.pb"), 1);
    EXPECT_EQ(AppendToFileList(list, "c.pb"), 2);
    EXPECT_EQ(list, "a.pb\nb.pb\nc.pb");
    EXPECT_EQ(FindInFileList(list, "C.PB"), 2);
    for (const auto& [gone, left] :
         {std::pair{"B.pb", "a.pb\nc.pb"}, {"c.pb", "a.pb"}, {"x.pb", "a.pb"}, {"a.pb", ""}}) {
        RemoveFromFileList(list, gone);
        EXPECT_EQ(list, left) << gone;
    }
}

} // namespace
