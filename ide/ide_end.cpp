#include "ide/ide_end.h"

#include <atomic>

namespace {

std::atomic<bool> ideEnded{false};
std::atomic<bool> watching{false};

struct Watch {
    HANDLE IdeProcess;
    DWORD ToolThread;
};
Watch watch;

DWORD WINAPI WatchIde(void*) {
    WaitForSingleObject(watch.IdeProcess, INFINITE);
    ideEnded = true;
    PostThreadMessageA(watch.ToolThread, WM_QUIT, 0, 0);
    Sleep(IdeEndGraceMs);
    // Each change of a history file is a single write, so even a step cut
    // short here leaves both files whole: at worst the position it left
    // stays on the destination beside the target it did not reach.
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}

} // namespace

void EndWithIde(HWND mainWindow) {
    DWORD ideId = 0;
    if (!mainWindow || !GetWindowThreadProcessId(mainWindow, &ideId) ||
        ideId == GetCurrentProcessId() || watching.exchange(true))
        return;
    watch = {OpenProcess(SYNCHRONIZE, FALSE, ideId), GetCurrentThreadId()};
    if (!watch.IdeProcess) return;
    // The handles live as long as the process does.
    HANDLE thread = CreateThread(nullptr, 64 * 1024, WatchIde, nullptr,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread) CloseHandle(thread);
}

bool IdeHasEnded() {
    return ideEnded;
}
