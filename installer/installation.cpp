// Carries out an installation: creates the installation folder, copies the
// chosen tools and their icons into it, and registers them in the IDE's
// Tools.prefs and on its toolbar in PureBasic.prefs. A file is changed only
// after its backup holds exactly its bytes, a toolbar button only goes with
// a tool entry that is on disk, and whatever failed is told in one message
// at the end; a complete installation stays silent.
#include "installer/installation.h"

#include "common/environment.h"
#include "common/file_text.h"
#include "installer/ide_files.h"
#include "installer/ide_settings.h"
#include "installer/installation_plan.h"
#include "installer/message_texts.h"
#include "installer/uninstall_plan.h"
#include "installer/window_layer.h"
#include "prefs/prefs.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

namespace {

// Copies a file into the installation folder; false, with its name noted,
// when the copy fails.
bool CopyInto(const std::string& from, const std::string& folder, const std::string& name,
              InstallFailures& failures) {
    if (CopyFileA(from.c_str(), (folder + name).c_str(), FALSE)) return true;
    failures.NotCopied.push_back(name);
    return false;
}

// The IDE starts the installed copy of this program in the installation
// folder. Without its language files, icons and tools beside it there, it
// would offer no language to choose and could install nothing.
void CopyProgramFolders(const std::string& installFolder, InstallFailures& failures) {
    for (const char* folder : {"Sprachen", "Icons", "Plugins"}) {
        const std::string target = installFolder + folder + "\\";
        std::vector<std::string> notCopied;
        if (!MakeFolder(FolderToCreate(target)) || !CopyFolderFiles(folder, target, notCopied))
            notCopied = {"*"};
        for (const std::string& name : notCopied)
            failures.NotCopied.push_back(std::string(folder) + "\\" + name);
    }
}

void WriteItems(Prefs& prefs, const std::vector<PrefsItem>& items) {
    for (const PrefsItem& item : items) {
        if (item.IsNumber)
            WritePrefsLong(prefs, item.Key, item.Number);
        else
            WritePrefsString(prefs, item.Key, item.Text);
    }
}

// The counts the installation numbers on from, when they can be trusted:
// otherwise it would write over entries or toolbar items of the user's.
int64_t ToolCountToNumberFrom(const PrefsDocument& tools) {
    int64_t count = TrustedToolCount(tools);
    return count <= MaxTools ? count : -1;
}
int64_t ItemCountToNumberFrom(const PrefsDocument& main) {
    int64_t count = TrustedItemCount(main);
    return count <= MaxToolbarItems ? count : -1;
}

// True when the files that can be read have counts to number on from; each
// that has not is noted. tools is what Tools.prefs holds (0 when it cannot
// be read: that fails later, as usual).
bool CountsCanBeTrusted(const std::string& ideFolder, FileFailures& failures, int64_t& tools) {
    tools = 0;
    Prefs toolsPrefs = OpenPrefs(ideFolder + ToolsFile);
    if (toolsPrefs.IsOpen() && (tools = ToolCountToNumberFrom(toolsPrefs.Document)) < 0)
        failures.CountUnclear.push_back(ideFolder + ToolsFile);
    Prefs main = OpenPrefs(ideFolder + MainFile);
    if (main.IsOpen() && ItemCountToNumberFrom(main.Document) < 0)
        failures.ItemCountUnclear.push_back(ideFolder + MainFile);
    return failures.CountUnclear.empty() && failures.ItemCountUnclear.empty();
}

bool IsMissingFile(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Makes the folder with every folder above it; true when it is there.
bool MakeFolderTree(const std::string& folder) {
    for (const std::string& level : FolderChain(folder))
        CreateDirectoryA(level.c_str(), nullptr); // an existing one fails harmlessly
    return MakeFolder(folder);
}

// The base folder as typed, as a full path: the IDE runs the tools from
// its own folder, where a relative command would name nothing.
std::string FullBaseFolder(const std::string& typed) {
    const std::string base = NormaliseBaseFolder(typed);
    char full[MAX_PATH * 4];
    DWORD length = GetFullPathNameA(base.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full, length) : base;
}

// The clearer entry, then one entry per enabled tool whose program was
// copied, numbered on from ToolCount; a tool whose copy failed is switched
// off. A Tools.prefs not there yet is made as the IDE makes it. False when
// no entry was added or Tools.prefs was left unchanged.
bool RegisterTools(const std::string& ideFolder, const std::string& installFolder,
                   ToolChoice (&tools)[ToolCount], const InstallChoices& choices,
                   InstallFailures& failures) {
    int added = 0, wanted = 0;
    auto addEntries = [&](Prefs& prefs) {
        // Checked before; a file changed since is left as it is.
        int64_t count = ToolCountToNumberFrom(prefs.Document);
        if (count < 0) return;
        // A program's entries, written only once the program is copied.
        auto addProgram = [&](const std::string& exe,
                              const std::vector<std::vector<PrefsItem>>& entries) {
            ++wanted;
            if (!CopyInto("Plugins\\" + exe, installFolder, exe, failures)) return false;
            for (const std::vector<PrefsItem>& keys : entries) {
                SelectPrefsGroup(prefs, NumberedKey(ToolGroupPrefix, count++));
                WriteItems(prefs, keys);
            }
            ++added;
            return true;
        };
        if (choices.Clearer) addProgram("Zemrick.exe", {ClearerEntryKeys(installFolder)});
        if (choices.Follower)
            addProgram(FollowerExe, FollowerEntryKeys(installFolder, choices.SideButtons));
        for (ToolChoice& tool : tools)
            if (tool.Enabled)
                tool.Enabled = addProgram(tool.ExeName, {CatalogueEntryKeys(tool, installFolder)});
        SelectPrefsGroup(prefs, ToolsInfoGroup);
        WritePrefsLong(prefs, ToolCountKey, int32_t(count));
    };
    return ChangePrefsFiles(
               {{ideFolder + ToolsFile, ideFolder + ToolsBackup, addEntries, EmptyToolsFile}},
               failures.Files) &&
           (added > 0 || wanted == 0);
}

// The IDE reads its toolbar from ToolbarNew whenever that group exists, so
// buttons written to Toolbar beside it would never show.
void AddToolbarItems(const std::string& ideFolder, const std::string& installFolder,
                     const ToolChoice (&tools)[ToolCount], InstallFailures& failures) {
    auto addItems = [&](Prefs& prefs) {
        const char* group =
            SelectPrefsGroup(prefs, NewToolbarGroup) ? NewToolbarGroup : OldToolbarGroup;
        SelectPrefsGroup(prefs, group);
        int64_t existing = ItemCountToNumberFrom(prefs.Document);
        if (existing < 0) return;
        ToolbarPlan plan = PlanToolbar(tools, installFolder, int32_t(existing));
        for (const auto& [from, to] : plan.IconCopies)
            if (!CopyFileA(from.c_str(), to.c_str(), FALSE))
                failures.NotCopied.push_back(to.substr(installFolder.size()));
        for (const ToolbarItem& item : plan.Items) {
            WritePrefsString(prefs, NumberedKey(IconKeyPrefix, item.Number), item.Icon);
            WritePrefsString(prefs, NumberedKey(ActionKeyPrefix, item.Number), item.Action);
        }
        SelectPrefsGroup(prefs, group);
        WritePrefsLong(prefs, ItemCountKey, plan.ItemCount);
    };
    if (!ChangePrefsFiles({{ideFolder + MainFile, ideFolder + MainBackup, addItems, ""}},
                          failures.Files))
        failures.NoButtons = true;
}

} // namespace

void RunInstallation(const InstallChoices& choices, const LanguageFile& language) {
    const std::string installFolder = InstallFolder(FullBaseFolder(choices.BaseFolder));
    const std::string ideFolder = IdePrefsFolder();
    ToolChoice tools[ToolCount];
    std::copy(std::begin(choices.Tools), std::end(choices.Tools), tools);

    // The IDE writes PureBasic.prefs when it first ends, Tools.prefs only
    // when the user first confirms its tools dialog.
    if (IsMissingFile(ideFolder + ToolsFile) && IsMissingFile(ideFolder + MainFile)) {
        ShowMessage("Tolvane", language.Text(LanguageLine::IdeNeverRan, ideFolder));
        return;
    }
    InstallFailures failures;
    int64_t toolCount = 0;
    if (!CountsCanBeTrusted(ideFolder, failures.Files, toolCount)) {
        failures.NothingRegistered = true;
        ShowMessage("Tolvane", InstallReport(language, failures, installFolder));
        return;
    }
    // Past its 100 tools the IDE's menu and shortcuts run other commands.
    const int needed = ToolEntriesNeeded(choices);
    if (toolCount + needed > MaxTools) {
        ShowMessage("Tolvane", language.Text(LanguageLine::TooManyTools, std::to_string(toolCount),
                                             std::to_string(needed)));
        return;
    }
    // A folder that cannot be made fails every copy, and so registers nothing.
    MakeFolderTree(FolderToCreate(installFolder));
    if (!RegisterTools(ideFolder, installFolder, tools, choices, failures)) {
        failures.NothingRegistered = true;
    } else {
        if (InstallsTolvane(tools)) CopyProgramFolders(installFolder, failures);
        AddToolbarItems(ideFolder, installFolder, tools, failures);
    }
    if (failures.Any()) ShowMessage("Tolvane", InstallReport(language, failures, installFolder));
}
