// Quillet: records the IDE's current file and cursor position as the newest
// back-history entry and drops the forward history, the way a browser does
// when a new page is visited. The IDE starts it with "%FILE""%CURSOR".
#include "common/auto_handle.h"
#include "history/history_file.h"
#include "history/history_line.h"
#include "ide/command_line.h"
#include "ide/ide_access.h"

namespace {

void AddHistoryEntry(const std::string& file, const std::string& cursor) {
    // A back file held by another history tool for a moment is waited for,
    // so a quick second recording is kept; only a longer hold fails.
    AutoCloseHandle backFile(OpenHistoryFile(HistoryBackFileName, OPEN_ALWAYS));
    if (!backFile.IsValid()) FatalError("Historyfile not found");
    // An entry that could not be written (a full disk) must not cost the
    // forward history as well.
    if (!AppendHistoryEntry(backFile.Get(), FormatHistoryEntry(file, cursor))) {
        backFile.Close();
        FatalError("Historyfile not found");
    }
    backFile.Close();
    EmptyHistoryFile(HistoryForwardFileName);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::string commandLine = GetCommandLineA();
    AddHistoryEntry(CommandLineParameter(commandLine, 0), CommandLineParameter(commandLine, 1));
    return 0;
}
