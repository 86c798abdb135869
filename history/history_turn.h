// The tools that change one pair of history files take turns here, in the
// order they come: a step holds both files while the IDE gets to its
// target, longer than a history file is waited for, so tools that met only
// at the files would fail instead of waiting their turn. Without a turn in
// time a tool goes ahead: the files' own sharing rules still keep it apart.
#pragma once
#include <windows.h>

#include "common/auto_handle.h"

#include <string>

// Longer than a step holds the files: up to the IDE's 10 s for taking a file.
constexpr DWORD HistoryTurnWaitMs = 20000;

// The turn of the history files in the current folder, taken for as long as
// the object lives.
class HistoryTurn {
  public:
    explicit HistoryTurn(DWORD waitMs = HistoryTurnWaitMs);
    // answering: messages sent to this thread's windows are answered while
    // it waits, so that a tool holding the turn that talks to this one is
    // not kept waiting for it.
    HistoryTurn(DWORD waitMs, bool answering);
    HistoryTurn(const HistoryTurn&) = delete;
    HistoryTurn& operator=(const HistoryTurn&) = delete;
    ~HistoryTurn();
    bool Held() const { return held_; }

  private:
    AutoCloseHandle mutex_;
    bool held_ = false;
};

// The name of the turn of the history files in the current folder.
std::string HistoryTurnName();
