#include "navigator/shared_presses.h"

#include <string>

namespace {

// Long enough for the other navigators' moments in the lock, short against
// the step a press asks for.
constexpr DWORD LockWaitMs = 2000;

class QueueLock {
  public:
    explicit QueueLock(HANDLE lock) : lock_(lock) {
        // A navigator killed in the lock leaves it abandoned; the block's few
        // numbers are then read with care (press_queue.cpp).
        const DWORD waited = lock ? WaitForSingleObject(lock, LockWaitMs) : WAIT_FAILED;
        held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    QueueLock(const QueueLock&) = delete;
    QueueLock& operator=(const QueueLock&) = delete;
    ~QueueLock() {
        if (held_) ReleaseMutex(lock_);
    }
    bool Held() const { return held_; }

  private:
    HANDLE lock_;
    bool held_ = false;
};

uint64_t Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return uint64_t(now.dwHighDateTime) << 32 | now.dwLowDateTime;
}

uint64_t ProcessStart() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    return uint64_t(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

// The memory lives as long as a handle to it does. The IDE's process keeps
// one, never used, so that what the last step left is still there for a
// press whose navigator starts after that step's ended; it goes with the IDE.
void KeepAliveWithIde(HWND ideMainWindow, HANDLE mapping) {
    DWORD ideProcess = 0;
    if (!ideMainWindow || !GetWindowThreadProcessId(ideMainWindow, &ideProcess)) return;
    AutoCloseHandle ide(OpenProcess(PROCESS_DUP_HANDLE, FALSE, ideProcess));
    HANDLE kept = nullptr;
    if (ide.IsValid())
        DuplicateHandle(GetCurrentProcess(), mapping, ide.Get(), &kept, FILE_MAP_READ, FALSE, 0);
}

bool Runs(DWORD process) {
    AutoCloseHandle handle(OpenProcess(SYNCHRONIZE, FALSE, process));
    return handle.IsValid() && WaitForSingleObject(handle.Get(), 0) == WAIT_TIMEOUT;
}

} // namespace

SharedPresses::SharedPresses(HWND ideMainWindow) {
    const std::string name = "Local\\TolvanePresses" + std::to_string(uintptr_t(ideMainWindow));
    lock_.Reset(CreateMutexA(nullptr, FALSE, (name + "Lock").c_str()));
    // Zeros when made: no taker, nothing waiting.
    mapping_.Reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(PressQueueBlock), name.c_str()));
    if (mapping_.IsValid() && GetLastError() != ERROR_ALREADY_EXISTS)
        KeepAliveWithIde(ideMainWindow, mapping_.Get());
    if (mapping_.IsValid())
        block_ = static_cast<PressQueueBlock*>(
            MapViewOfFile(mapping_.Get(), FILE_MAP_WRITE, 0, 0, sizeof(PressQueueBlock)));
}

SharedPresses::~SharedPresses() {
    if (block_) UnmapViewOfFile(block_);
}

Offered SharedPresses::Offer(bool back) {
    // Without a queue every press is a step of its own, as it always was.
    if (!Usable()) return Offered::TakeItYourself;
    QueueLock lock(lock_.Get());
    if (!lock.Held()) return Offered::Full;
    const DWORD self = GetCurrentProcessId();
    return OfferPress(*block_, {back, ProcessStart()}, self,
                      block_->Taker != 0 && block_->Taker != self && Runs(block_->Taker));
}

bool SharedPresses::TakeNext(Press* press) {
    if (!Usable()) return false;
    QueueLock lock(lock_.Get());
    return lock.Held() && TakeNextPress(*block_, GetCurrentProcessId(), press);
}

void SharedPresses::KeepArrival(const HistoryEntry& arrival) {
    if (!Usable()) return;
    QueueLock lock(lock_.Get());
    if (lock.Held()) ::KeepArrival(*block_, arrival.File + "\n" + arrival.Cursor, Now());
}

bool SharedPresses::ArrivalBeforeThisStart(HistoryEntry* arrival) {
    if (!Usable()) return false;
    QueueLock lock(lock_.Get());
    std::string kept;
    if (!lock.Held() || !ArrivalBefore(*block_, ProcessStart(), &kept)) return false;
    const size_t end = kept.find('\n');
    *arrival = {kept.substr(0, end), end == std::string::npos ? "" : kept.substr(end + 1)};
    return true;
}
