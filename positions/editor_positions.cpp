#include "positions/editor_positions.h"

#include "history/arrival.h"
#include "history/line_fingerprint.h"

#include <algorithm>

namespace {

// The line and column a cursor text names, the column 0 for "LINEx0" (the
// line alone); false when it names no line.
bool CursorLineColumn(const std::string& cursor, int32_t* line, int32_t* column) {
    if (ParseCursorPosition(cursor, line, column)) return true;
    *column = 0;
    return ParseCursorLine(cursor, line);
}

std::string CursorOf(const Landing& landing) {
    return std::to_string(landing.Line) + "x" + std::to_string(landing.Column);
}

bool Arrive(const EditorSession& editor, const HistoryEntry& entry, HistoryEntry* arrival,
            Landing* landing) {
    int32_t line = 0, column = 0;
    if (!CursorLineColumn(entry.Cursor, &line, &column)) return false;
    const int64_t lines = editor.LineCount();
    if (lines < 1) return false;
    // A line past the end is looked for from the last line.
    const int64_t around = std::min<int64_t>(line, lines);
    const int64_t reach = RelocationWindow + FingerprintNeighbours;
    EditorExcerpt excerpt;
    if (editor.ReadLines(around - reach, around + reach, &excerpt)) {
        SourceLines text = editor.LinesOf(excerpt);
        *arrival = ArrivalIn(text, entry);
        int32_t arrivalLine = 0, arrivalColumn = 0;
        return ParseCursorPosition(arrival->Cursor, &arrivalLine, &arrivalColumn) &&
               LandOn(text, arrivalLine, arrivalColumn, landing);
    }
    // Where the code cannot be read, the remembered line.
    if (!editor.LandByMessages(line, column, landing)) return false;
    *arrival = entry;
    arrival->Cursor = CursorOf(*landing);
    return true;
}

} // namespace

std::string CursorLineFingerprint(const EditorSession& editor, const std::string& cursor) {
    int32_t line = 0;
    EditorExcerpt excerpt;
    if (!editor.Window() || !ParseCursorLine(cursor, &line) ||
        !editor.ReadLines(int64_t(line) - FingerprintNeighbours,
                          int64_t(line) + FingerprintNeighbours, &excerpt))
        return "";
    SourceLines lines = editor.LinesOf(excerpt);
    return FingerprintOfLine(lines, line);
}

HistoryEntry ArrivalInEditor(const EditorSession& editor, const HistoryEntry& entry) {
    HistoryEntry arrival;
    Landing landing;
    return Arrive(editor, entry, &arrival, &landing) ? arrival : entry;
}

HistoryEntry ShowArrival(const EditorSession& editor, const HistoryEntry& entry) {
    HistoryEntry arrival;
    Landing landing;
    int32_t line = 0, column = 0;
    if (!CursorLineColumn(entry.Cursor, &line, &column) ||
        !Arrive(editor, entry, &arrival, &landing))
        return entry;
    editor.PutCaret(landing, column);
    return arrival;
}

HistoryEntry PositionAt(const EditorSession& editor, const std::string& file,
                        const CaretPlace& place) {
    const int64_t line = place.Line + 1;
    EditorExcerpt excerpt;
    std::string fingerprint, cursor;
    if (editor.ReadLines(line - FingerprintNeighbours, line + FingerprintNeighbours, &excerpt)) {
        SourceLines lines = editor.LinesOf(excerpt);
        fingerprint = FingerprintOfLine(lines, line);
        cursor = editor.CursorText(place, &lines);
    } else {
        cursor = editor.CursorText(place);
    }
    if (cursor.empty()) cursor = std::to_string(line) + "x1";
    return {file, cursor, fingerprint};
}
