#include "history/arrival.h"

#include "history/line_fingerprint.h"

HistoryEntry ArrivalIn(SourceLines& lines, const HistoryEntry& entry) {
    int32_t line = 0, column = 0;
    if (!ParseCursorPosition(entry.Cursor, &line, &column)) {
        // "LINEx0" names the line alone.
        if (!ParseCursorLine(entry.Cursor, &line)) return entry;
        column = 0;
    }
    const int64_t found =
        entry.Fingerprint.empty() ? line : RelocateLine(lines, line, entry.Fingerprint);
    Landing landing;
    if (!LandOn(lines, found, column, &landing)) return entry;
    HistoryEntry arrival = entry;
    arrival.Cursor = std::to_string(landing.Line) + "x" + std::to_string(landing.Column);
    arrival.Fingerprint = FingerprintOfLine(lines, landing.Line);
    return arrival;
}
