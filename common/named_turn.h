// A turn that processes take one after another: a named mutex held for as
// long as the object lives, or until Release.
#pragma once
#include <windows.h>

#include "common/auto_handle.h"

#include <string>

class NamedTurn {
  public:
    // Waits up to waitMs for the turn. answering: messages sent to this
    // thread's windows are answered while it waits, so that a process that
    // holds the turn and talks to this one is not kept waiting for it.
    NamedTurn(const std::string& name, DWORD waitMs, bool answering = false);
    NamedTurn(const NamedTurn&) = delete;
    NamedTurn& operator=(const NamedTurn&) = delete;
    ~NamedTurn() { Release(); }
    bool Held() const { return held_; }
    void Release();

  private:
    AutoCloseHandle mutex_;
    bool held_ = false;
};
