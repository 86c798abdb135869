// Brannow: walks the position history. The IDE starts it with
// "%FILE""%CURSOR" "BACK" or ... "FORWARD". BACK takes the newest usable
// entry of the back history, puts the current position on the forward
// history and brings the IDE to the entry's line and column; FORWARD does
// the same the other way round. With nothing to go to, both files stay as
// they were; a step that cannot be completed changes neither file and says
// why in the IDE's log. A position keeps the fingerprint of its line, so a
// step lands on the remembered code even after lines above it changed.
#include "common/code_page.h"
#include "history/history_line.h"
#include "ide/command_line.h"
#include "ide/ide_access.h"
#include "navigator/history_walk.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // In UTF-16, as the IDE gives it: every name whole.
    const std::string commandLine = CommandLineUtf8();
    const HistoryEntry current = {CommandLineParameter(commandLine, 0),
                                  CommandLineParameter(commandLine, 1)};
    const std::string direction = CommandLineParameter(commandLine, 2);
    if (direction != "BACK" && direction != "FORWARD") return 0;
    IdeConnection ide = ConnectToIde();
    IdeEndWatch watch(ide);
    Walk(ide, direction == "BACK", current);
    return 0;
}
