#include "installer/uninstall_plan.h"

#include <gtest/gtest.h>

namespace {

const std::string F = "C:\\Tools\\Tolvane\\";

std::string Group(const std::string& name, const std::string& command,
                  const std::string& more = "") {
    return "[" + name + "]\r\nCommand = " + command + "\r\n" + more;
}

struct Outcome {
    std::string Tools, Main;
    int Entries = 0, Items = 0;
    bool ToolsChanged = false, MainChanged = false, Refused = false;
    std::vector<std::string> IconFolders;
};

// As the uninstall goes: nothing changes when ToolCount does not cover the entries.
Outcome Uninstall(const std::string& tools, const std::string& main) {
    PrefsDocument toolsDoc = ParsePrefsDocument(tools), mainDoc = ParsePrefsDocument(main);
    ToolsFindings found = FindTolvaneEntries(toolsDoc);
    Outcome outcome;
    outcome.Refused = !found.CountCoversEntries;
    if (outcome.Refused) return outcome;
    ToolbarRemoval removal = RemoveTolvaneToolbarItems(mainDoc, found);
    outcome.Items = removal.Items;
    outcome.IconFolders = removal.IconFolders;
    outcome.Entries = RemoveTolvaneEntries(toolsDoc);
    outcome.Tools = FormatPrefsDocument(toolsDoc);
    outcome.Main = FormatPrefsDocument(mainDoc);
    outcome.ToolsChanged = toolsDoc.Changed;
    outcome.MainChanged = mainDoc.Changed;
    return outcome;
}

TEST(UninstallPlan, TolvaneFolderOfCommand) {
    struct {
        const char* Command;
        const char* Folder;
    } cases[] = {
        {"C:\\Tools\\Tolvane\\Quillet.exe", "C:\\Tools\\Tolvane\\"},
        {"d:/x/TOLVANE/brannow.EXE", "d:/x/TOLVANE/"},
        {" \"C:\\Tools\\Tolvane\\Quillet.exe\" ", "C:\\Tools\\Tolvane\\"},
        {"C:\\Tools\\Tolvane\\Quillet.exe  ", "C:\\Tools\\Tolvane\\"},
        {"\"C:\\Tolvane\\Quillet.exe", ""},
        {"\"C:\\Tolvane\\x\" Quillet.exe", ""},
        {"Tolvane\\Zemrick.exe", "Tolvane\\"},
        {"\\\\server\\share\\Tolvane\\Tolvane.exe", "\\\\server\\share\\Tolvane\\"},
        {"C:\\Tools\\MyTolvane\\Quillet.exe", ""},
        {"C:\\Tolvane2\\Quillet.exe", ""},
        {"C:\\Tolvane\\Other.exe", ""},
        {"C:\\Tolvane\\sub\\Quillet.exe", ""},
        {"Quillet.exe", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TolvaneFolderOfCommand(c.Command), c.Folder) << c.Command;
}

// The usual cases run through the real program; here the files it may meet.
// Removed -1: refused, the IDE does not read every entry.
TEST(UninstallPlan, BadToolsFiles) {
    struct {
        const char* Name;
        std::string Before, After;
        int Removed;
    } cases[] = {
        {"ToolCount too small",
         "[ToolsInfo]\r\nToolCount = 1\r\n" + Group("Tool_0", "a.exe") +
             Group("Tool_1", F + "Quillet.exe"),
         "", -1},
        {"ToolCount negative",
         "[ToolsInfo]\r\nToolCount = -1\r\n" + Group("Tool_0", F + "Quillet.exe"), "", -1},
        {"ToolCount junk", "[ToolsInfo]\r\nToolCount = 2x\r\n" + Group("Tool_0", F + "Quillet.exe"),
         "", -1},
        {"no ToolCount", Group("Tool_0", F + "Quillet.exe"), "", -1},
        {"ToolCount too large, gaps in the numbers",
         "[ToolsInfo]\r\nToolCount = 9\r\n" + Group("Tool_0", F + "Tolvane.exe") +
             Group("Tool_3", "a.exe") + Group("Tool_7", "b.exe"),
         "[ToolsInfo]\r\nToolCount = 2\r\n" + Group("Tool_0", "a.exe") + Group("Tool_1", "b.exe"),
         1},
        {"groups out of order",
         "[ToolsInfo]\r\nToolCount = 3\r\n" + Group("Tool_2", "b.exe") +
             Group("Tool_0", F + "Quillet.exe") + Group("Tool_1", "a.exe"),
         "[ToolsInfo]\r\nToolCount = 2\r\n" + Group("Tool_1", "b.exe") + Group("Tool_0", "a.exe"),
         1},
        {"duplicate groups keep their file order",
         Group("Tool_1", "a.exe") + Group("Tool_0", F + "Quillet.exe") + Group("tool_1", "b.exe") +
             "[ToolsInfo]\r\nToolCount = 2\r\n",
         Group("Tool_0", "a.exe") + Group("tool_1", "b.exe") + "[ToolsInfo]\r\nToolCount = 2\r\n",
         1},
        {"groups that cannot be placed stay",
         "[ToolsInfo]\r\nToolCount = 3\r\n" + Group("Tool_x", F + "Quillet.exe") +
             Group("Tool_007", "a.exe") + Group("Tool_-1", "b.exe") +
             Group("Tool_99999999999", "c.exe") + Group("Tool_1", F + "Quillet.exe") +
             Group("Tool_2", "d.exe"),
         "[ToolsInfo]\r\nToolCount = 1\r\n" + Group("Tool_x", F + "Quillet.exe") +
             Group("Tool_007", "a.exe") + Group("Tool_-1", "b.exe") +
             Group("Tool_99999999999", "c.exe") + Group("Tool_0", "d.exe"),
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Outcome outcome = Uninstall(c.Before, "");
        EXPECT_EQ(outcome.Refused, c.Removed < 0);
        EXPECT_EQ(outcome.Tools, c.After);
        EXPECT_EQ(outcome.Entries, std::max(c.Removed, 0));
    }
}

TEST(UninstallPlan, NothingOfTolvaneChangesNothing) {
    const std::string tools = "[ToolsInfo]\nToolCount=3\n" +
                              Group("Tool_0", "C:\\MyTolvane\\Quillet.exe") +
                              Group("Tool_2", "C:\\Tolvane\\x.exe");
    const std::string main = "[Toolbar]\nItemCount=1\nIcon_1=External:C:\\Tolvane\\a.ico\n";
    Outcome outcome = Uninstall(tools, main);
    EXPECT_EQ(outcome.Entries, 0);
    EXPECT_EQ(outcome.Items, 0);
    EXPECT_FALSE(outcome.ToolsChanged);
    EXPECT_FALSE(outcome.MainChanged);
}

std::string Item(int number, const std::string& icon, const std::string& action) {
    return "Icon_" + std::to_string(number) + " = " + icon + "\r\nAction_" +
           std::to_string(number) + " = " + action + "\r\n";
}

TEST(UninstallPlan, BadToolbars) {
    const std::string tools = "[ToolsInfo]\r\nToolCount = 3\r\n" +
                              Group("Tool_0", F + "Quillet.exe", "MenuItemName = Recorder\r\n") +
                              Group("Tool_1", F + "Tolvane.exe", "MenuItemName = Setup\r\n") +
                              Group("Tool_2", "C:\\Diff.exe", "MenuItemName = Mine\r\n");
    const std::string old = "External:D:\\Old\\Tolvane\\Back.ico";
    const std::string recorder = "External:" + F + "Anker.ico";
    struct {
        const char* Name;
        std::string Before, After;
        int Removed;
    } cases[] = {
        {"an icon deeper inside the folder goes only with its tool",
         "[Toolbar]\r\nItemCount = 2\r\n" +
             Item(1, "External:" + F + "Icons\\T.ico", "Tool:Setup") +
             Item(2, "External:" + F + "Icons\\T.ico", "Tool:Mine"),
         "[Toolbar]\r\nItemCount = 1\r\n" + Item(1, "External:" + F + "Icons\\T.ico", "Tool:Mine"),
         1},
        {"a negative ItemCount, items beyond it and out of range",
         "[Toolbar]\r\nItemCount = -4\r\n" + Item(0, recorder, "") + Item(2, recorder, "") +
             Item(3, "Standard:Save", "Menu:Save") + Item(51, recorder, ""),
         "[Toolbar]\r\nItemCount = 1\r\n" + Item(0, recorder, "") +
             Item(1, "Standard:Save", "Menu:Save") + Item(51, recorder, ""),
         1},
        {"duplicate keys go with their item",
         "[Toolbar]\r\nItemCount = 2\r\n" + Item(1, recorder, "") + "Icon_1 = Standard:New\r\n" +
             Item(2, "Standard:Save", "") + "icon_2 = Other\r\n",
         "[Toolbar]\r\nItemCount = 1\r\n" + Item(1, "Standard:Save", "") + "Icon_1 = Other\r\n", 1},
        {"no toolbar group", "[Editor]\r\nX = 1\r\n", "[Editor]\r\nX = 1\r\n", 0},
        {"a button given a built-in icon, an icon path in other letters and slashes",
         "[Toolbar]\r\nItemCount = 3\r\n" + Item(1, "Separator", "") +
             Item(2, "Standard:Find", "Tool:Recorder") +
             Item(3, "External:c:/tools/TOLVANE/Anker.ico", "Menu:Save"),
         "[Toolbar]\r\nItemCount = 0\r\n", 3},
        {"a button of an entry deleted by hand, beside the user's own",
         "[Toolbar]\r\nItemCount = 4\r\n" + Item(1, old, "Tool:Back") + Item(2, old, "Tool:Mine") +
             Item(3, "Standard:Find", "Tool:Mine") + Item(4, "Standard:Find", "Tool:Gone"),
         "[Toolbar]\r\nItemCount = 3\r\n" + Item(1, old, "Tool:Mine") +
             Item(2, "Standard:Find", "Tool:Mine") + Item(3, "Standard:Find", "Tool:Gone"),
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Outcome outcome = Uninstall(tools, c.Before);
        EXPECT_EQ(outcome.Main, c.After);
        EXPECT_EQ(outcome.Items, c.Removed);
        EXPECT_EQ(outcome.Entries, 2);
    }
}

// Tools.prefs emptied: the buttons are still known by their folder.
TEST(UninstallPlan, ButtonsWithoutEntries) {
    const std::string main = "[Toolbar]\r\nItemCount = 4\r\n" + Item(1, "Separator", "") +
                             Item(2, "External:" + F + "Anker.ico", "Tool:Recorder") +
                             Item(3, "External:" + F + "Sub\\x.ico", "Tool:Other") +
                             Item(4, "External:C:\\Mine\\x.ico", "Tool:Gone");
    Outcome outcome = Uninstall("", main);
    EXPECT_EQ(outcome.Main, "[Toolbar]\r\nItemCount = 2\r\n" +
                                Item(1, "External:" + F + "Sub\\x.ico", "Tool:Other") +
                                Item(2, "External:C:\\Mine\\x.ico", "Tool:Gone"));
    EXPECT_EQ(outcome.Items, 2);
    EXPECT_EQ(outcome.IconFolders, std::vector<std::string>{F});
    EXPECT_FALSE(outcome.ToolsChanged);
}

TEST(UninstallPlan, UninstallSwitch) {
    struct {
        const char* CommandLine;
        bool Uninstall;
    } cases[] = {
        {"Tolvane.exe /uninstall", true},
        {"\"C:\\a b\\Tolvane.exe\" x /UnInstall y", true},
        {"Tolvane.exe \"/uninstall\"", true},
        {"Tolvane.exe", false},
        {"/uninstall", false},
        {"Tolvane.exe /uninstallx", false},
        {"Tolvane.exe \"C:\\a /uninstall b.pb\"\"12x3\"", false},
        {"Tolvane.exe \"C:\\a.pb\"\"%CURSOR\"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HasUninstallSwitch(c.CommandLine), c.Uninstall) << c.CommandLine;
}

} // namespace
