// The state of Tolvane's main window: the tool table, the texts of its rows,
// the base folder and the window itself. Its owner passes it to the window,
// whose events work on it; the installation reads it when the install button
// is pressed.
#pragma once
#include <windows.h>

#include "common/auto_gdi.h"
#include "installer/tool_catalogue.h"

#include <cstdint>
#include <string>
#include <vector>

// One installable tool and the numbers of its row's controls.
struct ToolEntry : ToolSettings {
    AutoImage IconImage; // what IconView shows; none when the icon file does not load
    int NameField = 0;
    int EnableBox = 0;
    int MenuBox = 0;
    int ToolbarBox = 0;
    int IconField = 0;
    int IconButton = 0;
    int IconView = 0;
    int ShortcutBox = 0;
    int ShortcutButton = 0;
    int ArgumentsField = 0;
    int ArgumentsLabel = 0;
};

// Captions shared by the tool rows and the texts of the two messages.
struct LanguageTexts {
    std::string EnableCaption;
    std::string MenuCaption;
    std::string ToolbarCaption;
    std::string ShortcutCaption;
    std::string ShortcutButtonCaption;
    std::string ArgumentsCaption;
    std::string InstallNotice;
    std::string AboutText;
};

struct InstallerState {
    ToolEntry Tools[ToolCount];
    LanguageTexts Texts;
    std::string BaseFolder;
    HWND MainWindow = nullptr; // while it is open
};
