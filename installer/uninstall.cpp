// The uninstall's dialogue and file handling; what to remove is decided in
// uninstall_plan over the files' line lists.
#include "installer/uninstall.h"

#include "installer/ide_files.h"
#include "installer/installer_state.h"
#include "installer/language_chooser.h"
#include "installer/uninstall_plan.h"
#include "installer/window_layer.h"
#include "prefs/prefs.h"

#include <windows.h>

namespace {

const char* const Title = "Uninstall";

struct Findings {
    std::vector<TolvaneEntry> Entries;
    int Items = 0;
    FileFailures Failures;
};

// Reads both files without changing them: Tolvane's entries, and how many
// toolbar items would go with them.
Findings FindWhatBelongs(const std::string& ideFolder) {
    Findings found;
    const std::string tools = ideFolder + "Tools.prefs", main = ideFolder + "PureBasic.prefs";
    if (!OpenPrefs(tools)) {
        found.Failures.NotRead.push_back(tools);
        return found;
    }
    EditPrefsDocument([&](PrefsDocument& doc) { found.Entries = FindTolvaneEntries(doc); });
    ClosePrefs();
    if (found.Entries.empty()) return found;
    if (!OpenPrefs(main)) {
        // Without a PureBasic.prefs there is no toolbar; one that cannot be
        // read may hold buttons that would outlive their entries.
        if (GetFileAttributesA(main.c_str()) != INVALID_FILE_ATTRIBUTES)
            found.Failures.NotRead.push_back(main);
        return found;
    }
    EditPrefsDocument([&](PrefsDocument& doc) {
        PrefsDocument trial = doc;
        found.Items = RemoveTolvaneToolbarItems(trial, found.Entries);
    });
    ClosePrefs();
    return found;
}

bool AskToGoOn(const UninstallCounts& counts) {
    return MessageBoxA(ModalOwner(), UninstallQuestion(Messages(), counts).c_str(), Title,
                       MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

// The toolbar first: should Tools.prefs then fail, its entries are still
// there for the next try to find, while buttons without entries would stay
// for good.
UninstallCounts Remove(const std::string& ideFolder, const Findings& found,
                       FileFailures& failures) {
    UninstallCounts removed;
    removed.Folders = InstallationFolders(found.Entries);
    const std::string tools = ideFolder + "Tools.prefs", main = ideFolder + "PureBasic.prefs";
    if (!CanWriteFile(tools)) {
        failures.NotWritten.push_back(tools);
        return removed;
    }
    int items = 0;
    if (found.Items > 0) {
        auto removeItems = [&] {
            EditPrefsDocument(
                [&](PrefsDocument& doc) { items = RemoveTolvaneToolbarItems(doc, found.Entries); });
        };
        if (!ChangePrefsFile(main, ideFolder + "PureBasic1.prefs", removeItems, failures))
            return removed;
        removed.Items = items;
    }
    int entries = 0;
    auto removeEntries = [&] {
        EditPrefsDocument([&](PrefsDocument& doc) { entries = RemoveTolvaneEntries(doc); });
    };
    if (ChangePrefsFile(tools, ideFolder + "Tools2.prefs", removeEntries, failures))
        removed.Entries = entries;
    return removed;
}

} // namespace

void RunUninstall() {
    ScanLanguageFolder();
    int languageIndex = ChooseLanguage();
    if (languageIndex == -1) return;
    LoadMessageTexts(LanguageList[languageIndex]);
    const std::string ideFolder = IdePrefsFolder();
    Findings found = FindWhatBelongs(ideFolder);
    UninstallCounts counts{int(found.Entries.size()), found.Items,
                           InstallationFolders(found.Entries)};
    if (found.Entries.empty() || found.Failures.Any()) {
        ShowMessage(Title, UninstallOutcome(Messages(), {}, found.Failures));
        return;
    }
    if (!AskToGoOn(counts)) return;
    FileFailures failures;
    UninstallCounts removed = Remove(ideFolder, found, failures);
    ShowMessage(Title, UninstallOutcome(Messages(), removed, failures));
}
