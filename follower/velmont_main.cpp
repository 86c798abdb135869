// Velmont: the follower. The IDE starts it on its own events with
// "%FILE" "EVENT" threshold [SIDEBUTTONS]: the IDE started (STARTED), a
// source loaded (LOADED), saved (SAVED, also under a new name) or closing
// (CLOSING, waited for by the IDE); with the word, the mouse's side buttons
// go back and forward. The first start of an IDE becomes its follower and runs
// beside it until the IDE ends, recording the positions the user leaves;
// every later start hands its news to that one and ends at once. A CLOSING
// start never becomes the follower.
#include "common/auto_handle.h"
#include "common/code_page.h"
#include "common/named_turn.h"
#include "follower/follower.h"
#include "follower/side_buttons.h"
#include "ide/command_line.h"
#include "ide/follower_link.h"

#include <tlhelp32.h>

#include <cstdint>

namespace {

// Starts of one IDE decide one at a time which of them follows.
constexpr DWORD StartTurnWaitMs = 5000;
// A CLOSING start waits this long at most for its news to be taken; the IDE
// waits for it meanwhile.
constexpr UINT NewsTimeoutMs = 5000;

std::string StartTurnName(HWND ideMainWindow) {
    return "Local\\TolvaneVelmontStart" + FollowerTitle(ideMainWindow);
}

DWORD ParentProcessId() {
    AutoCloseHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid()) return 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    const DWORD self = GetCurrentProcessId();
    for (BOOL more = Process32First(snapshot.Get(), &entry); more;
         more = Process32Next(snapshot.Get(), &entry))
        if (entry.th32ProcessID == self) return entry.th32ParentProcessID;
    return 0;
}

// The IDE that started this process: the main window it names must be a
// top-level window of the process that started it. Anything else would
// have the follower wait for some other program's end.
bool FindStartingIde(HWND mainWindow, DWORD* processId) {
    if (!mainWindow || !IsWindow(mainWindow) || GetAncestor(mainWindow, GA_ROOT) != mainWindow)
        return false;
    *processId = 0;
    GetWindowThreadProcessId(mainWindow, processId);
    return *processId && *processId != GetCurrentProcessId() && *processId == ParentProcessId();
}

HWND EditorOfEvent(HWND mainWindow, HWND editor) {
    return editor && IsWindow(editor) && GetAncestor(editor, GA_ROOT) == mainWindow ? editor
                                                                                    : nullptr;
}

// Synchronous: a CLOSING start returns only once the follower has read the
// closing source's position.
void HandOver(HWND follower, const FollowerNews& news) {
    std::string text = FormatNews(news);
    COPYDATASTRUCT data = {FollowerNewsData, DWORD(text.size()), &text[0]};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(follower, WM_COPYDATA, 0, LPARAM(&data), SMTO_NORMAL, NewsTimeoutMs,
                        &ignored);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string commandLine = CommandLineUtf8();
    FollowerNews news;
    news.File = CommandLineParameter(commandLine, 0);
    news.Event = ParseFollowerEvent(CommandLineParameter(commandLine, 1));
    news.JumpLines = ParseJumpLines(CommandLineParameter(commandLine, 2));
    const bool sideButtons = CommandLineParameter(commandLine, 3) == SideButtonsWord;
    if (news.Event == FollowerEvent::Unknown) return 0;
    IdeConnection ide = ConnectToIde();
    news.FileList = ide.FileList;
    IdeEndWatch watch(ide, FollowerEndGraceMs);
    DWORD ideProcessId = 0;
    if (!FindStartingIde(ide.MainWindow, &ideProcessId)) return 0;
    news.Editor = EditorId(uintptr_t(EditorOfEvent(ide.MainWindow, ide.Editor)));

    NamedTurn turn(StartTurnName(ide.MainWindow), StartTurnWaitMs);
    if (HWND follower = FindFollower(ide.MainWindow)) {
        turn.Release();
        HandOver(follower, news);
        return 0;
    }
    if (!turn.Held() || news.Event == FollowerEvent::Closing) return 0;
    AutoCloseHandle ideProcess(OpenProcess(SYNCHRONIZE, FALSE, ideProcessId));
    if (!ideProcess.IsValid()) return 0;
    Follower following(ide, ideProcess.Get(), ideProcessId, sideButtons);
    if (!following.CreateWindowFor(ide.MainWindow)) return 0;
    // Later starts find the window from now on.
    turn.Release();
    following.Run(news);
    return 0;
}
