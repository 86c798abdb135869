#include "ide/ide_end.h"

#include "ide/ide_access.h"

IdeEndWatch::IdeEndWatch(HWND ideMainWindow, DWORD graceMs)
    : toolThread_(GetCurrentThreadId()), graceMs_(graceMs) {
    DWORD ideId = 0;
    if (!ideMainWindow || !GetWindowThreadProcessId(ideMainWindow, &ideId) ||
        ideId == GetCurrentProcessId())
        return;
    ideProcess_.Reset(OpenProcess(SYNCHRONIZE, FALSE, ideId));
    stop_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!ideProcess_.IsValid() || !stop_.IsValid()) return;
    // A thread gets a message queue only once it uses one, and a WM_QUIT
    // posted to a thread without a queue is lost.
    MSG unused;
    PeekMessageA(&unused, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    thread_.Reset(
        CreateThread(nullptr, 64 * 1024, Watch, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
}

IdeEndWatch::IdeEndWatch(IdeConnection& ide, DWORD graceMs) : IdeEndWatch(ide.MainWindow, graceMs) {
    ide.EndWatch = this;
}

IdeEndWatch::~IdeEndWatch() {
    if (!thread_.IsValid()) return;
    SetEvent(stop_.Get());
    WaitForSingleObject(thread_.Get(), INFINITE);
}

DWORD WINAPI IdeEndWatch::Watch(void* watch) {
    auto& self = *static_cast<IdeEndWatch*>(watch);
    const HANDLE either[] = {self.stop_.Get(), self.ideProcess_.Get()};
    if (WaitForMultipleObjects(2, either, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return 0;
    self.ended_ = true;
    PostThreadMessageA(self.toolThread_, WM_QUIT, 0, 0);
    if (WaitForSingleObject(self.stop_.Get(), self.graceMs_) == WAIT_OBJECT_0) return 0;
    // Each change of a history file is a single write, so even a step cut
    // short here leaves both files whole: at worst the position it left
    // stays on the destination beside the target it did not reach.
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}
