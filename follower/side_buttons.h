// The mouse's side buttons go back and forward in the IDE, as in a browser:
// the follower hears them through raw input and starts Go back or Go
// forward as the IDE starts them from their shortcut. Raw input comes as a
// message to the follower's own window and never holds anyone's input (a
// low-level mouse hook would hold every mouse event of the desktop until
// the follower answered); nothing is taken away from the IDE, which
// receives the buttons as before.
#pragma once
#include <windows.h>

#include <string>

enum class SideButton { None, Back, Forward };

// The word in the follower's arguments that switches the buttons on.
constexpr char SideButtonsWord[] = "SIDEBUTTONS";

// Hears the mouse on the window (the follower's message-only window) for as
// long as it lives, whichever window is in front.
class SideButtonListener {
  public:
    explicit SideButtonListener(HWND window);
    SideButtonListener(const SideButtonListener&) = delete;
    SideButtonListener& operator=(const SideButtonListener&) = delete;
    ~SideButtonListener();

    bool Listening() const { return listening_; }

  private:
    bool listening_ = false;
};

// The side button that went down in WM_INPUT's raw input (its lParam); None
// for anything else. It runs for every move of the mouse on the desktop, so
// it reads the raw data's header and button flags, and nothing more.
SideButton PressedSideButton(LPARAM rawInput);

// A press is meant for the IDE when its main window is in front and takes
// input (no dialog or waited-for tool of its own in front) and the pointer
// is over it. Asks nothing of the IDE, so a hung IDE holds nobody.
bool IsPressForIde(HWND ideMainWindow);

// Go back or Go forward as the IDE starts it from its shortcut.
struct StepStart {
    bool Back = true;
    std::string File;   // the current source's file, UTF-8
    std::string Cursor; // its caret, LINExCOLUMN as the IDE counts the column
    HWND MainWindow = nullptr;
    HWND Editor = nullptr; // the visible editor
    std::string FileList;  // the open files in tab order, LF between, UTF-8
};

// The navigator's command line as the IDE builds it from the tool's entry:
// `"<navigator>" "<file>""<cursor>" "BACK"` (or "FORWARD").
std::string StepCommandLine(const std::string& navigator, const StepStart& step);

// Starts Brannow.exe, the navigator beside this program, in this process's
// working folder (the installation's, as the IDE runs the tools), with the
// environment the IDE gives a tool: the main window, the visible editor,
// the file list and the cursor set, the rest as this process got it from
// the IDE. Not waited for, as the IDE does not wait for it; false when it
// cannot be started.
bool StartStep(const StepStart& step);
