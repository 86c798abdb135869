// The IDE's follower (Velmont.exe) runs beside the IDE and puts the
// positions the user leaves on the back history. A step that moves the IDE
// itself (Go back, Go forward, a recent position) tells it so: the
// follower first records what the user left, then lets the step's moves
// pass, and goes on from where the step took the IDE.
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
// Sent to the follower around a step; both answer 1.
constexpr UINT FollowerStepStarts = WM_APP + 0x5601;
constexpr UINT FollowerStepEnded = WM_APP + 0x5602;
// How long a step waits for the follower's answer: it writes what the user
// left meanwhile.
constexpr UINT FollowerAnswerMs = 2000;

std::string FollowerTitle(HWND ideMainWindow);
// The running follower of that IDE; null when there is none.
HWND FindFollower(HWND ideMainWindow);

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
