// The press queue of one IDE's navigators (navigator/press_queue.h) in
// memory they share, under a lock of their own, both named after the IDE's
// main window.
#pragma once
#include <windows.h>

#include "common/auto_handle.h"
#include "history/history_line.h"
#include "navigator/press_queue.h"

class SharedPresses {
  public:
    explicit SharedPresses(HWND ideMainWindow);
    SharedPresses(const SharedPresses&) = delete;
    SharedPresses& operator=(const SharedPresses&) = delete;
    ~SharedPresses();

    // This process's press, timed by its start. Full also when the queue
    // cannot be had in time.
    Offered Offer(bool back);
    bool TakeNext(Press* press);
    // Where a step left the IDE (KeepArrival), and that arrival when this
    // process was started before the step ended (ArrivalBefore): the IDE
    // then told it where it was before the step.
    void KeepArrival(const HistoryEntry& arrival);
    bool ArrivalBeforeThisStart(HistoryEntry* arrival);

  private:
    bool Usable() const { return block_ && lock_.IsValid(); }

    AutoCloseHandle mapping_, lock_;
    PressQueueBlock* block_ = nullptr;
};
