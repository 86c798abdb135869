// Brannow: walks the position history. The IDE starts it with
// "%FILE""%CURSOR" "BACK" or ... "FORWARD". BACK takes the newest usable
// entry of the back history, puts the current position on the forward
// history and brings the IDE to the entry; FORWARD does the same the other
// way round. With nothing to go to, both files stay as they were.
#include "common/auto_handle.h"
#include "ide/command_line.h"
#include "ide/file_list.h"
#include "history/history_line.h"
#include "history/history_file.h"
#include "history/reverse_line_reader.h"
#include "ide/ide_access.h"
#include "ide/ide_navigation.h"

namespace {

// A file the IDE can show, by the same rule BringFileToFront applies, so
// that going there never ends in "Datei nicht gefunden".
bool CanBeShown(const std::string& file) {
    return FindOpenFile(file) != -1 || FileHasContent(file);
}

// The newest entry of the open history file that is worth going to, passing
// over lines that are no entries, entries at the current position and
// entries whose file is gone; cutAt is where the file is cut to drop it and
// everything passed over.
bool FindTarget(HANDLE file, const HistoryEntry& current, HistoryEntry* target, uint64_t* cutAt) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) return false;
    ReverseLineReader reader(
        [file](uint64_t offset, char* buffer, size_t count) -> size_t {
            OVERLAPPED at = {};
            at.Offset = DWORD(offset);
            at.OffsetHigh = DWORD(offset >> 32);
            DWORD got = 0;
            return ReadFile(file, buffer, DWORD(count), &got, &at) ? got : 0;
        },
        uint64_t(size.QuadPart));
    std::string line;
    while (reader.Previous(&line, cutAt)) {
        if (ParseHistoryEntry(line, target) && !SamePosition(*target, current) &&
            CanBeShown(target->File))
            return true;
    }
    return false;
}

void CutFile(HANDLE file, uint64_t length) {
    LARGE_INTEGER at;
    at.QuadPart = LONGLONG(length);
    if (SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) SetEndOfFile(file);
}

void ShowEntry(const HistoryEntry& entry) {
    BringFileToFront(entry.File);
    int32_t line = 0;
    if (!ParseCursorLine(entry.Cursor, &line)) return;
    // Only when the IDE really shows the file: the line belongs to its editor.
    int index = FindInFileList(Ide.FileList, entry.File);
    if (Ide.TabBar && index == CurrentTabIndex(Ide.TabBar)) GotoLine(Ide.CurrentEditor, line, 0);
}

// Moves from the current position to the newest usable entry of `from`,
// leaving the current position on top of `to`. The `from` file stays open
// (and so closed to other writers) from reading to cutting, so an entry
// another tool appends meanwhile cannot be cut away.
void Walk(const char* from, const char* to, const HistoryEntry& current) {
    AutoCloseHandle source(OpenHistoryFile(from, OPEN_EXISTING));
    if (!source.IsValid()) return;
    HistoryEntry target;
    uint64_t cutAt = 0;
    if (!FindTarget(source.Get(), current, &target, &cutAt)) return;
    {
        AutoCloseHandle destination(OpenHistoryFile(to, OPEN_ALWAYS));
        if (destination.IsValid())
            AppendHistoryEntry(destination.Get(), FormatHistoryEntry(current.File, current.Cursor));
    }
    CutFile(source.Get(), cutAt);
    source.Close();
    ShowEntry(target);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string commandLine = GetCommandLineA();
    const HistoryEntry current = {CommandLineParameter(commandLine, 0),
                                  CommandLineParameter(commandLine, 1)};
    const std::string direction = CommandLineParameter(commandLine, 2);
    if (direction == "BACK")
        Walk(HistoryBackFileName, HistoryForwardFileName, current);
    else if (direction == "FORWARD")
        Walk(HistoryForwardFileName, HistoryBackFileName, current);
    return 0;
}
