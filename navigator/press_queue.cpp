#include "navigator/press_queue.h"

#include <algorithm>

Offered OfferPress(PressQueueBlock& block, const Press& press, uint32_t self, bool takerRuns) {
    if (block.Taker == 0 || !takerRuns) {
        block.Taker = self;
        // What a killed taker left waiting is this one's now.
        block.Count = std::min<uint32_t>(block.Count, MaxWaitingPresses);
        return Offered::TakeItYourself;
    }
    if (block.Count >= MaxWaitingPresses) return Offered::Full;
    block.Waiting[block.Count++] = press;
    return Offered::HandedOver;
}

bool TakeNextPress(PressQueueBlock& block, uint32_t self, Press* press) {
    if (block.Taker != self) return false;
    const uint32_t count = std::min<uint32_t>(block.Count, MaxWaitingPresses);
    if (count == 0) {
        block.Taker = 0;
        return false;
    }
    // The earliest first; equal times keep the order they were handed in.
    uint32_t first = 0;
    for (uint32_t i = 1; i < count; ++i)
        if (block.Waiting[i].At < block.Waiting[first].At) first = i;
    *press = block.Waiting[first];
    std::copy(block.Waiting + first + 1, block.Waiting + count, block.Waiting + first);
    block.Count = count - 1;
    return true;
}

void KeepArrival(PressQueueBlock& block, const std::string& arrival, uint64_t at) {
    const bool fits = arrival.size() <= MaxArrivalBytes;
    block.LastArrivalSize = fits ? uint32_t(arrival.size()) : 0;
    if (fits) arrival.copy(block.LastArrival, arrival.size());
    block.LastStepEnd = fits ? at : 0;
}

bool ArrivalBefore(const PressQueueBlock& block, uint64_t pressedAt, std::string* arrival) {
    if (block.LastStepEnd == 0 || pressedAt > block.LastStepEnd ||
        block.LastArrivalSize > MaxArrivalBytes)
        return false;
    arrival->assign(block.LastArrival, block.LastArrivalSize);
    return true;
}
