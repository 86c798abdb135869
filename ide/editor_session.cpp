#include "ide/editor_session.h"

#include "ide/ide_access.h"
#include "ide/ide_messages.h"

#include <algorithm>
#include <climits>

namespace {

// Far more than the lines around one line ever take; a larger range is a
// broken answer or lines no one reads.
constexpr int64_t MaxExcerptBytes = int64_t(16) << 20;

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

// The lines of an editor as its own position messages tell them.
class MessageGround : public LandingGround {
  public:
    explicit MessageGround(const EditorSession& editor) : editor_(editor) {}

    int64_t LineCount() override { return editor_.LineCount(); }

    bool LineBounds(int64_t line, int64_t* start, int64_t* end) override {
        const auto from = editor_.Ask(SCI_POSITIONFROMLINE, WPARAM(line - 1));
        if (!from || *from < 0) return false;
        const auto to = editor_.Ask(SCI_GETLINEENDPOSITION, WPARAM(line - 1));
        if (!to || *to < *from) return false;
        *start = *from;
        *end = *to;
        return true;
    }

    int64_t ColumnPosition(int64_t start, int64_t end, int64_t column) override {
        // A line of n bytes holds at most n characters: a column beyond
        // that is past the end without asking, however large it is.
        if (column - 1 >= end - start) return end;
        const auto moved = editor_.Ask(SCI_POSITIONRELATIVE, WPARAM(start), LPARAM(column - 1));
        return moved && *moved >= start && *moved < end ? *moved : end;
    }

    int32_t ColumnAt(int64_t start, int64_t position) override {
        int64_t columns = std::max<int64_t>(position - start, 0);
        if (columns > 0 && editor_.Counting() == ColumnCounting::Characters) {
            const auto counted = editor_.Ask(SCI_COUNTCHARACTERS, WPARAM(start), LPARAM(position));
            if (counted && *counted >= 0) columns = *counted;
        }
        return int32_t(std::min<int64_t>(columns + 1, INT32_MAX));
    }

  private:
    const EditorSession& editor_;
};

std::string CursorTextOver(LandingGround& ground, const CaretPlace& place) {
    int64_t start = 0, end = 0;
    if (!ground.LineBounds(place.Line + 1, &start, &end)) return "";
    return std::to_string(place.Line + 1) + "x" +
           std::to_string(ground.ColumnAt(start, place.Position));
}

} // namespace

std::optional<LRESULT> AskWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 const AskPolicy& policy, const IdeEndWatch* watch) {
    DWORD_PTR result = 0;
    if ((watch && watch->Ended()) || !SendMessageTimeoutA(window, message, wParam, lParam,
                                                          policy.Flags, policy.TimeoutMs, &result))
        return std::nullopt;
    return LRESULT(result);
}

EditorSession::EditorSession(HWND editor, ColumnCounting counting, const AskPolicy& policy,
                             const IdeEndWatch* watch)
    : editor_(editor), counting_(counting), policy_(policy), watch_(watch) {}

std::optional<LRESULT> EditorSession::Ask(UINT message, WPARAM wParam, LPARAM lParam) const {
    return AskWindow(editor_, message, wParam, lParam, policy_, watch_);
}

bool EditorSession::Caret(CaretPlace* place) const {
    const auto position = Ask(SCI_GETCURRENTPOS);
    if (!position || *position < 0) return false;
    const auto line = Ask(SCI_LINEFROMPOSITION, WPARAM(*position));
    if (!line || *line < 0) return false;
    *place = {*line, *position};
    return true;
}

int64_t EditorSession::CaretLine() const {
    CaretPlace place;
    return Caret(&place) ? place.Line + 1 : 0;
}

int64_t EditorSession::LineCount() const {
    return std::max<LRESULT>(Ask(SCI_GETLINECOUNT).value_or(0), 0);
}

bool EditorSession::ReadLines(int64_t first, int64_t last, EditorExcerpt* excerpt) const {
    if (!editor_) return false;
    const int64_t lines = LineCount();
    first = std::max<int64_t>(first, 1);
    last = std::min<int64_t>(last, lines);
    if (lines < 1 || first > last) return false;
    const LRESULT start = Ask(SCI_POSITIONFROMLINE, WPARAM(first - 1)).value_or(-1);
    const LRESULT end = Ask(SCI_GETLINEENDPOSITION, WPARAM(last - 1)).value_or(-1);
    const LRESULT length = Ask(SCI_GETLENGTH).value_or(-1);
    // The range must lie within the text: the editor does not check it.
    if (start < 0 || end < start || end > length || end - start > MaxExcerptBytes) return false;
    excerpt->First = first;
    excerpt->Start = start;
    excerpt->DocumentLines = lines;
    excerpt->Text.clear();
    if (end == start) return true;
    const LRESULT address = Ask(SCI_GETRANGEPOINTER, WPARAM(start), end - start).value_or(0);
    if (address <= 0) return false;
    return ReadRemote(editor_, address, size_t(end - start), &excerpt->Text);
}

SourceLines EditorSession::LinesOf(const EditorExcerpt& excerpt) const {
    return SourceLines(excerpt.Text, excerpt.First, excerpt.Start, excerpt.DocumentLines,
                       counting_);
}

std::string EditorSession::CursorText(const CaretPlace& place, SourceLines* read) const {
    if (read && read->Holds(place.Line + 1)) return CursorTextOver(*read, place);
    EditorExcerpt excerpt;
    if (ReadLines(place.Line + 1, place.Line + 1, &excerpt)) {
        SourceLines lines = LinesOf(excerpt);
        return CursorTextOver(lines, place);
    }
    MessageGround ground(*this);
    return CursorTextOver(ground, place);
}

bool EditorSession::Land(int64_t line, int64_t column, Landing* landing) const {
    const int64_t lines = LineCount();
    if (lines < 1) return false;
    // The line landed on, and the one before it, which a line past the last
    // may land on instead.
    const int64_t target = std::clamp<int64_t>(line, 1, lines);
    EditorExcerpt excerpt;
    if (!ReadLines(target - 1, target, &excerpt)) return LandByMessages(line, column, landing);
    SourceLines text = LinesOf(excerpt);
    return LandOn(text, line, column, landing);
}

bool EditorSession::LandByMessages(int64_t line, int64_t column, Landing* landing) const {
    MessageGround ground(*this);
    return LandOn(ground, line, column, landing);
}

void EditorSession::PutCaret(const Landing& landing, int64_t column) const {
    if (column <= 1)
        Ask(SCI_GOTOLINE, WPARAM(landing.Line - 1));
    else
        Ask(SCI_GOTOPOS, WPARAM(landing.Position));
}

bool EditorSession::GoTo(int64_t line, int64_t column) const {
    Landing landing;
    if (!Land(line, column, &landing)) return false;
    PutCaret(landing, column);
    return true;
}

ColumnCounting IdeCounting(IdeConnection& ide) {
    return IsTodaysIde(ide) ? ColumnCounting::Characters : ColumnCounting::Bytes;
}

EditorSession SessionOf(IdeConnection& ide, HWND editor, const AskPolicy& policy) {
    return EditorSession(editor, IdeCounting(ide), policy, ide.EndWatch);
}
