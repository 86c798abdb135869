// Tolvane.exe: asks for the language, then shows the main window until the
// user closes it or installs; with /uninstall it takes the tools out of the
// IDE again instead. Any other command line (the IDE passes the current file
// and cursor) starts it as usual. Exits with 0.
#include "installer/installer_state.h"
#include "installer/language_chooser.h"
#include "installer/main_window.h"
#include "installer/uninstall.h"
#include "installer/uninstall_plan.h"
#include "installer/window_layer.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InitWindowLayer();
    if (HasUninstallSwitch(GetCommandLineA())) {
        RunUninstall();
        return 0;
    }
    const std::vector<std::string> languages = ScanLanguageFolder();
    int chosen = ChooseLanguage(languages);
    InstallerState state;
    if (chosen != -1) RunMainWindow(languages[chosen], state);
    return 0;
}
