#include "navigator/history_walk.h"

#include "common/code_page.h"
#include "history/entry_name.h"
#include "history/history_line.h"
#include "history/history_store.h"
#include "history/history_turn.h"
#include "history/press_search.h"
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

ReachResult ShowEntry(IdeConnection& ide, const HistoryEntry& entry, const std::string& currentFile,
                      HistoryEntry* arrival) {
    int32_t line = 0;
    if (!ParseCursorLine(entry.Cursor, &line)) line = 0;
    ReachResult reached = ShowFile(ide, entry.File, currentFile, line);
    if (reached != ReachResult::Reached) return reached;
    // Read only now: a file opened by the step is in the editor only now.
    *arrival = ShowArrival(SessionOf(ide, ide.Editor), entry);
    return reached;
}

// A step of one or more presses on the two held history files and the
// running IDE.
class HistoryFileStep : public StepActions {
  public:
    HistoryFileStep(IdeConnection& ide, HeldHistory& held, bool back, const HistoryEntry& current,
                    int presses, const HistoryEntry* expected, const ArriveFunction& arrive)
        : ide_(ide), held_(held), source_(back ? HistorySide::Back : HistorySide::Forward),
          destination_(back ? HistorySide::Forward : HistorySide::Back), current_(current),
          showable_([&ide](const std::string& path) { return CanShowFile(ide, path); },
                    MaxPathsPerStep),
          presses_(presses), expected_(expected), arrive_(arrive) {}

    // Every press but the last leaves its arrival to go onto the
    // destination. The target's name is UTF-8.
    TargetSearch FindTarget(HistoryEntry* target, uint64_t* cutAt) override {
        const uint64_t size = held_.Size(source_);
        PressWalk walk(held_.FromEnd(source_), size, SystemCodePage(), current_, showable_,
                       arrive_);
        PressesFound found = SearchPresses(walk, size, presses_, expected_);
        if (expected_ && found.Search != TargetSearch::Found) Log(LogText::HistoryChanged);
        *target = found.Target;
        *cutAt = cutAt_ = found.CutAt;
        passed_ = std::move(found.Passed);
        return found.Search;
    }

    // The current position and the arrivals passed over, in one write.
    bool AppendToDestination(const HistoryEntry& entry) override {
        std::string lines = StoredHistoryEntry(entry, SystemCodePage());
        for (const HistoryEntry& passed : passed_)
            lines += StoredHistoryEntry(passed, SystemCodePage());
        return held_.BeginStep(destination_, lines, source_, cutAt_);
    }

    void UndoAppend() override { held_.UndoStep(); }
    ReachResult Reach(const HistoryEntry& target) override {
        const ReachResult reached = ShowEntry(ide_, target, current_.File, &arrival_);
        moved_ = reached == ReachResult::Reached;
        return reached;
    }
    // Where the IDE was taken; null when it was not.
    const HistoryEntry* Arrival() const { return moved_ ? &arrival_ : nullptr; }
    // A step cuts what it took; a search that gave up cuts what it passed.
    bool CutSource(uint64_t length) override {
        return held_.StepOpen() ? held_.FinishStep() : held_.Cut(source_, length);
    }
    void Log(LogText text) override { LogMessage(ide_, text); }

  private:
    IdeConnection& ide_;
    HeldHistory& held_;
    HistorySide source_, destination_;
    const HistoryEntry& current_;
    PathVerdicts showable_;
    int presses_;
    const HistoryEntry* expected_;
    const ArriveFunction& arrive_;
    std::vector<HistoryEntry> passed_;
    uint64_t cutAt_ = 0;
    HistoryEntry arrival_;
    bool moved_ = false;
};

// Still as it was when it was listed: as long, and the part read the same.
bool AsListed(const HeldHistory& held, HistorySide side, const ListedFile& listed) {
    uint64_t digest = 0;
    if (!held.Has(side)) return !listed.Present;
    return listed.Present && held.Size(side) == listed.Size &&
           held.Digest(side, listed.From, &digest) && digest == listed.Digest;
}

// Both files are held for the whole step, taken in the store's order, so
// that a BACK and a FORWARD started together queue for them.
Walked StepOnHeldFiles(IdeConnection& ide, bool back, const HistoryEntry& current, int presses,
                       const HistoryEntry* expected, const ListedHistory* listed,
                       const ArriveFunction& arrive, HistoryEntry* arrival,
                       const std::function<void(const HistoryEntry&)>& arrived = nullptr) {
    const HistoryStore store;
    HistoryTurn turn(store);
    // The follower writes what the user left before the step, and lets the
    // step's own moves pass.
    FollowerPause pause(ide);
    if (!IdeStillAt(ide, current)) return Walked::NotThere;
    HeldHistory held;
    if (!store.Hold(&held)) {
        LogMessage(ide, LogText::StepFilesBusy);
        *arrival = current;
        if (arrived) arrived(current);
        return Walked::Stayed;
    }
    const HistorySide source = back ? HistorySide::Back : HistorySide::Forward;
    // A pick goes only on the history it listed.
    if (listed && (!AsListed(held, HistorySide::Back, listed->Back) ||
                   !AsListed(held, HistorySide::Forward, listed->Forward))) {
        LogMessage(ide, LogText::HistoryChanged);
        return Walked::Stayed;
    }
    if (!held.Has(source)) {
        *arrival = current;
        if (arrived) arrived(current);
        return Walked::Stayed;
    }
    // The editor still shows the position left (IdeStillAt).
    HistoryEntry leaving = current;
    leaving.Fingerprint = CursorLineFingerprint(SessionOf(ide, ide.Editor), current.Cursor);
    HistoryFileStep step(ide, held, back, leaving, presses, expected, arrive);
    TakeStep(step, leaving);
    const Walked walked = step.Arrival() ? Walked::Moved : Walked::Stayed;
    *arrival = step.Arrival() ? *step.Arrival() : current;
    if (arrived) arrived(*arrival);
    return walked;
}

} // namespace

Walked Walk(IdeConnection& ide, bool back, const HistoryEntry& current, HistoryEntry* arrival,
            const std::function<void(const HistoryEntry&)>& arrived) {
    const ArriveFunction arrive = [](const HistoryEntry& entry) { return entry; };
    return StepOnHeldFiles(ide, back, current, 1, nullptr, nullptr, arrive, arrival, arrived);
}

void WalkPresses(IdeConnection& ide, bool back, const HistoryEntry& current, int presses,
                 const HistoryEntry& expected, const ListedHistory& listed,
                 const ArriveFunction& arrive) {
    HistoryEntry arrival;
    StepOnHeldFiles(ide, back, current, presses, &expected, &listed, arrive, &arrival);
}

HistoryEntry WhereTheIdeIs(IdeConnection& ide, const HistoryEntry& arrival) {
    HWND visible = VisibleEditor(ide);
    if (!visible || visible != ide.Editor) return arrival;
    CaretPlace caret;
    const EditorSession editor = SessionOf(ide, visible);
    if (!editor.Caret(&caret)) return arrival;
    const std::string cursor = editor.CursorText(caret);
    return cursor.empty() ? arrival : HistoryEntry{arrival.File, cursor};
}

std::vector<MetEntry> MeetHistory(IdeConnection& ide, bool back, const HistoryEntry& current,
                                  size_t maxEntries, size_t maxLines, const ArriveFunction& arrive,
                                  ListedFile* listed) {
    // Read only: others may go on changing the file meanwhile.
    const HistoryReading reading =
        HistoryStore().Read(back ? HistorySide::Back : HistorySide::Forward);
    *listed = {};
    if (!reading.IsOpen()) return {};
    PathVerdicts showable([&ide](const std::string& path) { return CanShowFile(ide, path); },
                          MaxPathsPerStep);
    PressWalk walk(reading.FromEnd(), reading.Size(), SystemCodePage(), current, showable, arrive,
                   maxLines);
    std::vector<MetEntry> entries = MeetEntries(walk, maxEntries);
    listed->Present = true;
    listed->Size = reading.Size();
    listed->From = walk.Looked();
    if (!reading.Digest(listed->From, &listed->Digest)) listed->Present = false;
    return entries;
}
