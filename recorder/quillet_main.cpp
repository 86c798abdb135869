// Quillet: records the IDE's current file and cursor position as the newest
// back-history entry and drops the forward history, the way a browser does
// when a new page is visited. The IDE starts it with "%FILE""%CURSOR".
// Started by the IDE, it also keeps a fingerprint of the cursor's line, read
// from the editor, so that the line can be found again after edits above it.
#include "common/auto_handle.h"
#include "common/code_page.h"
#include "history/entry_name.h"
#include "history/history_file.h"
#include "history/history_line.h"
#include "ide/command_line.h"
#include "ide/editor_lines.h"
#include "ide/ide_access.h"

namespace {

constexpr char HistoryFileFailedText[] = "Historyfile not found";

// False when the entry could not be recorded. The forward history is
// dropped only once the entry is in, so a failure costs nothing.
bool AddHistoryEntry(const HistoryEntry& entry) {
    // A back file held by another history tool for a moment is waited for,
    // so a quick second recording is kept; only a longer hold fails.
    AutoCloseHandle backFile(OpenHistoryFile(HistoryBackFileName, OPEN_ALWAYS));
    if (!backFile.IsValid() ||
        !AppendHistoryEntry(backFile.Get(), StoredHistoryEntry(entry, SystemCodePage())))
        return false;
    backFile.Close();
    EmptyHistoryFile(HistoryForwardFileName);
    return true;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Read in UTF-16: the 8-bit command line has lost what the code page
    // cannot spell.
    const std::string commandLine = CommandLineUtf8();
    const std::string cursor = CommandLineParameter(commandLine, 1);
    IdeConnection ide = ConnectToIde();
    if (!AddHistoryEntry({CommandLineParameter(commandLine, 0), cursor,
                          CursorLineFingerprint(ide.Editor, cursor)})) {
        LogMessage(ide, HistoryFileFailedText);
    }
    return 0;
}
