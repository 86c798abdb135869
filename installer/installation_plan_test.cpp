#include "installer/installation_plan.h"

#include <gtest/gtest.h>

namespace {

ToolChoice Tool(const std::string& name, const std::string& exe, const std::string& icon) {
    ToolChoice t;
    t.MenuItemName = name;
    t.ExeName = exe;
    t.IconPath = icon;
    t.Arguments = "\"%FILE\"\"%CURSOR\"";
    t.ShortcutCode = 0x20035;
    t.Enabled = t.InMenu = t.OnToolbar = t.WithShortcut = true;
    return t;
}

struct Catalogue {
    ToolChoice Tools[ToolCount] = {Tool("Back", "Brannow.exe", "Icons/Back.ico"),
                                   Tool("Mark", "Quillet.exe", "Icons/Anker.ico"),
                                   Tool("Forward", "Brannow.exe", "Icons/Forward.ico"),
                                   Tool("Setup", "Tolvane.exe", "Icons/Tolvane.ico")};
};

std::string Render(const std::vector<PrefsItem>& items) {
    std::string out;
    for (const auto& i : items)
        out += i.Key + (i.IsNumber ? " # " : " = ") + i.Text + "\n";
    return out;
}

std::vector<std::string> Icons(const ToolbarPlan& plan) {
    std::vector<std::string> out;
    for (const auto& item : plan.Items)
        out.push_back(item.Icon + " | " + item.Action);
    return out;
}

TEST(InstallFolder, IsBaseFolderGluedToTolvane) {
    EXPECT_EQ(InstallFolder("C:\\Tools\\"), "C:\\Tools\\Tolvane\\");
    EXPECT_EQ(InstallFolder("C:\\Tools"), "C:\\ToolsTolvane\\");
    EXPECT_EQ(InstallFolder(""), "Tolvane\\");
}

TEST(InstallFolder, FolderToCreateIsCutAndLosesTrailingSeparators) {
    EXPECT_EQ(FolderToCreate("C:\\Tools\\Tolvane\\"), "C:\\Tools\\Tolvane");
    EXPECT_EQ(FolderToCreate("Tolvane\\ /\\ "), "Tolvane");
    EXPECT_EQ(FolderToCreate(std::string(300, 'a')), std::string(260, 'a'));
    EXPECT_EQ(FolderToCreate(std::string(259, 'a') + "\\b"), std::string(259, 'a'));
}

TEST(FileNameOfPath, TakesThePartAfterTheLastSeparator) {
    const std::pair<const char*, const char*> cases[] = {
        {"Icons/Anker.ico", "Anker.ico"},
        {"C:\\My Icons\\x.ico", "x.ico"},
        {"a/b\\c.ico", "c.ico"},
        {"plain.ico", "plain.ico"},
        {"\"C:\\A B\\q.ico\" trailing", "q.ico"},
        {"\"unclosed\\name.ico", "name.ico"},
        {"C:\\folder\\", ""},
        {"", ""},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(FileNameOfPath(path), name) << path;
}

TEST(EntryKeys, ClearerEntryMatchesTheWorkedExample) {
    EXPECT_EQ(Render(ClearerEntryKeys("C:\\Tools\\Tolvane\\")),
              "Command = C:\\Tools\\Tolvane\\Zemrick.exe\n"
              "Arguments = \n"
              "WorkingDir = C:\\Tools\\Tolvane\\\n"
              "MenuItemName = \n"
              "Shortcut # 0\n"
              "ConfigLine = \n"
              "Trigger # 1\n"
              "Flags # 3\n"
              "ReloadSource # 0\n"
              "HideEditor # 0\n"
              "HideFromMenu # 1\n"
              "SourceSpecific # 0\n"
              "Deactivate # 0\n");
}

TEST(EntryKeys, CatalogueEntryFollowsTheRowBoxes) {
    Catalogue c;
    ToolChoice& t = c.Tools[1];
    EXPECT_EQ(Render(CatalogueEntryKeys(t, "C:\\Tools\\Tolvane\\")),
              "Command = C:\\Tools\\Tolvane\\Quillet.exe\n"
              "Arguments = \"%FILE\"\"%CURSOR\"\n"
              "WorkingDir = C:\\Tools\\Tolvane\\\n"
              "MenuItemName = Mark\n"
              "Shortcut # 131125\n"
              "ConfigLine = \n"
              "Trigger # 0\n"
              "Flags # 1\n"
              "ReloadSource # 0\n"
              "HideEditor # 0\n"
              "HideFromMenu # 0\n"
              "SourceSpecific # 0\n"
              "Deactivate # 0\n");

    t.WithShortcut = false;
    t.InMenu = false;
    t.Flags = 0; // a tool the IDE does not wait for
    auto keys = CatalogueEntryKeys(t, "F\\");
    EXPECT_EQ(keys[4].Number, 0);
    EXPECT_EQ(keys[7].Number, 0);
    EXPECT_EQ(keys[10].Number, 1);
}

// The follower's four entries end in the word for the side buttons, or not.
TEST(EntryKeys, FollowerEntriesOnTheIdesEvents) {
    for (bool sideButtons : {false, true}) {
        const auto entries = FollowerEntryKeys("F\\", sideButtons);
        std::string arguments;
        for (const auto& keys : entries)
            arguments += keys[1].Text + "|";
        EXPECT_EQ(arguments, sideButtons ? "\"%FILE\" \"STARTED\" 20 SIDEBUTTONS|"
                                           "\"%FILE\" \"LOADED\" 20 SIDEBUTTONS|"
                                           "\"%FILE\" \"SAVED\" 20 SIDEBUTTONS|"
                                           "\"%FILE\" \"CLOSING\" 20 SIDEBUTTONS|"
                                         : "\"%FILE\" \"STARTED\" 20|\"%FILE\" \"LOADED\" 20|"
                                           "\"%FILE\" \"SAVED\" 20|\"%FILE\" \"CLOSING\" 20|");
    }
}

// What the choices add to Tools.prefs, which the IDE's 100 tools must hold.
TEST(EntryKeys, EntriesNeededByTheChoices) {
    struct {
        bool Clearer, Follower, SideButtons;
        int EnabledTools, Needed;
    } cases[] = {
        {false, false, false, 0, 0}, {true, false, false, 0, 1}, {false, true, false, 0, 4},
        {false, true, true, 0, 4},   {false, false, true, 2, 2}, {true, true, true, 5, 10},
    };
    for (const auto& c : cases) {
        InstallChoices choices;
        choices.Clearer = c.Clearer;
        choices.Follower = c.Follower;
        choices.SideButtons = c.SideButtons;
        for (int i = 0; i < ToolCount; ++i)
            choices.Tools[i].Enabled = i < c.EnabledTools;
        EXPECT_EQ(ToolEntriesNeeded(choices), c.Needed)
            << c.Clearer << c.Follower << c.EnabledTools;
    }
}

TEST(Toolbar, DefaultCatalogueGetsTwoGroups) {
    Catalogue c;
    ToolbarPlan plan = PlanToolbar(c.Tools, "F\\", 7);
    EXPECT_EQ(Icons(plan), (std::vector<std::string>{
                               "Separator | ",
                               "External:F\\Back.ico | Tool:Back",
                               "External:F\\Anker.ico | Tool:Mark",
                               "External:F\\Forward.ico | Tool:Forward",
                               "Separator | ",
                               "External:F\\Tolvane.ico | Tool:Setup",
                           }));
    ASSERT_EQ(plan.IconCopies.size(), 4u);
    EXPECT_EQ(plan.IconCopies[0],
              std::make_pair(std::string("Icons/Back.ico"), std::string("F\\Back.ico")));
}

TEST(Toolbar, OnlyToolsThatAreEnabledAndOnTheToolbar) {
    Catalogue c;
    c.Tools[1].OnToolbar = false; // tools 0 and 2 but not 1
    c.Tools[3].Enabled = false;   // toolbar box checked, enable box clear
    ToolbarPlan plan = PlanToolbar(c.Tools, "F\\", 0);
    EXPECT_EQ(Icons(plan),
              (std::vector<std::string>{"Separator | ", "External:F\\Back.ico | Tool:Back",
                                        "External:F\\Forward.ico | Tool:Forward"}));
    EXPECT_EQ(plan.IconCopies.size(), 2u);

    Catalogue onlyTolvane;
    for (int i = 0; i < ToolCount; ++i)
        onlyTolvane.Tools[i].OnToolbar = ToolCatalogue[i].IsTolvane;
    EXPECT_EQ(Icons(PlanToolbar(onlyTolvane.Tools, "F\\", 0)),
              (std::vector<std::string>{"Separator | ", "External:F\\Tolvane.ico | Tool:Setup"}));
}

TEST(Toolbar, TolvaneItselfIsFoundByTheCatalogueFlag) {
    Catalogue c;
    EXPECT_TRUE(InstallsTolvane(c.Tools));
    for (int i = 0; i < ToolCount; ++i)
        if (ToolCatalogue[i].IsTolvane) c.Tools[i].Enabled = false;
    EXPECT_FALSE(InstallsTolvane(c.Tools));
    for (const CatalogueTool& tool : ToolCatalogue)
        EXPECT_EQ(tool.IsTolvane, std::string(tool.ExeName) == "Tolvane.exe") << tool.ExeName;
}

TEST(Toolbar, IconsOfOneFileNameShareOneCopy) {
    Catalogue c;
    c.Tools[0].IconPath = "C:\\elsewhere\\same.ico";
    c.Tools[2].IconPath = "D:/other/same.ico";
    ToolbarPlan plan = PlanToolbar(c.Tools, "F\\", 0);
    EXPECT_EQ(plan.IconCopies[0].second, "F\\same.ico");
    EXPECT_EQ(plan.IconCopies[2].second, "F\\same.ico");
    EXPECT_EQ(plan.Items[1].Icon, plan.Items[3].Icon);
}

TEST(Toolbar, NeverGrowsPastTheIdesLimit) {
    Catalogue c;
    struct Case {
        int32_t Existing;
        size_t Items;
        size_t Copies;
        int32_t ItemCount;
    } cases[] = {
        {44, 6, 4, 50},                       // exactly fills the 50
        {45, 4, 3, 49},                       // the second separator would have nothing behind it
        {47, 3, 2, 50},       {49, 0, 0, 49}, // a separator alone is no use
        {50, 0, 0, 50},       {60, 0, 0, 60},
        {-5, 6, 4, 6}, // a negative count counts as none: items from 1 on
        {INT32_MIN, 6, 4, 6},
    };
    for (const auto& k : cases) {
        ToolbarPlan plan = PlanToolbar(c.Tools, "F\\", k.Existing);
        EXPECT_EQ(plan.Items.size(), k.Items) << k.Existing;
        EXPECT_EQ(plan.IconCopies.size(), k.Copies) << k.Existing;
        EXPECT_EQ(plan.ItemCount, k.ItemCount) << k.Existing;
        // Numbered on without a gap, up to the new count.
        for (size_t i = 0; i < plan.Items.size(); ++i)
            EXPECT_EQ(plan.Items[i].Number, k.ItemCount - int32_t(plan.Items.size() - i) + 1)
                << k.Existing;
        if (!plan.Items.empty()) {
            EXPECT_GT(plan.Items[0].Number, 0) << k.Existing;
        }
    }
}

} // namespace
