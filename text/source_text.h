// The text of a source, as the IDE's editor holds it, in one place: its
// lines split as the editor splits them, a column counted as the IDE counts
// it for its tools, and the one rule of where the caret lands when it is put
// on a line and column. Plain logic over bytes: an editor's text, an excerpt
// of whole lines of it, or a file as read from disk.
//
// Lines end at LF, CR LF and CR; a text that ends in a line end has an empty
// last line after it, and an empty text is one empty line. Lines are counted
// from 1, as %CURSOR counts them; a column is counted from 1 too.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// How the IDE counts a column for %CURSOR and for its own jumps: today's IDE
// holds its text in UTF-8 and counts characters (a tab is one, and so is a
// character of several bytes); the classic IDE's 8-bit editor counts bytes.
enum class ColumnCounting { Characters, Bytes };

// Where an editor's caret is, as the editor answers it: its 0-based line and
// its byte position in the whole text.
struct CaretPlace {
    int64_t Line = 0;
    int64_t Position = 0;
    bool operator==(const CaretPlace& o) const { return Line == o.Line && Position == o.Position; }
};

// The offset where the line that starts at `from` ends: at its line end, or
// at the text's end.
size_t LineEndAt(std::string_view text, size_t from);
// The offset where the line after the one that starts at `from` starts; npos
// when that line is the text's last.
size_t NextLineStart(std::string_view text, size_t from);

// Whether a byte starts a column: in UTF-8 text every byte but those that
// continue a character.
bool StartsColumn(char byte, ColumnCounting counting);
// The columns the bytes take.
int64_t CountColumns(std::string_view bytes, ColumnCounting counting);
// The 1-based column of the caret `offset` bytes into the line. Bytes past
// the end of what line holds count one each (a line read only in part); an
// offset below 0 is the line's start.
int32_t ColumnOfOffset(std::string_view line, int64_t offset, ColumnCounting counting);
// The byte offset of the 1-based column in the line: its end for a column
// past it, its start for a column below 1.
size_t OffsetOfColumn(std::string_view line, int64_t column, ColumnCounting counting);

// The lines a caret lands on, by the positions of a document: a text's, or
// an editor's, asked with the editor's own messages.
class LandingGround {
  public:
    virtual ~LandingGround() = default;
    // The lines the document has, as the editor counts them; 0 when it
    // cannot tell.
    virtual int64_t LineCount() = 0;
    // The positions of the 1-based line's start and of its end (before its
    // line end); false when the line cannot be told.
    virtual bool LineBounds(int64_t line, int64_t* start, int64_t* end) = 0;
    // The position of the 1-based column in the line of those bounds: the
    // line's end for a column past it.
    virtual int64_t ColumnPosition(int64_t start, int64_t end, int64_t column) = 0;
    // The 1-based column of a position in the line that starts at start.
    virtual int32_t ColumnAt(int64_t start, int64_t position) = 0;
};

// Where the caret lands: the line, the column as the IDE counts it, and the
// position in the document.
struct Landing {
    int64_t Line = 1;
    int32_t Column = 1;
    int64_t Position = 0;
};

// The one rule of where the caret lands for a line and column (column 0: no
// column, the line alone), as the IDE itself moves its editor,
// SCI_POSITIONRELATIVE(SCI_POSITIONFROMLINE(line - 1), column - 1): the line
// kept within the document, and past its last line, on the last line that
// holds text when a column is given; a column past the line's end at that
// end. False when the ground cannot tell its lines.
bool LandOn(LandingGround& ground, int64_t line, int64_t column, Landing* landing);

// The lines of a text of whole lines, split once and found as they are
// asked for, so that a look near the start of a large text reads no
// further. The text is an excerpt of a document, or the whole of it: its
// first line is the document's line `first`, its first byte the document's
// position `at`, and the document has `documentLines` lines (0: as many as
// the text reaches). The text must outlive the object.
class SourceLines : public LandingGround {
  public:
    explicit SourceLines(std::string_view text, int64_t first = 1, int64_t at = 0,
                         int64_t documentLines = 0,
                         ColumnCounting counting = ColumnCounting::Characters);

    std::string_view Text() const { return text_; }
    int64_t First() const { return first_; }
    ColumnCounting Counting() const { return counting_; }
    // The number of the text's last line (the whole text is read for it).
    int64_t Last();
    bool Holds(int64_t line);
    // The line without its line end; empty when the text does not hold it.
    std::string_view Line(int64_t line);
    // The offset of the line's start in the text; npos when not held.
    size_t Start(int64_t line);

    int64_t LineCount() override;
    bool LineBounds(int64_t line, int64_t* start, int64_t* end) override;
    int64_t ColumnPosition(int64_t start, int64_t end, int64_t column) override;
    int32_t ColumnAt(int64_t start, int64_t position) override;

  private:
    bool Reach(int64_t line);

    std::string_view text_;
    int64_t first_, at_, documentLines_;
    ColumnCounting counting_;
    std::vector<size_t> starts_; // of lines first_ on, as far as read
    bool complete_ = false;      // starts_ holds the text's last line
};
