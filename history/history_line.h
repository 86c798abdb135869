// The history files shared by the history tools: one entry per line, oldest
// first, each line the source file, "|", the cursor text and CR LF, in the
// bytes the IDE handed over; the cursor may be followed by "|" and the
// fingerprint of its line (history/line_fingerprint.h). An empty file is an
// empty history.
#pragma once
#include <cstdint>
#include <string>

// Both files live in the tools' working folder, which the installer makes
// the same for every history tool.
constexpr char HistoryBackFileName[] = "History_Back.txt";
constexpr char HistoryForwardFileName[] = "History_Forward.txt";
// Beside them while a step runs: what it did, so that a step killed
// half-way is taken back (history/history_store.h).
constexpr char HistoryStepNoteName[] = "History_Step.txt";

// One complete line of a history file, CR LF included. Without a
// fingerprint, or with one that would not read back as written (a line end
// or "|" in it, a "|" in the cursor), the bytes of an entry written before
// fingerprints existed.
std::string FormatHistoryEntry(const std::string& file, const std::string& cursor,
                               const std::string& fingerprint = "");

// One line of a history file: file path, "|", cursor text, optionally "|"
// and a fingerprint, CR LF.
struct HistoryEntry {
    std::string File;
    std::string Cursor;
    // Empty for an entry without one; a default, so that older code that
    // names only file and cursor stays as it is.
    std::string Fingerprint = {};
};

// Splits a line (without its line end) at its first "|" into the file and
// the rest, which SplitCursorField splits. A line without "|" is not an
// entry.
bool ParseHistoryEntry(const std::string& line, HistoryEntry* entry);

// The rest of an entry after the file, which cannot hold "|": without a
// second "|" the cursor is the whole rest, as for every entry written before
// fingerprints. More than one "|" after the cursor leaves the fingerprint
// empty.
struct CursorField {
    std::string Cursor;
    std::string Fingerprint;
};
CursorField SplitCursorField(const std::string& afterFile);

// The line of a cursor text "LINExCOLUMN" (both counted from 1); false for any
// other form.
bool ParseCursorLine(const std::string& cursor, int32_t* line);

// The line and column of a cursor text "LINExCOLUMN", both from 1 and below
// 2^31; false for any other form, a column of 0 among them.
bool ParseCursorPosition(const std::string& cursor, int32_t* line, int32_t* column);

// Both name the same file (letter case ignored as the IDE's file list is
// searched) and the same line; fingerprints are not compared.
bool SamePosition(const HistoryEntry& a, const HistoryEntry& b);
