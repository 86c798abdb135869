#include "installer/main_window.h"

#include "common/environment.h"
#include "installer/control_numbers.h"
#include "installer/ide_settings.h"
#include "installer/installation.h"
#include "installer/installation_plan.h"
#include "installer/installer_logic.h"
#include "installer/language_chooser.h"
#include "installer/language_file.h"
#include "installer/requesters.h"
#include "installer/tool_rows.h"
#include "installer/window_layer.h"
#include "prefs/prefs.h"

#include <algorithm>

namespace {

void ProposeBaseFolder(InstallerState& state) {
    Prefs prefs = OpenPrefs(IdePrefsFolder() + MainFile);
    if (!prefs.IsOpen()) return;
    SelectPrefsGroup(prefs, "Global");
    std::string value = ReadPrefsString(prefs, "LanguageFile", "");
    state.BaseFolder = BaseFolderFromLanguageFile(value);
}

bool IsFieldEvent(int notification) {
    return notification == EN_CHANGE || notification == EN_SETFOCUS || notification == EN_KILLFOCUS;
}

class MainWindow : public InstallerWindow {
  public:
    MainWindow(const LanguageFile& language, InstallerState& state)
        : language_(language), state_(state) {}

    bool Build();
    void Run();

  private:
    void AddToolArea();
    void AddToolRows(HWND area);
    void Install();
    InstallChoices Choices() const;

    void OnControl(HWND control, int number, int notification) override;
    void OnClose() override { done_ = true; }
    bool OnActivate(bool active) override;

    const LanguageFile& language_;
    InstallerState& state_;
    AutomaticNumbers numbers_;
    ScrollArea toolArea_;
    ToolRow rows_[ToolCount];
    HWND pathField_ = nullptr, clearerBox_ = nullptr, followerBox_ = nullptr,
         sideButtonsBox_ = nullptr;
    HWND focus_ = nullptr; // the control that had the focus when the window was left
    bool done_ = false;
};

// The rows in the order they stand from top to bottom, which is also the
// order of Tab.
void MainWindow::AddToolRows(HWND area) {
    int order[ToolCount];
    for (int i = 0; i < ToolCount; ++i)
        order[i] = i;
    std::sort(order, order + ToolCount,
              [](int a, int b) { return ToolCatalogue[a].RowY < ToolCatalogue[b].RowY; });
    for (int index : order)
        rows_[index].Create(*this, numbers_, area, index,
                            language_.Line(ToolCatalogue[index].NameLine), language_,
                            state_.Tools[index]);
}

void MainWindow::AddToolArea() {
    HWND area = toolArea_.Open(Window(), ToolArea, numbers_.Next(), 0, 40, 860, 242, 1000, 220);
    const DWORD box = BS_AUTOCHECKBOX | WS_TABSTOP;
    // Level with the field's text, as the row labels are with their fields.
    AddControl(PathLabel, area, "STATIC", language_.Line(LanguageLine::PathLabel), SS_CENTERIMAGE,
               0, 0, 0, 100, 20);
    pathField_ = AddControl(PathField, area, "EDIT", state_.BaseFolder, ES_AUTOHSCROLL | WS_TABSTOP,
                            WS_EX_CLIENTEDGE, 100, 0, 400, 20);
    AddControl(BrowseButton, area, "BUTTON", "....", BS_PUSHBUTTON | WS_TABSTOP, 0, 500, 0, 40, 20);
    clearerBox_ = AddControl(ClearerBox, area, "BUTTON", language_.Line(LanguageLine::ClearerBox),
                             box, 0, 0, 20, 300, 20);
    // Beside the clearer's, the follower's box and the side buttons' share the
    // line's visible rest and the free room below it, each text in two lines
    // where one is too long.
    followerBox_ =
        AddControl(FollowerBox, area, "BUTTON", language_.Line(LanguageLine::FollowerBox),
                   box | BS_MULTILINE | BS_TOP, 0, 300, 20, 280, 30);
    sideButtonsBox_ =
        AddControl(SideButtonsBox, area, "BUTTON", language_.Line(LanguageLine::SideButtonsBox),
                   box | BS_MULTILINE | BS_TOP, 0, 580, 20, 270, 30);
    for (HWND checked : {clearerBox_, followerBox_, sideButtonsBox_})
        SetChecked(checked, true);
    AddToolRows(area);
}

bool MainWindow::Build() {
    if (!Open("TolvaneMainWindow", language_.Line(LanguageLine::WindowTitle), 0, 100, 860, 310,
              nullptr))
        return false;
    HWND window = Window();
    AddControl(HeaderText, window, "STATIC",
               language_.Line(LanguageLine::HeaderFirstLine) + "\r\n" +
                   language_.Line(LanguageLine::HeaderSecondLine),
               0, 0, 0, 0, 760, 40);
    AddToolArea();
    const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
    AddControl(InstallButton, window, "BUTTON", language_.Line(LanguageLine::InstallButton), button,
               0, 20, 280, 260, 20);
    AddControl(CloseButton, window, "BUTTON", language_.Line(LanguageLine::CloseButton), button, 0,
               300, 280, 260, 20);
    AddControl(AboutButton, window, "BUTTON", language_.Line(LanguageLine::AboutButton), button, 0,
               580, 280, 200, 20);
    focus_ = pathField_;
    SetFocus(focus_);
    return true;
}

void MainWindow::Run() {
    HWND focus = nullptr;
    RunUntil([&] { return done_; },
             [&] {
                 // Tab may move the focus to a row control outside the visible part.
                 if (GetFocus() == focus) return;
                 focus = GetFocus();
                 toolArea_.ScrollIntoView(focus);
             });
}

InstallChoices MainWindow::Choices() const {
    InstallChoices choices;
    choices.BaseFolder = state_.BaseFolder;
    for (int i = 0; i < ToolCount; ++i)
        choices.Tools[i] = rows_[i].Choice();
    choices.Clearer = IsChecked(clearerBox_);
    choices.Follower = IsChecked(followerBox_);
    choices.SideButtons = IsChecked(sideButtonsBox_);
    return choices;
}

void MainWindow::Install() {
    // Nothing to install into: the window stays for the user to type one.
    if (NormaliseBaseFolder(state_.BaseFolder).empty()) {
        ShowMessage("Tolvane", language_.Line(LanguageLine::NoBaseFolder));
        return;
    }
    ShowMessage("Info", language_.Line(LanguageLine::InstallNotice));
    RunInstallation(Choices(), language_);
    done_ = true;
}

void MainWindow::OnControl(HWND control, int number, int notification) {
    const bool clicked = notification == BN_CLICKED;
    switch (number) {
    case CloseButton:
        if (clicked) done_ = true;
        return;
    case InstallButton:
        if (clicked) Install();
        return;
    case AboutButton:
        if (clicked) ShowMessage("About", language_.Line(LanguageLine::AboutText));
        return;
    case PathField:
        if (IsFieldEvent(notification)) state_.BaseFolder = ControlText(pathField_);
        return;
    case BrowseButton:
        if (clicked) {
            std::string folder = OpenFolderRequester("Browse Path", state_.BaseFolder);
            if (folder.empty()) return;
            state_.BaseFolder = folder;
            SetWindowTextA(pathField_, folder.c_str());
        }
        return;
    case FollowerBox:
        // The side buttons are the follower's: without it they have no say.
        if (clicked) EnableWindow(sideButtonsBox_, IsChecked(followerBox_));
        return;
    }
    for (ToolRow& row : rows_)
        if (row.Handle(control, notification)) return;
}

// Like a dialog: the focus goes back to where it was when the window is
// activated again, after a message box or a chooser.
bool MainWindow::OnActivate(bool active) {
    if (!active) {
        HWND focus = GetFocus();
        if (focus && IsChild(Window(), focus)) focus_ = focus;
    } else if (focus_ && IsWindow(focus_)) {
        SetFocus(focus_);
    }
    return true;
}

} // namespace

void RunMainWindow(const std::string& language, InstallerState& state) {
    ProposeBaseFolder(state);
    std::string bytes;
    if (!ReadLanguageFile(language, bytes)) {
        SayLanguageFileUnusable(language, "could not be read.");
        return;
    }
    const LanguageFile texts(bytes);
    // Built and ended within this call: tests that run the window in-process
    // find it gone afterwards.
    MainWindow window(texts, state);
    if (!window.Build()) {
        SayLanguageFileUnusable(language, "could not be used: Tolvane could not open its window.");
        return;
    }
    window.Run();
}
