#include "installer/main_window.h"

#include "common/auto_handle.h"
#include "installer/control_numbers.h"
#include "installer/installation.h"
#include "installer/installer_logic.h"
#include "installer/installer_state.h"
#include "prefs/prefs.h"
#include "installer/requesters.h"
#include "installer/tool_rows.h"
#include "installer/window_layer.h"

namespace {

const char* const MainWindowClass = "TolvaneMainWindow";

struct MainWindowState {
    bool Done = false;
    HWND Focus = nullptr; // the control that had the focus when the window was left
};

void ProposeBaseFolder() {
    char appData[MAX_PATH] = "";
    GetEnvironmentVariableA("APPDATA", appData, MAX_PATH);
    if (!OpenPrefs(std::string(appData) + "\\PureBasic\\PureBasic.prefs")) return;
    SelectPrefsGroup("Global");
    std::string value = ReadPrefsString("LanguageFile", "");
    ClosePrefs();
    BaseFolder = BaseFolderFromLanguageFile(value);
}

// False when the file cannot be opened.
bool ReadFileText(const std::string& path, std::string& bytes) {
    AutoCloseHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    char chunk[65536];
    DWORD got;
    while (ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    return true;
}

void OnControlEvent(MainWindowState& state, int number, int notification) {
    bool clicked = notification == BN_CLICKED;
    bool fieldEvent =
        notification == EN_CHANGE || notification == EN_SETFOCUS || notification == EN_KILLFOCUS;
    switch (number) {
    case CloseButton:
        if (clicked) state.Done = true;
        return;
    case InstallButton:
        if (!clicked) return;
        ShowMessage("Info", Texts.InstallNotice);
        RunInstallation(BaseFolder);
        state.Done = true;
        return;
    case AboutButton:
        if (clicked) ShowMessage("About", Texts.AboutText);
        return;
    case PathField:
        if (fieldEvent) BaseFolder = GetControlText(PathField);
        return;
    case BrowseButton:
        if (clicked) {
            std::string folder = OpenFolderRequester("Browse Path", BaseFolder);
            if (folder.empty()) return;
            BaseFolder = folder;
            SetControlText(PathField, folder);
        }
        return;
    }
    HandleToolRowEvent(number, notification);
}

// Like a dialog: the focus goes back to where it was when the window is
// activated again, after a message box or a chooser.
void OnActivate(HWND window, MainWindowState& state, bool active) {
    if (!active) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) state.Focus = focus;
    } else if (state.Focus && IsWindow(state.Focus)) {
        SetFocus(state.Focus);
    }
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindowState* state = WindowState<MainWindowState>(window, message, lParam);
    switch (message) {
    case WM_COMMAND:
        OnControlEvent(*state, LOWORD(wParam), HIWORD(wParam));
        WakeEventLoop(window);
        return 0;
    case WM_ACTIVATE:
        OnActivate(window, *state, LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case WM_CLOSE:
        state->Done = true;
        WakeEventLoop(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Reads the language lines in the order the window is built.
class LineCursor {
  public:
    explicit LineCursor(std::vector<std::string> lines) : lines_(std::move(lines)) {}
    const std::string& Next() { return lines_[next_++]; }

  private:
    std::vector<std::string> lines_;
    size_t next_ = 0;
};

void CreateToolArea(HWND window, LineCursor& lines) {
    HWND area = CreateScrollArea(ToolArea, window, 0, 40, 860, 212, 1000, 190);
    // Level with the field's text, as the row labels are with their fields.
    CreateControl(PathLabel, area, "STATIC", lines.Next(), SS_CENTERIMAGE, 0, 0, 0, 100, 20);
    CreateControl(PathField, area, "EDIT", BaseFolder, ES_AUTOHSCROLL | WS_TABSTOP,
                  WS_EX_CLIENTEDGE, 100, 0, 400, 20);
    CreateControl(BrowseButton, area, "BUTTON", "....", BS_PUSHBUTTON | WS_TABSTOP, 0, 500, 0, 40,
                  20);
    CreateControl(ClearerBox, area, "BUTTON", lines.Next(), BS_AUTOCHECKBOX | WS_TABSTOP, 0, 0, 20,
                  300, 20);
    SetControlState(ClearerBox, 1);
    // Created in the order of lines 13 to 16: entries 1, 0, 2, 3.
    CreateToolRow(area, 1, lines.Next(), "Quillet.exe", "Icons/Anker.ico", "\"%FILE\"\"%CURSOR\"",
                  50, 0x20035, 1, 1, 1, 1);
    CreateToolRow(area, 0, lines.Next(), "Brannow.exe", "Icons/Back.ico",
                  "\"%FILE\"\"%CURSOR\" \"BACK\"", 90, 0x20034, 1, 1, 1, 1);
    CreateToolRow(area, 2, lines.Next(), "Brannow.exe", "Icons/Forward.ico",
                  "\"%FILE\"\"%CURSOR\" \"FORWARD\"", 120, 0x20036, 1, 1, 1, 1);
    CreateToolRow(area, 3, lines.Next(), "Tolvane.exe", "Icons/Tolvane.ico", "\"%FILE\"\"%CURSOR\"",
                  150, 0x20037, 1, 1, 1, 1);
}

HWND BuildMainWindow(MainWindowState& state, LineCursor& lines) {
    HWND window = OpenFixedWindow(MainWindowClass, lines.Next(), 0, 100, 860, 280, &state);
    if (!window) return nullptr;
    MainWindow = window;
    std::string header = lines.Next();
    header += "\r\n" + lines.Next();
    CreateControl(HeaderText, window, "STATIC", header, 0, 0, 0, 0, 760, 40);
    for (std::string* text :
         {&Texts.EnableCaption, &Texts.MenuCaption, &Texts.ToolbarCaption, &Texts.ShortcutCaption,
          &Texts.ShortcutButtonCaption, &Texts.ArgumentsCaption, &Texts.InstallNotice})
        *text = lines.Next();
    CreateToolArea(window, lines);
    const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
    CreateControl(InstallButton, window, "BUTTON", lines.Next(), button, 0, 20, 250, 260, 20);
    CreateControl(CloseButton, window, "BUTTON", lines.Next(), button, 0, 300, 250, 260, 20);
    CreateControl(AboutButton, window, "BUTTON", lines.Next(), button, 0, 580, 250, 200, 20);
    Texts.AboutText = lines.Next(); // "\n" already expanded
    state.Focus = ControlWindow(PathField);
    SetFocus(state.Focus);
    return window;
}

void RunMainLoop(HWND window, MainWindowState& state) {
    HWND toolArea = ControlWindow(ToolArea);
    HWND focus = nullptr;
    MSG msg;
    while (!state.Done) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage((int)msg.wParam);
            break;
        }
        if (!IsDialogMessageA(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        // Tab may move the focus to a row control outside the visible part.
        if (GetFocus() != focus) {
            focus = GetFocus();
            ScrollIntoView(toolArea, focus);
        }
    }
}

} // namespace

void RunMainWindow(int languageIndex) {
    ProposeBaseFolder();
    std::string bytes;
    if (!ReadFileText("Sprachen\\" + LanguageList[languageIndex] + ".txt", bytes)) return;
    LineCursor lines(ReadLanguageLines(bytes));
    RegisterWindowClass(MainWindowClass, MainWindowProc);
    MainWindowState state;
    HWND window = BuildMainWindow(state, lines);
    if (!window) return;
    RunMainLoop(window, state);
    // The process ends right after; tests that run the window in-process
    // need it gone.
    DestroyWindow(window);
    MainWindow = nullptr;
}
