// Carries out an installation: creates the installation folder, copies the
// chosen tools and their icons into it, and registers them in the IDE's
// Tools.prefs and on its toolbar in PureBasic.prefs. A file is changed only
// after its backup holds exactly its bytes, a toolbar button only goes with
// a tool entry that is on disk, and whatever failed is told in one message
// at the end; a complete installation stays silent.
#include "installer/installation.h"

#include "common/environment.h"
#include "common/file_text.h"
#include "installer/control_numbers.h"
#include "installer/ide_files.h"
#include "installer/installation_plan.h"
#include "installer/installer_state.h"
#include "installer/message_texts.h"
#include "installer/window_layer.h"
#include "prefs/prefs.h"

#include <windows.h>

namespace {

// Copies a file into the installation folder, noting its name there when the copy fails.
void CopyInto(const std::string& from, const std::string& folder, const std::string& name,
              InstallFailures& failures) {
    if (!CopyFileA(from.c_str(), (folder + name).c_str(), FALSE))
        failures.NotCopied.push_back(name);
}

// The IDE starts the installed copy of this program in the installation
// folder. Without its language files, icons and tools beside it there, it
// would offer no language to choose and could install nothing.
void CopyProgramFolders(const std::string& installFolder, InstallFailures& failures) {
    for (const char* folder : {"Sprachen", "Icons", "Plugins"}) {
        const std::string target = installFolder + folder + "\\";
        CreateDirectoryA(FolderToCreate(target).c_str(), nullptr);
        for (const std::string& name : CopyFolderFiles(folder, target))
            failures.NotCopied.push_back(std::string(folder) + "\\" + name);
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
    choice.Enabled = GetControlState(tool.EnableBox);
    choice.InMenu = GetControlState(tool.MenuBox);
    choice.OnToolbar = GetControlState(tool.ToolbarBox);
    choice.WithShortcut = GetControlState(tool.ShortcutBox);
    return choice;
}

// The clearer entry, then one entry per enabled tool, numbered on from
// ToolCount. False when Tools.prefs was left unchanged: nothing is registered.
bool RegisterTools(const std::string& ideFolder, const std::string& installFolder,
                   const ToolChoice (&tools)[ToolCount], bool withClearer,
                   InstallFailures& failures) {
    auto addEntries = [&] {
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
            CopyInto("Plugins\\Zemrick.exe", installFolder, "Zemrick.exe", failures);
            addEntry(ClearerEntryKeys(installFolder));
        }
        for (const ToolChoice& tool : tools) {
            if (!tool.Enabled) continue;
            CopyInto("Plugins\\" + tool.ExeName, installFolder, tool.ExeName, failures);
            addEntry(CatalogueEntryKeys(tool, installFolder));
        }
        SelectPrefsGroup("ToolsInfo");
        WritePrefsLong("ToolCount", count);
    };
    return ChangePrefsFile(ideFolder + "Tools.prefs", ideFolder + "Tools2.prefs", addEntries,
                           failures.Files);
}

// The IDE reads its toolbar from "ToolbarNew" whenever that group exists, so
// buttons written to "Toolbar" beside it would never show.
void AddToolbarItems(const std::string& ideFolder, const std::string& installFolder,
                     const ToolChoice (&tools)[ToolCount], InstallFailures& failures) {
    auto addItems = [&] {
        const char* group = SelectPrefsGroup("ToolbarNew") ? "ToolbarNew" : "Toolbar";
        SelectPrefsGroup(group);
        int32_t existing = ReadPrefsLong("ItemCount", 0);
        ToolbarPlan plan = PlanToolbar(tools, installFolder, existing);
        for (const auto& [from, to] : plan.IconCopies)
            if (!CopyFileA(from.c_str(), to.c_str(), FALSE))
                failures.NotCopied.push_back(to.substr(installFolder.size()));
        for (const ToolbarItem& item : plan.Items) {
            WritePrefsString("Icon_" + std::to_string(item.Number), item.Icon);
            WritePrefsString("Action_" + std::to_string(item.Number), item.Action);
        }
        SelectPrefsGroup(group);
        WritePrefsLong("ItemCount", plan.ItemCount);
    };
    if (!ChangePrefsFile(ideFolder + "PureBasic.prefs", ideFolder + "PureBasic1.prefs", addItems,
                         failures.Files))
        failures.NoButtons = true;
}

void ReportFailures(const InstallFailures& failures, const std::string& installFolder) {
    if (!failures.Any()) return;
    ShowMessage("Tolvane", InstallReport(Messages(), failures, installFolder));
}

} // namespace

void RunInstallation(const std::string& baseFolder) {
    const std::string installFolder = InstallFolder(baseFolder);
    const std::string ideFolder = IdePrefsFolder();
    ToolChoice tools[ToolCount];
    for (int i = 0; i < ToolCount; ++i)
        tools[i] = ChoiceOfRow(ToolTable[i]);

    InstallFailures failures;
    CreateDirectoryA(FolderToCreate(installFolder).c_str(), nullptr);
    if (!RegisterTools(ideFolder, installFolder, tools, GetControlState(ClearerBox), failures)) {
        failures.NothingRegistered = true;
    } else {
        if (InstallsTolvane(tools)) CopyProgramFolders(installFolder, failures);
        AddToolbarItems(ideFolder, installFolder, tools, failures);
    }
    ReportFailures(failures, installFolder);
}
