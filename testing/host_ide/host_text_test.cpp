#include "testing/host_ide/host_text.h"

#include <gtest/gtest.h>

namespace {

const std::string ThreeLines = "ab\r\ncd\nef"; // lines start at 0, 4, 7

TEST(HostText, LineStartClampsLikeScintilla) {
    struct Case {
        std::string text;
        long line;
        size_t start;
    } cases[] = {
        {ThreeLines, 0, 0},  {ThreeLines, 1, 4}, {ThreeLines, 2, 7}, {ThreeLines, 9, 7},
        {ThreeLines, -1, 0}, {"", 3, 0},         {"a\n", 1, 2},      {"a\n", 2, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LineStartOf(c.text, c.line), c.start) << c.line << " in " << c.text.size();
}

TEST(HostText, PositionsMapToLinesAndCursorText) {
    struct Case {
        size_t pos;
        long line;
        const char* cursor;
    } cases[] = {
        {0, 0, "1x1"}, {2, 0, "1x3"}, {3, 0, "1x4"}, {4, 1, "2x1"},
        {6, 1, "2x3"}, {7, 2, "3x1"}, {9, 2, "3x3"}, {99, 2, "3x3"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LineOfPosition(ThreeLines, c.pos), c.line) << c.pos;
        EXPECT_EQ(CursorText(ThreeLines, c.pos), c.cursor) << c.pos;
    }
}

TEST(HostText, LineAndColumnAreClampedToTheLine) {
    struct Case {
        long line, column;
        size_t pos;
    } cases[] = {{1, 1, 0}, {1, 2, 1}, {1, 9, 2}, {2, 3, 6}, {3, 2, 8}, {0, 0, 0}, {7, 1, 7}};
    for (const Case& c : cases)
        EXPECT_EQ(PositionOfLineColumn(ThreeLines, c.line, c.column), c.pos)
            << c.line << "," << c.column;
}

// Scintilla's position messages; "a\r\n" ends in an empty line, and a lone
// CR ends a line too.
TEST(HostText, PositionMessagesAnswerAsScintillaDoes) {
    const std::string CrLfEnd = "a\r\n", LoneCr = "a\rbc\r\nd";
    struct Case {
        const std::string& text;
        long line;
        long lineStart, lineEnd;
    } cases[] = {
        {ThreeLines, 0, 0, 2},     {ThreeLines, 1, 4, 6},    {ThreeLines, 2, 7, 9},
        {ThreeLines, 3, 9, 9},     {ThreeLines, 4, -1, 9},   {ThreeLines, 1L << 30, -1, 9},
        {CrLfEnd, 0, 0, 1},        {CrLfEnd, 1, 3, 3},       {CrLfEnd, 2, 3, 3},
        {CrLfEnd, 3, -1, 3},       {std::string(), 0, 0, 0}, {std::string(), 1, 0, 0},
        {std::string(), 2, -1, 0}, {ThreeLines, -2, 4, 0},   {LoneCr, 0, 0, 1},
        {LoneCr, 1, 2, 4},         {LoneCr, 2, 6, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "line " << c.line << " of " << c.text.size());
        EXPECT_EQ(PositionFromLine(c.text, c.line, 5), c.lineStart); // a negative line: the caret's
        EXPECT_EQ(LineEndPosition(c.text, c.line), c.lineEnd);
    }
    EXPECT_EQ(LineCount(ThreeLines), 3);
    EXPECT_EQ(LineCount(CrLfEnd), 2);
    EXPECT_EQ(LineCount(""), 1);
}

TEST(HostText, RelativePositionsStayInsideTheText) {
    struct Case {
        long pos, offset, result;
    } cases[] = {
        {0, 9, 9},    {0, 10, 0},          {4, -4, 0},
        {4, -5, 0},   {4, -2, 2},          {9, 0, 9},
        {20, -12, 8}, {2147483647L, 1, 0}, {-2147483647L - 1, -1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PositionRelative(ThreeLines, c.pos, c.offset), c.result)
            << c.pos << " " << c.offset;
}

// SCI_COUNTCHARACTERS: "\xD0\x96" is one UTF-8 character.
TEST(HostText, CharactersAreCountedBetweenPositions) {
    const std::string text = "a\xD0\x96"
                             "b";
    struct Case {
        long start, end, bytes, characters;
    } cases[] = {{0, 4, 4, 3}, {1, 3, 2, 1}, {-5, 99, 4, 3}, {3, 1, 0, 0}, {2, 4, 2, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(CountCharacters(text, c.start, c.end, false), c.bytes) << c.start << " " << c.end;
        EXPECT_EQ(CountCharacters(text, c.start, c.end, true), c.characters) << c.start;
    }
}

TEST(HostText, SecondStartRequests) {
    StartRequest r = ParseStartRequest({"HostIde.exe", "a.pb", "/L", "12", "b c.pb"});
    EXPECT_EQ(r.Files, (std::vector<std::string>{"a.pb", "b c.pb"}));
    EXPECT_EQ(r.Line, 12);
    r = ParseStartRequest({"HostIde.exe", "a.pb", "/l", "x", "/L"});
    EXPECT_EQ(r.Files, (std::vector<std::string>{"a.pb", "/L"}));
    EXPECT_EQ(r.Line, 0);

    // 'ONCE': at most COUNT files are taken; IDE and COUNT must be there.
    struct Once {
        const char* text;
        bool parsed;
        long line;
        std::vector<std::string> files;
    } onces[] = {
        {"C:\\ide.exe\n2\n7\nC:\\a.pb\nC:\\b.pb", true, 7, {"C:\\a.pb", "C:\\b.pb"}},
        {"C:\\ide.exe\n1\n0\nC:\\a.pb\nC:\\b.pb", true, 0, {"C:\\a.pb"}},
        {"C:\\ide.exe\n5\n3\nC:\\a.pb", true, 3, {"C:\\a.pb"}},
        {"C:\\ide.exe\n-1\n3\nC:\\a.pb", true, 3, {}},
        {"C:\\ide.exe", false, 0, {}},
    };
    for (const Once& o : onces) {
        OnceRequest r;
        EXPECT_EQ(ParseOnceText(o.text, r), o.parsed) << o.text;
        if (!o.parsed) continue;
        EXPECT_EQ(r.Ide, "C:\\ide.exe");
        EXPECT_EQ(r.Line, o.line) << o.text;
        EXPECT_EQ(r.Files, o.files) << o.text;
    }
    OnceRequest r2;
    ASSERT_TRUE(ParseOnceText(OnceText({"x.exe", {"a", "b"}, 4}), r2));
    EXPECT_EQ(r2.Files, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(r2.Line, 4);

    EXPECT_EQ(PreferencesKey("C:\\Users\\x\\PureBasic.prefs"),
              PreferencesKey("c:\\users\\X\\purebasic.PREFS"));
    EXPECT_NE(PreferencesKey("C:\\a.prefs"), PreferencesKey("C:\\b.prefs"));
}

TEST(HostText, ToolArgumentsAreExpandedOnce) {
    struct Case {
        const char* arguments;
        const char* file;
        const char* expanded;
    } cases[] = {
        {"\"%FILE\"\"%CURSOR\"", "C:\\a b.pb", "\"C:\\a b.pb\"\"3x4\""},
        {"%FILE %FILE", "x", "x x"},
        {"%FILE", "C:\\%CURSOR.pb", "C:\\%CURSOR.pb"},
        {"%FILES%CURSORS", "x", "xS3x4S"},
        {"%file %cursor %", "x", "%file %cursor %"},
        {"", "x", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandToolArguments(c.arguments, c.file, "3x4"), c.expanded) << c.arguments;
}

TEST(HostText, EnvironmentReplacesVariablesOfAnyCase) {
    const char inherited[] = "A=1\0pb_tool_mainwindow=old\0=C:=C:\\\0B=x=y\0";
    std::string block =
        BuildEnvironment(inherited, {{"PB_TOOL_MainWindow", "5"}, {"PB_TOOL_FileList", "a\nb"}});
    EXPECT_EQ(block, std::string("A=1\0=C:=C:\\\0B=x=y\0PB_TOOL_MainWindow=5\0"
                                 "PB_TOOL_FileList=a\nb\0\0",
                                 61));
    EXPECT_EQ(BuildEnvironment("", {}), std::string(2, '\0'));
    EXPECT_EQ(BuildEnvironment(inherited, {}, {"b", "PB_TOOL_Scintilla"}),
              std::string("A=1\0pb_tool_mainwindow=old\0=C:=C:\\\0\0", 36));

    std::vector<std::pair<std::string, std::string>> vars = {{"PB_TOOL_IDE", "C:\\ide.exe"},
                                                             {"PB_TOOL_Cursor", "1x1"}};
    ChangeToolVariables(vars, {"pb_tool_ide", "PB_TOOL_Cursor=2x2", "X=a=b", "PB_TOOL_IDE=new"});
    EXPECT_EQ(vars, (std::vector<std::pair<std::string, std::string>>{
                        {"PB_TOOL_Cursor", "2x2"}, {"X", "a=b"}, {"PB_TOOL_IDE", "new"}}));
    ChangeToolVariables(vars, {"x", "Missing"});
    EXPECT_EQ(vars.size(), 2u);
}

TEST(HostText, FileListAndCommandLine) {
    EXPECT_EQ(JoinFileList({"C:\\a.pb", "D:\\b c.pb"}), "C:\\a.pb\nD:\\b c.pb");
    EXPECT_EQ(JoinFileList({}), "");
    EXPECT_EQ(SplitHostCommandLine("\"C:\\x y\\HostIde.exe\"  \"a b.pb\"\tc.pb d\"\"e.pb"),
              (std::vector<std::string>{"C:\\x y\\HostIde.exe", "a b.pb", "c.pb", "de.pb"}));
}

} // namespace
