#include "ide/editor_lines.h"

#include "common/auto_handle.h"
#include "history/history_line.h"
#include "history/line_fingerprint.h"
#include "ide/ide_access.h"
#include "ide/ide_messages.h"

#include <algorithm>

namespace {

// Far more than the lines around one line ever take; a larger range is a
// broken answer or lines no one reads.
constexpr LRESULT MaxExcerptBytes = LRESULT(16) << 20;
// The editor's answer, or -1 when it gives none in time: every message here
// answers a position, a count or an address, never -1.
LRESULT AskEditor(HWND editor, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return AskIde(editor, message, wParam, lParam, -1);
}

bool ReadRemote(HWND editor, LRESULT address, size_t size, std::string* text) {
    DWORD processId = 0;
    if (!GetWindowThreadProcessId(editor, &processId)) return false;
    AutoCloseHandle process(OpenProcess(PROCESS_VM_READ, FALSE, processId));
    if (!process.IsValid()) return false;
    text->assign(size, '\0');
    SIZE_T got = 0;
    return ReadProcessMemory(process.Get(), reinterpret_cast<const void*>(address), &(*text)[0],
                             size, &got) &&
           got == size;
}

} // namespace

bool ReadEditorLines(HWND editor, int64_t first, int64_t last, EditorExcerpt* excerpt,
                     EditorQuestion ask) {
    if (!editor) return false;
    const EditorQuestion question = ask ? ask : AskEditor;
    const LRESULT lines = question(editor, SCI_GETLINECOUNT, 0, 0);
    first = std::max<int64_t>(first, 1);
    last = std::min<int64_t>(last, lines);
    if (lines < 1 || first > last) return false;
    const LRESULT start = question(editor, SCI_POSITIONFROMLINE, WPARAM(first - 1), 0);
    const LRESULT end = question(editor, SCI_GETLINEENDPOSITION, WPARAM(last - 1), 0);
    const LRESULT length = question(editor, SCI_GETLENGTH, 0, 0);
    // The range must lie within the text: the editor does not check it.
    if (start < 0 || end < start || end > length || end - start > MaxExcerptBytes) return false;
    excerpt->First = first;
    excerpt->Start = start;
    excerpt->Text.clear();
    if (end == start) return true;
    const LRESULT address = question(editor, SCI_GETRANGEPOINTER, WPARAM(start), end - start);
    if (address <= 0) return false;
    return ReadRemote(editor, address, size_t(end - start), &excerpt->Text);
}

std::string CursorLineFingerprint(HWND editor, const std::string& cursor) {
    int32_t line = 0;
    EditorExcerpt excerpt;
    if (!editor || !ParseCursorLine(cursor, &line) ||
        !ReadEditorLines(editor, int64_t(line) - FingerprintNeighbours,
                         int64_t(line) + FingerprintNeighbours, &excerpt))
        return "";
    return FingerprintOfLine(excerpt.Text, int32_t(line - excerpt.First + 1));
}

int32_t RelocateEditorLine(HWND editor, int32_t rememberedLine, const std::string& fingerprint) {
    const int64_t reach = RelocationWindow + FingerprintNeighbours;
    EditorExcerpt excerpt;
    if (rememberedLine < 1 || fingerprint.empty() ||
        !ReadEditorLines(editor, rememberedLine - reach, rememberedLine + reach, &excerpt))
        return rememberedLine;
    // A remembered line past the excerpt's end still counts from its start.
    const int64_t shift = excerpt.First - 1;
    const int32_t found = RelocateLine(excerpt.Text, int32_t(rememberedLine - shift), fingerprint);
    return int32_t(found + shift);
}
