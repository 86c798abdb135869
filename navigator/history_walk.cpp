#include "navigator/history_walk.h"

#include "common/auto_handle.h"
#include "common/code_page.h"
#include "history/entry_name.h"
#include "history/history_file.h"
#include "history/history_line.h"
#include "history/history_turn.h"
#include "history/reverse_line_reader.h"
#include "ide/follower_link.h"
#include "ide/ide_access.h"
#include "ide/ide_navigation.h"
#include "navigator/history_step.h"
#include "positions/editor_positions.h"

namespace {

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
    return !visible || (visible == ide.Editor && SessionOf(ide, visible).CaretLine() == line);
}

ReachResult ShowEntry(IdeConnection& ide, const HistoryEntry& entry,
                      const std::string& currentFile) {
    int32_t line = 0;
    if (!ParseCursorLine(entry.Cursor, &line)) line = 0;
    ReachResult reached = ShowFile(ide, entry.File, currentFile, line);
    if (reached != ReachResult::Reached) return reached;
    // Read only now: a file opened by the step is in the editor only now.
    ShowArrival(SessionOf(ide, ide.Editor), entry);
    return reached;
}

// Reads a held history file from its end, line by line, as a run of
// presses meets it.
class HistoryPresses {
  public:
    HistoryPresses(HANDLE file, uint64_t size, const HistoryEntry& start, PathVerdicts& showable,
                   size_t maxLines = SIZE_MAX)
        : reader_([file](uint64_t offset, char* buffer,
                         size_t count) { return ReadHistoryFileAt(file, offset, buffer, count); },
                  size),
          run_(start), showable_(showable), looked_(size), linesLeft_(maxLines) {}

    // The next line towards the start that holds an entry a press would not
    // pass over for its position: how it is met, and where the line starts.
    // False at the file's start, or when too many paths were looked at.
    bool Next(HistoryEntry* entry, LineMeeting* met, uint64_t* lineStart) {
        std::string line;
        while (linesLeft_ > 0 && reader_.Previous(&line, lineStart)) {
            --linesLeft_;
            const bool parsed = ParseStoredEntry(line, codePage_, entry);
            *met = run_.Meet(parsed ? entry : nullptr, showable_);
            if (showable_.Exhausted()) return false;
            looked_ = *lineStart;
            if (*met == LineMeeting::Stop || *met == LineMeeting::CannotShow) return true;
        }
        return false;
    }
    void StopAt(const HistoryEntry& arrival) { run_.StopAt(arrival); }
    // Where the lines looked at start: the file cut there drops them all.
    uint64_t Looked() const { return looked_; }

  private:
    ReverseLineReader reader_;
    PressRun run_;
    PathVerdicts& showable_;
    const CodePage codePage_ = SystemCodePage();
    uint64_t looked_;
    size_t linesLeft_;
};

// A step of one or more presses on the two held history files and the
// running IDE.
class HistoryFileStep : public StepActions {
  public:
    HistoryFileStep(IdeConnection& ide, HANDLE source, AutoCloseHandle* destination,
                    const char* destinationName, const HistoryEntry& current, int presses = 1,
                    const HistoryEntry* expected = nullptr, uint64_t listedSize = UINT64_MAX,
                    const ArriveFunction& arrive = {})
        : ide_(ide), source_(source), destination_(destination), destinationName_(destinationName),
          current_(current),
          showable_([&ide](const std::string& path) { return CanShowFile(ide, path); },
                    MaxPathsPerStep),
          presses_(presses), expected_(expected), listedSize_(listedSize), arrive_(arrive) {}

    // Passes over lines that are no entries, names that cannot be shown,
    // entries at the position a press starts from and entries whose file
    // cannot be shown, each file looked at once; every press but the last
    // leaves its arrival to go onto the destination. The target's name is
    // UTF-8.
    TargetSearch FindTarget(HistoryEntry* target, uint64_t* cutAt) override {
        uint64_t size = 0;
        if (!HistoryFileLength(source_, &size)) return TargetSearch::Nothing;
        *cutAt = size;
        HistoryPresses presses(source_, size, current_, showable_);
        LineMeeting met;
        uint64_t lineStart = 0;
        for (int stops = 0; presses.Next(target, &met, &lineStart);) {
            if (met != LineMeeting::Stop) continue;
            const bool added = lineStart >= listedSize_;
            if (added || ++stops < presses_) {
                passed_.push_back(arrive_(*target));
                presses.StopAt(passed_.back());
                continue;
            }
            *cutAt = lineStart;
            if (!expected_ || SameEntry(*target, *expected_)) return TargetSearch::Found;
            break;
        }
        if (showable_.Exhausted() && !expected_) {
            *cutAt = presses.Looked();
            return TargetSearch::GaveUp;
        }
        if (expected_) Log(LogText::HistoryChanged);
        return TargetSearch::Nothing;
    }

    // The current position and the arrivals passed over, in one write.
    bool AppendToDestination(const HistoryEntry& entry) override {
        if (!destination_->IsValid())
            *destination_ = AutoCloseHandle(OpenHistoryFile(destinationName_, OPEN_ALWAYS));
        std::string lines = StoredHistoryEntry(entry, codePage_);
        for (const HistoryEntry& passed : passed_)
            lines += StoredHistoryEntry(passed, codePage_);
        return destination_->IsValid() && HistoryFileLength(destination_->Get(), &lengthBefore_) &&
               AppendHistoryEntry(destination_->Get(), lines);
    }

    void UndoAppend() override { CutHistoryFile(destination_->Get(), lengthBefore_); }
    ReachResult Reach(const HistoryEntry& target) override {
        return ShowEntry(ide_, target, current_.File);
    }
    bool CutSource(uint64_t length) override { return CutHistoryFile(source_, length); }
    void Log(LogText text) override { LogMessage(ide_, text); }

  private:
    static bool SameEntry(const HistoryEntry& a, const HistoryEntry& b) {
        return a.File == b.File && a.Cursor == b.Cursor && a.Fingerprint == b.Fingerprint;
    }

    IdeConnection& ide_;
    HANDLE source_;
    AutoCloseHandle* destination_;
    const char* destinationName_;
    const HistoryEntry& current_;
    PathVerdicts showable_;
    int presses_;
    const HistoryEntry* expected_;
    uint64_t listedSize_;
    ArriveFunction arrive_;
    std::vector<HistoryEntry> passed_;
    const CodePage codePage_ = SystemCodePage();
    uint64_t lengthBefore_ = 0;
};

// Both files are held for the whole step, and every run takes them in the
// same order, the back file first: a BACK and a FORWARD started together
// then queue for them instead of each holding the file the other waits for.
void StepOnHeldFiles(IdeConnection& ide, bool back, const HistoryEntry& current, int presses,
                     const HistoryEntry* expected, uint64_t listedSize,
                     const ArriveFunction& arrive) {
    const char* from = back ? HistoryBackFileName : HistoryForwardFileName;
    const char* to = back ? HistoryForwardFileName : HistoryBackFileName;
    HistoryTurn turn;
    // The follower writes what the user left before the step, and lets the
    // step's own moves pass.
    FollowerPause pause(ide);
    if (GetFileAttributesA(from) == INVALID_FILE_ATTRIBUTES) {
        if (expected) LogMessage(ide, LogText::HistoryChanged);
        return;
    }
    if (!IdeStillAt(ide, current)) return;
    HANDLE backHandle, forwardHandle;
    const bool backHeld = HoldHistoryFile(HistoryBackFileName, &backHandle);
    AutoCloseHandle backFile(backHandle);
    const bool forwardHeld = backHeld && HoldHistoryFile(HistoryForwardFileName, &forwardHandle);
    AutoCloseHandle forwardFile(forwardHeld ? forwardHandle : INVALID_HANDLE_VALUE);
    if (!backHeld || !forwardHeld) {
        LogMessage(ide, LogText::StepFilesBusy);
        return;
    }
    AutoCloseHandle& source = back ? backFile : forwardFile;
    if (!source.IsValid()) { // gone since it was looked at
        if (expected) LogMessage(ide, LogText::HistoryChanged);
        return;
    }
    // The editor still shows the position left (IdeStillAt).
    HistoryEntry leaving = current;
    leaving.Fingerprint = CursorLineFingerprint(SessionOf(ide, ide.Editor), current.Cursor);
    HistoryFileStep step(ide, source.Get(), back ? &forwardFile : &backFile, to, leaving, presses,
                         expected, listedSize, arrive);
    TakeStep(step, leaving);
}

} // namespace

void Walk(IdeConnection& ide, bool back, const HistoryEntry& current) {
    StepOnHeldFiles(ide, back, current, 1, nullptr, UINT64_MAX, {});
}

void WalkPresses(IdeConnection& ide, bool back, const HistoryEntry& current, int presses,
                 const HistoryEntry& expected, uint64_t listedSize, const ArriveFunction& arrive) {
    StepOnHeldFiles(ide, back, current, presses, &expected, listedSize, arrive);
}

std::vector<MetEntry> MeetHistory(IdeConnection& ide, bool back, const HistoryEntry& current,
                                  size_t maxEntries, size_t maxLines, const ArriveFunction& arrive,
                                  uint64_t* size) {
    std::vector<MetEntry> entries;
    *size = 0;
    // Read only: others may go on changing the file meanwhile.
    AutoCloseHandle file(CreateFileA(back ? HistoryBackFileName : HistoryForwardFileName,
                                     GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid() || !HistoryFileLength(file.Get(), size)) return entries;
    PathVerdicts showable([&ide](const std::string& path) { return CanShowFile(ide, path); },
                          MaxPathsPerStep);
    HistoryPresses presses(file.Get(), *size, current, showable, maxLines);
    MetEntry met;
    LineMeeting meeting;
    uint64_t lineStart = 0;
    while (entries.size() < maxEntries && presses.Next(&met.Entry, &meeting, &lineStart)) {
        met.Showable = meeting == LineMeeting::Stop;
        met.Arrival = met.Showable ? arrive(met.Entry) : met.Entry;
        if (met.Showable) presses.StopAt(met.Arrival);
        entries.push_back(std::move(met));
    }
    return entries;
}
