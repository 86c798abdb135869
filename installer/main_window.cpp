#include "installer/main_window.h"

#include "common/environment.h"
#include "installer/control_numbers.h"
#include "installer/ide_settings.h"
#include "installer/installation.h"
#include "installer/installation_plan.h"
#include "installer/installer_logic.h"
#include "installer/installer_state.h"
#include "installer/language_chooser.h"
#include "installer/requesters.h"
#include "installer/tool_rows.h"
#include "installer/window_layer.h"
#include "prefs/prefs.h"

#include <algorithm>

namespace {

const char* const MainWindowClass = "TolvaneMainWindow";

struct MainWindowState {
    InstallerState& Installer;
    MessageTexts Messages;
    bool Done = false;
    HWND Focus = nullptr; // the control that had the focus when the window was left
};

// The lines of the language file by their roles.
class LanguageLines {
  public:
    explicit LanguageLines(std::vector<std::string> lines) : lines_(std::move(lines)) {}
    const std::string& operator[](LanguageLine role) const { return lines_[int(role)]; }

  private:
    std::vector<std::string> lines_;
};

void ProposeBaseFolder(InstallerState& state) {
    Prefs prefs = OpenPrefs(IdePrefsFolder() + MainFile);
    if (!prefs.IsOpen()) return;
    SelectPrefsGroup(prefs, "Global");
    std::string value = ReadPrefsString(prefs, "LanguageFile", "");
    state.BaseFolder = BaseFolderFromLanguageFile(value);
}

void OnControlEvent(MainWindowState& state, int number, int notification) {
    InstallerState& installer = state.Installer;
    bool clicked = notification == BN_CLICKED;
    bool fieldEvent =
        notification == EN_CHANGE || notification == EN_SETFOCUS || notification == EN_KILLFOCUS;
    switch (number) {
    case CloseButton:
        if (clicked) state.Done = true;
        return;
    case InstallButton:
        if (!clicked) return;
        // Nothing to install into: the window stays for the user to type one.
        if (NormaliseBaseFolder(installer.BaseFolder).empty()) {
            ShowMessage("Tolvane", state.Messages.Get(MessageText::NoBaseFolder));
            return;
        }
        ShowMessage("Info", installer.Texts.InstallNotice);
        RunInstallation(installer, state.Messages);
        state.Done = true;
        return;
    case AboutButton:
        if (clicked) ShowMessage("About", installer.Texts.AboutText);
        return;
    case PathField:
        if (fieldEvent) installer.BaseFolder = GetControlText(PathField);
        return;
    case BrowseButton:
        if (clicked) {
            std::string folder = OpenFolderRequester("Browse Path", installer.BaseFolder);
            if (folder.empty()) return;
            installer.BaseFolder = folder;
            SetControlText(PathField, folder);
        }
        return;
    }
    HandleToolRowEvent(installer, number, notification);
}

// Like a dialog: the focus goes back to where it was when the window is
// activated again, after a message box or a chooser.
void OnActivate(MainWindowState& state, bool active) {
    if (!active) {
        HWND focus = GetFocus();
        if (focus && IsChild(state.Installer.MainWindow, focus)) state.Focus = focus;
    } else if (state.Focus && IsWindow(state.Focus)) {
        SetFocus(state.Focus);
    }
}

// The rows in the order they stand from top to bottom, which is also the
// order of Tab.
void CreateToolRows(InstallerState& state, HWND area, const LanguageLines& lines,
                    const MessageTexts& messages) {
    int order[ToolCount];
    for (int i = 0; i < ToolCount; ++i)
        order[i] = i;
    std::sort(order, order + ToolCount,
              [](int a, int b) { return ToolCatalogue[a].RowY < ToolCatalogue[b].RowY; });
    for (int index : order) {
        int line = ToolCatalogue[index].NameLine;
        CreateToolRow(state, area, index,
                      line <= LanguageLineCount
                          ? lines[LanguageLine(line - 1)]
                          : messages.Get(MessageText(line - FirstMessageLine)));
    }
}

void CreateToolArea(InstallerState& state, HWND window, const LanguageLines& lines,
                    const MessageTexts& messages) {
    HWND area = CreateScrollArea(ToolArea, window, 0, 40, 860, 242, 1000, 220);
    // Level with the field's text, as the row labels are with their fields.
    CreateControl(PathLabel, area, "STATIC", lines[LanguageLine::PathLabel], SS_CENTERIMAGE, 0, 0,
                  0, 100, 20);
    CreateControl(PathField, area, "EDIT", state.BaseFolder, ES_AUTOHSCROLL | WS_TABSTOP,
                  WS_EX_CLIENTEDGE, 100, 0, 400, 20);
    CreateControl(BrowseButton, area, "BUTTON", "....", BS_PUSHBUTTON | WS_TABSTOP, 0, 500, 0, 40,
                  20);
    CreateControl(ClearerBox, area, "BUTTON", lines[LanguageLine::ClearerBox],
                  BS_AUTOCHECKBOX | WS_TABSTOP, 0, 0, 20, 300, 20);
    SetControlState(ClearerBox, true);
    CreateControl(FollowerBox, area, "BUTTON", messages.Get(MessageText::FollowerBox),
                  BS_AUTOCHECKBOX | WS_TABSTOP, 0, 300, 20, 460, 20);
    SetControlState(FollowerBox, true);
    CreateToolRows(state, area, lines, messages);
}

void ReadLanguageTexts(LanguageTexts& texts, const LanguageLines& lines) {
    texts.EnableCaption = lines[LanguageLine::EnableCaption];
    texts.MenuCaption = lines[LanguageLine::MenuCaption];
    texts.ToolbarCaption = lines[LanguageLine::ToolbarCaption];
    texts.ShortcutCaption = lines[LanguageLine::ShortcutCaption];
    texts.ShortcutButtonCaption = lines[LanguageLine::ShortcutButtonCaption];
    texts.ArgumentsCaption = lines[LanguageLine::ArgumentsCaption];
    texts.InstallNotice = lines[LanguageLine::InstallNotice];
    texts.AboutText = lines[LanguageLine::AboutText]; // "\n" already expanded
}

HWND BuildMainWindow(MainWindowState& state, WindowEvents& events, const LanguageLines& lines) {
    HWND window = OpenEventWindow(MainWindowClass, lines[LanguageLine::WindowTitle], 0, 100, 860,
                                  310, nullptr, events);
    if (!window) return nullptr;
    state.Installer.MainWindow = window;
    CreateControl(HeaderText, window, "STATIC",
                  lines[LanguageLine::HeaderFirstLine] + "\r\n" +
                      lines[LanguageLine::HeaderSecondLine],
                  0, 0, 0, 0, 760, 40);
    ReadLanguageTexts(state.Installer.Texts, lines);
    CreateToolArea(state.Installer, window, lines, state.Messages);
    const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
    CreateControl(InstallButton, window, "BUTTON", lines[LanguageLine::InstallButton], button, 0,
                  20, 280, 260, 20);
    CreateControl(CloseButton, window, "BUTTON", lines[LanguageLine::CloseButton], button, 0, 300,
                  280, 260, 20);
    CreateControl(AboutButton, window, "BUTTON", lines[LanguageLine::AboutButton], button, 0, 580,
                  280, 200, 20);
    state.Focus = ControlWindow(PathField);
    SetFocus(state.Focus);
    return window;
}

void RunMainLoop(HWND window, MainWindowState& state) {
    HWND toolArea = ControlWindow(ToolArea);
    HWND focus = nullptr;
    RunEventLoop(
        window, [&] { return state.Done; },
        [&] {
            // Tab may move the focus to a row control outside the visible part.
            if (GetFocus() == focus) return;
            focus = GetFocus();
            ScrollIntoView(toolArea, focus);
        });
}

} // namespace

void RunMainWindow(const std::string& language, InstallerState& installer) {
    ProposeBaseFolder(installer);
    std::string bytes;
    if (!ReadLanguageFile(language, bytes)) {
        SayLanguageFileUnusable(language, "could not be read.");
        return;
    }
    LanguageLines lines(ReadLanguageLines(bytes));
    MainWindowState state{installer, MessageTexts(bytes)};
    WindowEvents events;
    events.Control = [&](int number, int notification) {
        OnControlEvent(state, number, notification);
    };
    events.Close = [&] { state.Done = true; };
    events.Activate = [&](bool active) { OnActivate(state, active); };
    HWND window = BuildMainWindow(state, events, lines);
    if (!window) {
        SayLanguageFileUnusable(language, "could not be used: Tolvane could not open its window.");
        return;
    }
    RunMainLoop(window, state);
    // The process ends right after; tests that run the window in-process
    // need it gone.
    DestroyWindow(window);
    installer.MainWindow = nullptr;
}
