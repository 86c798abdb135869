// Test helper: a tool that brings its parameter 0 to the front of the IDE
// and leaves "probe-returned.txt" in its working folder if the call returns.
#include "ide/command_line.h"
#include "ide/ide_navigation.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    BringFileToFront(CommandLineParameter(GetCommandLineA(), 0));
    HANDLE marker = CreateFileA("probe-returned.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(marker);
    return 0;
}
