#include "ide/follower_link.h"

#include <cstdint>

namespace {

// Not SMTO_ABORTIFHUNG: a follower waiting for the history's turn reads no
// input for a while, yet answers sent messages.
void TellFollower(HWND follower, UINT message) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(follower, message, 0, 0, SMTO_NORMAL, FollowerAnswerMs, &ignored);
}

} // namespace

std::string FollowerTitle(HWND ideMainWindow) {
    return std::to_string(uintptr_t(ideMainWindow));
}

HWND FindFollower(HWND ideMainWindow) {
    if (!ideMainWindow) return nullptr;
    return FindWindowExA(HWND_MESSAGE, nullptr, FollowerClassName,
                         FollowerTitle(ideMainWindow).c_str());
}

FollowerPause::FollowerPause(const IdeConnection& ide) : follower_(FindFollower(ide.MainWindow)) {
    if (follower_) TellFollower(follower_, FollowerStepStarts);
}

FollowerPause::~FollowerPause() {
    // Also after a start that was not answered in time: the follower still
    // takes that message, and must hear the end too.
    if (follower_) TellFollower(follower_, FollowerStepEnded);
}
