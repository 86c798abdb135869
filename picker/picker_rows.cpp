#include "picker/picker_rows.h"

#include <algorithm>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool Pickable(const std::vector<PickerRow>& rows, const std::vector<int>& shown, int at) {
    return at >= 0 && at < int(shown.size()) && rows[size_t(shown[size_t(at)])].Pickable;
}

} // namespace

PickerRow RowOf(RowKind kind, const HistoryEntry& shown, const std::string& code) {
    PickerRow row;
    row.Kind = kind;
    row.Entry = shown;
    const size_t slash = shown.File.find_last_of("\\/");
    row.Name = slash == std::string::npos ? shown.File : shown.File.substr(slash + 1);
    row.Folder = slash == std::string::npos ? "" : shown.File.substr(0, slash);
    int32_t line = 0, column = 0;
    row.Position = ParseCursorPosition(shown.Cursor, &line, &column)
                       ? std::to_string(line) + ":" + std::to_string(column)
                       : shown.Cursor;
    row.Code = code;
    return row;
}

std::vector<PickerRow> ArrangeRows(const std::vector<ListedEntry>& forward,
                                   const PickerRow& current, const std::vector<ListedEntry>& back) {
    std::vector<PickerRow> rows;
    rows.reserve(forward.size() + back.size() + 1);
    const auto add = [&rows](RowKind kind, const ListedEntry& listed, int presses) {
        rows.push_back(RowOf(kind, listed.Showable ? listed.Arrival : listed.Entry, listed.Code));
        rows.back().Entry = listed.Entry;
        rows.back().Pickable = listed.Showable;
        rows.back().Presses = presses;
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

std::vector<int> FilterRows(const std::vector<PickerRow>& rows, const std::string& filter) {
    const std::string wanted = FoldPathCase(filter);
    std::vector<int> shown;
    for (size_t i = 0; i < rows.size(); ++i) {
        const PickerRow& row = rows[i];
        if (wanted.empty() || row.Kind == RowKind::Current ||
            FoldPathCase(row.Name).find(wanted) != std::string::npos ||
            FoldPathCase(row.Code).find(wanted) != std::string::npos)
            shown.push_back(int(i));
    }
    return shown;
}

int InitialSelection(const std::vector<PickerRow>& rows, const std::vector<int>& shown) {
    int nearestForward = -1;
    for (int at = 0; at < int(shown.size()); ++at) {
        const PickerRow& row = rows[size_t(shown[size_t(at)])];
        if (!row.Pickable) continue;
        if (row.Kind == RowKind::Back) return at;
        nearestForward = at;
    }
    return nearestForward;
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
