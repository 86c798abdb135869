// The press queue of one IDE's navigators (navigator/press_queue.h) in
// memory they share, under a lock of their own, both named after the IDE's
// main window.
#pragma once
#include <windows.h>

#include "common/auto_handle.h"
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
    // The last step's arrival (KeepArrival) when this process's press came
    // before it ended (ArrivalBefore).
    void KeepArrival(const std::string& arrival);
    bool ArrivalBeforeThisPress(std::string* arrival);

  private:
    bool Usable() const { return block_ && lock_.IsValid(); }

    AutoCloseHandle mapping_, lock_;
    PressQueueBlock* block_ = nullptr;
};
