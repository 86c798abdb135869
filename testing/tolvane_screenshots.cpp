// tolvane_screenshots OUT_DIR DATA_DIR: runs Tolvane.exe with the real
// language files and icons from DATA_DIR and saves the language chooser,
// the main window and the shortcut chooser as PNG files in OUT_DIR, for a
// person to look at. Run in a Wine virtual desktop, which draws the frames.
#include "common/file_text.h"
#include "testing/tolvane_driver.h"

#include <algorithm>
#include <cstdio>

namespace {

bool Capture(HWND window, const std::string& path) {
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(700); // let the other process paint
    bool saved = SaveScreenRect(ScreenRect(window), path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", path.c_str());
    return saved;
}

std::string FirstLine(const std::string& bytes) {
    return bytes.substr(0, bytes.find_first_of("\r\n"));
}

// One run of Tolvane in the language at position index of the chooser: the
// main window, and with everything set, the two choosers too. Returns the
// number of failures.
int CaptureRun(const TolvaneFolders& folders, int index, const std::string& out, bool everything) {
    HANDLE process = StartTolvane(folders.Work, folders.AppData);
    if (!process) return 1;
    DWORD pid = GetProcessId(process);
    int failures = 0;
    HWND chooser = WaitTopWindow(pid, "Choose your language");
    HWND list = WaitControl(chooser, 0);
    std::string language = ComboItems(list).at(index);
    SelectComboItem(list, index);
    if (everything) failures += !Capture(chooser, out + "language_chooser.png");
    PostClick(WaitControl(chooser, 1));

    std::string title = FirstLine(ReadFileBytes(folders.Work + "Sprachen\\" + language + ".txt"));
    HWND main = WaitTopWindow(pid, title);
    WaitControl(main, 5);
    WaitUntil([&] { return FindToolRows(main).size() == 5; });
    failures += !Capture(main, out + "main_window_" + language + ".png");

    if (everything) {
        PostClick(FindToolRows(main)[0].ShortcutButton);
        HWND shortcuts = WaitTopWindow(pid, "Shortcuts");
        WaitControl(shortcuts, 15);
        failures += !Capture(shortcuts, out + "shortcut_chooser.png");
        RECT m = ScreenRect(main), c = ScreenRect(shortcuts);
        RECT both = {std::min(m.left, c.left), std::min(m.top, c.top), std::max(m.right, c.right),
                     std::max(m.bottom, c.bottom)};
        failures += !SaveScreenRect(both, out + "shortcut_over_main.png");
        PostClick(FindControl(shortcuts, 16));
        WaitWindowGone(shortcuts);
    }
    PostClose(main);
    int exitCode = WaitExit(process);
    CloseHandle(process);
    std::printf("Tolvane (%s) ended with %d\n", language.c_str(), exitCode);
    return failures + (exitCode != 0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: tolvane_screenshots OUT_DIR DATA_DIR\n");
        return 2;
    }
    std::string out = std::string(argv[1]) + "/", data = argv[2];
    CreateDirectoryA(out.c_str(), nullptr);
    TolvaneFolders folders;
    std::vector<std::string> notCopied;
    CopyFolderFiles(data + "\\Sprachen", folders.Work + "Sprachen\\", notCopied);
    CopyFolderFiles(data + "\\Icons", folders.Work + "Icons\\", notCopied);
    WriteFileBytes(folders.AppData + "\\PureBasic\\PureBasic.prefs",
                   "[Global]\r\nLanguageFile = C:\\Program Files\\PureBasic\\Catalogs\\"
                   "English.catalog\r\n");
    int languages = 0;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folders.Work + "Sprachen\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do
            languages += !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        while (FindNextFileA(find, &found));
        FindClose(find);
    }
    int failures = 0;
    for (int i = 0; i < languages; ++i)
        failures += CaptureRun(folders, i, out, i == 0);
    return failures != 0;
}
