#include "follower/follower.h"

#include "common/auto_handle.h"
#include "common/code_page.h"
#include "history/history_store.h"
#include "history/history_turn.h"
#include "ide/editor_session.h"
#include "ide/follower_link.h"
#include "positions/editor_positions.h"

#include <cstdint>

namespace {

constexpr UINT_PTR RetryTimer = 1, PauseTimer = 2;
// A history file held by another tool is tried again this often, for as
// long as it is held.
constexpr UINT RetryMs = 250;
// A step that never says it ended (killed) does not stop the following.
constexpr UINT PauseLimitMs = 30000;
// Within FollowerEndGraceMs, beside a held file's wait.
constexpr DWORD FinalTurnWaitMs = 900;
constexpr size_t MaxWaitingEntries = 10000;
constexpr size_t MaxQueuedReports = 4096;

Follower* TheFollower = nullptr;

// How the follower asks an editor, with columns as its IDE counts them.
EditorSession Asking(HWND editor, bool utf8, const IdeEndWatch* watch) {
    return EditorSession(editor, utf8 ? ColumnCounting::Characters : ColumnCounting::Bytes,
                         FollowerAsk, watch);
}

EditorId IdOf(HWND editor) {
    return EditorId(uintptr_t(editor));
}

HWND EditorOf(EditorId id) {
    return HWND(uintptr_t(id));
}

enum class Written { Done, Busy, Failed };

// As Remember records, but for a position that is the newest entry already
// (Remember right before a jump gives one entry, not two). A file held by
// another tool is not waited for here: the follower goes on following and
// tries again.
Written WriteEntry(const HistoryEntry& entry) {
    switch (HistoryStore().Record(entry, OpenPolicy::NoWait, true).Outcome) {
    case Recorded::Entry::Written:
    case Recorded::Entry::AlreadyNewest:
        return Written::Done;
    case Recorded::Entry::Busy:
        return Written::Busy;
    default:
        return Written::Failed;
    }
}

void CALLBACK HearReport(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                         DWORD) {
    if (!TheFollower || !window || child != CHILDID_SELF) return;
    if (event == EVENT_OBJECT_LOCATIONCHANGE && object == OBJID_CARET)
        TheFollower->Queue(false, window);
    else if (event == EVENT_OBJECT_FOCUS && object == OBJID_CLIENT)
        TheFollower->Queue(true, window);
}

} // namespace

Follower::Follower(HWND window, const IdeConnection& ide, HANDLE ideProcess, DWORD ideProcessId)
    : window_(window), ide_(ide), ideProcess_(ideProcess), ideProcessId_(ideProcessId) {
    TheFollower = this;
}

Follower::~Follower() {
    TheFollower = nullptr;
}

void Follower::Run(const FollowerNews& first) {
    utf8_ = IsTodaysIde(ide_);
    // Two hooks rather than one over the range between: the events between
    // (selections, states) are many and of no use here.
    HWINEVENTHOOK hooks[] = {SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr,
                                             HearReport, ideProcessId_, 0, WINEVENT_OUTOFCONTEXT),
                             SetWinEventHook(EVENT_OBJECT_LOCATIONCHANGE,
                                             EVENT_OBJECT_LOCATIONCHANGE, nullptr, HearReport,
                                             ideProcessId_, 0, WINEVENT_OUTOFCONTEXT)};
    Take(first);
    Flush(HistoryTurnWaitMs);
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &ideProcess_, INFINITE, QS_ALLINPUT,
                                                       MWMO_INPUTAVAILABLE);
        if (woke != WAIT_OBJECT_0 + 1) break; // the IDE ended
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        HandleReports();
        Flush(HistoryTurnWaitMs);
    }
    for (HWINEVENTHOOK hook : hooks)
        if (hook) UnhookWinEvent(hook);
    Flush(FinalTurnWaitMs);
}

void Follower::Queue(bool focus, HWND editor) {
    if (rules_.Paused()) return;
    // The editor is asked where its caret is when the report is handled, so
    // a second report of the same editor in a row adds nothing.
    if (!focus && !reports_.empty() && !reports_.back().Focus && reports_.back().Editor == editor)
        return;
    if (reports_.size() >= MaxQueuedReports) reports_.pop_front();
    reports_.push_back({focus, editor});
}

bool Follower::IsIdeEditor(HWND editor) {
    if (rules_.Knows(IdOf(editor))) return true;
    char name[16];
    const int length = GetClassNameA(editor, name, sizeof name);
    return length > 0 && lstrcmpiA(name, "Scintilla") == 0 &&
           GetAncestor(editor, GA_ROOT) == ide_.MainWindow;
}

void Follower::HandleReports() {
    while (!reports_.empty()) {
        const Report report = reports_.front();
        reports_.pop_front();
        Handle(report);
    }
}

// Reports of hidden editors are a step's or the IDE's own doing, not where
// the user is.
void Follower::Handle(const Report& report) {
    if (rules_.Paused() || !IsWindowVisible(report.Editor) || !IsIdeEditor(report.Editor)) return;
    CaretPlace place;
    if (!Asking(report.Editor, utf8_, ide_.EndWatch).Caret(&place)) {
        if (!IsWindow(report.Editor)) rules_.Forget(IdOf(report.Editor));
        return;
    }
    const EditorId id = IdOf(report.Editor);
    Keep(report.Focus ? rules_.BecameCurrent(id, place) : rules_.CaretSeen(id, place));
}

LRESULT Follower::TakeNews(const COPYDATASTRUCT& data) {
    FollowerNews news;
    if (data.dwData != FollowerNewsData || !data.lpData ||
        !ParseNews(std::string_view(static_cast<const char*>(data.lpData), data.cbData), &news))
        return 0;
    // What the editors reported before the news happened before it.
    HandleReports();
    Take(news);
    // The closing source's position is read: the IDE may close it now.
    ReplyMessage(1);
    Flush(HistoryTurnWaitMs);
    return 1;
}

void Follower::Take(const FollowerNews& news) {
    rules_.SetJumpLines(news.JumpLines);
    const HWND editor = EditorOf(news.Editor);
    if (!editor || !IsIdeEditor(editor)) return;
    CaretPlace place;
    switch (news.Event) {
    case FollowerEvent::Loaded:
        ForgetGoneEditors();
        // Where the file was loaded, so that the first move counts as one.
        if (!rules_.Knows(news.Editor) && IsWindowVisible(editor) &&
            Asking(editor, utf8_, ide_.EndWatch).Caret(&place))
            Keep(rules_.BecameCurrent(news.Editor, place));
        [[fallthrough]];
    case FollowerEvent::Saved:
        if (!news.File.empty()) rules_.NameSource(news.Editor, news.File);
        break;
    case FollowerEvent::Closing:
        if (Asking(editor, utf8_, ide_.EndWatch).Caret(&place))
            Keep(rules_.Closing(news.Editor, place));
        else
            rules_.Forget(news.Editor);
        break;
    default:
        break;
    }
}

// Column and fingerprint are read now, while the editor holds the line.
void Follower::Keep(const std::vector<PositionLeft>& positions) {
    for (const PositionLeft& left : positions) {
        if (waiting_.size() >= MaxWaitingEntries) waiting_.pop_front();
        waiting_.push_back(Entry(left));
    }
}

HistoryEntry Follower::Entry(const PositionLeft& left) const {
    return PositionAt(Asking(EditorOf(left.Editor), utf8_, ide_.EndWatch), left.File, left.Place);
}

// In the history's turn, which a step holds for its whole run; while waiting
// for it the follower answers the step, which may be telling it that it
// starts.
void Follower::Flush(DWORD turnWaitMs) {
    if (flushing_ || waiting_.empty()) return;
    flushing_ = true;
    {
        HistoryTurn turn(HistoryStore(), turnWaitMs, true);
        WriteWaiting();
    }
    flushing_ = false;
    SayFailure();
}

void Follower::WriteWaiting() {
    while (!waiting_.empty()) {
        const Written written = WriteEntry(waiting_.front());
        if (written == Written::Busy) {
            SetTimer(window_, RetryTimer, RetryMs, nullptr);
            return;
        }
        waiting_.pop_front();
        if (written == Written::Failed)
            failureToSay_ = !failureSaid_;
        else
            failureSaid_ = false;
    }
    KillTimer(window_, RetryTimer);
}

// Once, until a position is written again.
void Follower::SayFailure() {
    if (!failureToSay_) return;
    failureToSay_ = false;
    failureSaid_ = true;
    LogMessage(ide_, LogText::NotRecorded);
}

// The step holds the turn and waits: what the user left is written now,
// without the turn.
LRESULT Follower::StepStarts() {
    reports_.clear(); // the editor shown is asked directly instead
    CaretPlace place;
    const HWND shown = ShownEditor(&place);
    Keep(rules_.StepStarts(IdOf(shown), place));
    WriteWaiting();
    SetTimer(window_, PauseTimer, PauseLimitMs, nullptr);
    return 1;
}

LRESULT Follower::StepEnded() {
    KillTimer(window_, PauseTimer);
    reports_.clear();
    CaretPlace place;
    const HWND shown = ShownEditor(&place);
    rules_.StepEnded(IdOf(shown), place);
    return 1;
}

void Follower::TimerRan(UINT_PTR timer) {
    if (timer == PauseTimer)
        StepEnded();
    else if (timer == RetryTimer)
        Flush(HistoryTurnWaitMs);
}

// The editor the IDE shows and its caret; null when none shows or it does
// not answer.
HWND Follower::ShownEditor(CaretPlace* place) {
    DiscoverIdeWindows(ide_);
    const HWND editor = VisibleEditor(ide_);
    return editor && Asking(editor, utf8_, ide_.EndWatch).Caret(place) ? editor : nullptr;
}

// Closed sources whose closing was not heard; looked for only when their
// number has grown, so that a thousand files opened cost little.
void Follower::ForgetGoneEditors() {
    if (rules_.SourceCount() < 2 * sourcesAtSweep_ + 64) return;
    for (EditorId editor : rules_.Editors())
        if (!IsWindow(EditorOf(editor))) rules_.Forget(editor);
    sourcesAtSweep_ = rules_.SourceCount();
}

LRESULT CALLBACK FollowerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (TheFollower) {
        switch (message) {
        case WM_COPYDATA:
            return TheFollower->TakeNews(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case FollowerStepStarts:
            return TheFollower->StepStarts();
        case FollowerStepEnded:
            return TheFollower->StepEnded();
        case WM_TIMER:
            TheFollower->TimerRan(wParam);
            return 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
