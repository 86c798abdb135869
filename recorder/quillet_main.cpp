// Quillet: records the IDE's current file and cursor position as the newest
// back-history entry and drops the forward history, the way a browser does
// when a new page is visited. The IDE starts it with "%FILE""%CURSOR".
#include "auto_handle.h"
#include "command_line.h"
#include "history_entry.h"
#include "history_file.h"
#include "ide_access.h"

namespace {

// A second Quillet started by a quick repeat of the shortcut, or the
// navigator, holds the back file for a moment only. Waiting that out keeps
// the position instead of reporting a missing history file; a file held for
// longer still takes the failure path.
HANDLE OpenBackFile() {
    const ULONGLONG giveUpAt = GetTickCount64() + 1000;
    for (;;) {
        HANDLE file =
            CreateFileA(HistoryBackFileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) ||
            GetTickCount64() >= giveUpAt)
            return file;
        Sleep(5);
    }
}

// Appends the entry in one write; should the write fail part-way, the file
// is cut back to its old length, so it never ends in half an entry.
void AppendEntry(HANDLE file, const std::string& entry) {
    LARGE_INTEGER oldLength = {};
    if (!SetFilePointerEx(file, LARGE_INTEGER{}, &oldLength, FILE_END)) return;
    DWORD written = 0;
    if (!WriteFile(file, entry.data(), DWORD(entry.size()), &written, nullptr) ||
        written != entry.size()) {
        SetFilePointerEx(file, oldLength, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
    }
}

void AddHistoryEntry(const std::string& file, const std::string& cursor) {
    AutoCloseHandle backFile(OpenBackFile());
    if (!backFile.IsValid()) FatalError("Historyfile not found");
    AppendEntry(backFile.Get(), FormatHistoryEntry(file, cursor));
    backFile.Close();
    EmptyHistoryFile(HistoryForwardFileName);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::string commandLine = GetCommandLineA();
    AddHistoryEntry(CommandLineParameter(commandLine, 0), CommandLineParameter(commandLine, 1));
    return 0;
}
