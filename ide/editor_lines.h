// Reading a few lines of an editor's text where they lie in the IDE's
// process, for the fingerprint of a remembered line and for finding it
// again. The editor hands out the address of a range of its text; the lines
// are read from there, so nothing of ours is put into the IDE's process and
// no more than the lines asked for crosses over.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Whole lines of an editor's text, with the line ends between them as the
// editor holds them; First is the 1-based number of the first.
struct EditorExcerpt {
    std::string Text;
    int64_t First = 0;
    int64_t Start = 0; // the editor's position of the first line's start
};

// How the editor is asked a message: its answer, or -1 when it gives none in
// time. By default a bounded AskIde.
using EditorQuestion = LRESULT (*)(HWND editor, UINT message, WPARAM wParam, LPARAM lParam);

// Lines first to last (1-based; last is cut at the editor's last line).
// False when the editor does not answer, has no such first line, the range
// is larger than a source file gets, or its memory cannot be read.
bool ReadEditorLines(HWND editor, int64_t first, int64_t last, EditorExcerpt* excerpt,
                     EditorQuestion ask = nullptr);

// The fingerprint of the editor's line that a cursor text "LINExCOLUMN"
// names; empty without an editor (nothing is asked then), for another form
// of cursor, or when the text cannot be read.
std::string CursorLineFingerprint(HWND editor, const std::string& cursor);

// Where the remembered line is now in the editor (RelocateLine); the
// remembered number when the editor's text cannot be read.
int32_t RelocateEditorLine(HWND editor, int32_t rememberedLine, const std::string& fingerprint);
