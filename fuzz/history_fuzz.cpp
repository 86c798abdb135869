// Walks arbitrary bytes backwards as a history file and checks the result
// against a plain forward split; takes the same bytes as an editor's text to
// find a line again after an edit, with its fingerprint whole and damaged,
// and to land on a line and column; meets them as presses do, one at a time
// against the list; reads each entry's name as stored, and the bytes as
// UTF-8 and as UTF-16 text.
#include "common/utf.h"
#include "history/arrival.h"
#include "history/entry_name.h"
#include "history/history_line.h"
#include "history/line_fingerprint.h"
#include "history/press_search.h"
#include "history/reverse_line_reader.h"
#include "testing/latin1_code_page.h"
#include "text/source_text.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Lines as the editor counts them: one more than its line ends.
int64_t CountLines(std::string_view text) {
    int64_t lines = 1;
    for (size_t i = 0; i < text.size(); ++i)
        lines +=
            text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
    return lines;
}

void CheckRelocation(std::string_view text, int32_t remembered, std::string_view fingerprint) {
    const int32_t line = RelocateLine(text, remembered, fingerprint);
    if (line != remembered && (line < 1 || line > CountLines(text))) abort();
}

// The first two bytes pick the line to remember and the bytes cut from the
// front of the text before it is looked for; views over the fuzzer's own
// buffer let the sanitizer see any read past the text.
void CheckFingerprints(const uint8_t* data, size_t size) {
    if (size < 2) return;
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
    const int32_t remembered = data[0] % 64;
    const std::string fingerprint = FingerprintOfLine(text, remembered);
    if (fingerprint.empty() != (remembered < 1 || remembered > CountLines(text))) abort();
    if (!fingerprint.empty() &&
        (fingerprint.size() != 59 || fingerprint.find_first_of("\r\n|") != std::string::npos ||
         RelocateLine(text, remembered, fingerprint) != remembered))
        abort();
    const std::string_view edited = text.substr(std::min<size_t>(data[1], text.size()));
    std::string damaged = fingerprint;
    if (!damaged.empty()) damaged[3 + data[1] % 56] = "0123456789abcdef"[data[0] % 16];
    for (const std::string& print : {fingerprint, damaged})
        CheckRelocation(edited, remembered, print);
    CheckRelocation(text, INT32_MAX, fingerprint);
}

// The text's lines are its line ends' count plus one, none holds a line end,
// and a caret lands within the line it names, at a column it counts back.
void CheckLanding(std::string_view text, int64_t line, int64_t column) {
    for (const auto counting : {ColumnCounting::Characters, ColumnCounting::Bytes}) {
        SourceLines lines(text, 1, 0, 0, counting);
        if (lines.Last() != CountLines(text)) abort();
        for (int64_t at = 1; at <= std::min<int64_t>(lines.Last(), 8); ++at)
            if (lines.Line(at).find_first_of("\r\n") != std::string_view::npos) abort();
        Landing landing;
        int64_t start = 0, end = 0;
        if (!LandOn(lines, line, column, &landing) || landing.Line < 1 ||
            landing.Line > lines.Last() || !lines.LineBounds(landing.Line, &start, &end) ||
            landing.Position < start || landing.Position > end || landing.Column < 1 ||
            lines.ColumnAt(start, landing.Position) != landing.Column)
            abort();
        const HistoryEntry entry = {"a.pb", std::to_string(line) + "x" + std::to_string(column),
                                    FingerprintOfLine(text, int32_t(line))};
        int32_t arrived = 0;
        if (line >= 1 && (!ParseCursorLine(ArrivalIn(lines, entry).Cursor, &arrived) ||
                          arrived < 1 || arrived > lines.Last()))
            abort();
    }
}

// A run of presses stops where the list met the entry, the passed ones
// arrive where the list says: a pick is its presses.
void CheckPresses(const std::string& file, int presses) {
    const auto showable = [](const std::string& path) { return path.size() % 3 != 0; };
    const ArriveFunction arrive = [](const HistoryEntry& e) {
        HistoryEntry arrival = e;
        arrival.Cursor += "1";
        return arrival;
    };
    const auto reader = [&file] {
        return ReverseLineReader(
            [&file](uint64_t offset, char* buffer, size_t count) {
                return file.copy(buffer, count, size_t(offset));
            },
            file.size());
    };
    const HistoryEntry start = {"s.pb", "1x1"};
    PathVerdicts listedPaths(showable, 64), pressedPaths(showable, 64);
    PressWalk listing(reader(), file.size(), Latin1, start, listedPaths, arrive);
    std::vector<MetEntry> met = MeetEntries(listing, 64);
    PressWalk pressing(reader(), file.size(), Latin1, start, pressedPaths, arrive);
    const PressesFound found = SearchPresses(pressing, file.size(), presses);
    std::vector<const MetEntry*> stops;
    for (const MetEntry& m : met)
        if (m.Showable) stops.push_back(&m);
    if (found.Search == TargetSearch::Found) {
        if (size_t(presses) > stops.size() ||
            found.Target.Cursor != stops[presses - 1]->Entry.Cursor ||
            found.Target.File != stops[presses - 1]->Entry.File ||
            found.Passed.size() != size_t(presses - 1))
            abort();
        for (size_t i = 0; i + 1 < size_t(presses); ++i)
            if (found.Passed[i].Cursor != arrive(stops[i]->Entry).Cursor) abort();
    } else if (found.Search == TargetSearch::Nothing && size_t(presses) <= stops.size() &&
               !listedPaths.Exhausted()) {
        abort();
    }
}

// A name read from storage is a path that stores and reads back as itself.
void CheckStoredName(const std::string& stored) {
    std::string name;
    if (!DecodeEntryName(stored, Latin1, &name)) return;
    std::string again;
    if (!IsWindowsPathName(name) ||
        !DecodeEntryName(EncodeEntryName(name, Latin1), Latin1, &again) || again != name)
        abort();
}

// Valid UTF-8 converts both ways unchanged, and folds to valid UTF-8 that
// folds no further; any UTF-16 becomes valid UTF-8 of as many units, only
// unpaired surrogates replaced.
void CheckUtf(const std::string& text) {
    std::u16string wide;
    if (Utf8ToUtf16(text, &wide) != IsValidUtf8(text)) abort();
    if (IsValidUtf8(text)) {
        const std::string folded = FoldPathCase(text);
        if (Utf16ToUtf8(wide) != text || Utf16Length(text) != wide.size() || !IsValidUtf8(folded) ||
            FoldPathCase(folded) != folded)
            abort();
        std::string name;
        const bool shown = DecodeEntryName(EncodeEntryName(text, Latin1), Latin1, &name);
        if (shown != IsWindowsPathName(text) || (shown && name != text)) abort();
    }
    std::u16string units(text.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = char16_t(uint8_t(text[2 * i]) | uint8_t(text[2 * i + 1]) << 8);
    const std::string utf8 = Utf16ToUtf8(units);
    std::u16string back;
    if (!Utf8ToUtf16(utf8, &back) || back.size() != units.size()) abort();
    for (size_t i = 0; i < units.size(); ++i)
        if (back[i] != units[i] && (units[i] < 0xD800 || units[i] > 0xDFFF || back[i] != 0xFFFD))
            abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckFingerprints(data, size);
    std::string text(reinterpret_cast<const char*>(data), size);
    if (size >= 2) {
        CheckLanding(std::string_view(text).substr(2), data[0] % 40 - 4, data[1] % 40);
        CheckPresses(text.substr(2), data[0] % 6 + 1);
    }
    CheckUtf(text);

    std::vector<std::string> forward;
    std::string current;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!current.empty()) forward.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) forward.push_back(current);

    ReverseLineReader reader(
        [&](uint64_t offset, char* buffer, size_t count) {
            text.copy(buffer, count, size_t(offset));
            return count;
        },
        text.size());
    std::string line;
    uint64_t start;
    size_t index = forward.size();
    while (reader.Previous(&line, &start)) {
        if (index == 0 || line != forward[--index]) abort();
        if (text.compare(size_t(start), line.size(), line) != 0) abort();
        if (start > 0 && text[size_t(start) - 1] != '\r' && text[size_t(start) - 1] != '\n')
            abort();
        // An entry reads back as the line it came from, apart from a field
        // after the fingerprint's, which drops the fingerprint.
        HistoryEntry entry;
        if (ParseHistoryEntry(line, &entry)) {
            const std::string head = entry.File + "|" + entry.Cursor;
            if (line.compare(0, head.size(), head) != 0 ||
                (line.size() != head.size() && line[head.size()] != '|') ||
                (!entry.Fingerprint.empty() && head + "|" + entry.Fingerprint != line) ||
                (entry.Fingerprint.empty() &&
                 line.find('|', head.size() + 1) == std::string::npos &&
                 line.size() > head.size() + 1))
                abort();
            const std::string written =
                FormatHistoryEntry(entry.File, entry.Cursor, entry.Fingerprint);
            if (!entry.Fingerprint.empty() && written != line + "\r\n") abort();
        }
        CheckStoredName(entry.File);
        // An entry read as stored is written back as a line that reads the same.
        HistoryEntry read, again;
        if (ParseStoredEntry(line, Latin1, &read)) {
            const std::string stored = StoredHistoryEntry(read, Latin1);
            if (!ParseStoredEntry(stored.substr(0, stored.size() - 2), Latin1, &again) ||
                again.File != read.File || again.Fingerprint != read.Fingerprint)
                abort();
        }
        int32_t cursorLine;
        if (ParseCursorLine(entry.Cursor, &cursorLine) && cursorLine < 1) abort();
        int32_t positionLine, column;
        if (ParseCursorPosition(entry.Cursor, &positionLine, &column) &&
            (positionLine != cursorLine || column < 1))
            abort();
    }
    if (index != 0) abort();
    return 0;
}
