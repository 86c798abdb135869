// Zemrick: empties both history files, back first, then forward. The IDE
// decides when to run it; it reads no parameters. A file it could not empty
// is said in the IDE's log.
#include <windows.h>

#include "history/history_file.h"
#include "history/history_line.h"
#include "ide/ide_access.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    for (const char* name : {HistoryBackFileName, HistoryForwardFileName}) {
        if (!EmptyHistoryFile(name)) {
            IdeConnection ide = ConnectToIde();
            IdeEndWatch watch(ide);
            LogMessage(ide, LogText::NotCleared, name);
        }
    }
    return 0;
}
