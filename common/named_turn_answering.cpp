#include "common/named_turn.h"

namespace {

DWORD WaitAnswering(HANDLE mutex, DWORD waitMs) {
    const ULONGLONG giveUpAt = GetTickCount64() + waitMs;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD waited = MsgWaitForMultipleObjects(
            1, &mutex, FALSE, now < giveUpAt ? DWORD(giveUpAt - now) : 0, QS_SENDMESSAGE);
        if (waited != WAIT_OBJECT_0 + 1) return waited;
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace

NamedTurn::NamedTurn(const std::string& name, DWORD waitMs, AnsweringWhileWaiting)
    : mutex_(CreateMutexA(nullptr, FALSE, name.c_str())) {
    Take(mutex_.IsValid() ? WaitAnswering(mutex_.Get(), waitMs) : WAIT_FAILED);
}
