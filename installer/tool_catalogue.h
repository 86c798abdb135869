// The five tools Tolvane offers, indexed as the tool table and the installation's
// choices are. The main window builds one row per tool from it; the
// installation reads which tool is Tolvane itself.
#pragma once
#include "installer/language_file.h"

#include <cstdint>
#include <string>

struct CatalogueTool {
    const char* ExeName;
    const char* IconPath; // relative to the working folder
    const char* Arguments;
    int32_t ShortcutCode;
    // The IDE's tool flags: 1 makes the IDE wait for the tool. The navigator
    // is not waited for: when a waited tool ends, the IDE puts the keyboard
    // back into the editor of the file the tool started from, which a step
    // has just left.
    int32_t Flags;
    int RowY;              // of the tool's row in the tool area
    LanguageLine NameLine; // the language file's line that names the tool
    // This program itself: installed with its folders, and on the toolbar
    // behind a separator of its own.
    bool IsTolvane;
};

// What a row holds of its tool and the installation writes, starting from
// the catalogue's entry and changed by the user.
struct ToolSettings {
    std::string MenuItemName;
    std::string ExeName;
    std::string IconPath;
    std::string Arguments;
    int32_t ShortcutCode = 0;
    int32_t Flags = 1;
};

constexpr int ToolCount = 5;

constexpr CatalogueTool ToolCatalogue[ToolCount] = {
    {"Brannow.exe", "Icons/Back.ico", "\"%FILE\"\"%CURSOR\" \"BACK\"", 0x20034, 0, 90,
     LanguageLine::BackName, false},
    {"Quillet.exe", "Icons/Anker.ico", "\"%FILE\"\"%CURSOR\"", 0x20035, 1, 50,
     LanguageLine::RecorderName, false},
    {"Brannow.exe", "Icons/Forward.ico", "\"%FILE\"\"%CURSOR\" \"FORWARD\"", 0x20036, 0, 120,
     LanguageLine::ForwardName, false},
    {"Tolvane.exe", "Icons/Tolvane.ico", "\"%FILE\"\"%CURSOR\"", 0x20037, 1, 180,
     LanguageLine::TolvaneName, true},
    // The picker: not waited for, so that the keyboard ends in the editor it goes to.
    {"Lisarde.exe", "Icons/Recent.ico", "\"%FILE\"\"%CURSOR\"", 0x20033, 0, 150,
     LanguageLine::PickerName, false},
};
