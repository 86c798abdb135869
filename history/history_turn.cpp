#include "history/history_turn.h"

#include "common/code_page.h"
#include "common/utf.h"

#include <cstdint>
#include <string>

std::string HistoryTurnName() {
    wchar_t folder[MAX_PATH * 4];
    DWORD length = GetCurrentDirectoryW(MAX_PATH * 4, folder);
    uint64_t hash = 14695981039346656037ull; // FNV-1a of the folder
    for (char ch : FoldPathCase(WideToUtf8(folder, length < MAX_PATH * 4 ? length : 0)))
        hash = (hash ^ uint8_t(ch)) * 1099511628211ull;
    return "Local\\TolvaneHistorySteps" + std::to_string(hash);
}

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

HistoryTurn::HistoryTurn(DWORD waitMs) : HistoryTurn(waitMs, false) {}

HistoryTurn::HistoryTurn(DWORD waitMs, bool answering) {
    mutex_ = AutoCloseHandle(CreateMutexA(nullptr, FALSE, HistoryTurnName().c_str()));
    DWORD waited = WAIT_FAILED;
    if (mutex_.IsValid())
        waited = answering ? WaitAnswering(mutex_.Get(), waitMs)
                           : WaitForSingleObject(mutex_.Get(), waitMs);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

HistoryTurn::~HistoryTurn() {
    if (held_) ReleaseMutex(mutex_.Get());
}
