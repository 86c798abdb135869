// The rows of "Recent positions" as plain logic: which entries are listed
// in which order, what each row shows, which rows a filter keeps and where
// the selection goes.
#pragma once
#include "common/utf.h"
#include "history/history_line.h"

#include <string>
#include <string_view>
#include <vector>

// At most this many entries of each history file are listed.
constexpr size_t MaxListedEntries = 1000;
// Lines looked at in each file, so that a history of lines that are no
// entries opens in bounded time too.
constexpr size_t MaxListedLines = 20000;
// Characters of a line's code kept for its row.
constexpr size_t MaxCodeCharacters = 240;

enum class RowKind { Forward, Current, Back };

struct PickerRow {
    RowKind Kind = RowKind::Back;
    // Reached by Presses presses of Go forward (Forward) or Go back (Back).
    bool Pickable = false;
    int Presses = 0;
    HistoryEntry Entry; // as the history holds it, the name in UTF-8
    // What the row shows, in UTF-8.
    std::string Name, Folder, Position, Code;
};

// An entry of a history file as the presses meet it: Arrival is where the
// IDE lands (the position and code shown); a file that cannot be shown is
// listed with its entry as recorded.
struct ListedEntry {
    HistoryEntry Entry;
    bool Showable = false;
    HistoryEntry Arrival;
    std::string Code; // the arrival's line as the file holds it now, in UTF-8
};

// Top to bottom: the forward entries, the one Go forward reaches last at the
// top; the current position; the back entries, newest first. Both lists
// come as the presses meet them, the nearest first.
std::vector<PickerRow> ArrangeRows(const std::vector<ListedEntry>& forward,
                                   const PickerRow& current, const std::vector<ListedEntry>& back);

// A row for a position: the file's name and folder, "LINE:COLUMN" (another
// cursor text as it is), and the code.
PickerRow RowOf(RowKind kind, const HistoryEntry& shown, const std::string& code);

// A line of source as a row shows it: without its indentation, each further
// tab as two blanks, at most MaxCodeCharacters characters; UTF-8 as it is,
// other bytes read in the code page.
std::string CodeForRow(std::string_view line, const CodePage& codePage);

// The rows a filter keeps, as indexes: those whose file name or code holds
// the filter, letter case ignored, and always the current position.
std::vector<int> FilterRows(const std::vector<PickerRow>& rows, const std::string& filter);

// The row a fresh list selects (an index into shown): the newest pickable
// back entry, else the nearest pickable forward entry; -1 when none.
int InitialSelection(const std::vector<PickerRow>& rows, const std::vector<int>& shown);
// The first pickable row of shown; -1 when none.
int FirstPickable(const std::vector<PickerRow>& rows, const std::vector<int>& shown);
// The selection moved by `by` rows (negative: up) onto the nearest pickable
// row in that direction, or to the last pickable one before the end; the
// selection stays where no pickable row is that way.
int MoveSelection(const std::vector<PickerRow>& rows, const std::vector<int>& shown, int from,
                  int by);
