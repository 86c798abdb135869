// Carries out an installation: creates the installation folder, copies the
// chosen tools and their icons into it, and registers them in the IDE's
// Tools.prefs and on its toolbar in PureBasic.prefs, each file first copied
// to a backup. Nothing is reported and no step is undone: the main window
// ends the program right after.
#include "installer/installation.h"

#include "common/environment.h"
#include "common/file_text.h"
#include "installer/control_numbers.h"
#include "installer/installation_plan.h"
#include "installer/installer_state.h"
#include "installer/window_layer.h"
#include "prefs/prefs.h"

#include <windows.h>

namespace {

void CopyReplacing(const std::string& from, const std::string& to) {
    CopyFileA(from.c_str(), to.c_str(), FALSE);
}

// The IDE starts the installed copy of this program in the installation
// folder. Without its language files, icons and tools beside it there, it
// would offer no language to choose and could install nothing.
void CopyProgramFolders(const std::string& installFolder) {
    for (const char* folder : {"Sprachen", "Icons", "Plugins"}) {
        const std::string target = installFolder + folder + "\\";
        CreateDirectoryA(FolderToCreate(target).c_str(), nullptr);
        CopyFolderFiles(folder, target);
    }
}

void WriteItems(const std::vector<PrefsItem>& items) {
    for (const PrefsItem& item : items) {
        if (item.IsNumber)
            WritePrefsLong(item.Key, item.Number);
        else
            WritePrefsString(item.Key, item.Text);
    }
}

ToolChoice ChoiceOfRow(const ToolEntry& tool) {
    ToolChoice choice;
    choice.MenuItemName = tool.MenuItemName;
    choice.ExeName = tool.ExeName;
    choice.IconPath = tool.IconPath;
    choice.Arguments = tool.Arguments;
    choice.ShortcutCode = tool.ShortcutCode;
    choice.Enabled = GetControlState(tool.EnableBox) == 1;
    choice.InMenu = GetControlState(tool.MenuBox) == 1;
    choice.OnToolbar = GetControlState(tool.ToolbarBox) == 1;
    choice.WithShortcut = GetControlState(tool.ShortcutBox) == 1;
    return choice;
}

// The clearer entry, then one entry per enabled tool, numbered on from
// ToolCount. False when Tools.prefs cannot be opened: the installation stops.
bool RegisterTools(const std::string& toolsPrefs, const std::string& installFolder,
                   const ToolChoice (&tools)[ToolCount], bool withClearer) {
    if (!OpenPrefs(toolsPrefs)) return false;
    SelectPrefsGroup("ToolsInfo");
    int32_t count = ReadPrefsLong("ToolCount", 0);
    auto addEntry = [&](const std::vector<PrefsItem>& keys) {
        SelectPrefsGroup("Tool_" + std::to_string(count));
        WriteItems(keys);
        // A corrupt ToolCount near the top of the range wraps instead of
        // overflowing: the numbers are garbage then, but defined garbage.
        count = int32_t(uint32_t(count) + 1u);
    };
    if (withClearer) {
        CopyReplacing("Plugins\\Zemrick.exe", installFolder + "Zemrick.exe");
        addEntry(ClearerEntryKeys(installFolder));
    }
    for (const ToolChoice& tool : tools) {
        if (!tool.Enabled) continue;
        CopyReplacing("Plugins\\" + tool.ExeName, installFolder + tool.ExeName);
        addEntry(CatalogueEntryKeys(tool, installFolder));
    }
    SelectPrefsGroup("ToolsInfo");
    WritePrefsLong("ToolCount", count);
    ClosePrefs();
    return true;
}

// The IDE reads its toolbar from "ToolbarNew" whenever that group exists, so
// buttons written to "Toolbar" beside it would never show.
void AddToolbarItems(const std::string& mainPrefs, const std::string& installFolder,
                     const ToolChoice (&tools)[ToolCount]) {
    if (!OpenPrefs(mainPrefs)) return;
    const char* group = SelectPrefsGroup("ToolbarNew") ? "ToolbarNew" : "Toolbar";
    SelectPrefsGroup(group);
    int32_t existing = ReadPrefsLong("ItemCount", 0);
    ToolbarPlan plan = PlanToolbar(tools, installFolder, existing);
    for (const auto& [from, to] : plan.IconCopies)
        CopyReplacing(from, to);
    for (const ToolbarItem& item : plan.Items) {
        WritePrefsString("Icon_" + std::to_string(item.Number), item.Icon);
        WritePrefsString("Action_" + std::to_string(item.Number), item.Action);
    }
    SelectPrefsGroup(group);
    WritePrefsLong("ItemCount", plan.ItemCount);
    ClosePrefs();
}

} // namespace

int RunInstallation(const std::string& baseFolder) {
    const std::string installFolder = InstallFolder(baseFolder);
    const std::string ideFolder = IdePrefsFolder();
    ToolChoice tools[ToolCount];
    for (int i = 0; i < ToolCount; ++i)
        tools[i] = ChoiceOfRow(ToolTable[i]);

    CreateDirectoryA(FolderToCreate(installFolder).c_str(), nullptr);
    CopyReplacing(ideFolder + "Tools.prefs", ideFolder + "Tools2.prefs");
    if (!RegisterTools(ideFolder + "Tools.prefs", installFolder, tools,
                       GetControlState(ClearerBox) == 1))
        return 0;
    if (InstallsTolvane(tools)) CopyProgramFolders(installFolder);
    CopyReplacing(ideFolder + "PureBasic.prefs", ideFolder + "PureBasic1.prefs");
    AddToolbarItems(ideFolder + "PureBasic.prefs", installFolder, tools);
    return 0;
}
