#include "follower/follower.h"

#include "follower/side_buttons.h"
#include "history/history_store.h"
#include "history/history_turn.h"
#include "ide/editor_session.h"
#include "ide/file_list.h"
#include "ide/follower_link.h"
#include "positions/editor_positions.h"

#include <tlhelp32.h>

#include <cstdint>
#include <optional>

namespace {

constexpr UINT_PTR RetryTimer = 1, PauseTimer = 2, AskAgainTimer = 3, SettleTimer = 4;
// A history file held by another tool is tried again this often, for as
// long as it is held; an IDE that did not answer is asked again as often.
constexpr UINT RetryMs = 250;
// A step that never says it ended, and whose process lives on, does not
// stop the following for longer than this.
constexpr UINT PauseLimitMs = 30000;
// A position waits for the news of a start of the follower that runs as it
// is decided (the IDE runs one after each save) at most this long, looked
// at this often.
constexpr DWORD SettleLimitMs = 2000;
constexpr UINT SettleCheckMs = 50;
// The last write after the IDE ended, its turn included: within
// FollowerEndGraceMs.
constexpr DWORD FinalTurnWaitMs = 700, FinalBudgetMs = 1600;
constexpr size_t MaxWaitingEntries = 10000;
constexpr size_t MaxQueuedReports = 4096;

// The caret hook's: Windows calls it without context.
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

std::string OwnExeName() {
    char path[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string own(path, length < sizeof path ? length : 0);
    return own.substr(own.find_last_of("\\/") + 1);
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

Follower::Follower(const IdeConnection& ide, HANDLE ideProcess, DWORD ideProcessId,
                   bool sideButtons)
    : ide_(ide), ideProcess_(ideProcess), ideProcessId_(ideProcessId), sideButtons_(sideButtons),
      waiting_(MaxWaitingEntries), fileList_(ide.FileList) {
    TheFollower = this;
}

Follower::~Follower() {
    TheFollower = nullptr;
}

bool Follower::CreateWindowFor(HWND ideMainWindow) {
    return Create({FollowerClassName}, 0, FollowerTitle(ideMainWindow).c_str(), 0, 0, 0, 0, 0,
                  HWND_MESSAGE) != nullptr;
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
    // Gone with the follower, which ends with the IDE.
    std::optional<SideButtonListener> buttons;
    if (sideButtons_) buttons.emplace(Window());
    Take(first);
    SettleOrWrite();
    while (Wait()) {
        // One message a wake: Wait returns at once while more are queued, and
        // most wakes are the mouse's raw input, where a drain's last empty
        // look and a timer touched would cost as much as the input itself.
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        if (!askingAgain_ && !reports_.empty()) HandleReports();
        if (kept_) SettleOrWrite();
        Flush(HistoryTurnWaitMs);
        SayWhatHappened();
    }
    for (HWINEVENTHOOK hook : hooks)
        if (hook) UnhookWinEvent(hook);
    FinalFlush();
}

// False once the IDE has ended. A step's process that ends is the step's
// end, whether or not it said so.
bool Follower::Wait() {
    const HANDLE handles[] = {ideProcess_, stepProcess_.Get()};
    const DWORD count = stepProcess_.IsValid() ? 2 : 1;
    const DWORD woke =
        MsgWaitForMultipleObjectsEx(count, handles, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (count == 2 && woke == WAIT_OBJECT_0 + 1) StepEnded();
    return woke != WAIT_OBJECT_0 && woke != WAIT_FAILED;
}

void Follower::Queue(bool focus, HWND editor) {
    if (rules_.Paused()) return;
    // The editor is asked where its caret is when the report is handled, so
    // a second report of the same editor in a row adds nothing.
    if (!focus && !reports_.empty() && !reports_.back().Focus && reports_.back().Editor == editor)
        return;
    if (reports_.size() >= MaxQueuedReports) {
        reports_.pop_front();
        Happened(true, reportsDropSaid_, LogText::ReportsDropped);
    }
    reports_.push_back({focus, editor});
}

bool Follower::IsIdeEditor(HWND editor) {
    return rules_.Knows(IdOf(editor)) || IsScintillaOfIde(editor);
}

bool Follower::IsScintillaOfIde(HWND editor) const {
    char name[16];
    const int length = GetClassNameA(editor, name, sizeof name);
    return length > 0 && lstrcmpiA(name, "Scintilla") == 0 &&
           GetAncestor(editor, GA_ROOT) == ide_.MainWindow;
}

// In order; a report whose editor did not answer waits, with those after
// it, until the IDE answers again.
void Follower::HandleReports() {
    askingAgain_ = false;
    KillTimer(Window(), AskAgainTimer);
    while (!reports_.empty()) {
        if (!Handle(reports_.front())) {
            askingAgain_ = true;
            SetTimer(Window(), AskAgainTimer, RetryMs, nullptr);
            return;
        }
        reports_.pop_front();
    }
    Happened(false, reportsDropSaid_, LogText::ReportsDropped);
}

// Reports of hidden editors are a step's or the IDE's own doing, not where
// the user is. False when the editor is there but did not answer.
bool Follower::Handle(const Report& report) {
    if (rules_.Paused() || !IsWindowVisible(report.Editor) || !IsIdeEditor(report.Editor))
        return true;
    CaretPlace place;
    if (!Asking(report.Editor, utf8_, ide_.EndWatch).Caret(&place)) {
        if (IsWindow(report.Editor) && !(ide_.EndWatch && ide_.EndWatch->Ended())) return false;
        rules_.Forget(IdOf(report.Editor)); // gone: its closing was not heard
        return true;
    }
    const EditorId id = IdOf(report.Editor);
    Keep(report.Focus ? rules_.BecameCurrent(id, place) : rules_.CaretSeen(id, place));
    return true;
}

LRESULT Follower::TakeNews(const COPYDATASTRUCT& data) {
    FollowerNews news;
    if (!data.lpData ||
        !ParseNews(std::string_view(static_cast<const char*>(data.lpData), data.cbData), &news))
        return 0;
    // What the editors reported before the news happened before it, unless
    // the IDE is not answering: the news is not held up by asking again.
    if (!askingAgain_) HandleReports();
    const bool taken = Take(news);
    // The closing source's position is read: the IDE may close it now. No
    // later news names it anew, so it is written at once.
    ReplyMessage(taken);
    if (taken && news.Event == FollowerEvent::Closing) waiting_.AllDue();
    SettleOrWrite();
    return taken;
}

// Only what a start of this IDE could have given: an editor of its main
// window; any program of the session can send news.
bool Follower::Take(const FollowerNews& news) {
    rules_.SetJumpLines(news.JumpLines);
    const HWND editor = EditorOf(news.Editor);
    if (!editor || !IsScintillaOfIde(editor)) return false;
    fileList_ = news.FileList;
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
        if (news.File.empty()) break;
        rules_.NameSource(news.Editor, news.File);
        waiting_.Rename(news.Editor, rules_.FileOf(news.Editor));
        break;
    case FollowerEvent::Closing:
        RemoveFromFileList(fileList_, news.File);
        if (Asking(editor, utf8_, ide_.EndWatch).Caret(&place))
            Keep(rules_.Closing(news.Editor, place));
        else
            rules_.Forget(news.Editor);
        break;
    default:
        break;
    }
    return true;
}

// The editor that shows the file, for a tool that asks (FindEditorOfFile).
LRESULT Follower::AnswerEditorOf(const COPYDATASTRUCT& data) {
    if (!data.lpData || data.cbData > 3 * MaxPathUnits) return 0;
    const HWND editor = EditorOf(
        rules_.EditorOfFile(std::string(static_cast<const char*>(data.lpData), data.cbData)));
    return editor && IsScintillaOfIde(editor) ? LRESULT(editor) : 0;
}

// Column and fingerprint are read now, while the editor holds the line; the
// file is the source's name when the position is written.
void Follower::Keep(const std::vector<PositionLeft>& positions) {
    for (const PositionLeft& left : positions) {
        const HistoryEntry entry =
            PositionAt(Asking(EditorOf(left.Editor), utf8_, ide_.EndWatch), left.File, left.Place);
        if (!waiting_.Add({left.Editor, left.File, entry.Cursor, entry.Fingerprint,
                           GetTickCount64() + SettleLimitMs}))
            Happened(true, positionsDropSaid_, LogText::PositionsDropped);
        kept_ = true;
    }
}

// Positions wait while a start of the follower runs, whose news may name
// their source anew (a Save As just before a jump); else they are due.
void Follower::SettleOrWrite() {
    kept_ = false;
    KillTimer(Window(), SettleTimer);
    if (waiting_.Empty()) return;
    if (!waiting_.Due(GetTickCount64()) && !StartRuns()) waiting_.AllDue();
    Flush(HistoryTurnWaitMs);
    if (!waiting_.Empty() && !waiting_.Due(GetTickCount64()))
        SetTimer(Window(), SettleTimer, SettleCheckMs, nullptr);
}

// A start of this program by the IDE, other than this one, runs.
bool Follower::StartRuns() const {
    AutoCloseHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    const std::string own = OwnExeName();
    for (BOOL more = Process32First(snapshot.Get(), &entry); more;
         more = Process32Next(snapshot.Get(), &entry))
        if (entry.th32ParentProcessID == ideProcessId_ &&
            entry.th32ProcessID != GetCurrentProcessId() &&
            lstrcmpiA(entry.szExeFile, own.c_str()) == 0)
            return true;
    return false;
}

// In the history's turn, which a step holds for its whole run; while waiting
// for it the follower answers the step, which may be telling it that it
// starts.
void Follower::Flush(DWORD turnWaitMs) {
    if (flushing_ || !waiting_.Due(GetTickCount64())) return;
    flushing_ = true;
    {
        HistoryTurn turn(HistoryStore(), turnWaitMs, AnsweringWhileWaiting());
        WriteWaiting();
    }
    flushing_ = false;
}

// The due positions in order. A file another tool holds is tried again
// later, or, for the last write, until the deadline.
void Follower::WriteWaiting(ULONGLONG deadline) {
    const HistoryStore store;
    while (const DecidedPosition* next = waiting_.Due(GetTickCount64())) {
        const Recorded recorded =
            store.Record({next->File, next->Cursor, next->Fingerprint}, OpenPolicy::NoWait, true);
        if (recorded.Outcome == Recorded::Entry::Busy && GetTickCount64() < deadline) {
            Sleep(50);
            continue;
        }
        if (recorded.Outcome == Recorded::Entry::Busy) {
            if (!deadline) SetTimer(Window(), RetryTimer, RetryMs, nullptr);
            return;
        }
        waiting_.Pop();
        switch (recorded.Outcome) {
        case Recorded::Entry::Written:
            Happened(recorded.ForwardKept, forwardKeptSaid_, LogText::ForwardKept);
            [[fallthrough]];
        case Recorded::Entry::AlreadyNewest:
            Happened(false, failureSaid_, LogText::NotRecorded);
            break;
        case Recorded::Entry::NotWritten:
            Happened(true, failureSaid_, LogText::NotRecorded);
            break;
        default: // the follower names no source with a name no history keeps
            break;
        }
    }
    KillTimer(Window(), RetryTimer);
    if (waiting_.Empty()) Happened(false, positionsDropSaid_, LogText::PositionsDropped);
}

// Said once, and again only after it stopped happening; the line is written
// outside the history's turn.
void Follower::Happened(bool happened, bool& said, LogText text) {
    if (happened && !said) toSay_.push_back(text);
    said = happened;
}

void Follower::SayWhatHappened() {
    for (LogText text : toSay_)
        LogMessage(ide_, text);
    toSay_.clear();
}

// The IDE has ended: whatever waits is written now, within the time the
// IDE's end leaves the follower.
void Follower::FinalFlush() {
    const ULONGLONG deadline = GetTickCount64() + FinalBudgetMs;
    waiting_.AllDue();
    if (waiting_.Empty()) return;
    HistoryTurn turn(HistoryStore(), FinalTurnWaitMs, AnsweringWhileWaiting());
    WriteWaiting(deadline);
}

// The step holds the turn and waits: what the user left is written now,
// without the turn. The step ends when it says so or its process ends.
LRESULT Follower::StepStarts(DWORD stepProcessId) {
    reports_.clear(); // the editor shown is asked directly instead
    CaretPlace place;
    const HWND shown = ShownEditor(&place);
    Keep(rules_.StepStarts(IdOf(shown), place));
    waiting_.AllDue();
    WriteWaiting();
    stepProcess_.Reset(stepProcessId && stepProcessId != GetCurrentProcessId()
                           ? OpenProcess(SYNCHRONIZE, FALSE, stepProcessId)
                           : nullptr);
    SetTimer(Window(), PauseTimer, PauseLimitMs, nullptr);
    return 1;
}

LRESULT Follower::StepEnded() {
    KillTimer(Window(), PauseTimer);
    stepProcess_.Close();
    reports_.clear();
    CaretPlace place;
    const HWND shown = ShownEditor(&place);
    rules_.StepEnded(IdOf(shown), place);
    return 1;
}

void Follower::TimerRan(UINT_PTR timer) {
    switch (timer) {
    case PauseTimer:
        StepEnded();
        break;
    case RetryTimer:
        Flush(HistoryTurnWaitMs);
        break;
    case AskAgainTimer:
        HandleReports();
        break;
    case SettleTimer:
        SettleOrWrite();
        break;
    }
}

// A side button meant for the IDE: Go back or Go forward as its shortcut
// starts it, from the current source's file and caret. Nothing for a source
// without a file or an editor that does not answer.
void Follower::Pressed(bool back) {
    if (!IsPressForIde(ide_.MainWindow)) return;
    CaretPlace place;
    const HWND shown = ShownEditor(&place);
    const std::string file = shown ? rules_.FileOf(IdOf(shown)) : std::string();
    if (file.empty()) return;
    const std::string cursor = Asking(shown, utf8_, ide_.EndWatch).CursorText(place);
    if (!cursor.empty()) StartStep({back, file, cursor, ide_.MainWindow, shown, fileList_});
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

// The mouse's raw input comes for every move on the desktop: only a side
// button's press does more than read its flags. It goes on to
// DefWindowProc, which frees what the system keeps for it.
LRESULT Follower::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INPUT: {
        const SideButton button = PressedSideButton(lParam);
        if (button != SideButton::None) Pressed(button == SideButton::Back);
        break;
    }
    case WM_COPYDATA: {
        const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data.dwData == FollowerNewsData) return TakeNews(data);
        if (data.dwData == FollowerFindEditorData) return AnswerEditorOf(data);
        return 0;
    }
    case FollowerStepStarts:
        return StepStarts(DWORD(wParam));
    case FollowerStepEnded:
        return StepEnded();
    case WM_TIMER:
        TimerRan(wParam);
        return 0;
    }
    return WindowBase::HandleMessage(message, wParam, lParam);
}
