#include "installer/language_chooser.h"

#include "common/auto_handle.h"
#include "installer/control_numbers.h"
#include "installer/installer_logic.h"
#include "installer/installer_state.h"
#include "installer/window_layer.h"

namespace {

const char* const ChooserClass = "TolvaneLanguageChooser";

struct ChooserState {
    int Outcome = 0; // 0 while open, then the position + 1, or -1
};

void OnCommand(HWND window, ChooserState& state, int id) {
    if (id == LanguageDeclineButton) state.Outcome = -1;
    if (id == LanguageGoOnButton) {
        // With nothing selected this is 0, and the chooser stays open.
        state.Outcome =
            (int)SendDlgItemMessageA(window, LanguageListControl, CB_GETCURSEL, 0, 0) + 1;
    }
}

LRESULT CALLBACK ChooserProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ChooserState* state = WindowState<ChooserState>(window, message, lParam);
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) OnCommand(window, *state, LOWORD(wParam));
        WakeEventLoop(window);
        return 0;
    case WM_CLOSE:
        state->Outcome = -1;
        WakeEventLoop(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void CreateChooserControls(HWND window) {
    HWND list = CreateControl(LanguageListControl, window, "COMBOBOX", "",
                              CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 0, 0, 200, 200);
    for (const std::string& entry : LanguageList)
        SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)entry.c_str());
    SendMessageA(list, CB_SETCURSEL, 0, 0); // nothing when the list is empty
    CreateControl(LanguageDeclineButton, window, "BUTTON", "X", BS_PUSHBUTTON | WS_TABSTOP, 0, 0,
                  25, 100, 20);
    CreateControl(LanguageGoOnButton, window, "BUTTON", ">>", BS_PUSHBUTTON | WS_TABSTOP, 0, 100,
                  25, 100, 20);
    SetFocus(list);
}

void RunChooserLoop(HWND window, ChooserState& state) {
    MSG msg;
    while (state.Outcome == 0) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage((int)msg.wParam);
            state.Outcome = -1;
            break;
        }
        if (!IsDialogMessageA(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

} // namespace

void ScanLanguageFolder() {
    WIN32_FIND_DATAA found;
    AutoFindHandle find(FindFirstFileA("Sprachen\\*.*", &found));
    if (!find.IsValid()) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            LanguageList.push_back(LanguageEntryFromFileName(found.cFileName));
    } while (FindNextFileA(find.Get(), &found));
}

int ChooseLanguage() {
    RegisterWindowClass(ChooserClass, ChooserProc);
    ChooserState state;
    HWND window = OpenFixedWindow(ChooserClass, "Choose your language", 100, 100, 200, 45, &state);
    if (!window) return -1;
    CreateChooserControls(window);
    RunChooserLoop(window, state);
    DestroyWindow(window);
    return state.Outcome > 0 ? state.Outcome - 1 : -1;
}
