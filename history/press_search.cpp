#include "history/press_search.h"

#include "history/entry_name.h"

PathVerdicts::PathVerdicts(std::function<bool(const std::string&)> check, size_t limit)
    : check_(std::move(check)), limit_(limit) {}

bool PathVerdicts::Ask(const std::string& path) {
    std::string key = FoldPathCase(path);
    auto known = verdicts_.find(key);
    if (known != verdicts_.end()) return known->second;
    if (verdicts_.size() >= limit_) {
        exhausted_ = true;
        return false;
    }
    bool verdict = check_(path);
    verdicts_.emplace(std::move(key), verdict);
    return verdict;
}

PressWalk::PressWalk(ReverseLineReader reader, uint64_t size, const CodePage& codePage,
                     const HistoryEntry& start, PathVerdicts& showable, ArriveFunction arrive,
                     size_t maxLines)
    : reader_(std::move(reader)), codePage_(codePage), position_(start), showable_(showable),
      arrive_(std::move(arrive)), looked_(size), linesLeft_(maxLines) {}

LineMeeting PressWalk::Meet(const HistoryEntry* entry) {
    if (!entry) return LineMeeting::NoEntry;
    // Only an entry of the same file can be at the position a press left.
    if (pending_ && SamePath(entry->File, position_.File)) Arrival();
    if (SamePosition(*entry, position_)) return LineMeeting::AtPosition;
    return showable_.Ask(entry->File) ? LineMeeting::Stop : LineMeeting::CannotShow;
}

bool PressWalk::Next(HistoryEntry* entry, LineMeeting* met, uint64_t* lineStart) {
    std::string line;
    while (linesLeft_ > 0 && reader_.Previous(&line, lineStart)) {
        --linesLeft_;
        const bool parsed = ParseStoredEntry(line, codePage_, entry);
        *met = Meet(parsed ? entry : nullptr);
        if (showable_.Exhausted()) return false;
        looked_ = *lineStart;
        if (*met == LineMeeting::Stop || *met == LineMeeting::CannotShow) return true;
    }
    return false;
}

void PressWalk::StopAt(const HistoryEntry& entry) {
    position_ = entry;
    pending_ = true;
}

const HistoryEntry& PressWalk::Arrival() {
    if (pending_) {
        position_ = arrive_(position_);
        pending_ = false;
    }
    return position_;
}

namespace {

bool SameEntry(const HistoryEntry& a, const HistoryEntry& b) {
    return a.File == b.File && a.Cursor == b.Cursor && a.Fingerprint == b.Fingerprint;
}

} // namespace

PressesFound SearchPresses(PressWalk& walk, uint64_t size, int presses,
                           const HistoryEntry* expected) {
    PressesFound found;
    found.CutAt = size;
    HistoryEntry entry;
    LineMeeting met;
    uint64_t lineStart = 0;
    for (int stops = 0; walk.Next(&entry, &met, &lineStart);) {
        if (met != LineMeeting::Stop) continue;
        if (++stops < presses) {
            walk.StopAt(entry);
            found.Passed.push_back(walk.Arrival());
            continue;
        }
        if (expected && !SameEntry(entry, *expected)) return found;
        found.Search = TargetSearch::Found;
        found.Target = entry;
        found.CutAt = lineStart;
        return found;
    }
    // A look that ended on too many files that are gone drops what it
    // looked at, so that the next press gets past them.
    if (!expected && walk.Exhausted()) {
        found.Search = TargetSearch::GaveUp;
        found.CutAt = walk.Looked();
    }
    return found;
}

std::vector<MetEntry> MeetEntries(PressWalk& walk, size_t maxEntries) {
    std::vector<MetEntry> entries;
    size_t lastStop = SIZE_MAX;
    MetEntry met;
    LineMeeting meeting;
    uint64_t lineStart = 0;
    while (entries.size() < maxEntries && walk.Next(&met.Entry, &meeting, &lineStart)) {
        // Meeting this line may have needed the last stop's arrival.
        if (lastStop != SIZE_MAX && walk.ArrivalKnown() && !entries[lastStop].ArrivalKnown) {
            entries[lastStop].Arrival = walk.Arrival();
            entries[lastStop].ArrivalKnown = true;
        }
        met.Showable = meeting == LineMeeting::Stop;
        met.Arrival = met.Entry;
        met.ArrivalKnown = !met.Showable;
        if (met.Showable) {
            walk.StopAt(met.Entry);
            lastStop = entries.size();
        }
        entries.push_back(met);
    }
    return entries;
}
