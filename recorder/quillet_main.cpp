// Quillet: records the IDE's current file and cursor position as the newest
// back-history entry and drops the forward history, the way a browser does
// when a new page is visited. The IDE starts it with "%FILE""%CURSOR".
// Started by the IDE, it also keeps a fingerprint of the cursor's line, read
// from the editor, so that the line can be found again after edits above it.
// What it does not record (no file, a name the readers would pass over) and
// a forward history it could not drop are said in the IDE's log.
#include "common/auto_handle.h"
#include "common/code_page.h"
#include "history/entry_name.h"
#include "history/history_file.h"
#include "history/history_line.h"
#include "ide/command_line.h"
#include "ide/ide_access.h"
#include "positions/editor_positions.h"

#include <optional>

namespace {

// The log line of a recording that did not go as it should; none when it
// did. The forward history is dropped only once the entry is in, so a
// failure costs nothing.
std::optional<LogText> AddHistoryEntry(const HistoryEntry& entry) {
    // A back file held by another history tool for a moment is waited for,
    // so a quick second recording is kept; only a longer hold fails.
    AutoCloseHandle backFile(OpenHistoryFile(HistoryBackFileName, OPEN_ALWAYS));
    if (!backFile.IsValid() ||
        !AppendHistoryEntry(backFile.Get(), StoredHistoryEntry(entry, SystemCodePage())))
        return LogText::HistoryFileNotFound;
    backFile.Close();
    // A forward history left as it was would send a later Go forward to a
    // place that no longer follows this one: the user is told.
    if (EmptyHistoryFile(HistoryForwardFileName)) return std::nullopt;
    return LogText::ForwardKept;
}

// The log line of a position that was not recorded whole; none when it was.
std::optional<LogText> RememberPosition(IdeConnection& ide, const std::string& file,
                                        const std::string& cursor) {
    // A source never saved has no file.
    if (file.empty()) return LogText::NoFileToRemember;
    // A name no reader takes back would only be passed over, or be read as
    // lines never recorded.
    if (!IsStorableEntry(file, cursor)) return LogText::NameNotStorable;
    return AddHistoryEntry(
        {file, cursor, CursorLineFingerprint(SessionOf(ide, ide.Editor), cursor)});
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Read in UTF-16: the 8-bit command line has lost what the code page
    // cannot spell.
    const std::string commandLine = CommandLineUtf8();
    IdeConnection ide = ConnectToIde();
    IdeEndWatch watch(ide);
    if (const auto failure = RememberPosition(ide, CommandLineParameter(commandLine, 0),
                                              CommandLineParameter(commandLine, 1)))
        LogMessage(ide, *failure);
    return 0;
}
