// Tolvane.exe: asks for the language, then shows the main window until the
// user closes it or installs. Ignores its command line; exits with 0.
#include "installer/installer_state.h"
#include "installer/language_chooser.h"
#include "installer/main_window.h"
#include "installer/window_layer.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InitWindowLayer();
    AllocateProgramState();
    ScanLanguageFolder();
    int languageIndex = ChooseLanguage();
    if (languageIndex != -1) RunMainWindow(languageIndex);
    return 0;
}
