// Quillet: records the IDE's current file and cursor position as the newest
// back-history entry and drops the forward history, the way a browser does
// when a new page is visited. The IDE starts it with "%FILE""%CURSOR".
// Started by the IDE, it also keeps a fingerprint of the cursor's line, read
// from the editor, so that the line can be found again after edits above it.
// What it does not record (no file, a name the readers would pass over) and
// a forward history it could not drop are said in the IDE's log.
#include "common/code_page.h"
#include "history/history_line.h"
#include "history/history_store.h"
#include "ide/command_line.h"
#include "ide/ide_access.h"
#include "positions/editor_positions.h"

#include <optional>

namespace {

// The log line of a position that was not recorded whole; none when it was.
std::optional<LogText> RememberPosition(IdeConnection& ide, const std::string& file,
                                        const std::string& cursor) {
    // A source never saved has no file.
    if (file.empty()) return LogText::NoFileToRemember;
    // A back file held by another history tool for a moment is waited for,
    // so a quick second recording is kept; only a longer hold fails.
    const Recorded recorded = HistoryStore().Record(
        {file, cursor, CursorLineFingerprint(SessionOf(ide, ide.Editor), cursor)},
        OpenPolicy::Wait);
    switch (recorded.Outcome) {
    case Recorded::Entry::NotStorable:
        return LogText::NameNotStorable;
    case Recorded::Entry::Written:
        // A forward history left as it was would send a later Go forward to
        // a place that no longer follows this one: the user is told.
        if (recorded.ForwardKept) return LogText::ForwardKept;
        return std::nullopt;
    default:
        return LogText::HistoryFileNotFound;
    }
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
