#include "ide/command_line.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* CommandLine;
    std::vector<std::string> Parameters; // program path first
};

const SplitCase SplitCases[] = {
    {"", {}},
    {"   ", {}},
    {"Quillet.exe", {"Quillet.exe"}},
    // The IDE's template "%FILE""%CURSOR" with blanks in both paths.
    {R"("C:\Tools\Tolvane\Quillet.exe" "C:\My Files\a b.pb""12 34")",
     {R"(C:\Tools\Tolvane\Quillet.exe)", R"(C:\My Files\a b.pb)", "12 34"}},
    {R"("prog""a")", {"prog", "a"}},
    {R"(q "a""b")", {"q", "a", "b"}},
    {R"(q """")", {"q", "", ""}},
    {R"(q "" x)", {"q", "", "x"}},
    {R"(q "a"b)", {"q", "a", "b"}},
    {"q a\tb c", {"q", "a\tb", "c"}},
    {R"(q ab"cd ef")", {"q", R"(ab"cd)", R"(ef")"}},
    {R"(q "unclosed rest  )", {"q", "unclosed rest  "}},
    {R"(q ")", {"q", ""}},
    {"  q   a    b   ", {"q", "a", "b"}},
    {"q \"C:\\\xC4\xFC\\\x80\xFF.pb\" 1", {"q", "C:\\\xC4\xFC\\\x80\xFF.pb", "1"}},
};

TEST(SplitCommandLine, FollowsTheToolRule) {
    for (const SplitCase& c : SplitCases)
        EXPECT_EQ(SplitCommandLine(c.CommandLine), c.Parameters)
            << "command line: " << c.CommandLine;
}

TEST(CommandLineParameter, CountsFromTheFirstParameterAfterTheProgram) {
    const std::string commandLine = R"("C:\Q.exe" "file.pb""7" extra)";
    EXPECT_EQ(CommandLineParameter(commandLine, 0), "file.pb");
    EXPECT_EQ(CommandLineParameter(commandLine, 1), "7");
    EXPECT_EQ(CommandLineParameter(commandLine, 2), "extra");
    EXPECT_EQ(CommandLineParameter(commandLine, 3), "");
    EXPECT_EQ(CommandLineParameter(commandLine, -1), "");
    EXPECT_EQ(CommandLineParameter("Q.exe", 0), "");
    EXPECT_EQ(CommandLineParameter("", 0), "");
}

TEST(SplitCommandLine, CopesWithTheLongestCommandLine) {
    std::string blanks(32000, ' ');
    std::string quotes(32000, '"');
    std::string longParameter = "q \"" + std::string(31990, 'x');
    EXPECT_TRUE(SplitCommandLine(blanks).empty());
    EXPECT_EQ(SplitCommandLine(quotes).size(), 16000u);
    EXPECT_EQ(CommandLineParameter(longParameter, 0), std::string(31990, 'x'));
}

} // namespace
