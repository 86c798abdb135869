// A tool the IDE started ends with the IDE. A message to an IDE that has
// ended may never be answered (a call into the window system that does not
// return), so the IDE's process is watched, not only each message's time.
// The tool owns its watch: its WinMain makes one for the connection, with
// the time the tool may still need once the IDE is gone.
//
//   IdeConnection ide = ConnectToIde();
//   IdeEndWatch watch(ide);          // the connection's asks consult it
#pragma once
#include <windows.h>

#include "common/auto_handle.h"

#include <atomic>

struct IdeConnection;

// How long a tool may still take after the IDE ended to end by itself: its
// own failure path takes back what it changed in the history files.
constexpr DWORD IdeEndGraceMs = 1000;

// Watches, for as long as it lives, the process that owns the IDE's main
// window; nothing for a window that is none or of this process. When that
// process ends, Ended() turns true (every ask that consults the watch fails
// at once from then on), the thread that made the watch gets WM_QUIT, so
// that a message loop ends at its next turn, and a process still running
// graceMs later is ended with exit code 0.
class IdeEndWatch {
  public:
    explicit IdeEndWatch(HWND ideMainWindow, DWORD graceMs = IdeEndGraceMs);
    // Watches the connection's IDE, and sets itself as the watch the
    // connection's asks consult; it must outlive their use.
    explicit IdeEndWatch(IdeConnection& ide, DWORD graceMs = IdeEndGraceMs);
    IdeEndWatch(const IdeEndWatch&) = delete;
    IdeEndWatch& operator=(const IdeEndWatch&) = delete;
    // Stops watching: a tool that ends by itself is not ended.
    ~IdeEndWatch();

    bool Watching() const { return thread_.IsValid(); }
    // The watched IDE has ended.
    bool Ended() const { return ended_; }

  private:
    static DWORD WINAPI Watch(void* watch);

    AutoCloseHandle ideProcess_, stop_, thread_;
    DWORD toolThread_ = 0;
    DWORD graceMs_;
    std::atomic<bool> ended_{false};
};
