// Quillet: records the IDE's current file and cursor position as the newest
// back-history entry and drops the forward history, the way a browser does
// when a new page is visited. The IDE starts it with "%FILE""%CURSOR".
// Started by the IDE, it also keeps a fingerprint of the cursor's line, read
// from the editor, so that the line can be found again after edits above it.
#include "common/auto_handle.h"
#include "history/history_file.h"
#include "history/history_line.h"
#include "ide/command_line.h"
#include "ide/editor_lines.h"
#include "ide/ide_access.h"

namespace {

constexpr char HistoryFileFailedText[] = "Historyfile not found";

// False when the entry could not be recorded. The forward history is
// dropped only once the entry is in, so a failure costs nothing.
bool AddHistoryEntry(const std::string& file, const std::string& cursor,
                     const std::string& fingerprint) {
    // A back file held by another history tool for a moment is waited for,
    // so a quick second recording is kept; only a longer hold fails.
    AutoCloseHandle backFile(OpenHistoryFile(HistoryBackFileName, OPEN_ALWAYS));
    if (!backFile.IsValid() ||
        !AppendHistoryEntry(backFile.Get(), FormatHistoryEntry(file, cursor, fingerprint)))
        return false;
    backFile.Close();
    EmptyHistoryFile(HistoryForwardFileName);
    return true;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string commandLine = GetCommandLineA();
    const std::string cursor = CommandLineParameter(commandLine, 1);
    IdeConnection ide = ConnectToIde();
    if (!AddHistoryEntry(CommandLineParameter(commandLine, 0), cursor,
                         CursorLineFingerprint(ide.Editor, cursor))) {
        LogMessage(ide, HistoryFileFailedText);
    }
    return 0;
}
