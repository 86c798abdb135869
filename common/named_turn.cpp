#include "common/named_turn.h"

NamedTurn::NamedTurn(const std::string& name, DWORD waitMs)
    : mutex_(CreateMutexA(nullptr, FALSE, name.c_str())) {
    Take(mutex_.IsValid() ? WaitForSingleObject(mutex_.Get(), waitMs) : WAIT_FAILED);
}

void NamedTurn::Release() {
    if (held_) ReleaseMutex(mutex_.Get());
    held_ = false;
}
