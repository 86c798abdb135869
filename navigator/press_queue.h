// Quick presses of Go back and Go forward, each one step, in the order
// pressed, as a browser's Back pressed ten times goes back ten pages. The
// IDE starts a navigator for every press without waiting for it: the first
// that finds none running for its IDE takes the steps, the later ones hand
// their press to it and end. Plain logic over the block of memory the
// navigators of one IDE share; its lock and its memory are the Win32 layer's
// (navigator/shared_presses.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Presses waiting for the navigator that takes them; a press beyond these is
// not taken, and the IDE's log says so.
constexpr size_t MaxWaitingPresses = 64;

struct Press {
    bool Back = true;
    // When the press's navigator started, in the system's 100 ns ticks: the
    // order they were pressed in.
    uint64_t At = 0;
};

// Where a step left the IDE: a path of any length in UTF-8, and its cursor.
constexpr size_t MaxArrivalBytes = 3 * 32767 + 64;

struct PressQueueBlock {
    // The process that takes the presses now; 0 for none.
    uint32_t Taker = 0;
    uint32_t Count = 0;
    Press Waiting[MaxWaitingPresses];
    // Where the last step left the IDE, and when it ended.
    uint64_t LastStepEnd = 0;
    uint32_t LastArrivalSize = 0;
    char LastArrival[MaxArrivalBytes];
};

enum class Offered {
    // The running navigator takes it.
    HandedOver,
    // Too many are waiting: the press is not taken.
    Full,
    // None is running: this navigator takes it and those that come.
    TakeItYourself,
};

// takerRuns: whether the block's taker still runs (one that was killed
// leaves its presses to the next).
Offered OfferPress(PressQueueBlock& block, const Press& press, uint32_t self, bool takerRuns);
// The earliest press waiting for the taker; with none, the taker stops
// taking (false), so that the next press starts a taker of its own.
bool TakeNextPress(PressQueueBlock& block, uint32_t self, Press* press);

// A step ended at `at` with the IDE at arrival (too long to keep: none).
void KeepArrival(PressQueueBlock& block, const std::string& arrival, uint64_t at);
// A press made before the last step ended was made where that step took
// the IDE from: it goes on from where that step left it. False for a press
// made after, or when nothing is kept.
bool ArrivalBefore(const PressQueueBlock& block, uint64_t pressedAt, std::string* arrival);
