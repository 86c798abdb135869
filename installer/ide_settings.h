// How the IDE keeps its tools and toolbar in its preference files, for the
// installation and the uninstall alike.
#pragma once
#include <cstdint>
#include <string>

// The files in the IDE's preferences folder, and the backups made before
// either is changed.
constexpr const char* ToolsFile = "Tools.prefs";
constexpr const char* ToolsBackup = "Tools2.prefs";
constexpr const char* MainFile = "PureBasic.prefs";
constexpr const char* MainBackup = "PureBasic1.prefs";

// Tools.prefs: [ToolsInfo] ToolCount = n, then groups Tool_0 to Tool_<n-1>.
constexpr const char* ToolsInfoGroup = "ToolsInfo";
constexpr const char* ToolCountKey = "ToolCount";
constexpr const char* ToolGroupPrefix = "Tool_";
constexpr const char* CommandKey = "Command";
constexpr const char* MenuItemNameKey = "MenuItemName";
// The IDE holds at most this many tools.
constexpr int MaxTools = 100;
// What the IDE's own tools dialog writes for an empty tool list.
constexpr const char* EmptyToolsFile = "[ToolsInfo]\r\nToolCount = 0\r\n";

// PureBasic.prefs: the IDE reads its toolbar from ToolbarNew whenever that
// group exists, else from Toolbar: ItemCount = n, then Icon_1/Action_1 to
// Icon_<n>/Action_<n>.
constexpr const char* NewToolbarGroup = "ToolbarNew";
constexpr const char* OldToolbarGroup = "Toolbar";
constexpr const char* ItemCountKey = "ItemCount";
constexpr const char* IconKeyPrefix = "Icon_";
constexpr const char* ActionKeyPrefix = "Action_";
// Icon values: an icon file, or a separator; action values: a tool by name.
constexpr const char* ExternalIcon = "External:";
constexpr const char* SeparatorIcon = "Separator";
constexpr const char* ToolAction = "Tool:";
// The IDE holds its toolbar in a fixed array of this many items and does not
// check the bound when it reads, so we never write past it.
constexpr int MaxToolbarItems = 50;

inline std::string NumberedKey(const char* prefix, int64_t number) {
    return prefix + std::to_string(number);
}
