#include "installer/installer_state.h"

ToolEntry ToolTable[ToolCount];
LanguageTexts Texts;
std::string BaseFolder;
HWND MainWindow;

void AllocateProgramState() {
    for (ToolEntry& tool : ToolTable)
        tool = ToolEntry();
    Texts = LanguageTexts();
    BaseFolder.clear();
    MainWindow = nullptr;
}
