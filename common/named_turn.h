// A turn that processes take one after another: a named mutex held for as
// long as the object lives, or until Release.
#pragma once
#include <windows.h>

#include "common/auto_handle.h"

#include <string>

// Messages sent to the waiting thread's windows are answered while it
// waits, so that a process that holds the turn and talks to this one is not
// kept waiting for it. Its own file, the one part that needs user32: a tool
// without windows does not load it.
struct AnsweringWhileWaiting {};

class NamedTurn {
  public:
    // Waits up to waitMs for the turn.
    NamedTurn(const std::string& name, DWORD waitMs);
    NamedTurn(const std::string& name, DWORD waitMs, AnsweringWhileWaiting);
    NamedTurn(const NamedTurn&) = delete;
    NamedTurn& operator=(const NamedTurn&) = delete;
    ~NamedTurn() { Release(); }
    bool Held() const { return held_; }
    void Release();

  private:
    void Take(DWORD waited) { held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED; }

    AutoCloseHandle mutex_;
    bool held_ = false;
};
