// Zemrick: empties both history files, back first, then forward. The IDE
// decides when to run it; it reads no parameters. A file it could not empty
// is said in the IDE's log.
#include <windows.h>

#include "history/history_store.h"
#include "ide/ide_access.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const HistoryStore store;
    for (HistorySide side : {HistorySide::Back, HistorySide::Forward}) {
        if (!store.Clear(side)) {
            IdeConnection ide = ConnectToIde();
            IdeEndWatch watch(ide);
            LogMessage(ide, LogText::NotCleared, store.PathOf(side));
        }
    }
    return 0;
}
