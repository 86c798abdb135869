#include "navigator/history_walk.h"

#include "common/auto_handle.h"
#include "common/code_page.h"
#include "history/entry_name.h"
#include "history/history_file.h"
#include "history/history_line.h"
#include "history/history_turn.h"
#include "history/reverse_line_reader.h"
#include "ide/editor_lines.h"
#include "ide/ide_access.h"
#include "ide/ide_navigation.h"
#include "navigator/history_step.h"

namespace {

constexpr char HistoryBusyText[] = "History not changed: history file could not be opened";
// Each path looked at costs a trip to the file system; a history of many
// files that are gone is walked in parts of this many.
constexpr size_t MaxPathsPerStep = 4096;

// The IDE runs the navigator without waiting for it, so a second press can
// start a step while an earlier one still moves the IDE. The position this
// step was started with is then no longer the IDE's, and going on would put
// it on the history a second time.
bool IdeStillAt(IdeConnection& ide, const HistoryEntry& current) {
    int32_t line = 0;
    if (!ide.Editor || !ParseCursorLine(current.Cursor, &line)) return true;
    HWND visible = VisibleEditor(ide);
    return !visible || (visible == ide.Editor && CaretLine(visible) == line);
}

ReachResult ShowEntry(IdeConnection& ide, const HistoryEntry& entry,
                      const std::string& currentFile) {
    int32_t line = 0, column = 0;
    const bool exact = ParseCursorPosition(entry.Cursor, &line, &column);
    if (!exact && !ParseCursorLine(entry.Cursor, &line)) line = 0;
    ReachResult reached = ShowFile(ide, entry.File, currentFile, line);
    if (reached != ReachResult::Reached) return reached;
    // Read only now: a file opened by the step is in the editor only now.
    if (line > 0 && !entry.Fingerprint.empty())
        line = RelocateEditorLine(ide.Editor, line, entry.Fingerprint);
    if (exact)
        GotoPosition(ide.Editor, line, column);
    else if (line > 0)
        GotoLine(ide.Editor, line);
    return reached;
}

// A step on the two held history files and the running IDE.
class HistoryFileStep : public StepActions {
  public:
    HistoryFileStep(IdeConnection& ide, HANDLE source, AutoCloseHandle* destination,
                    const char* destinationName, const HistoryEntry& current)
        : ide_(ide), source_(source), destination_(destination), destinationName_(destinationName),
          current_(current),
          showable_([&ide](const std::string& path) { return CanShowFile(ide, path); },
                    MaxPathsPerStep) {}

    // Passes over lines that are no entries, names that cannot be shown,
    // entries at the current position and entries whose file cannot be
    // shown, each file looked at once. The target's name is UTF-8.
    TargetSearch FindTarget(HistoryEntry* target, uint64_t* cutAt) override {
        uint64_t size = 0;
        if (!HistoryFileLength(source_, &size)) return TargetSearch::Nothing;
        *cutAt = size;
        HANDLE file = source_;
        ReverseLineReader reader(
            [file](uint64_t offset, char* buffer, size_t count) -> size_t {
                OVERLAPPED at = {};
                at.Offset = DWORD(offset);
                at.OffsetHigh = DWORD(offset >> 32);
                DWORD got = 0;
                return ReadFile(file, buffer, DWORD(count), &got, &at) ? got : 0;
            },
            size);
        std::string line;
        uint64_t lineStart = 0;
        while (reader.Previous(&line, &lineStart)) {
            const bool usable = ParseStoredEntry(line, codePage_, target) &&
                                !SamePosition(*target, current_) && showable_.Ask(target->File);
            if (showable_.Exhausted()) return TargetSearch::GaveUp;
            *cutAt = lineStart;
            if (usable) return TargetSearch::Found;
        }
        return TargetSearch::Nothing;
    }

    bool AppendToDestination(const HistoryEntry& entry) override {
        if (!destination_->IsValid())
            *destination_ = AutoCloseHandle(OpenHistoryFile(destinationName_, OPEN_ALWAYS));
        return destination_->IsValid() && HistoryFileLength(destination_->Get(), &lengthBefore_) &&
               AppendHistoryEntry(destination_->Get(), StoredHistoryEntry(entry, codePage_));
    }

    void UndoAppend() override { CutHistoryFile(destination_->Get(), lengthBefore_); }
    ReachResult Reach(const HistoryEntry& target) override {
        return ShowEntry(ide_, target, current_.File);
    }
    bool CutSource(uint64_t length) override { return CutHistoryFile(source_, length); }
    void Log(const std::string& message) override { LogMessage(ide_, message); }

  private:
    IdeConnection& ide_;
    HANDLE source_;
    AutoCloseHandle* destination_;
    const char* destinationName_;
    const HistoryEntry& current_;
    PathVerdicts showable_;
    const CodePage codePage_ = SystemCodePage();
    uint64_t lengthBefore_ = 0;
};

} // namespace

// Both files are held for the whole step, and every run takes them in the
// same order, the back file first: a BACK and a FORWARD started together
// then queue for them instead of each holding the file the other waits for.
void Walk(bool back, const HistoryEntry& current) {
    const char* from = back ? HistoryBackFileName : HistoryForwardFileName;
    const char* to = back ? HistoryForwardFileName : HistoryBackFileName;
    if (GetFileAttributesA(from) == INVALID_FILE_ATTRIBUTES) return;
    IdeConnection ide = ConnectToIde();
    HistoryTurn turn;
    if (!IdeStillAt(ide, current)) return;
    HANDLE backHandle, forwardHandle;
    const bool backHeld = HoldHistoryFile(HistoryBackFileName, &backHandle);
    AutoCloseHandle backFile(backHandle);
    const bool forwardHeld = backHeld && HoldHistoryFile(HistoryForwardFileName, &forwardHandle);
    AutoCloseHandle forwardFile(forwardHeld ? forwardHandle : INVALID_HANDLE_VALUE);
    if (!backHeld || !forwardHeld) {
        LogMessage(ide, HistoryBusyText);
        return;
    }
    AutoCloseHandle& source = back ? backFile : forwardFile;
    if (!source.IsValid()) return; // gone since it was looked at
    // The editor still shows the position left (IdeStillAt).
    HistoryEntry leaving = current;
    leaving.Fingerprint = CursorLineFingerprint(ide.Editor, current.Cursor);
    HistoryFileStep step(ide, source.Get(), back ? &forwardFile : &backFile, to, leaving);
    TakeStep(step, leaving);
}
