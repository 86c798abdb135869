// Asking the IDE's windows, and one editor of the IDE as a tool sees it.
// Every message to the IDE goes through AskWindow, bounded by an AskPolicy
// and never sent once the IDE has ended (ide/ide_end.h). An EditorSession
// asks one editor where its caret is and how many lines it has, reads its
// lines where they lie in the IDE's process (the editor hands out the
// address of a range of its text: nothing of ours is put into the IDE's
// process, and no more than the lines asked for crosses over), gives the
// cursor text the IDE would give a tool, and puts the caret on a line and
// column by the one landing rule of text/source_text.h: over the editor's
// lines, or, where they cannot be read, over its own position messages.
#pragma once
#include <windows.h>

#include "ide/ide_end.h"
#include "text/source_text.h"

#include <cstdint>
#include <optional>
#include <string>

struct IdeConnection;

// How long an answer is waited for, and how: SendMessageTimeout's SMTO_
// flags.
struct AskPolicy {
    UINT TimeoutMs;
    UINT Flags;
};
// An IDE busy with a big file is waited for; a hung one never holds a tool
// for ever.
constexpr AskPolicy IdeAsk = {5000, SMTO_ABORTIFHUNG};
// A line for the log is not worth waiting as long for.
constexpr AskPolicy LogAsk = {2000, SMTO_ABORTIFHUNG};
// The IDE takes a file within this time or not at all: its own second start
// gives up after as long.
constexpr AskPolicy HandOverAsk = {10000, SMTO_ABORTIFHUNG};
// The follower: an editor that does not answer within a second is taken as
// not there, and nothing sent to the follower is handled while it asks, so
// that each report, news or step is dealt with whole before the next.
constexpr AskPolicy FollowerAsk = {1000, SMTO_BLOCK | SMTO_ABORTIFHUNG};

// The window's answer to the message; none when it gives none within the
// policy's time, or at once once the watched IDE has ended (watch null: no
// watch).
std::optional<LRESULT> AskWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 const AskPolicy& policy, const IdeEndWatch* watch);

// Whole lines of an editor's text, with the line ends between them as the
// editor holds them.
struct EditorExcerpt {
    std::string Text;
    int64_t First = 0;         // the document's number of the first line, from 1
    int64_t Start = 0;         // the editor's position of the first line's start
    int64_t DocumentLines = 0; // the lines of the whole document
};

class EditorSession {
  public:
    EditorSession(HWND editor, ColumnCounting counting, const AskPolicy& policy = IdeAsk,
                  const IdeEndWatch* watch = nullptr);

    HWND Window() const { return editor_; }
    ColumnCounting Counting() const { return counting_; }
    // The editor's answer under the session's policy.
    std::optional<LRESULT> Ask(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // Where the caret is; false when the editor does not answer.
    bool Caret(CaretPlace* place) const;
    // The caret's line, from 1; 0 when the editor does not answer.
    int64_t CaretLine() const;
    // The document's lines; 0 when the editor does not answer.
    int64_t LineCount() const;
    // Lines first to last (from 1; cut to the document's lines). False when
    // the editor does not answer, has no such first line, the range is
    // larger than a source file gets, or its memory cannot be read.
    bool ReadLines(int64_t first, int64_t last, EditorExcerpt* excerpt) const;
    // The excerpt's lines, numbered and placed as in the document, columns
    // counted as this editor counts them. The excerpt must outlive them.
    SourceLines LinesOf(const EditorExcerpt& excerpt) const;

    // "LINExCOLUMN" of a caret place, as the IDE gives it to its tools:
    // counted over `read` when those lines hold the caret's line, else over
    // the caret's line read now, else with the editor's position messages;
    // empty when the editor does not answer.
    std::string CursorText(const CaretPlace& place, SourceLines* read = nullptr) const;

    // Where the caret lands for a line and column (LandOn; column 0: the
    // line alone): over the editor's lines around that line, or, when they
    // cannot be read, by the editor's position messages. False when the
    // editor does not answer.
    bool Land(int64_t line, int64_t column, Landing* landing) const;
    // The same rule by the editor's position messages alone.
    bool LandByMessages(int64_t line, int64_t column, Landing* landing) const;
    // Puts the caret where it landed for the column asked: up to column 1
    // by the editor's own line message, as the IDE's jumps go, else at the
    // landing's position.
    void PutCaret(const Landing& landing, int64_t column) const;
    // Land, then PutCaret; false, with nothing moved, when it cannot land.
    bool GoTo(int64_t line, int64_t column) const;

  private:
    HWND editor_;
    ColumnCounting counting_;
    AskPolicy policy_;
    const IdeEndWatch* watch_;
};

// How the connected IDE counts a column: today's IDE in characters, the
// classic one in bytes.
ColumnCounting IdeCounting(IdeConnection& ide);
// A session of one of the connected IDE's editors, consulting its watch.
EditorSession SessionOf(IdeConnection& ide, HWND editor, const AskPolicy& policy = IdeAsk);
