#include "picker/picker_rows.h"

#include <algorithm>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool Pickable(const std::vector<PickerRow>& rows, const std::vector<int>& shown, int at) {
    return at >= 0 && at < int(shown.size()) && rows[size_t(shown[size_t(at)])].Pickable;
}

// "LINE:COLUMN" for a cursor text "LINExCOLUMN", another one as it is.
std::string PositionText(const std::string& cursor) {
    int32_t line = 0, column = 0;
    return ParseCursorPosition(cursor, &line, &column)
               ? std::to_string(line) + ":" + std::to_string(column)
               : cursor;
}

} // namespace

PickerRow RowOf(RowKind kind, const HistoryEntry& shown) {
    PickerRow row;
    row.Kind = kind;
    row.Entry = row.Arrival = shown;
    const size_t slash = shown.File.find_last_of("\\/");
    row.Name = slash == std::string::npos ? shown.File : shown.File.substr(slash + 1);
    row.Folder = slash == std::string::npos ? "" : shown.File.substr(0, slash);
    row.FoldedName = FoldPathCase(row.Name);
    row.Position = PositionText(shown.Cursor);
    return row;
}

bool RowPending(const PickerRow& row) {
    return !row.ArrivalKnown || !row.CodeKnown;
}

void CompleteRow(PickerRow& row, const HistoryEntry& arrival, const std::string& code) {
    row.Arrival = arrival;
    row.ArrivalKnown = true;
    row.Position = PositionText(arrival.Cursor);
    row.Code = code;
    row.FoldedCode = FoldPathCase(code);
    row.CodeKnown = true;
}

std::vector<PickerRow> ArrangeRows(const std::vector<ListedEntry>& forward,
                                   const PickerRow& current, const std::vector<ListedEntry>& back) {
    std::vector<PickerRow> rows;
    rows.reserve(forward.size() + back.size() + 1);
    const auto add = [&rows](RowKind kind, const ListedEntry& listed, int presses) {
        const bool known = !listed.Showable || listed.ArrivalKnown;
        rows.push_back(RowOf(kind, listed.Showable && known ? listed.Arrival : listed.Entry));
        PickerRow& row = rows.back();
        row.Entry = listed.Entry;
        row.ArrivalKnown = known;
        // A file that cannot be shown has no code to read.
        row.CodeKnown = !listed.Showable;
        row.Pickable = listed.Showable;
        row.Presses = presses;
    };
    int presses = int(std::count_if(forward.begin(), forward.end(),
                                    [](const ListedEntry& e) { return e.Showable; }));
    for (auto it = forward.rbegin(); it != forward.rend(); ++it) {
        add(RowKind::Forward, *it, presses);
        if (it->Showable) --presses;
    }
    rows.push_back(current);
    rows.back().Kind = RowKind::Current;
    rows.back().Pickable = false;
    for (const ListedEntry& listed : back) {
        if (listed.Showable) ++presses;
        add(RowKind::Back, listed, presses);
    }
    return rows;
}

std::string CodeForRow(std::string_view line, const CodePage& codePage) {
    size_t begin = 0;
    while (begin < line.size() && IsBlank(line[begin]))
        ++begin;
    std::string bytes(line.substr(begin));
    std::string text;
    if (IsValidUtf8(bytes))
        text = bytes;
    else if (!codePage.ToUtf8(bytes, &text))
        text.clear();
    std::string shown;
    size_t characters = 0;
    for (const char c : text) {
        const bool starts = (uint8_t(c) & 0xC0) != 0x80; // a character's first byte
        if (starts && characters == MaxCodeCharacters) break;
        characters += starts;
        if (c == '\t')
            shown += "  ";
        else if (uint8_t(c) >= 0x20 || (uint8_t(c) & 0x80))
            shown += c;
        else
            shown += ' ';
    }
    while (!shown.empty() && IsBlank(shown.back()))
        shown.pop_back();
    return shown;
}

RowFilter::RowFilter(const std::vector<PickerRow>& rows) : rows_(rows) {
    shown_.resize(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        shown_[i] = int(i);
}

bool RowFilter::Keeps(const PickerRow& row) const {
    return folded_.empty() || row.Kind == RowKind::Current ||
           row.FoldedName.find(folded_) != std::string::npos ||
           row.FoldedCode.find(folded_) != std::string::npos;
}

bool RowFilter::Apply(std::string_view filter) {
    std::string folded = FoldPathCase(filter);
    // What holds the longer filter holds the shorter one: only the rows
    // still shown can be kept.
    const bool narrows = folded.compare(0, folded_.size(), folded_) == 0;
    folded_ = std::move(folded);
    std::vector<int> shown;
    if (narrows) {
        for (int row : shown_)
            if (Keeps(rows_[size_t(row)])) shown.push_back(row);
    } else {
        for (size_t row = 0; row < rows_.size(); ++row)
            if (Keeps(rows_[row])) shown.push_back(int(row));
    }
    if (shown == shown_) return false;
    shown_ = std::move(shown);
    return true;
}

bool RowFilter::Recheck(int row) {
    if (row < 0 || size_t(row) >= rows_.size() || !Keeps(rows_[size_t(row)])) return false;
    const auto at = std::lower_bound(shown_.begin(), shown_.end(), row);
    if (at != shown_.end() && *at == row) return false;
    shown_.insert(at, row);
    return true;
}

int InitialSelection(const std::vector<PickerRow>& rows, const std::vector<int>& shown) {
    int current = -1;
    for (int at = 0; at < int(shown.size()); ++at) {
        const PickerRow& row = rows[size_t(shown[size_t(at)])];
        if (row.Kind == RowKind::Current) current = at;
        if (row.Pickable && row.Kind == RowKind::Back) return at;
    }
    return current;
}

int FirstPickable(const std::vector<PickerRow>& rows, const std::vector<int>& shown) {
    for (int at = 0; at < int(shown.size()); ++at)
        if (Pickable(rows, shown, at)) return at;
    return -1;
}

int MoveSelection(const std::vector<PickerRow>& rows, const std::vector<int>& shown, int from,
                  int by) {
    if (by == 0 || shown.empty()) return from;
    const int step = by > 0 ? 1 : -1;
    const int last = int(shown.size()) - 1;
    int target = std::clamp(from + by, 0, last);
    // Onwards from the target, then back towards where the selection was.
    for (int at = target; at >= 0 && at <= last; at += step)
        if (Pickable(rows, shown, at)) return at;
    for (int at = target - step; at != from && at >= 0 && at <= last; at -= step)
        if (Pickable(rows, shown, at)) return at;
    return from;
}
