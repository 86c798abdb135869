// Driving Tolvane's windows from a test, in another process or on another
// thread of the test itself: finding windows by title and controls by ID,
// reading what they show, and acting on them through window messages, as a
// user's clicks and keys would.
#pragma once
#include "testing/test_support.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Polls until done() holds or timeoutMs passes; the last value of done().
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 15000);

// Top-level windows of a process (by process ID) with exactly that title.
HWND FindTopWindow(DWORD processId, const std::string& title);
// Also waits until the window's thread takes messages again, so that the
// window is built and shows its initial state. Gives up as soon as the
// process ends; when no window came, stderr says why.
HWND WaitTopWindow(DWORD processId, const std::string& title, DWORD timeoutMs = 15000);
// Returns once window's thread takes messages: whatever it was doing is done.
void Sync(HWND window);
// Visible top-level windows of a process.
std::vector<HWND> ProcessWindows(DWORD processId);
// Top-level standard dialogs ("#32770": message boxes, requesters) of a process.
std::vector<HWND> ProcessDialogs(DWORD processId);
HWND WaitDialog(DWORD processId, DWORD timeoutMs = 15000);
bool WaitWindowGone(HWND window, DWORD timeoutMs = 15000);

// A descendant with that control ID, searched depth first; null when none.
HWND FindControl(HWND top, int id);
// Waits for the control: a window is found before its children exist.
HWND WaitControl(HWND top, int id, DWORD timeoutMs = 15000);
// Direct children in creation order.
std::vector<HWND> ChildWindows(HWND parent);
std::string ClassNameOf(HWND window);

// Position and size in the client coordinates of the parent (of the screen
// for a top-level window).
RECT RectInParent(HWND window);
SIZE ClientSize(HWND window);
RECT ScreenRect(HWND window); // the outer rectangle

// What the control itself says (WM_GETTEXT, also across processes).
std::string TextOf(HWND window);
int CheckStateOf(HWND button);  // BST_CHECKED, BST_UNCHECKED ...
int ComboSelection(HWND combo); // -1: none
std::vector<std::string> ComboItems(HWND combo);
// The window that is active, and the one with the keyboard focus, on the
// thread owning window.
HWND ActiveWindowOf(HWND window);
HWND FocusOf(HWND window);
// Presses Tab in window's thread (Shift is not held) and waits for the focus
// to move.
void PressTab(HWND window);

// Clicks a button and waits for its handling. Use PostClick for a button
// that opens a modal window: its handler does not return while it is open.
void Click(HWND button);
void PostClick(HWND button);
// Selects an entry and notifies the parent as the user's choice would.
void SelectComboItem(HWND combo, int index);
// Replaces an edit field's text; the field notifies its parent of the change.
void TypeText(HWND edit, const std::string& text);
// The close box.
void PostClose(HWND window);

// The text of a message box: its static texts, joined by line ends.
std::string DialogText(HWND dialog);
// Answers a standard dialog as its button with that ID would (IDOK, IDCANCEL).
void AnswerDialog(HWND dialog, int id);

// A message box as the user sees it: its title, its text, and whether it
// asks (it has a Cancel button).
struct MessageSeen {
    std::string Title, Text;
    bool Asks = false;
};
// Waits for the process's next message box and answers it: one that asks
// with the button idWhenAsked (IDOK, IDCANCEL), one with OK alone with OK.
// False when none came or it stayed.
bool AnswerMessage(DWORD processId, MessageSeen& seen, int idWhenAsked = IDOK,
                   DWORD timeoutMs = 15000);

// A working folder as Tolvane expects it (Sprachen, Icons, Plugins) and an
// APPDATA folder with PureBasic\ in it, both removed at the end.
struct TolvaneFolders {
    TolvaneFolders();
    TempDir WorkDir, AppDataDir;
    std::string Work;    // ends in a backslash
    std::string AppData; // without a trailing backslash, as the variable holds it
};

// Twenty lines: "Title", "Header one", ... each naming its role.
std::vector<std::string> SampleLanguageLines();
// The lines joined, each ending in CR LF.
std::string LanguageFileBytes(const std::vector<std::string>& lines);
// A valid 32 x 32 icon file, filled with one colour.
std::string IconFileBytes(COLORREF colour);
// The five catalogue icons in folder\Icons, written with IconFileBytes.
void WriteCatalogueIcons(const std::string& workFolder);

// Starts the built Tolvane.exe in workFolder with APPDATA set to appData and
// arguments after the program name. Returns the process handle (null on
// failure, said on stderr); the caller closes it and waits for the window it
// wants.
HANDLE StartTolvane(const std::string& workFolder, const std::string& appData,
                    const std::string& arguments = "");
// Starts exe with exactly commandLine, with APPDATA set to appData.
HANDLE StartWithAppData(const std::string& exe, const std::string& commandLine,
                        const std::string& workFolder, const std::string& appData);
// The process of whatever program shows a top-level window with exactly that
// title, waiting for the window; null when none came. The caller closes it.
HANDLE WaitProcessWithWindow(const std::string& title, DWORD timeoutMs = 15000);
// The exit code, or -1 when the process is still running after timeoutMs
// (it is then killed).
int WaitExit(HANDLE process, DWORD timeoutMs = 15000);

// The controls of one tool row, found in the main window's tree.
struct ToolRowWindows {
    HWND Row, NameField, EnableBox, MenuBox, IconFrame, ToolbarBox, IconField, IconButton, IconView,
        ShortcutBox, ShortcutButton, ArgumentsLabel, ArgumentsField;
};
// The rows from top to bottom (on screen: entries 1, 0, 2, 4, 3).
std::vector<ToolRowWindows> FindToolRows(HWND mainWindow);

// Saves the screen rectangle as a PNG file at path, an absolute Unix path
// (Z: is the Unix root). Wine draws text straight to the X server, past what
// GDI reads back, so ImageMagick's import takes the picture.
bool SaveScreenRect(const RECT& rc, const std::string& path);
