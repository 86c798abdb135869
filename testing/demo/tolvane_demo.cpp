// tolvane_demo: the Windows side of `make demo` (scripts/demo.sh does the rest).
//
//   tolvane_demo launch APPDATA EXE
//       runs EXE in its own folder, as a user starting it by hand would, and
//       returns its exit code
//   tolvane_demo install APPDATA EXE BASE SHOTS
//       clicks EXE (Tolvane.exe) through the default installation into the
//       base folder BASE and saves pictures of its windows in SHOTS
//   tolvane_demo ide APPDATA FOLDER SHOTS FILE...
//       opens the files in the stand-in IDE and has it run the installed tools
//       by their shortcuts; FOLDER is the installation folder
//
// Wine gives every process it starts a fresh APPDATA, so the variable is set
// here, on the Windows side, and the programs started from here inherit it.
// SHOTS is an absolute Unix path. Exit code 0 when every step did what it
// should.
#include "ide/follower_link.h"
#include "testing/host_ide/host_client.h"
#include "testing/tolvane_driver.h"

#include <cstdio>

namespace {

const long Record = 0x20035, Back = 0x20034, Forward = 0x20036, Pick = 0x20033; // Ctrl+5, 4, 6, 3

int Failures = 0;

bool Check(bool ok, const std::string& what) {
    std::printf("  %s %s\n", ok ? "ok    " : "FAILED", what.c_str());
    Failures += !ok;
    return ok;
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of("\\/") + 1);
}

std::string FileNameOf(const std::string& path) {
    return path.substr(path.find_last_of("\\/") + 1);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

void Capture(HWND window, const std::string& path) {
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(700); // let the other process paint
    Check(SaveScreenRect(ScreenRect(window), path), "picture " + path);
}

// A program under the demo's control: ended at the latest when the demo ends.
struct Program {
    explicit Program(const std::string& exe)
        : Handle(StartProcess(exe, Quoted(exe), FolderOf(exe))) {
        if (Handle.IsValid()) WaitForInputIdle(Handle.Get(), 15000);
    }
    ~Program() {
        if (Handle.IsValid()) WaitExit(Handle.Get(), 0); // kills it if still running
    }
    DWORD Id() const { return GetProcessId(Handle.Get()); }
    AutoCloseHandle Handle;
};

int Launch(const std::string& exe) {
    Program program(exe);
    if (!program.Handle.IsValid()) {
        std::printf("cannot start %s\n", exe.c_str());
        return 1;
    }
    WaitForSingleObject(program.Handle.Get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(program.Handle.Get(), &code);
    return (int)code;
}

int IndexOf(const std::vector<std::string>& items, const std::string& item) {
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == item) return (int)i;
    return -1;
}

// The default installation as a user does it: English, every tool as
// offered, the base folder typed into the path field, Install, OK.
int Install(const std::string& exe, const std::string& base, const std::string& shots) {
    Program tolvane(exe);
    if (!Check(tolvane.Handle.IsValid(), "started " + exe)) return 1;
    HWND chooser = WaitTopWindow(tolvane.Id(), "Choose your language");
    HWND list = chooser ? WaitControl(chooser, 0) : nullptr;
    if (!Check(list != nullptr, "the language chooser is open")) return 1;
    int english = IndexOf(ComboItems(list), "English");
    if (!Check(english >= 0, "it offers English")) return 1;
    SelectComboItem(list, english);
    Capture(chooser, shots + "/1_language_chooser.png");
    PostClick(WaitControl(chooser, 1));

    std::string language = ReadFileBytes(FolderOf(exe) + "Sprachen\\English.txt");
    std::string title = language.substr(0, language.find_first_of("\r\n"));
    HWND main = WaitTopWindow(tolvane.Id(), title);
    bool rows =
        main && WaitControl(main, 5) && WaitUntil([&] { return FindToolRows(main).size() == 5; });
    if (!Check(rows, "the main window \"" + title + "\" shows the five tools")) return 1;
    HWND pathField = FindControl(main, 6);
    std::printf("         proposed base folder: %s\n", TextOf(pathField).c_str());
    TypeText(pathField, base);
    if (!Check(TextOf(pathField) == base, "base folder typed in: " + base)) return 1;
    Capture(main, shots + "/2_main_window.png");

    PostClick(FindControl(main, 3));
    HWND info = WaitDialog(tolvane.Id());
    if (!Check(info && TextOf(info) == "Info", "Install shows the \"Info\" message")) return 1;
    Capture(info, shots + "/3_info_message.png");
    AnswerDialog(info, IDOK);
    int code = WaitExit(tolvane.Handle.Get(), 30000);
    Check(code == 0, "OK pressed: Tolvane installed and ended, exit code " + std::to_string(code));
    return Failures != 0;
}

// "Demo.pb, line 12, column 5": where the IDE's caret is.
std::string CaretPlace(const HostIde& host, const std::vector<std::string>& files) {
    HWND editor = HostVisibleEditor(host);
    int tab = HostCurrentTab(host);
    if (!editor || tab < 0 || tab >= (int)files.size()) return "no file";
    std::string text = HostEditorText(editor);
    size_t caret = (size_t)SendMessageA(editor, SCI_GETCURRENTPOS, 0, 0);
    size_t lineStart = text.rfind('\n', caret ? caret - 1 : 0);
    lineStart = (lineStart == std::string::npos || caret == 0) ? 0 : lineStart + 1;
    long line = HostCaretLine(host);
    return FileNameOf(files[tab]) + ", line " + std::to_string(line) + ", column " +
           std::to_string(caret - lineStart + 1);
}

std::string LastLine(const std::string& text) {
    std::string body = text.substr(0, text.find_last_not_of("\r\n") + 1);
    return body.substr(body.find_last_of('\n') + 1);
}

void ShowHistory(const std::string& folder) {
    for (const char* name : {"History_Back.txt", "History_Forward.txt"}) {
        std::string text = ReadFileBytes(folder + name);
        std::printf("         %s:%s\n", name, text.empty() ? " (empty)" : "");
        for (size_t at = 0; at < text.size();) {
            size_t end = text.find("\r\n", at);
            if (end == std::string::npos) end = text.size();
            std::printf("           %s\n", text.substr(at, end - at).c_str());
            at = end + 2;
        }
    }
}

// The recorder is waited for by the IDE, which answers with its exit code;
// the navigator is not, and the IDE answers with its process, waited for
// here before the next look at the IDE.
bool RunTool(const HostIde& host, long shortcut, const std::string& keys) {
    long result = HostRunToolByShortcut(host, shortcut);
    if (shortcut == Record)
        return Check(result == 0, keys + ": the IDE ran the installed tool, exit code " +
                                      std::to_string(result));
    AutoCloseHandle process(result > 0 ? OpenProcess(SYNCHRONIZE, FALSE, DWORD(result)) : nullptr);
    bool ended = result > 0 &&
                 (!process.IsValid() || WaitForSingleObject(process.Get(), 30000) == WAIT_OBJECT_0);
    return Check(ended, keys + ": the IDE started the installed tool, which ended");
}

// A tab click, then a click on the line a moment later, as a person would:
// the follower sees the source become current before the caret moves.
bool MoveCaret(const HostIde& host, int tab, long line, long column) {
    if (HostSelectTab(host, tab) != tab) return false;
    Sleep(500);
    return HostSetCaret(host, line, column) >= 0;
}

// The IDE's caret after a walk through the history: on the expected place?
void ExpectPlace(const HostIde& host, const std::vector<std::string>& files, int tab, long line) {
    std::string place = CaretPlace(host, files);
    Check(HostCurrentTab(host) == tab && HostCaretLine(host) == line, "the IDE now shows " + place);
}

void PressKey(WORD key) {
    INPUT input[2] = {};
    for (INPUT& event : input) {
        event.type = INPUT_KEYBOARD;
        event.ki.wVk = key;
    }
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

// Ctrl+3 lists the history; Enter on the row it opens with is one Go back.
void PickFromTheList(const HostIde& host, const std::vector<std::string>& files,
                     const std::string& shots) {
    const long id = HostRunToolByShortcut(host, Pick);
    AutoCloseHandle process(id > 0 ? OpenProcess(SYNCHRONIZE, FALSE, DWORD(id)) : nullptr);
    HWND list = nullptr;
    WaitUntil([&] {
        list = FindWindowA("TolvaneRecentPositions", nullptr);
        return list && GetForegroundWindow() == list;
    });
    if (!Check(list != nullptr, "Ctrl+3 (Lisarde, Recent positions) lists the history")) return;
    Capture(list, shots + "/5_recent_positions.png");
    PressKey(VK_RETURN);
    bool ended = !process.IsValid() || WaitForSingleObject(process.Get(), 30000) == WAIT_OBJECT_0;
    Check(ended, "Enter picked the row it opened with, and the list closed");
    ExpectPlace(host, files, 1, 7);
}

int RunInIde(const std::string& folder, const std::string& shots,
             const std::vector<std::string>& files) {
    HostIde host(FolderOf(files[0]), files, HostMode::Today);
    if (!Check(host.Ready, "the stand-in of today's IDE is open with " +
                               std::to_string(files.size()) + " files"))
        return 1;
    // The IDE's first event started the follower: it follows what happens from now on.
    if (!Check(WaitUntil([&] { return FindFollower(host.MainWindow) != nullptr; }),
               "Velmont, the follower, runs beside the IDE"))
        return 1;
    const std::string backFile = folder + "History_Back.txt";
    struct Stop {
        int Tab;
        long Line, Column;
    };
    for (Stop stop : {Stop{0, 12, 60}, Stop{1, 7, 11}}) {
        bool moved = MoveCaret(host, stop.Tab, stop.Line, stop.Column);
        if (!Check(moved, "caret put on " + CaretPlace(host, files)) ||
            !RunTool(host, Record, "Ctrl+5 (Quillet, remember the position)"))
            return 1;
        std::printf("         new line in History_Back.txt: %s\n",
                    LastLine(ReadFileBytes(backFile)).c_str());
    }
    // Back to the first file and a jump of more than 20 lines there: the
    // follower puts the line left on the history by itself.
    const std::string before = ReadFileBytes(backFile);
    bool moved = MoveCaret(host, 0, 33, 1);
    if (!Check(moved, "caret jumped on to " + CaretPlace(host, files))) return 1;
    bool followed = WaitUntil([&] { return ReadFileBytes(backFile) != before; });
    if (!Check(followed, "Velmont, the follower, remembered the line left by itself: " +
                             LastLine(ReadFileBytes(backFile))))
        return 1;

    RunTool(host, Back, "Ctrl+4 (Brannow, back)");
    ExpectPlace(host, files, 0, 12);
    RunTool(host, Back, "Ctrl+4 (Brannow, back)");
    ExpectPlace(host, files, 1, 7);
    Capture(host.MainWindow, shots + "/4_ide_after_back.png");
    RunTool(host, Forward, "Ctrl+6 (Brannow, forward)");
    ExpectPlace(host, files, 0, 12);
    ShowHistory(folder);
    PickFromTheList(host, files, shots);
    ShowHistory(folder);
    std::vector<std::string> log = HostLogLines(host);
    Check(log.empty(), "nothing in the IDE's log" + (log.empty() ? "" : ": " + log.front()));
    return Failures != 0;
}

} // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0); // in step with the script's own output
    std::string mode = argc > 1 ? argv[1] : "";
    if (argc < 4 || !SetEnvironmentVariableA("APPDATA", argv[2])) mode.clear();
    if (mode == "launch" && argc == 4) return Launch(argv[3]);
    if (mode == "install" && argc == 6) return Install(argv[3], argv[4], argv[5]);
    if (mode == "ide" && argc >= 6)
        return RunInIde(argv[3], argv[4], std::vector<std::string>(argv + 5, argv + argc));
    std::printf("usage: tolvane_demo launch APPDATA EXE\n"
                "       tolvane_demo install APPDATA EXE BASE SHOTS\n"
                "       tolvane_demo ide APPDATA FOLDER SHOTS FILE...\n");
    return 2;
}
