#include "history/history_line.h"

#include "common/text_rules.h"

#include <algorithm>

std::string FormatHistoryEntry(const std::string& file, const std::string& cursor,
                               const std::string& fingerprint) {
    const bool readsBack = !fingerprint.empty() && cursor.find('|') == std::string::npos &&
                           fingerprint.find_first_of("|\r\n") == std::string::npos;
    return file + "|" + cursor + (readsBack ? "|" + fingerprint : "") + "\r\n";
}

bool ParseHistoryEntry(const std::string& line, HistoryEntry* entry) {
    size_t bar = line.find('|');
    if (bar == std::string::npos) return false;
    CursorField field = SplitCursorField(line.substr(bar + 1));
    entry->File = line.substr(0, bar);
    entry->Cursor = std::move(field.Cursor);
    entry->Fingerprint = std::move(field.Fingerprint);
    return true;
}

CursorField SplitCursorField(const std::string& afterFile) {
    const size_t bar = afterFile.find('|');
    if (bar == std::string::npos) return {afterFile, {}};
    std::string fingerprint = afterFile.substr(bar + 1);
    if (fingerprint.find('|') != std::string::npos) fingerprint.clear();
    return {afterFile.substr(0, bar), fingerprint};
}

namespace {

bool AllDigits(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A number of digits from 1 up to INT32_MAX.
bool ParsePositiveNumber(const std::string& digits, int32_t* number) {
    int64_t value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value > INT32_MAX) return false;
    }
    if (value < 1) return false;
    *number = int32_t(value);
    return true;
}

} // namespace

bool ParseCursorLine(const std::string& cursor, int32_t* line) {
    size_t x = cursor.find('x');
    if (x == 0 || x == std::string::npos || x + 1 == cursor.size()) return false;
    std::string lineText = cursor.substr(0, x);
    if (!AllDigits(lineText) || !AllDigits(cursor.substr(x + 1))) return false;
    return ParsePositiveNumber(lineText, line);
}

bool ParseCursorPosition(const std::string& cursor, int32_t* line, int32_t* column) {
    int32_t lineNumber = 0, columnNumber = 0;
    if (!ParseCursorLine(cursor, &lineNumber) ||
        !ParsePositiveNumber(cursor.substr(cursor.find('x') + 1), &columnNumber))
        return false;
    *line = lineNumber;
    *column = columnNumber;
    return true;
}

bool SamePosition(const HistoryEntry& a, const HistoryEntry& b) {
    if (!SamePath(a.File, b.File)) return false;
    int32_t lineA = 0, lineB = 0;
    if (ParseCursorLine(a.Cursor, &lineA) && ParseCursorLine(b.Cursor, &lineB))
        return lineA == lineB;
    return a.Cursor == b.Cursor;
}
