// The rows of "Recent positions" as plain logic: which entries are listed
// in which order, what each row shows, which rows a filter keeps and where
// the selection goes. A row is listed before its file is read: its code,
// and where not known yet where a step to it lands, follow while the list
// is open.
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
// The filter's length in UTF-16 units. No longer filter could match: a
// file name has at most 255 units, a row's code at most MaxCodeCharacters
// characters of two units each (a tab shown as two blanks, a character
// beyond the BMP). And the edit field's own work for a key grows with its
// text.
constexpr size_t MaxFilterUnits = 512;

enum class RowKind { Forward, Current, Back };

struct PickerRow {
    RowKind Kind = RowKind::Back;
    // Reached by Presses presses of Go forward (Forward) or Go back (Back).
    bool Pickable = false;
    int Presses = 0;
    HistoryEntry Entry; // as the history holds it, the name in UTF-8
    // Where a step to the row lands; until known, the row shows Entry.
    HistoryEntry Arrival;
    bool ArrivalKnown = true;
    // False until the code of the arrival's line has been read.
    bool CodeKnown = false;
    // What the row shows, in UTF-8.
    std::string Name, Folder, Position, Code;
    // Name and Code with letter case folded, as the filter compares them.
    std::string FoldedName, FoldedCode;
};

// An entry of a history file as the presses meet it: Arrival is where the
// IDE lands (the position and code shown) once ArrivalKnown; a file that
// cannot be shown is listed with its entry as recorded.
struct ListedEntry {
    HistoryEntry Entry;
    bool Showable = false;
    HistoryEntry Arrival;
    bool ArrivalKnown = true;
};

// Top to bottom: the forward entries, the one Go forward reaches last at the
// top; the current position; the back entries, newest first. Both lists
// come as the presses meet them, the nearest first. Rows of files that
// cannot be shown have no code to wait for.
std::vector<PickerRow> ArrangeRows(const std::vector<ListedEntry>& forward,
                                   const PickerRow& current, const std::vector<ListedEntry>& back);

// A row for a position, its code not read yet: the file's name and folder,
// "LINE:COLUMN" (another cursor text as it is).
PickerRow RowOf(RowKind kind, const HistoryEntry& shown);

// The row still waits for its arrival or its code.
bool RowPending(const PickerRow& row);
// What the row shows once its file was read: where a step lands (the
// position shown changes to it) and the code there.
void CompleteRow(PickerRow& row, const HistoryEntry& arrival, const std::string& code);

// A line of source as a row shows it: without its indentation, each further
// tab as two blanks, at most MaxCodeCharacters characters; UTF-8 as it is,
// other bytes read in the code page.
std::string CodeForRow(std::string_view line, const CodePage& codePage);

// The rows a filter keeps, as indexes into rows in their order: those whose
// file name or code known so far holds the filter, letter case ignored, and
// always the current position. The rows must outlive it.
class RowFilter {
  public:
    explicit RowFilter(const std::vector<PickerRow>& rows);

    const std::vector<int>& Shown() const { return shown_; }
    // Keeps the rows that hold filter; true when they are others than
    // before. A filter that extends the one before looks only at the rows
    // still shown.
    bool Apply(std::string_view filter);
    // The row's code became known: true when the filter now keeps it too.
    bool Recheck(int row);

  private:
    bool Keeps(const PickerRow& row) const;

    const std::vector<PickerRow>& rows_;
    std::string folded_;
    std::vector<int> shown_;
};

// The row a fresh list selects (an index into shown): the newest pickable
// back entry, else the current position, where Enter is one Go back as
// well; -1 when neither is shown.
int InitialSelection(const std::vector<PickerRow>& rows, const std::vector<int>& shown);
// The first pickable row of shown; -1 when none.
int FirstPickable(const std::vector<PickerRow>& rows, const std::vector<int>& shown);
// The selection moved by `by` rows (negative: up) onto the nearest pickable
// row in that direction, or to the last pickable one before the end; the
// selection stays where no pickable row is that way.
int MoveSelection(const std::vector<PickerRow>& rows, const std::vector<int>& shown, int from,
                  int by);
