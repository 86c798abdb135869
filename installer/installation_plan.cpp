#include "installer/installation_plan.h"

#include <algorithm>

namespace {

PrefsItem Text(const char* key, const std::string& text) {
    return {key, text, false, 0};
}
PrefsItem Number(const char* key, int32_t number) {
    return {key, std::to_string(number), true, number};
}

// The thirteen keys of a tool entry, always in this order.
std::vector<PrefsItem> EntryKeys(const std::string& command, const std::string& arguments,
                                 const std::string& workingDir, const std::string& menuItemName,
                                 int32_t shortcut, int32_t trigger, int32_t flags,
                                 int32_t hideFromMenu) {
    return {Text(CommandKey, command),
            Text("Arguments", arguments),
            Text("WorkingDir", workingDir),
            Text(MenuItemNameKey, menuItemName),
            Number("Shortcut", shortcut),
            Text("ConfigLine", ""),
            Number("Trigger", trigger),
            Number("Flags", flags),
            Number("ReloadSource", 0),
            Number("HideEditor", 0),
            Number("HideFromMenu", hideFromMenu),
            Number("SourceSpecific", 0),
            Number("Deactivate", 0)};
}

constexpr int FollowerEntryCount = 4;

bool IsSeparatorAt(const std::string& path, size_t at) {
    return path[at] == '\\' || path[at] == '/';
}

ToolbarItem Separator() {
    return {0, SeparatorIcon, ""};
}

} // namespace

std::string NormaliseBaseFolder(const std::string& typed) {
    size_t first = typed.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    std::string folder = typed.substr(first, typed.find_last_not_of(" \t") + 1 - first);
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

std::vector<std::string> FolderChain(const std::string& folder) {
    std::vector<std::string> chain;
    for (size_t at = folder.find_first_of("\\/", 1); at != std::string::npos;
         at = folder.find_first_of("\\/", at + 1))
        if (!IsSeparatorAt(folder, at - 1)) chain.push_back(folder.substr(0, at));
    if (!folder.empty() && !IsSeparatorAt(folder, folder.size() - 1)) chain.push_back(folder);
    return chain;
}

std::string InstallFolder(const std::string& baseFolder) {
    return baseFolder + "Tolvane\\";
}

std::string FolderToCreate(const std::string& installFolder) {
    std::string path = installFolder.substr(0, 260);
    while (!path.empty() && (path.back() == ' ' || path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

std::string FileNameOfPath(const std::string& path) {
    if (!path.empty() && path[0] == '"') {
        std::string rest = path.substr(1);
        rest = rest.substr(0, rest.find('"'));
        return FileNameOfPath(rest);
    }
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::vector<PrefsItem> ClearerEntryKeys(const std::string& installFolder) {
    return EntryKeys(installFolder + "Zemrick.exe", "", installFolder, "", 0, 1, 3, 1);
}

std::vector<std::vector<PrefsItem>> FollowerEntryKeys(const std::string& installFolder,
                                                      bool sideButtons) {
    const struct {
        int32_t Trigger, Flags;
        const char* Event;
    } events[FollowerEntryCount] = {
        {1, 2, "STARTED"}, {8, 2, "LOADED"}, {9, 2, "SAVED"}, {13, 3, "CLOSING"}};
    const std::string last = sideButtons ? std::string(" ") + SideButtonsWord : "";
    std::vector<std::vector<PrefsItem>> entries;
    for (const auto& e : events)
        entries.push_back(EntryKeys(installFolder + FollowerExe,
                                    "\"%FILE\" \"" + std::string(e.Event) + "\" 20" + last,
                                    installFolder, "", 0, e.Trigger, e.Flags, 1));
    return entries;
}

int ToolEntriesNeeded(const InstallChoices& choices) {
    int needed = (choices.Clearer ? 1 : 0) + (choices.Follower ? FollowerEntryCount : 0);
    for (const ToolChoice& tool : choices.Tools)
        needed += tool.Enabled ? 1 : 0;
    return needed;
}

std::vector<PrefsItem> CatalogueEntryKeys(const ToolChoice& tool,
                                          const std::string& installFolder) {
    return EntryKeys(installFolder + tool.ExeName, tool.Arguments, installFolder, tool.MenuItemName,
                     tool.WithShortcut ? tool.ShortcutCode : 0, 0, tool.Flags, tool.InMenu ? 0 : 1);
}

bool InstallsTolvane(const ToolChoice (&tools)[ToolCount]) {
    for (int i = 0; i < ToolCount; ++i)
        if (ToolCatalogue[i].IsTolvane && tools[i].Enabled) return true;
    return false;
}

ToolbarPlan PlanToolbar(const ToolChoice (&tools)[ToolCount], const std::string& installFolder,
                        int32_t existingCount) {
    auto onToolbar = [&](int i, bool tolvane) {
        return ToolCatalogue[i].IsTolvane == tolvane && tools[i].Enabled && tools[i].OnToolbar;
    };
    auto button = [&](int i) {
        return ToolbarItem{0, ExternalIcon + installFolder + FileNameOfPath(tools[i].IconPath),
                           ToolAction + tools[i].MenuItemName};
    };
    // Each wanted item with the tool whose icon it needs (-1 for separators).
    // The configuration program's button stands apart, behind a separator of its own.
    std::vector<std::pair<ToolbarItem, int>> wanted;
    for (bool tolvane : {false, true}) {
        size_t separator = wanted.size();
        for (int i = 0; i < ToolCount; ++i)
            if (onToolbar(i, tolvane)) wanted.push_back({button(i), i});
        if (wanted.size() > separator) wanted.insert(wanted.begin() + separator, {Separator(), -1});
    }

    // A negative count is garbage: the items then start at 1.
    const int32_t existing = std::max<int32_t>(existingCount, 0);
    int64_t room = std::max<int64_t>(int64_t(MaxToolbarItems) - existing, 0);
    if (int64_t(wanted.size()) > room) wanted.resize(size_t(room));
    while (!wanted.empty() && wanted.back().second < 0)
        wanted.pop_back();

    ToolbarPlan plan;
    plan.ItemCount = existing;
    for (auto& [item, tool] : wanted) {
        item.Number = ++plan.ItemCount;
        plan.Items.push_back(item);
        if (tool >= 0)
            plan.IconCopies.push_back(
                {tools[tool].IconPath, installFolder + FileNameOfPath(tools[tool].IconPath)});
    }
    return plan;
}
