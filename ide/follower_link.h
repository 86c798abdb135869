// The IDE's follower (Velmont.exe) runs beside the IDE and puts the
// positions the user leaves on the back history. A step that moves the IDE
// itself (Go back, Go forward, a recent position) tells it so: the
// follower first records what the user left, then lets the step's moves
// pass, and goes on from where the step took the IDE, or from where it
// stopped when the step's process ended without saying so (killed).
// The follower also knows which editor shows each open file, and says so
// to the tools that ask.
//
//   HistoryTurn turn;             // the turn first: the follower writes
//   FollowerPause pause(ide);     // what the user left while the step waits
//   ... hold the files, move the IDE ...
//   // pause goes once the IDE shows the target, before the turn
#pragma once
#include <windows.h>

#include "ide/ide_access.h"

#include <string>

// The follower of an IDE is a message-only window of this class, titled
// with the IDE's main window handle in decimal.
constexpr char FollowerClassName[] = "TolvaneVelmontFollower";
// WM_COPYDATA to the follower: a start of Velmont hands over the IDE's news
// (follower/follow_rules.h, FormatNews).
constexpr ULONG_PTR FollowerNewsData = 0x564C4D54; // "VLMT"
// WM_COPYDATA to the follower: lpData a file's full path in UTF-8 (cbData
// its length, no terminating zero needed); the answer is the window handle
// of the IDE's editor that shows the file, 0 when no open source has it.
constexpr ULONG_PTR FollowerFindEditorData = 0x564C4D45; // "VLME"
// Sent to the follower around a step; both answer 1. FollowerStepStarts's
// wParam is the step's process id: the step also ends when that process
// does.
constexpr UINT FollowerStepStarts = WM_APP + 0x5601;
constexpr UINT FollowerStepEnded = WM_APP + 0x5602;
// How long a step waits for the follower's answer: it writes what the user
// left meanwhile.
constexpr UINT FollowerAnswerMs = 2000;
// How long a question to the follower is waited for: it answers at once
// unless it is asking a hung editor itself (for at most a second).
constexpr UINT FollowerQuestionMs = 1500;

std::string FollowerTitle(HWND ideMainWindow);
// The running follower of that IDE; null when there is none.
HWND FindFollower(HWND ideMainWindow);

// The editor of the IDE that shows the file (a full path, UTF-8), as its
// follower knows it; null when no open source has it, there is no follower,
// or it does not answer within FollowerQuestionMs.
HWND FindEditorOfFile(const IdeConnection& ide, const std::string& path);

// Tells the IDE's follower, if one runs, that a step starts (on making) and
// that it ended (on going). Each message is bounded; without a follower
// nothing is sent.
class FollowerPause {
  public:
    explicit FollowerPause(const IdeConnection& ide);
    FollowerPause(const FollowerPause&) = delete;
    FollowerPause& operator=(const FollowerPause&) = delete;
    ~FollowerPause();

  private:
    HWND follower_ = nullptr;
};
