// The history files shared by the history tools: one entry per line, oldest
// first, each line the source file, "|", the cursor text and CR LF, in the
// bytes the IDE handed over. An empty file is an empty history.
#pragma once
#include <cstdint>
#include <string>

// Both files live in the tools' working folder, which the installer makes
// the same for every history tool.
constexpr char HistoryBackFileName[] = "History_Back.txt";
constexpr char HistoryForwardFileName[] = "History_Forward.txt";

// One complete line of a history file, CR LF included.
std::string FormatHistoryEntry(const std::string& file, const std::string& cursor);

// One line of a history file: file path, "|", cursor text, CR LF.
struct HistoryEntry {
    std::string File;
    std::string Cursor;
};

// Splits a line (without its line end) at its first "|". A line without one
// is not an entry.
bool ParseHistoryEntry(const std::string& line, HistoryEntry* entry);

// The line of a cursor text "LINExCOLUMN" (both counted from 1); false for any
// other form.
bool ParseCursorLine(const std::string& cursor, int32_t* line);

// The line and column of a cursor text "LINExCOLUMN", both from 1 and below
// 2^31; false for any other form, a column of 0 among them.
bool ParseCursorPosition(const std::string& cursor, int32_t* line, int32_t* column);

// Both name the same file (letter case ignored as the IDE's file list is
// searched) and the same line.
bool SamePosition(const HistoryEntry& a, const HistoryEntry& b);
