#include "installer/language_chooser.h"

#include "common/auto_handle.h"
#include "common/file_text.h"
#include "installer/control_numbers.h"
#include "installer/installer_logic.h"
#include "installer/window_layer.h"

namespace {

// Its texts are fixed: no language is loaded yet.
class LanguageChooser : public InstallerWindow {
  public:
    // The chosen position, or -1.
    int Choose(const std::vector<std::string>& languages) {
        if (!Open("TolvaneLanguageChooser", "Choose your language", 100, 100, 200, 45, nullptr))
            return -1;
        AddControls(languages);
        if (!RunUntil([&] { return outcome_ != 0; })) outcome_ = -1;
        DestroyWindow(Window());
        return outcome_ > 0 ? outcome_ - 1 : -1;
    }

  private:
    void AddControls(const std::vector<std::string>& languages) {
        list_ = AddControl(LanguageListControl, Window(), "COMBOBOX", "",
                           CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 0, 0, 200, 200);
        for (const std::string& entry : languages)
            SendMessageA(list_, CB_ADDSTRING, 0, (LPARAM)entry.c_str());
        SendMessageA(list_, CB_SETCURSEL, 0, 0); // nothing when the list is empty
        AddControl(LanguageDeclineButton, Window(), "BUTTON", "X", BS_PUSHBUTTON | WS_TABSTOP, 0, 0,
                   25, 100, 20);
        AddControl(LanguageGoOnButton, Window(), "BUTTON", ">>", BS_PUSHBUTTON | WS_TABSTOP, 0, 100,
                   25, 100, 20);
        SetFocus(list_);
    }

    void OnControl(HWND, int number, int notification) override {
        if (notification != BN_CLICKED) return;
        if (number == LanguageDeclineButton) outcome_ = -1;
        // With nothing selected this is 0, and the chooser stays open.
        if (number == LanguageGoOnButton)
            outcome_ = (int)SendMessageA(list_, CB_GETCURSEL, 0, 0) + 1;
    }
    void OnClose() override { outcome_ = -1; }

    HWND list_ = nullptr;
    int outcome_ = 0; // 0 while open, then the position + 1, or -1
};

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
    return LanguageChooser().Choose(languages);
}
