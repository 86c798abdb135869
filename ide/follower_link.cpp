#include "ide/follower_link.h"

#include <cstdint>

namespace {

// Not SMTO_ABORTIFHUNG: a follower waiting for the history's turn reads no
// input for a while, yet answers sent messages.
void TellFollower(HWND follower, UINT message, WPARAM wParam = 0) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(follower, message, wParam, 0, SMTO_NORMAL, FollowerAnswerMs, &ignored);
}

bool IsEditorOf(HWND ideMainWindow, HWND window) {
    char name[16];
    return window && IsWindow(window) && GetAncestor(window, GA_ROOT) == ideMainWindow &&
           GetClassNameA(window, name, sizeof name) > 0 && lstrcmpiA(name, "Scintilla") == 0;
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

HWND FindEditorOfFile(const IdeConnection& ide, const std::string& path) {
    const HWND follower = FindFollower(ide.MainWindow);
    if (!follower || path.empty()) return nullptr;
    COPYDATASTRUCT data = {FollowerFindEditorData, DWORD(path.size()),
                           const_cast<char*>(path.data())};
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(follower, WM_COPYDATA, 0, LPARAM(&data), SMTO_NORMAL,
                             FollowerQuestionMs, &answer))
        return nullptr;
    const HWND editor = HWND(answer);
    return IsEditorOf(ide.MainWindow, editor) ? editor : nullptr;
}

FollowerPause::FollowerPause(const IdeConnection& ide) : follower_(FindFollower(ide.MainWindow)) {
    if (follower_) TellFollower(follower_, FollowerStepStarts, WPARAM(GetCurrentProcessId()));
}

FollowerPause::~FollowerPause() {
    // Also after a start that was not answered in time: the follower still
    // takes that message, and must hear the end too.
    if (follower_) TellFollower(follower_, FollowerStepEnded);
}
