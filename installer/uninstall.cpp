// The uninstall's dialogue and file handling; what to remove is decided in
// uninstall_plan over the files' line lists.
#include "installer/uninstall.h"

#include "common/environment.h"
#include "installer/ide_files.h"
#include "installer/ide_settings.h"
#include "installer/language_chooser.h"
#include "installer/uninstall_plan.h"
#include "installer/window_layer.h"

#include <windows.h>

namespace {

const char* const Title = "Uninstall";

struct Findings {
    ToolsFindings Tools;
    ToolbarRemoval Toolbar;
    FileFailures Failures;
    bool Any() const { return !Tools.Entries.empty() || Toolbar.Items > 0; }
    UninstallCounts Counts() const {
        UninstallCounts counts{int(Tools.Entries.size()), Toolbar.Items,
                               InstallationFolders(Tools.Entries)};
        counts.Folders.insert(counts.Folders.end(), Toolbar.IconFolders.begin(),
                              Toolbar.IconFolders.end());
        return counts;
    }
};

// Reads both files without changing them: Tolvane's entries, and the
// toolbar items that would go with them or whose entries are gone.
Findings FindWhatBelongs(const std::string& ideFolder) {
    Findings found;
    const std::string tools = ideFolder + ToolsFile, main = ideFolder + MainFile;
    Prefs toolsPrefs = OpenPrefs(tools);
    if (!toolsPrefs.IsOpen()) {
        found.Failures.NotRead.push_back(tools);
        return found;
    }
    found.Tools = FindTolvaneEntries(toolsPrefs.Document);
    Prefs mainPrefs = OpenPrefs(main);
    if (mainPrefs.IsOpen()) {
        PrefsDocument trial = mainPrefs.Document;
        found.Toolbar = RemoveTolvaneToolbarItems(trial, found.Tools);
    } else if (GetFileAttributesA(main.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // Without a PureBasic.prefs there is no toolbar; one that cannot be
        // read may hold buttons that would outlive their entries.
        found.Failures.NotRead.push_back(main);
    }
    if (found.Any() && !found.Tools.CountCoversEntries)
        found.Failures.CountUnclear.push_back(tools);
    return found;
}

UninstallCounts Remove(const std::string& ideFolder, const Findings& found,
                       FileFailures& failures) {
    UninstallCounts removed;
    removed.Folders = found.Counts().Folders;
    int entries = 0, items = 0;
    std::vector<PrefsChange> changes;
    if (!found.Tools.Entries.empty())
        changes.push_back({ideFolder + ToolsFile, ideFolder + ToolsBackup,
                           [&](Prefs& prefs) { entries = RemoveTolvaneEntries(prefs.Document); },
                           ""});
    if (found.Toolbar.Items > 0)
        changes.push_back({ideFolder + MainFile, ideFolder + MainBackup,
                           [&](Prefs& prefs) {
                               items = RemoveTolvaneToolbarItems(prefs.Document, found.Tools).Items;
                           },
                           ""});
    if (ChangePrefsFiles(changes, failures)) {
        removed.Entries = entries;
        removed.Items = items;
    }
    return removed;
}

} // namespace

void RunUninstall() {
    const std::vector<std::string> languages = ScanLanguageFolder();
    int chosen = ChooseLanguage(languages);
    if (chosen == -1) return;
    std::string language;
    ReadLanguageFile(languages[chosen], language);
    const LanguageFile messages(language);
    const std::string ideFolder = IdePrefsFolder();
    Findings found = FindWhatBelongs(ideFolder);
    if (!found.Any() || found.Failures.Any()) {
        ShowMessage(Title, UninstallOutcome(messages, {}, found.Failures));
        return;
    }
    UninstallCounts counts = found.Counts();
    if (MessageBoxA(ModalOwner(), UninstallQuestion(messages, counts).c_str(), Title,
                    MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    FileFailures failures;
    UninstallCounts removed = Remove(ideFolder, found, failures);
    ShowMessage(Title, UninstallOutcome(messages, removed, failures));
}
