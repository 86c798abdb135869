#include "installer/installer_state.h"

ToolEntry ToolTable[ToolCount];
std::vector<std::string> LanguageList;
LanguageTexts Texts;
std::string BaseFolder;
HWND MainWindow;

void AllocateProgramState() {
    for (ToolEntry& tool : ToolTable) {
        ReleaseImage(tool.IconImage, tool.IconImageType);
        tool = ToolEntry();
    }
    LanguageList.clear();
    Texts = LanguageTexts();
    BaseFolder.clear();
    MainWindow = nullptr;
}

void ReleaseImage(HANDLE image, UINT type) {
    if (!image) return;
    if (type == IMAGE_ICON)
        DestroyIcon((HICON)image);
    else
        DeleteObject(image);
}
