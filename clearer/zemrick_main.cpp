// Zemrick: empties both history files, back first, then forward. The IDE
// decides when to run it; it reads no parameters and reports nothing.
#include <windows.h>

#include "history/history_file.h"
#include "history/history_line.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    EmptyHistoryFile(HistoryBackFileName);
    EmptyHistoryFile(HistoryForwardFileName);
    return 0;
}
