// The running follower of one IDE: it hears the caret and focus reports of
// the IDE's editors, asks the editor reported where its caret is, and puts
// the positions the user leaves on the back history. Single-threaded: the
// hooks' reports wait in the thread's queue, news and a step's start and end
// come as sent messages to its window.
#pragma once
#include <windows.h>

#include "follower/follow_rules.h"
#include "history/history_line.h"
#include "ide/ide_access.h"

#include <deque>

// The IDE's end leaves the follower its last write: the history's turn and a
// history file another tool holds for a moment (waited for up to a second),
// within the two seconds in which every tool ends with the IDE.
constexpr DWORD FollowerEndGraceMs = 1950;

class Follower {
  public:
    // window: the follower's message-only window (FollowerWindowProc);
    // ideProcess: waited for, the follower ends with it.
    Follower(HWND window, const IdeConnection& ide, HANDLE ideProcess, DWORD ideProcessId);
    Follower(const Follower&) = delete;
    Follower& operator=(const Follower&) = delete;
    ~Follower();

    // Takes the news of its own start, then follows until the IDE ends.
    void Run(const FollowerNews& first);

    void Queue(bool focus, HWND editor);
    LRESULT TakeNews(const COPYDATASTRUCT& data);
    LRESULT StepStarts();
    LRESULT StepEnded();
    void TimerRan(UINT_PTR timer);

  private:
    struct Report {
        bool Focus;
        HWND Editor;
    };

    bool IsIdeEditor(HWND editor);
    void HandleReports();
    void Handle(const Report& report);
    void Take(const FollowerNews& news);
    void Keep(const std::vector<PositionLeft>& positions);
    HistoryEntry Entry(const PositionLeft& left) const;
    void Flush(DWORD turnWaitMs);
    void WriteWaiting();
    void SayFailure();
    HWND ShownEditor(CaretPlace* place);
    void ForgetGoneEditors();

    HWND window_;
    IdeConnection ide_;
    HANDLE ideProcess_;
    DWORD ideProcessId_;
    FollowRules rules_;
    std::deque<Report> reports_;
    std::deque<HistoryEntry> waiting_; // decided, not yet on the history
    bool utf8_ = false;                // today's IDE: columns in UTF-8 characters
    bool flushing_ = false;
    bool failureToSay_ = false, failureSaid_ = false;
    size_t sourcesAtSweep_ = 0;
};

LRESULT CALLBACK FollowerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
