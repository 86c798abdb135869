// The running follower of one IDE: it hears the caret and focus reports of
// the IDE's editors, asks the editor reported where its caret is, and puts
// the positions the user leaves on the back history. Single-threaded: the
// hooks' reports wait in the thread's queue, news, questions and a step's
// start and end come as sent messages to its window, the mouse's side
// buttons as raw input to it.
#pragma once
#include <windows.h>

#include "common/auto_handle.h"
#include "common/window_base.h"
#include "follower/follow_rules.h"
#include "ide/ide_access.h"

#include <deque>
#include <vector>

// The IDE's end leaves the follower its last write: the history's turn and a
// history file another tool holds for a moment, within the two seconds in
// which every tool ends with the IDE.
constexpr DWORD FollowerEndGraceMs = 1950;

class Follower : public WindowBase {
  public:
    // ideProcess: waited for, the follower ends with it; sideButtons: the
    // mouse's side buttons go back and forward.
    Follower(const IdeConnection& ide, HANDLE ideProcess, DWORD ideProcessId, bool sideButtons);
    ~Follower() override;

    // Its message-only window, which later starts find (FindFollower).
    bool CreateWindowFor(HWND ideMainWindow);
    // Takes the news of its own start, then follows until the IDE ends.
    void Run(const FollowerNews& first);
    // A caret or focus report of the hooks.
    void Queue(bool focus, HWND editor);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    struct Report {
        bool Focus;
        HWND Editor;
    };

    bool Wait();
    bool IsIdeEditor(HWND editor);
    bool IsScintillaOfIde(HWND editor) const;
    void HandleReports();
    bool Handle(const Report& report);
    LRESULT TakeNews(const COPYDATASTRUCT& data);
    bool Take(const FollowerNews& news);
    LRESULT AnswerEditorOf(const COPYDATASTRUCT& data);
    void Keep(const std::vector<PositionLeft>& positions);
    void SettleOrWrite();
    bool StartRuns() const;
    void Flush(DWORD turnWaitMs);
    void WriteWaiting(ULONGLONG deadline = 0);
    void Happened(bool happened, bool& said, LogText text);
    void SayWhatHappened();
    void FinalFlush();
    LRESULT StepStarts(DWORD stepProcessId);
    LRESULT StepEnded();
    void TimerRan(UINT_PTR timer);
    void Pressed(bool back);
    HWND ShownEditor(CaretPlace* place);
    void ForgetGoneEditors();

    IdeConnection ide_;
    HANDLE ideProcess_;
    DWORD ideProcessId_;
    bool sideButtons_;
    FollowRules rules_;
    std::deque<Report> reports_;
    WaitingPositions waiting_;
    std::string fileList_;        // the IDE's open files as the latest news gave them
    AutoCloseHandle stepProcess_; // the running step's process, while paused
    std::vector<LogText> toSay_;
    bool utf8_ = false; // today's IDE: columns in UTF-8 characters
    bool flushing_ = false;
    bool askingAgain_ = false; // a report waits for the IDE to answer
    bool kept_ = false;        // positions were decided since the last look
    bool failureSaid_ = false, forwardKeptSaid_ = false;
    bool reportsDropSaid_ = false, positionsDropSaid_ = false;
    size_t sourcesAtSweep_ = 0;
};
