// What belongs to Tolvane in the IDE's files, how it is taken out again, and
// whether the files' counts can be trusted (the installation numbers on
// from them), as plain functions over the files' line lists: no file is
// touched here.
// The Win32 flow (uninstall.cpp) reads the files, asks, and writes them back.
//
// A tool entry belongs to Tolvane when its Command (in quotes or not) names
// one of its six programs directly inside a folder named "Tolvane",
// whatever folder holds that; letter case and slash direction do not
// matter. A toolbar button belongs to it when its icon is "External:" + the
// folder of such an entry + a file name, or when its action names a tool
// ("Tool:" + menu item name) that no entry of the user's bears and either
// an entry of Tolvane's bore or whose icon lies directly inside a folder
// named "Tolvane": the buttons of entries deleted by hand. A separator goes
// with the removed button that directly follows it.
#pragma once
#include "prefs/prefs_format.h"

#include <cstdint>
#include <string>
#include <vector>

struct TolvaneEntry {
    std::string Folder; // ends in the separator after "Tolvane"
    std::string MenuItemName;
};

// What Tools.prefs holds.
struct ToolsFindings {
    std::vector<TolvaneEntry> Entries; // Tolvane's
    std::vector<std::string> UserToolNames;
    // ToolCount is a plain number above every entry's: otherwise the IDE
    // does not read all of them, and an installation may have written into
    // an entry of the user's that it took for free. Nothing is removed then.
    bool CountCoversEntries = true;
};

// The ToolCount that the IDE reads every placed Tool_<n> group by: a plain
// number as the IDE writes it, above every such group's number. Absent, it
// counts as 0 while there is no such group. Otherwise -1.
int64_t TrustedToolCount(const PrefsDocument& tools);
// The ItemCount of the toolbar group the IDE reads, when it is a plain
// number no lower than the number of any Icon_<n> or Action_<n> in that
// group. Absent (or without a toolbar group) it counts as 0 while there is
// no such key. Otherwise -1.
int64_t TrustedItemCount(const PrefsDocument& main);

// The folder of a Tolvane program named by a Command value, or "" when the
// command is no program of Tolvane's.
std::string TolvaneFolderOfCommand(const std::string& command);

// Tolvane's entries among the Tool_<n> groups that can be placed: numbered
// with plain decimal digits. Others ("Tool_x", "Tool_007") are left alone.
ToolsFindings FindTolvaneEntries(const PrefsDocument& tools);
// The distinct folders of the entries, in their order.
std::vector<std::string> InstallationFolders(const std::vector<TolvaneEntry>& entries);

// Removes Tolvane's entries, renumbers the other placed groups from 0 in the
// order of their old numbers (duplicates in file order), each with all its
// lines, and writes ToolCount as the number of groups then numbered. Without
// an entry of Tolvane's the document stays unchanged. The number removed.
int RemoveTolvaneEntries(PrefsDocument& tools);

struct ToolbarRemoval {
    int Items = 0;
    // Folders named "Tolvane" of removed buttons' icons that no entry named.
    std::vector<std::string> IconFolders;
};
// Removes Tolvane's buttons from the toolbar group the IDE reads
// ("ToolbarNew" when present, else "Toolbar"), renumbers the items 1 to
// MaxToolbarItems that stay from 1 in their old order and writes ItemCount
// as their number. Items numbered outside that range are left alone. Without
// an item to remove the document stays unchanged.
ToolbarRemoval RemoveTolvaneToolbarItems(PrefsDocument& main, const ToolsFindings& tools);

// True when a command line holds the switch /uninstall (any letter case) as
// an argument of its own, quoted or not; the program name does not count.
bool HasUninstallSwitch(const std::string& commandLine);
