#include "navigator/history_step.h"

#include "common/utf.h"
#include "history/line_fingerprint.h"

#include <algorithm>
#include <utility>

namespace {

// The start of each line up to `line` (1-based), as far as the text goes.
size_t LineStart(std::string_view text, int64_t line, int64_t* reached) {
    size_t at = 0;
    int64_t current = 1;
    while (current < line) {
        const size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) break;
        at = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
        ++current;
    }
    *reached = current;
    return at;
}

int64_t CountCharacters(std::string_view line) {
    return std::count_if(line.begin(), line.end(),
                         [](char c) { return (uint8_t(c) & 0xC0) != 0x80; });
}

} // namespace

void TakeStep(StepActions& actions, const HistoryEntry& current) {
    HistoryEntry target;
    uint64_t cutAt = 0;
    switch (actions.FindTarget(&target, &cutAt)) {
    case TargetSearch::Found:
        break;
    case TargetSearch::Nothing:
        return;
    case TargetSearch::GaveUp:
        if (actions.CutSource(cutAt)) actions.Log(LogText::StepGaveUp);
        return;
    }
    if (!actions.AppendToDestination(current)) {
        actions.Log(LogText::StepNotSaved);
        return;
    }
    if (actions.Reach(target) != ReachResult::Reached) {
        actions.UndoAppend();
        actions.Log(LogText::StepNotReached);
        return;
    }
    if (!actions.CutSource(cutAt)) actions.Log(LogText::StepNotCut);
}

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

LineMeeting PressRun::Meet(const HistoryEntry* entry, PathVerdicts& showable) const {
    if (!entry) return LineMeeting::NoEntry;
    if (SamePosition(*entry, position_)) return LineMeeting::AtPosition;
    return showable.Ask(entry->File) ? LineMeeting::Stop : LineMeeting::CannotShow;
}

std::string_view LineOfText(std::string_view text, int64_t line) {
    int64_t reached = 0;
    const size_t start = LineStart(text, line, &reached);
    if (line < 1 || reached != line) return {};
    const size_t end = text.find_first_of("\r\n", start);
    return text.substr(start, end == std::string_view::npos ? text.size() - start : end - start);
}

HistoryEntry ArrivalInText(std::string_view text, const HistoryEntry& entry) {
    int32_t line = 0, column = 1;
    const bool exact = ParseCursorPosition(entry.Cursor, &line, &column);
    if (!exact && !ParseCursorLine(entry.Cursor, &line)) return entry;
    if (!exact) column = 1;
    if (!entry.Fingerprint.empty()) line = RelocateLine(text, line, entry.Fingerprint);
    // As the editor is moved: past the last line, the last line that holds
    // text; past a line's end, its end.
    int64_t last = 0;
    LineStart(text, INT64_MAX, &last);
    int64_t target = std::min<int64_t>(line, last);
    if (exact && line > last && target > 1 && LineOfText(text, target).empty()) --target;
    const int64_t characters = CountCharacters(LineOfText(text, target));
    const int64_t at = std::min<int64_t>(column, characters + 1);
    HistoryEntry arrival = entry;
    arrival.Cursor = std::to_string(target) + "x" + std::to_string(at);
    arrival.Fingerprint = FingerprintOfLine(text, int32_t(target));
    return arrival;
}

std::vector<size_t> LineStarts(std::string_view text) {
    std::vector<size_t> starts = {0};
    for (size_t at = text.find_first_of("\r\n"); at != std::string_view::npos;
         at = text.find_first_of("\r\n", starts.back())) {
        const bool crlf = text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n';
        starts.push_back(at + (crlf ? 2 : 1));
    }
    return starts;
}

std::string_view LineAt(std::string_view text, const std::vector<size_t>& starts, int64_t line) {
    if (line < 1 || line > int64_t(starts.size())) return {};
    const std::string_view rest = text.substr(starts[size_t(line - 1)]);
    return rest.substr(0, rest.find_first_of("\r\n"));
}

HistoryEntry ArrivalInText(std::string_view text, const std::vector<size_t>& starts,
                           const HistoryEntry& entry) {
    int32_t line = 0;
    if (!ParseCursorLine(entry.Cursor, &line)) return entry;
    // The lines RelocateLine and the fingerprint read, and the last two for
    // a line past the end.
    const int64_t reach = RelocationWindow + 2 * FingerprintNeighbours, total = starts.size();
    const int64_t first = std::max<int64_t>(1, std::min<int64_t>(line, total) - reach);
    const int64_t last = std::min<int64_t>(total, int64_t(line) + reach);
    const size_t begin = starts[size_t(first - 1)];
    size_t end = last < total ? starts[size_t(last)] : text.size();
    // Whole lines without the line end after the last.
    if (last < total && end > begin && text[end - 1] == '\n') --end;
    if (last < total && end > begin && text[end - 1] == '\r') --end;
    HistoryEntry within = entry;
    within.Cursor = std::to_string(line - first + 1) + entry.Cursor.substr(entry.Cursor.find('x'));
    HistoryEntry arrival = ArrivalInText(text.substr(begin, end - begin), within);
    int32_t landed = 0;
    if (!ParseCursorLine(arrival.Cursor, &landed)) return entry;
    arrival.Cursor =
        std::to_string(landed + first - 1) + arrival.Cursor.substr(arrival.Cursor.find('x'));
    return arrival;
}
