// What an installation writes, worked out from the user's choices without
// touching any file: the installation folder, the keys of each tool entry and
// the toolbar items. The Win32 side (installation.cpp) carries it out.
#pragma once
#include "installer/ide_settings.h"
#include "installer/tool_catalogue.h"

#include <cstdint>
#include <string>
#include <vector>

// One key of a tool entry or toolbar item, in the order it is written.
// Numbers go through WritePrefsLong, texts through WritePrefsString.
struct PrefsItem {
    std::string Key;
    std::string Text;
    bool IsNumber = false;
    int32_t Number = 0;
};

// A tool as the installation sees it: its catalogue strings and the states of
// its row's boxes.
struct ToolChoice : ToolSettings {
    bool Enabled = false;
    bool InMenu = false;
    bool OnToolbar = false;
    bool WithShortcut = false;
};

// What the user chose in the main window, taken from it as the installation
// starts.
struct InstallChoices {
    std::string BaseFolder;      // as typed or chosen
    ToolChoice Tools[ToolCount]; // by tool table index
    bool Clearer = false;
    bool Follower = false;
    bool SideButtons = false; // the follower steps on the mouse's side buttons
};

struct ToolbarItem {
    int32_t Number = 0; // of its keys, "Icon_" and "Action_" + number; from 1 on
    std::string Icon;
    std::string Action;
};

struct ToolbarPlan {
    std::vector<ToolbarItem> Items;
    int32_t ItemCount = 0; // what "ItemCount" says afterwards
    // Icon files to copy: source path, then target path.
    std::vector<std::pair<std::string, std::string>> IconCopies;
};

// The base folder as typed, made usable: surrounding blanks dropped and a
// final backslash added; "" when nothing is left.
std::string NormaliseBaseFolder(const std::string& typed);
std::string InstallFolder(const std::string& baseFolder);
// The path handed to CreateDirectory: at most 260 characters, without
// trailing blanks, backslashes and slashes.
std::string FolderToCreate(const std::string& installFolder);
// The folders to create for a folder path, outermost first: the path up to
// each backslash or slash after its first character, then the path itself.
std::vector<std::string> FolderChain(const std::string& folder);
// The part after the last backslash or slash; a path that starts with a
// double quote loses it and ends at the next one.
std::string FileNameOfPath(const std::string& path);

std::vector<PrefsItem> ClearerEntryKeys(const std::string& installFolder);
// The follower's entries, one per event of the IDE it follows: hidden from
// the menu, run hidden and not waited for (but for the closing of a source,
// which the IDE waits for while the source's editor still exists). With the
// side buttons their arguments end in the word that switches them on.
std::vector<std::vector<PrefsItem>> FollowerEntryKeys(const std::string& installFolder,
                                                      bool sideButtons);
constexpr const char* SideButtonsWord = "SIDEBUTTONS";
constexpr const char* FollowerExe = "Velmont.exe";
std::vector<PrefsItem> CatalogueEntryKeys(const ToolChoice& tool, const std::string& installFolder);

// The tool entries the choices add to Tools.prefs: the clearer one, the
// follower four, each enabled tool one.
int ToolEntriesNeeded(const InstallChoices& choices);

// Whether the choices install Tolvane itself, which then takes its folders.
bool InstallsTolvane(const ToolChoice (&tools)[ToolCount]);

// The toolbar items for the tools, numbered on from existingCount (a negative
// count counts as 0), and the icons they need: a separator and the buttons
// of the catalogue's tools, then Tolvane's behind a separator of its own.
// Items that would take the toolbar past MaxToolbarItems are left out, and so
// is a separator that no button follows.
ToolbarPlan PlanToolbar(const ToolChoice (&tools)[ToolCount], const std::string& installFolder,
                        int32_t existingCount);
