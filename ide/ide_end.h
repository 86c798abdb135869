// A tool the IDE started ends with the IDE. A message to an IDE that has
// ended may never be answered (a call into the window system that does not
// return), so the IDE's process is watched, not only each message's time.
#pragma once
#include <windows.h>

// How long a tool may still take after the IDE ended to end by itself: its
// own failure path takes back what it changed in the history files.
constexpr DWORD IdeEndGraceMs = 1000;

// Watches, from now on, the process that owns the IDE's main window; once
// per process, nothing for a window that is none or of this process. When
// that process ends, every message to the IDE fails at once (IdeHasEnded),
// the thread that called this gets WM_QUIT, so that a message loop ends at
// its next turn, and a tool still running IdeEndGraceMs later is ended with
// exit code 0. ConnectToIde calls it.
void EndWithIde(HWND mainWindow);

// The watched IDE has ended.
bool IdeHasEnded();
