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

HistoryEntry ArrivalInSource(PartialSource& source, const HistoryEntry& entry) {
    int32_t line = 0;
    if (!ParseCursorLine(entry.Cursor, &line)) return entry;
    // Where every hash matches, the line is where it was remembered.
    SourceLines* lines = source.Through(int64_t(line) + FingerprintNeighbours);
    if (lines && !entry.Fingerprint.empty() && FingerprintOfLine(*lines, line) != entry.Fingerprint)
        lines = source.Through(int64_t(line) + RelocationWindow + FingerprintNeighbours);
    return lines ? ArrivalIn(*lines, entry) : entry;
}
