#include "installer/installer_state.h"

ToolEntry ToolTable[ToolCount];
std::vector<std::string> LanguageList;
LanguageTexts Texts;
std::string BaseFolder;
HWND MainWindow;

void AllocateProgramState() {
    for (ToolEntry& tool : ToolTable)
        tool = ToolEntry();
    LanguageList.clear();
    Texts = LanguageTexts();
    BaseFolder.clear();
    MainWindow = nullptr;
}
