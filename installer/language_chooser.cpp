#include "installer/language_chooser.h"

#include "common/auto_handle.h"
#include "common/file_text.h"
#include "installer/control_numbers.h"
#include "installer/installer_logic.h"
#include "installer/installer_state.h"
#include "installer/window_layer.h"

namespace {

const char* const ChooserClass = "TolvaneLanguageChooser";

void CreateChooserControls(HWND window, const std::vector<std::string>& languages) {
    HWND list = CreateControl(LanguageListControl, window, "COMBOBOX", "",
                              CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 0, 0, 200, 200);
    for (const std::string& entry : languages)
        SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)entry.c_str());
    SendMessageA(list, CB_SETCURSEL, 0, 0); // nothing when the list is empty
    CreateControl(LanguageDeclineButton, window, "BUTTON", "X", BS_PUSHBUTTON | WS_TABSTOP, 0, 0,
                  25, 100, 20);
    CreateControl(LanguageGoOnButton, window, "BUTTON", ">>", BS_PUSHBUTTON | WS_TABSTOP, 0, 100,
                  25, 100, 20);
    SetFocus(list);
}

} // namespace

std::vector<std::string> ScanLanguageFolder() {
    std::vector<std::string> languages;
    WIN32_FIND_DATAA found;
    AutoFindHandle find(FindFirstFileA("Sprachen\\*.*", &found));
    if (!find.IsValid()) return languages;
    do {
        std::string entry = LanguageEntryFromFileName(found.cFileName);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !entry.empty())
            languages.push_back(entry);
    } while (FindNextFileA(find.Get(), &found));
    return languages;
}

bool ReadLanguageFile(const std::string& name, std::string& bytes) {
    return ReadWholeFile("Sprachen\\" + name + ".txt", bytes);
}

void SayLanguageFileUnusable(const std::string& name, const std::string& why) {
    ShowMessage("Tolvane", "The language file Sprachen\\" + name + ".txt " + why);
}

int ChooseLanguage(const std::vector<std::string>& languages) {
    if (languages.empty()) {
        ShowMessage("Tolvane", "Tolvane found no language file (Sprachen\\*.txt) in its folder "
                               "and cannot start.");
        return -1;
    }
    int outcome = 0; // 0 while open, then the position + 1, or -1
    HWND window = nullptr;
    WindowEvents events;
    events.Control = [&](int number, int notification) {
        if (notification != BN_CLICKED) return;
        if (number == LanguageDeclineButton) outcome = -1;
        // With nothing selected this is 0, and the chooser stays open.
        if (number == LanguageGoOnButton)
            outcome = (int)SendDlgItemMessageA(window, LanguageListControl, CB_GETCURSEL, 0, 0) + 1;
    };
    events.Close = [&] { outcome = -1; };
    window =
        OpenEventWindow(ChooserClass, "Choose your language", 100, 100, 200, 45, nullptr, events);
    if (!window) return -1;
    CreateChooserControls(window, languages);
    if (!RunEventLoop(window, [&] { return outcome != 0; })) outcome = -1;
    DestroyWindow(window);
    return outcome > 0 ? outcome - 1 : -1;
}
