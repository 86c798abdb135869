// Installing for real: Tolvane.exe runs as its own process, is driven through
// its windows as a user would drive it, and installs into an IDE
// configuration (APPDATA) and a base folder of the test's own. The test then
// reads both IDE files, their backups and the installation folder byte for
// byte, and finally lets the stand-in IDE run what was installed.
#include "prefs/prefs.h"
#include "prefs/prefs_format.h"
#include "testing/host_ide/host_client.h"
#include "testing/tolvane_driver.h"

#include <gtest/gtest.h>
#include <winver.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <tuple>

namespace {

const std::string Template = "\"%FILE\"\"%CURSOR\"";

// The built-in catalogue by tool table index, named as the sample language
// file names the tools.
// The navigator is not waited for (Flags 0), the others are.
struct CatalogueTool {
    std::string MenuItemName, ExeName, IconFile, Arguments;
    int32_t ShortcutCode, Flags;
};
// The picker's name is a later line, which the sample file lacks: English.
const CatalogueTool Catalogue[5] = {
    {"Back", "Brannow.exe", "Back.ico", Template + " \"BACK\"", 0x20034, 0},
    {"Recorder", "Quillet.exe", "Anker.ico", Template, 0x20035, 1},
    {"Forward", "Brannow.exe", "Forward.ico", Template + " \"FORWARD\"", 0x20036, 0},
    {"Setup", "Tolvane.exe", "Tolvane.ico", Template, 0x20037, 1},
    {"Recent positions", "Lisarde.exe", "Recent.ico", Template, 0x20033, 0},
};
const std::set<std::string> AllExecutables = {"Zemrick.exe", "Brannow.exe", "Quillet.exe",
                                              "Tolvane.exe"};

// Expected file text, in the IDE's written form.

std::string Line(const std::string& key, const std::string& value) {
    return key + " = " + value + "\r\n";
}

std::string Entry(int number, const std::string& command, const std::string& arguments,
                  const std::string& workingDir, const std::string& menuItemName, int32_t shortcut,
                  int trigger, int flags, int hideFromMenu) {
    return "[Tool_" + std::to_string(number) + "]\r\n" + Line("Command", command) +
           Line("Arguments", arguments) + Line("WorkingDir", workingDir) +
           Line("MenuItemName", menuItemName) + Line("Shortcut", std::to_string(shortcut)) +
           Line("ConfigLine", "") + Line("Trigger", std::to_string(trigger)) +
           Line("Flags", std::to_string(flags)) + Line("ReloadSource", "0") +
           Line("HideEditor", "0") + Line("HideFromMenu", std::to_string(hideFromMenu)) +
           Line("SourceSpecific", "0") + Line("Deactivate", "0");
}

std::string ClearerEntry(int number, const std::string& folder) {
    return Entry(number, folder + "Zemrick.exe", "", folder, "", 0, 1, 3, 1);
}

// The follower's four entries, numbered from first; it waits only on closing.
std::string FollowerEntries(int first, const std::string& folder, bool sideButtons = true) {
    std::string text;
    for (auto [event, trigger] :
         {std::pair{"STARTED", 1}, {"LOADED", 8}, {"SAVED", 9}, {"CLOSING", 13}})
        text += Entry(first++, folder + "Velmont.exe",
                      "\"%FILE\" \"" + std::string(event) + "\" 20" +
                          (sideButtons ? " SIDEBUTTONS" : ""),
                      folder, "", 0, trigger, trigger == 13 ? 3 : 2, 1);
    return text;
}

std::string ToolEntry(int number, const std::string& folder, int index, bool inMenu = true,
                      bool withShortcut = true) {
    const CatalogueTool& tool = Catalogue[index];
    return Entry(number, folder + tool.ExeName, tool.Arguments, folder, tool.MenuItemName,
                 withShortcut ? tool.ShortcutCode : 0, 0, tool.Flags, inMenu ? 0 : 1);
}

// The clearer and the four tools, numbered from first.
std::string DefaultEntries(int first, const std::string& folder) {
    std::string text = ClearerEntry(first, folder);
    for (int i = 0; i < 4; ++i)
        text += ToolEntry(first + 1 + i, folder, i);
    return text;
}

// Tools of the user's own, Tool_0 to Tool_<count - 1>.
std::string UserTools(int count) {
    std::string text;
    for (int n = 0; n < count; ++n)
        text += "[Tool_" + std::to_string(n) + "]\r\nCommand = C:\\Tool" + std::to_string(n) +
                ".exe\r\n";
    return text;
}

std::string Item(int number, const std::string& icon, const std::string& action) {
    return Line("Icon_" + std::to_string(number), icon) +
           Line("Action_" + std::to_string(number), action);
}
std::string SeparatorItem(int number) {
    return Item(number, "Separator", "");
}
std::string ButtonItem(int number, const std::string& folder, int index) {
    return Item(number, "External:" + folder + Catalogue[index].IconFile,
                "Tool:" + Catalogue[index].MenuItemName);
}

// Toolbar items in order, numbered from first: -1 a separator, else the
// button of that tool.
std::string Items(int first, const std::string& folder, const std::vector<int>& items) {
    std::string text;
    for (int item : items) {
        text += item < 0 ? SeparatorItem(first) : ButtonItem(first, folder, item);
        ++first;
    }
    return text;
}
const std::vector<int> DefaultItems = {-1, 0, 1, 2, -1, 3};

// The text with every token replaced by the value.
std::string Fill(std::string text, const std::string& token, const std::string& value) {
    for (size_t at = text.find(token); at != std::string::npos;
         at = text.find(token, at + value.size()))
        text.replace(at, token.size(), value);
    return text;
}

// 8-bit text as a UTF-8 file holds it: each byte the code point of its value.
std::string Utf8Of(const std::string& text) {
    std::string utf8;
    for (unsigned char c : text) {
        if (c < 0x80) {
            utf8 += char(c);
        } else {
            utf8 += char(0xC0 | c >> 6);
            utf8 += char(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

// The messages after an installation that did not complete, in English:
// the sample language file has no lines after the twentieth.
const std::string Incomplete = "The installation is not complete.\r\n";
const std::string NothingRegistered = "No tool was registered and no toolbar button added.";
const std::string NoButtons = "No toolbar button was added.";
std::string NotRead(const std::string& file) {
    return file + " could not be read, so it was left unchanged.\r\n";
}
std::string NotBackedUp(const std::string& file) {
    return file + " could not be backed up, so it was left unchanged.\r\n";
}
std::string NotWritten(const std::string& file) {
    return file + " could not be written, so it was left unchanged.\r\n";
}
std::string NotReadNoButtons(const std::string& file) {
    return Incomplete + NotRead(file) + NoButtons;
}

std::string TooManyTools(int tools, int needed) {
    return "The PureBasic IDE has " + std::to_string(tools) +
           " tools and this installation needs " + std::to_string(needed) +
           " more, but the IDE holds at most 100 tools. Nothing was changed: choose fewer tools, "
           "or remove some of the IDE's own, and install again.";
}

std::string NeverRan(const std::string& folder) {
    return "The PureBasic IDE has no settings in " + folder +
           " yet. Start the IDE once and close it, then install again. Nothing was changed.";
}

std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Sets an environment variable of this process (null: removes it) and puts
// the old value back when it goes.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        char old[MAX_PATH * 2];
        DWORD length = GetEnvironmentVariableA(name, old, sizeof old);
        had_ = length > 0 && length < sizeof old;
        if (had_) old_ = old;
        SetEnvironmentVariableA(name, value);
    }
    ~ScopedVariable() { SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }

  private:
    std::string name_, old_;
    bool had_ = false;
};

// The check states of one tool row's boxes.
struct Boxes {
    bool Enable = true, Menu = true, Toolbar = true, Shortcut = true;
};

class Installation : public testing::Test {
  protected:
    void SetUp() override {
        WriteLanguage(SampleLanguageLines());
        WriteCatalogueIcons(folders_.Work);
        for (const std::string& exe : AllExecutables)
            ASSERT_TRUE(CopyFileA(SiblingExe(exe).c_str(), Plugin(exe).c_str(), FALSE)) << exe;
        folder_ = base_.Path() + "Tolvane\\";
        for (const char* exe : {"Velmont.exe", "Lisarde.exe"})
            ASSERT_TRUE(CopyFileA(SiblingExe(exe).c_str(), Plugin(exe).c_str(), FALSE)) << exe;
    }
    void TearDown() override { EndTolvane(); }

    void WriteLanguage(const std::vector<std::string>& lines) {
        ASSERT_TRUE(
            WriteFileBytes(folders_.Work + "Sprachen\\Sample.txt", LanguageFileBytes(lines)));
    }
    std::string Ide(const std::string& name) const {
        return folders_.AppData + "\\PureBasic\\" + name;
    }
    std::string IdeFolder() const { return folders_.AppData + "\\PureBasic\\"; }
    std::string Plugin(const std::string& exe) const { return folders_.Work + "Plugins\\" + exe; }
    std::string CatalogueIcon(int index) const {
        return folders_.Work + "Icons\\" + Catalogue[index].IconFile;
    }

    // Starts Tolvane with APPDATA set to appData (null: unset), chooses the
    // one language and waits for the main window with its five rows.
    void Open(const char* appData) {
        EndTolvane();
        if (appData) {
            process_ = StartTolvane(folders_.Work, appData);
        } else {
            ScopedVariable unset("APPDATA", nullptr);
            std::string exe = SiblingExe("Tolvane.exe");
            process_ = StartProcess(exe, "\"" + exe + "\"", folders_.Work);
        }
        ASSERT_TRUE(process_);
        pid_ = GetProcessId(process_);
        HWND chooser = WaitTopWindow(pid_, "Choose your language");
        ASSERT_TRUE(chooser);
        PostClick(WaitControl(chooser, 1));
        main_ = WaitTopWindow(pid_, "Title");
        ASSERT_TRUE(main_);
        ASSERT_TRUE(WaitUntil([&] { return (rows_ = FindToolRows(main_)).size() == 5; }));
        // The follower and the picker are left out unless a test asks for them.
        SetFollower(false);
        SetCheck(Row(4).EnableBox, false);
    }
    void Open() { Open(folders_.AppData.c_str()); }

    void EndTolvane() {
        if (!process_) return;
        WaitExit(process_, 1); // kills it if a test left it running
        CloseHandle(process_);
        process_ = nullptr;
    }

    // The row of the tool with that tool table index: on screen they stand in
    // the order 1, 0, 2, 4, 3.
    const ToolRowWindows& Row(int index) const { return rows_["10243"[index] - '0']; }

    void SetCheck(HWND box, bool checked) {
        if ((CheckStateOf(box) == BST_CHECKED) != checked) Click(box);
        EXPECT_EQ(CheckStateOf(box), checked ? BST_CHECKED : BST_UNCHECKED);
    }
    // The enable box goes last: clearing it disables the other boxes.
    void Choose(int index, const Boxes& boxes) {
        const ToolRowWindows& row = Row(index);
        SetCheck(row.MenuBox, boxes.Menu);
        SetCheck(row.ToolbarBox, boxes.Toolbar);
        SetCheck(row.ShortcutBox, boxes.Shortcut);
        SetCheck(row.EnableBox, boxes.Enable);
    }
    // Only these tools enabled, each with every other box checked.
    void EnableOnly(const std::set<int>& indices) {
        for (int i = 0; i < 5; ++i)
            SetCheck(Row(i).EnableBox, indices.count(i) > 0);
    }
    void SetClearer(bool checked) { SetCheck(FindControl(main_, 10), checked); }
    void SetFollower(bool checked) { SetCheck(FindControl(main_, 18), checked); }
    // Only while the follower's box is checked: the side buttons' is off otherwise.
    void SetSideButtons(bool checked) { SetCheck(FindControl(main_, 19), checked); }
    void SetBaseFolder(const std::string& folder) {
        HWND field = FindControl(main_, 6);
        TypeText(field, folder);
        ASSERT_EQ(TextOf(field), folder);
    }

    // Presses the install button and answers the "Info" message; the exit
    // code (-1: still running, -2: no message came). A message after the
    // installation lands in report, which must then be given.
    int Install(std::string* report = nullptr) {
        PostClick(FindControl(main_, 3));
        HWND info = WaitDialog(pid_);
        if (!info) return -2;
        EXPECT_EQ(TextOf(info), "Info");
        AnswerDialog(info, IDOK);
        WaitWindowGone(info);
        WaitUntil([&] {
            return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0 ||
                   !ProcessDialogs(pid_).empty();
        });
        MessageSeen seen;
        if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0 && AnswerMessage(pid_, seen, IDOK)) {
            EXPECT_EQ(seen.Title, "Tolvane");
            EXPECT_TRUE(report) << "unexpected message: " << seen.Text;
        }
        if (report) *report = seen.Text;
        int exitCode = WaitExit(process_);
        CloseHandle(process_);
        process_ = nullptr;
        return exitCode;
    }

    // Each named file of the installation folder is a copy of its source.
    void ExpectCopies(const std::string& folder,
                      const std::vector<std::pair<std::string, std::string>>& copies) {
        for (const auto& [name, source] : copies) {
            std::string bytes = ReadFileBytes(source);
            ASSERT_FALSE(bytes.empty()) << source;
            EXPECT_TRUE(ReadFileBytes(folder + name) == bytes) << name << " is not " << source;
        }
    }

    TolvaneFolders folders_;
    TempDir base_;       // the base folder typed into the path field
    std::string folder_; // the installation folder under it
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
    std::vector<ToolRowWindows> rows_;
};

// C:\Tools\ of the example is the test's base folder; the IDE's own numbering
// and untidy spacing are there to be carried over and tidied.
TEST_F(Installation, WorkedExampleByteForByte) {
    // Proposes a folder of its own, so that a lost typed folder shows.
    TempDir proposed;
    const std::string tools = "[ToolsInfo]\r\n"
                              "ToolCount=3\r\n"
                              "\r\n"
                              "[Tool_0]\r\n"
                              "Command = C:\\PureBasic\\Tools\\Diff.exe\r\n"
                              "Arguments = \"%FILE\"\r\n"
                              "MenuItemName = Diff\r\n"
                              "[Tool_1]   ; kept for later\n"
                              "  Command=C:\\PureBasic\\Tools\\Format.exe\n"
                              "MenuItemName = Format\r\n"
                              "WorkingDir =\r\n"
                              "[Tool_2]\r\n"
                              "Command = C:\\PureBasic\\Tools\\Grep.exe\r\n"
                              "MenuItemName = Grep";
    const std::string mainPrefs =
        Fill("[Global]\r\n"
             "LanguageFile = <P>PureBasic\\X\\Catalogs\\German.catalog\r\n"
             "[Toolbar]\r\n"
             "ItemCount = 2\r\n"
             "Icon_1 = Standard:New\r\n"
             "Action_1 = Menu:New\r\n"
             "Icon_2 = Standard:Save\r\n"
             "Action_2 = Menu:Save\r\n"
             "[Editor]\r\n"
             "TabLength = 2\r\n",
             "<P>", proposed.Path());
    ASSERT_TRUE(WriteFileBytes(Ide("Tools.prefs"), tools));
    ASSERT_TRUE(WriteFileBytes(Ide("PureBasic.prefs"), mainPrefs));

    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(TextOf(FindControl(main_, 6)), proposed.Path());
    ASSERT_NO_FATAL_FAILURE(SetBaseFolder(base_.Path()));
    EnableOnly({1});
    ASSERT_EQ(Install(), 0);

    const std::string F = folder_;
    EXPECT_EQ(ReadFileBytes(Ide("Tools.prefs")),
              Fill("[ToolsInfo]\r\n"
                   "ToolCount = 5\r\n"
                   "[Tool_0]\r\n"
                   "Command = C:\\PureBasic\\Tools\\Diff.exe\r\n"
                   "Arguments = \"%FILE\"\r\n"
                   "MenuItemName = Diff\r\n"
                   "[Tool_1]\r\n"
                   "Command = C:\\PureBasic\\Tools\\Format.exe\r\n"
                   "MenuItemName = Format\r\n"
                   "WorkingDir = \r\n"
                   "[Tool_2]\r\n"
                   "Command = C:\\PureBasic\\Tools\\Grep.exe\r\n"
                   "MenuItemName = Grep\r\n"
                   "[Tool_3]\r\n"
                   "Command = <F>Zemrick.exe\r\n"
                   "Arguments = \r\n"
                   "WorkingDir = <F>\r\n"
                   "MenuItemName = \r\n"
                   "Shortcut = 0\r\n"
                   "ConfigLine = \r\n"
                   "Trigger = 1\r\n"
                   "Flags = 3\r\n"
                   "ReloadSource = 0\r\n"
                   "HideEditor = 0\r\n"
                   "HideFromMenu = 1\r\n"
                   "SourceSpecific = 0\r\n"
                   "Deactivate = 0\r\n"
                   "[Tool_4]\r\n"
                   "Command = <F>Quillet.exe\r\n"
                   "Arguments = \"%FILE\"\"%CURSOR\"\r\n"
                   "WorkingDir = <F>\r\n"
                   "MenuItemName = Recorder\r\n"
                   "Shortcut = 131125\r\n"
                   "ConfigLine = \r\n"
                   "Trigger = 0\r\n"
                   "Flags = 1\r\n"
                   "ReloadSource = 0\r\n"
                   "HideEditor = 0\r\n"
                   "HideFromMenu = 0\r\n"
                   "SourceSpecific = 0\r\n"
                   "Deactivate = 0\r\n",
                   "<F>", F));
    EXPECT_EQ(ReadFileBytes(Ide("PureBasic.prefs")),
              Fill(Fill("[Global]\r\n"
                        "LanguageFile = <P>PureBasic\\X\\Catalogs\\German.catalog\r\n"
                        "[Toolbar]\r\n"
                        "ItemCount = 4\r\n"
                        "Icon_1 = Standard:New\r\n"
                        "Action_1 = Menu:New\r\n"
                        "Icon_2 = Standard:Save\r\n"
                        "Action_2 = Menu:Save\r\n"
                        "Icon_3 = Separator\r\n"
                        "Action_3 = \r\n"
                        "Icon_4 = External:<F>Anker.ico\r\n"
                        "Action_4 = Tool:Recorder\r\n"
                        "[Editor]\r\n"
                        "TabLength = 2\r\n",
                        "<P>", proposed.Path()),
                   "<F>", F));
    EXPECT_EQ(ReadFileBytes(Ide("Tools2.prefs")), tools);
    EXPECT_EQ(ReadFileBytes(Ide("PureBasic1.prefs")), mainPrefs);
    EXPECT_EQ(FilesIn(IdeFolder()), (std::set<std::string>{"Tools.prefs", "Tools2.prefs",
                                                           "PureBasic.prefs", "PureBasic1.prefs"}));
    EXPECT_EQ(FilesIn(F), (std::set<std::string>{"Zemrick.exe", "Quillet.exe", "Anker.ico"}));
    EXPECT_FALSE(IsFolder(F + "Sprachen")) << "only for the installed Tolvane";
    ExpectCopies(F, {{"Zemrick.exe", Plugin("Zemrick.exe")},
                     {"Quillet.exe", Plugin("Quillet.exe")},
                     {"Anker.ico", CatalogueIcon(1)}});
    EXPECT_FALSE(FileExists(proposed.Path() + "Tolvane"));
}

// The same installation into an 8-bit and into a UTF-8 pair of IDE files,
// with a folder and a menu item name that need bytes 0x80 to 0xFF.
TEST_F(Installation, EightBitAndUtf8IdeFiles) {
    const std::string menu = "Aufzeichnen \xE4\xF6\xFC";
    auto lines = SampleLanguageLines();
    lines[12] = menu; // the recorder
    ASSERT_NO_FATAL_FAILURE(WriteLanguage(lines));
    const std::string base = base_.Path() + "Abl\xE4ge\\";
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
    const std::string F = base + "Tolvane\\";

    for (bool utf8 : {false, true}) {
        SCOPED_TRACE(utf8 ? "UTF-8" : "8-bit");
        auto encode = [&](const std::string& text) { return utf8 ? Utf8Of(text) : text; };
        const std::string mark = utf8 ? "\xEF\xBB\xBF" : "";
        // A euro sign as each form holds it: a UTF-8 file may hold more than
        // 8-bit text, and that stays as it is.
        const std::string euro = utf8 ? "Euro = \xE2\x82\xAC\r\n" : "Euro = \x80\r\n";
        const std::string toolsHead = "[ToolsInfo]\r\nToolCount = ";
        const std::string toolsBody =
            "\r\n[Tool_0]\r\nCommand = C:\\Caf\xE9\\Diff.exe\r\nMenuItemName = Diff \xA7\r\n";
        const std::string mainHead = "[Toolbar]\r\nItemCount = ";
        const std::string mainBody = "\r\n[Shortcuts]\r\nCopy = Strg+C \xA9\r\n";
        DeleteTree(IdeFolder());
        ASSERT_TRUE(CreateDirectoryA(IdeFolder().c_str(), nullptr));
        ASSERT_TRUE(
            WriteFileBytes(Ide("Tools.prefs"), mark + encode(toolsHead + "1" + toolsBody) + euro));
        ASSERT_TRUE(
            WriteFileBytes(Ide("PureBasic.prefs"), mark + encode(mainHead + "0" + mainBody)));

        ASSERT_NO_FATAL_FAILURE(Open());
        ASSERT_NO_FATAL_FAILURE(SetBaseFolder(base));
        EnableOnly({1});
        ASSERT_EQ(Install(), 0);

        const std::string written = utf8 ? "\xEF\xBB\xBF\r\n" : "";
        EXPECT_EQ(ReadFileBytes(Ide("Tools.prefs")),
                  written + encode(toolsHead + "3" + toolsBody) + euro +
                      encode(ClearerEntry(1, F) +
                             Entry(2, F + "Quillet.exe", Template, F, menu, 0x20035, 0, 1, 0)));
        EXPECT_EQ(ReadFileBytes(Ide("PureBasic.prefs")),
                  written + encode(mainHead + "2\r\n" + SeparatorItem(1) +
                                   Item(2, "External:" + F + "Anker.ico", "Tool:" + menu) +
                                   mainBody.substr(2)));
        EXPECT_EQ(FilesIn(F), (std::set<std::string>{"Zemrick.exe", "Quillet.exe", "Anker.ico"}));
        DeleteTree(F);
    }
}

// Where the first entry and ToolCount go when the file does not count its
// tools yet.
TEST_F(Installation, ToolsFileWithoutToolCount) {
    const std::string F = folder_;
    const std::string added = ClearerEntry(0, F) + ToolEntry(1, F, 1);
    struct {
        const char* Name;
        std::string Before, After;
    } cases[] = {
        {"ToolCount absent", "[ToolsInfo]\r\nVersion = 1\r\n[Other]\r\nKey = v\r\n",
         "[ToolsInfo]\r\nVersion = 1\r\nToolCount = 2\r\n[Other]\r\nKey = v\r\n" + added},
        {"ToolsInfo absent", "[Other]\r\nKey = v\r\n",
         "[Other]\r\nKey = v\r\n" + added + "[ToolsInfo]\r\nToolCount = 2\r\n"},
        {"empty file", "", added + "[ToolsInfo]\r\nToolCount = 2\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_TRUE(WriteFileBytes(Ide("Tools.prefs"), c.Before));
        ASSERT_NO_FATAL_FAILURE(Open());
        ASSERT_NO_FATAL_FAILURE(SetBaseFolder(base_.Path()));
        EnableOnly({1});
        std::string report; // there is no PureBasic.prefs
        ASSERT_EQ(Install(&report), 0);
        EXPECT_EQ(report, NotReadNoButtons(Ide("PureBasic.prefs")));
        EXPECT_EQ(ReadFileBytes(Ide("Tools.prefs")), c.After);
        EXPECT_EQ(ReadFileBytes(Ide("Tools2.prefs")), c.Before);
    }
}

TEST_F(Installation, NothingChosenOnlyTidiesTheFiles) {
    const std::string tools = "[ToolsInfo]\nToolCount=2\n\n  [Tool_0] "
                              "old\r\nCommand=x.exe\r;note\r\n[Tool_1]\nCommand = y.exe";
    const std::string mainPrefs = "[Toolbar]\nItemCount=3\n";
    ASSERT_TRUE(WriteFileBytes(Ide("Tools.prefs"), tools));
    ASSERT_TRUE(WriteFileBytes(Ide("PureBasic.prefs"), mainPrefs));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(SetBaseFolder(base_.Path()));
    SetClearer(false);
    EnableOnly({});
    ASSERT_EQ(Install(), 0);

    EXPECT_EQ(ReadFileBytes(Ide("Tools.prefs")), "[ToolsInfo]\r\nToolCount = 2\r\n[Tool_0]\r\n"
                                                 "Command = x.exe\r\n; note\r\n[Tool_1]\r\n"
                                                 "Command = y.exe\r\n");
    EXPECT_EQ(ReadFileBytes(Ide("PureBasic.prefs")), "[Toolbar]\r\nItemCount = 3\r\n");
    EXPECT_EQ(ReadFileBytes(Ide("Tools2.prefs")), tools);
    EXPECT_EQ(ReadFileBytes(Ide("PureBasic1.prefs")), mainPrefs);
    EXPECT_TRUE(IsFolder(folder_));
    EXPECT_TRUE(FilesIn(folder_).empty());
}

// The boxes of each row decide the entry, the button and the copies.
TEST_F(Installation, BoxesDecideEntriesButtonsAndCopies) {
    const Boxes on, off{false}, noMenu{true, false}, noToolbar{true, true, false};
    struct Expected {
        int Index; // -1: the clearer, -2: the follower's four entries
        bool InMenu = true, WithShortcut = true;
    };
    struct {
        const char* Name;
        bool Clearer;
        Boxes Tools[4];
        std::vector<Expected> Entries;
        std::vector<int> Items;
        std::set<std::string> Files;
        bool Follower = false;
        Boxes Picker = {false};
        bool SideButtons = true;
    } cases[] = {
        {"menu and shortcut boxes; toolbar box of a tool not enabled",
         false,
         {{true, true, false, false}, noMenu, {false, true, true, true}, off},
         {{0, true, false}, {1, false, true}},
         {-1, 1},
         {"Brannow.exe", "Quillet.exe", "Anker.ico"}},
        // The follower hidden, after the clearer; the picker not waited for, its
        // button with the other tools' before Tolvane's separator.
        {"only tool 3 and the picker on the toolbar; the follower",
         true,
         {noToolbar, noToolbar, noToolbar, on},
         {{-1}, {-2}, {0}, {1}, {2}, {3}, {4}},
         {-1, 4, -1, 3},
         {"Zemrick.exe", "Velmont.exe", "Brannow.exe", "Quillet.exe", "Tolvane.exe", "Lisarde.exe",
          "Tolvane.ico", "Recent.ico"},
         true,
         on},
        {"tools 0 and 2 on the toolbar, 1 not",
         false,
         {on, noToolbar, on, off},
         {{0}, {1}, {2}},
         {-1, 0, 2},
         {"Brannow.exe", "Quillet.exe", "Back.ico", "Forward.ico"}},
        {"the follower without the side buttons",
         false,
         {off, off, off, off},
         {{-2}},
         {},
         {"Velmont.exe"},
         true,
         off,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        DeleteTree(folder_);
        ASSERT_TRUE(WriteFileBytes(Ide("Tools.prefs"), "[ToolsInfo]\r\nToolCount = 2\r\n"));
        ASSERT_TRUE(WriteFileBytes(Ide("PureBasic.prefs"), "[Toolbar]\r\nItemCount = 5\r\n"));
        ASSERT_NO_FATAL_FAILURE(Open());
        ASSERT_NO_FATAL_FAILURE(SetBaseFolder(base_.Path()));
        SetClearer(c.Clearer);
        SetFollower(c.Follower);
        if (c.Follower) SetSideButtons(c.SideButtons);
        for (int i = 0; i < 4; ++i)
            Choose(i, c.Tools[i]);
        Choose(4, c.Picker);
        ASSERT_EQ(Install(), 0);

        std::string entries;
        int number = 2;
        for (const Expected& e : c.Entries) {
            entries += e.Index == -2 ? FollowerEntries(number, folder_, c.SideButtons)
                       : e.Index < 0
                           ? ClearerEntry(number, folder_)
                           : ToolEntry(number, folder_, e.Index, e.InMenu, e.WithShortcut);
            number += e.Index == -2 ? 4 : 1;
        }
        EXPECT_EQ(ReadFileBytes(Ide("Tools.prefs")),
                  "[ToolsInfo]\r\n" + Line("ToolCount", std::to_string(number)) + entries);
        EXPECT_EQ(ReadFileBytes(Ide("PureBasic.prefs")),
                  "[Toolbar]\r\n" + Line("ItemCount", std::to_string(5 + c.Items.size())) +
                      Items(6, folder_, c.Items));
        EXPECT_EQ(FilesIn(folder_), c.Files);
    }
}

// The icon requester: a file name typed into the standard dialog.
HWND FileNameField(HWND dialog) {
    // The Explorer-style dialog's name box (cmb13), or the older edit (edt1).
    for (int id : {0x47C, 0x480})
        if (HWND field = FindControl(dialog, id)) return field;
    return nullptr;
}

TEST_F(Installation, IconsFromElsewhereShareOneFileName) {
    TempDir elsewhere;
    const std::string first = elsewhere / "one", second = elsewhere / "two";
    ASSERT_TRUE(CreateDirectoryA(first.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(second.c_str(), nullptr));
    const std::string green = IconFileBytes(RGB(0, 255, 0)), blue = IconFileBytes(RGB(0, 0, 255));
    ASSERT_TRUE(WriteFileBytes(first + "\\Mine.ico", green));
    ASSERT_TRUE(WriteFileBytes(second + "\\Mine.ico", blue));
    ASSERT_TRUE(WriteFileBytes(Ide("Tools.prefs"), "[ToolsInfo]\r\nToolCount = 0\r\n"));
    ASSERT_TRUE(WriteFileBytes(Ide("PureBasic.prefs"), "[Toolbar]\r\nItemCount = 0\r\n"));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(SetBaseFolder(base_.Path()));

    // Tool 0 first, then tool 2: the installation copies in index order, so
    // tool 2's icon is the one that stays.
    for (auto [index, path] : {std::pair<int, std::string>{0, first + "\\Mine.ico"},
                               std::pair<int, std::string>{2, second + "\\Mine.ico"}}) {
        SCOPED_TRACE(path);
        PostClick(Row(index).IconButton);
        HWND dialog = WaitDialog(pid_);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(TextOf(dialog), "Search an Icon");
        HWND field = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (field = FileNameField(dialog)) != nullptr; }, 5000));
        TypeText(field, path);
        AnswerDialog(dialog, IDOK);
        ASSERT_TRUE(WaitWindowGone(dialog));
        Sync(main_);
        EXPECT_EQ(TextOf(Row(index).IconField), path);
    }
    ASSERT_EQ(Install(), 0);

    const std::string F = folder_;
    EXPECT_EQ(ReadFileBytes(Ide("PureBasic.prefs")),
              "[Toolbar]\r\nItemCount = 6\r\n" + SeparatorItem(1) +
                  Item(2, "External:" + F + "Mine.ico", "Tool:Back") + ButtonItem(3, F, 1) +
                  Item(4, "External:" + F + "Mine.ico", "Tool:Forward") + SeparatorItem(5) +
                  ButtonItem(6, F, 3));
    EXPECT_EQ(FilesIn(F),
              (std::set<std::string>{"Zemrick.exe", "Brannow.exe", "Quillet.exe", "Tolvane.exe",
                                     "Mine.ico", "Anker.ico", "Tolvane.ico"}));
    EXPECT_TRUE(ReadFileBytes(F + "Mine.ico") == blue) << "the later copy replaces the earlier";
    EXPECT_EQ(ReadFileBytes(first + "\\Mine.ico"), green) << "the chosen file is only read";
}

TEST_F(Installation, MissingMainFileKeepsTheToolsRegistered) {
    ASSERT_TRUE(WriteFileBytes(Ide("Tools.prefs"), "[ToolsInfo]\r\nToolCount = 0\r\n"));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(SetBaseFolder(base_.Path()));
    std::string report;
    ASSERT_EQ(Install(&report), 0);
    EXPECT_EQ(report, NotReadNoButtons(Ide("PureBasic.prefs")));
    EXPECT_EQ(ReadFileBytes(Ide("Tools.prefs")),
              "[ToolsInfo]\r\nToolCount = 5\r\n" + DefaultEntries(0, folder_));
    EXPECT_EQ(FilesIn(IdeFolder()), (std::set<std::string>{"Tools.prefs", "Tools2.prefs"}));
    EXPECT_EQ(FilesIn(folder_), AllExecutables) << "no icon";
}

// Drive C: of the Wine prefix that scripts/with-wine.sh made for this build
// belongs to the tests alone. Anywhere else the root of a drive is not ours
// to write into.
bool DriveCIsThisBuildsWinePrefix() {
    using UnixFileName = char*(CDECL*)(const WCHAR*);
    auto unixFileName = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char prefix[MAX_PATH * 2];
    DWORD length = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    if (!unixFileName || length == 0 || length >= sizeof prefix) return false;
    auto unixPath = [&](const std::string& path) {
        WCHAR wide[MAX_PATH * 2];
        if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH * 2))
            return std::string();
        char* name = unixFileName(wide);
        std::string result = name ? name : "";
        HeapFree(GetProcessHeap(), 0, name);
        return result;
    };
    char own[MAX_PATH];
    GetFullPathNameA((ExeDir() + "..\\..\\wineprefix").c_str(), MAX_PATH, own, nullptr);
    std::string ownPrefix = unixPath(own);
    return !ownPrefix.empty() && ownPrefix == prefix &&
           unixPath("C:\\").rfind(ownPrefix + "/", 0) == 0;
}

// Without APPDATA the IDE files are "\PureBasic\..." at the root of the
// current drive: C:, where the working folder lies. Where that root is the
// build's own Wine drive the test puts IDE files there and sees them
// extended; elsewhere it only sees that nothing is found or written at all.
TEST_F(Installation, UnsetAppDataMeansTheRootOfTheCurrentDrive) {
    ASSERT_EQ(_strnicmp(folders_.Work.c_str(), "C:\\", 3), 0) << folders_.Work;
    const std::string root = "C:\\PureBasic\\";
    const bool ours = DriveCIsThisBuildsWinePrefix();
    if (!ours && FileExists(root)) GTEST_SKIP() << root << " is not the test's to touch";
    struct RootFolder {
        bool Ours;
        ~RootFolder() {
            if (Ours) DeleteTree("C:\\PureBasic\\");
        }
    } cleanup{ours};
    const std::string tools = "[ToolsInfo]\r\nToolCount = 0\r\n",
                      mainPrefs = "[Toolbar]\r\nItemCount = 0\r\n";
    if (ours) {
        DeleteTree(root);
        ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(root + "Tools.prefs", tools));
        ASSERT_TRUE(WriteFileBytes(root + "PureBasic.prefs", mainPrefs));
    }
    // The test's own IDE files are no fallback.
    ASSERT_TRUE(WriteFileBytes(Ide("Tools.prefs"), tools));
    ASSERT_TRUE(WriteFileBytes(Ide("PureBasic.prefs"), mainPrefs));

    ASSERT_NO_FATAL_FAILURE(Open(nullptr));
    ASSERT_NO_FATAL_FAILURE(SetBaseFolder(base_.Path()));
    EnableOnly({1});
    std::string report;
    ASSERT_EQ(Install(&report), 0);
    EXPECT_EQ(report, ours ? "" : NeverRan(root));

    EXPECT_EQ(FilesIn(IdeFolder()), (std::set<std::string>{"Tools.prefs", "PureBasic.prefs"}));
    EXPECT_EQ(ReadFileBytes(Ide("Tools.prefs")), tools);
    EXPECT_EQ(ReadFileBytes(Ide("PureBasic.prefs")), mainPrefs);
    if (ours) {
        EXPECT_EQ(ReadFileBytes(root + "Tools.prefs"), "[ToolsInfo]\r\nToolCount = 2\r\n" +
                                                           ClearerEntry(0, folder_) +
                                                           ToolEntry(1, folder_, 1));
        EXPECT_EQ(ReadFileBytes(root + "PureBasic.prefs"),
                  "[Toolbar]\r\nItemCount = 2\r\n" + Items(1, folder_, {-1, 1}));
        EXPECT_EQ(ReadFileBytes(root + "Tools2.prefs"), tools);
        EXPECT_EQ(ReadFileBytes(root + "PureBasic1.prefs"), mainPrefs);
        EXPECT_EQ(FilesIn(folder_),
                  (std::set<std::string>{"Zemrick.exe", "Quillet.exe", "Anker.ico"}));
    } else {
        EXPECT_FALSE(FileExists(root));
        EXPECT_TRUE(FilesIn(folder_).empty());
    }
}

TEST_F(Installation, SecondInstallationNumbersOnAndBacksUpTheFirst) {
    const std::string tools = "[ToolsInfo]\r\nToolCount = 1\r\n[Tool_0]\r\nCommand = C:\\x.exe\r\n";
    const std::string toolbar = "[Toolbar]\r\nItemCount = 2\r\n" +
                                Item(1, "Standard:New", "Menu:New") +
                                Item(2, "Standard:Save", "Menu:Save");
    ASSERT_TRUE(WriteFileBytes(Ide("Tools.prefs"), tools));
    ASSERT_TRUE(WriteFileBytes(Ide("PureBasic.prefs"), toolbar));
    const std::string F = folder_;
    const std::string toolsAfterFirst =
        "[ToolsInfo]\r\nToolCount = 6\r\n[Tool_0]\r\nCommand = C:\\x.exe\r\n" +
        DefaultEntries(1, F);
    const std::string mainAfterFirst = "[Toolbar]\r\nItemCount = 8\r\n" +
                                       toolbar.substr(toolbar.find("Icon_1")) +
                                       Items(3, F, DefaultItems);
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        ASSERT_NO_FATAL_FAILURE(Open());
        ASSERT_NO_FATAL_FAILURE(SetBaseFolder(base_.Path()));
        ASSERT_EQ(Install(), 0);
    }
    const std::string toolsAfterSecond =
        Fill(toolsAfterFirst, "ToolCount = 6", "ToolCount = 11") + DefaultEntries(6, F);
    const std::string mainAfterSecond =
        Fill(mainAfterFirst, "ItemCount = 8", "ItemCount = 14") + Items(9, F, DefaultItems);
    EXPECT_EQ(ReadFileBytes(Ide("Tools.prefs")), toolsAfterSecond);
    EXPECT_EQ(ReadFileBytes(Ide("PureBasic.prefs")), mainAfterSecond);
    EXPECT_EQ(ReadFileBytes(Ide("Tools2.prefs")), toolsAfterFirst);
    EXPECT_EQ(ReadFileBytes(Ide("PureBasic1.prefs")), mainAfterFirst);
}

// Which toolbar group takes the buttons, and how many fit.
TEST_F(Installation, ToolbarGroupAndRoom) {
    const std::string F = folder_;
    const std::string standard = Item(1, "Standard:New", "Menu:New");
    struct {
        const char* Name;
        std::string Before, After;
        std::set<std::string> Icons;
    } cases[] = {
        // The IDE shows "ToolbarNew" whenever it is there; "Toolbar" stays as it was.
        {"ToolbarNew",
         "[Toolbar]\r\nItemCount = 1\r\n" + standard + "[ToolbarNew]\r\nItemCount = 1\r\n" +
             standard + "[Editor]\r\nTabLength = 2\r\n",
         "[Toolbar]\r\nItemCount = 1\r\n" + standard + "[ToolbarNew]\r\nItemCount = 7\r\n" +
             standard + Items(2, F, DefaultItems) + "[Editor]\r\nTabLength = 2\r\n",
         {"Back.ico", "Anker.ico", "Forward.ico", "Tolvane.ico"}},
        {"47 items",
         "[Toolbar]\r\nItemCount = 47\r\n",
         "[Toolbar]\r\nItemCount = 50\r\n" + Items(48, F, {-1, 0, 1}),
         {"Back.ico", "Anker.ico"}},
        // Tool 3's separator would still fit, its button not.
        {"45 items",
         "[Toolbar]\r\nItemCount = 45\r\n",
         "[Toolbar]\r\nItemCount = 49\r\n" + Items(46, F, {-1, 0, 1, 2}),
         {"Back.ico", "Anker.ico", "Forward.ico"}},
        {"49 items", "[Toolbar]\r\nItemCount = 49\r\n", "[Toolbar]\r\nItemCount = 49\r\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        DeleteTree(F);
        ASSERT_TRUE(WriteFileBytes(Ide("Tools.prefs"), "[ToolsInfo]\r\nToolCount = 0\r\n"));
        ASSERT_TRUE(WriteFileBytes(Ide("PureBasic.prefs"), c.Before));
        ASSERT_NO_FATAL_FAILURE(Open());
        ASSERT_NO_FATAL_FAILURE(SetBaseFolder(base_.Path()));
        ASSERT_EQ(Install(), 0);
        EXPECT_EQ(ReadFileBytes(Ide("PureBasic.prefs")), c.After);
        EXPECT_EQ(ReadFileBytes(Ide("Tools.prefs")),
                  "[ToolsInfo]\r\nToolCount = 5\r\n" + DefaultEntries(0, F))
            << "every tool is registered";
        std::set<std::string> files = AllExecutables;
        files.insert(c.Icons.begin(), c.Icons.end());
        EXPECT_EQ(FilesIn(F), files);
    }
}

// A typical day: a default installation, then the IDE runs the recorder and
// the navigator on their shortcuts and the clearer by its entry, in the
// classic IDE and in today's. The navigator is not waited for: the IDE
// answers with its process, and the keyboard ends in the file it went to.
TEST_F(Installation, TheIdeRunsWhatWasInstalled) {
    ASSERT_TRUE(WriteFileBytes(Ide("Tools.prefs"), "[ToolsInfo]\r\nToolCount = 0\r\n"));
    ASSERT_TRUE(WriteFileBytes(Ide("PureBasic.prefs"), "[Toolbar]\r\nItemCount = 0\r\n"));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(SetBaseFolder(base_.Path()));
    SetFollower(true); // as it comes
    ASSERT_EQ(Install(), 0);

    TempDir sources;
    const std::string a = sources / "a.pb", b = sources / "b.pb";
    ASSERT_TRUE(WriteFileBytes(a, NumberedLines(60)));
    ASSERT_TRUE(WriteFileBytes(b, NumberedLines(60)));
    const std::string back = folder_ + "History_Back.txt",
                      forward = folder_ + "History_Forward.txt";

    ScopedVariable appData("APPDATA", folders_.AppData.c_str());
    for (HostMode mode : {HostMode::Classic, HostMode::Today}) {
        HostIde host(sources.Path(), {a, b}, mode);
        ASSERT_TRUE(host.Ready);
        // A person's pace: the next move comes once the follower has asked
        // the editor about this one (its messages rose, then stayed still).
        const auto paced = [&](auto move) {
            const long before = HostCounters(host).EditorMessages;
            move();
            WaitUntil([&] { return HostCounters(host).EditorMessages > before; }, 5000);
            for (long seen = -1, now; (now = HostCounters(host).EditorMessages) != seen; Sleep(100))
                seen = now;
        };
        paced([] {}); // the follower has taken in the sources loaded
        ASSERT_EQ(HostSelectTab(host, 0), 0);
        ASSERT_GE(HostSetCaret(host, 7, 3), 0);
        EXPECT_EQ(HostRunToolByShortcut(host, 131125), 0);                   // Ctrl+5
        EXPECT_EQ(ReadFileBytes(back).substr(0, a.size() + 5), a + "|7x3|"); // and its fingerprint
        EXPECT_TRUE(FileExists(forward));

        // The switch records a at 7x3, the entry Remember just made: still one.
        paced([&] { EXPECT_EQ(HostSelectTab(host, 1), 1); });
        paced([&] { EXPECT_GE(HostSetCaret(host, 2, 1), 0); });
        const long navigator = HostRunToolByShortcut(host, 131124); // Ctrl+4, back
        ASSERT_GT(navigator, 0);
        AutoCloseHandle process(OpenProcess(SYNCHRONIZE, FALSE, DWORD(navigator)));
        if (process.IsValid()) {
            EXPECT_EQ(WaitForSingleObject(process.Get(), 30000), WAIT_OBJECT_0);
        }
        EXPECT_EQ(HostCurrentTab(host), 0);
        EXPECT_EQ(HostCaretLine(host), 7);
        EXPECT_EQ(HostFocusedEditor(host), HostEditors(host)[0]);
        EXPECT_EQ(ReadFileBytes(back), "");
        EXPECT_EQ(ReadFileBytes(forward).substr(0, b.size() + 5), b + "|2x1|");

        // A page down is a jump: the installed follower records the line left.
        paced([&] { EXPECT_GE(HostPressCaretKey(host, VK_NEXT), 0); }); // 30 lines down
        EXPECT_TRUE(WaitUntil(
            [&] {
                const std::string text = ReadFileBytes(back); // one entry, once written
                return text.find(a + "|7x3|") == 0 && text.find("\r\n") == text.size() - 2;
            },
            10000));

        // The clearer has no shortcut; it is entry 0.
        EXPECT_EQ(HostRunToolByNumber(host, 0), 0);
        EXPECT_TRUE(FileExists(back));
        EXPECT_EQ(ReadFileBytes(forward), "");
        EXPECT_TRUE(HostLogLines(host).empty());
    }
}

// The IDE starts the installed Tolvane in the installation folder: its
// languages, icons and tools are there too, so it can be used as it is.
TEST_F(Installation, TheInstalledTolvaneFindsWhatItNeeds) {
    ASSERT_TRUE(WriteFileBytes(Ide("Tools.prefs"), "[ToolsInfo]\r\nToolCount = 0\r\n"));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(SetBaseFolder(base_.Path()));
    std::string report;
    ASSERT_EQ(Install(&report), 0);
    EXPECT_EQ(report, NotReadNoButtons(Ide("PureBasic.prefs")));
    for (const char* folder : {"Sprachen\\", "Icons\\", "Plugins\\"}) {
        EXPECT_EQ(FilesIn(folder_ + folder), FilesIn(folders_.Work + folder)) << folder;
        EXPECT_FALSE(FilesIn(folder_ + folder).empty()) << folder;
    }

    process_ = StartTolvane(folder_, folders_.AppData);
    ASSERT_TRUE(process_);
    pid_ = GetProcessId(process_);
    HWND chooser = WaitTopWindow(pid_, "Choose your language");
    ASSERT_TRUE(chooser);
    EXPECT_EQ(ComboItems(WaitControl(chooser, 0)), std::vector<std::string>{"Sample"});
    PostClick(WaitControl(chooser, 1));
    main_ = WaitTopWindow(pid_, "Title");
    ASSERT_TRUE(main_);
    PostClose(main_);
    EXPECT_EQ(WaitExit(process_), 0);
}

// A string of a program's version resource, in the language it is written in.
std::string VersionString(const std::vector<char>& info, const char* name) {
    char* value = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\040904E4\\") + name;
    if (!VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) ||
        !value)
        return "";
    return std::string(value, strnlen(value, length));
}

// The manifest a program starts with; "" without one.
std::string ManifestOf(const std::string& exe) {
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return "";
    std::string manifest;
    if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)))
        if (HGLOBAL data = LoadResource(module, found))
            manifest.assign(static_cast<const char*>(LockResource(data)),
                            SizeofResource(module, found));
    FreeLibrary(module);
    return manifest;
}

// Every program of the release says what it is, in one release version; the
// ones with windows draw them with common controls 6, the others start
// without a manifest's cost; only Recent positions, which scales its own
// sizes, is aware of the screen's scaling, as the IDE is.
TEST(Release, EveryProgramSaysWhatItIs) {
    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_EQ(sscanf(TOLVANE_VERSION, "%u.%u.%u", &major, &minor, &patch), 3);
    const struct {
        const char* Exe;
        const char* Description;
        bool Windows, Scales = false;
    } programs[] = {
        {"Tolvane.exe", "Tolvane setup for the PureBasic IDE", true},
        {"Quillet.exe", "Tolvane history recorder: Remember position", false},
        {"Brannow.exe", "Tolvane navigator: Go back and Go forward", false},
        {"Lisarde.exe", "Tolvane Recent positions", true, true},
        {"Zemrick.exe", "Tolvane history clearer", false},
        {"Velmont.exe", "Tolvane follower: records the positions left", false},
    };
    for (const auto& program : programs) {
        SCOPED_TRACE(program.Exe);
        const std::string exe = SiblingExe(program.Exe);
        DWORD ignored = 0;
        std::vector<char> info(GetFileVersionInfoSizeA(exe.c_str(), &ignored));
        ASSERT_FALSE(info.empty()) << "no version resource";
        ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, DWORD(info.size()), info.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(minor, major));
        EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, patch));
        for (auto [name, value] : {std::pair{"ProductName", "Tolvane"},
                                   {"FileDescription", program.Description},
                                   {"FileVersion", TOLVANE_VERSION},
                                   {"ProductVersion", TOLVANE_VERSION},
                                   {"OriginalFilename", program.Exe}})
            EXPECT_EQ(VersionString(info, name), value) << name;
        const std::string manifest = ManifestOf(exe);
        EXPECT_EQ(manifest.find("\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"") !=
                      std::string::npos,
                  program.Windows)
            << manifest;
        EXPECT_EQ(manifest.find(">true</dpiAware>") != std::string::npos, program.Scales);
    }
}

// The lines of a preference file as the component reads them.
std::vector<std::string> LinesOf(const std::string& bytes) {
    PrefsDocument doc = ParsePrefsDocument(bytes);
    std::vector<std::string> lines;
    for (const PrefsLine& line : doc.Lines) {
        lines.push_back(std::to_string(int(line.Kind)) + "|" +
                        doc.Text.substr(line.Name.Start, line.Name.Length) + "|" +
                        doc.Text.substr(line.Value.Start, line.Value.Length));
    }
    return lines;
}

// Megabytes of random bytes (NULs, lone CRs and LFs, broken UTF-8 and all),
// with readable groups "Keep_<k>" holding "Key = value <k>" in between.
std::string Garbage(uint32_t seed, size_t size, int groups) {
    std::mt19937 random(seed);
    std::string bytes;
    bytes.reserve(size + groups * 40);
    for (int k = 0; k < groups; ++k) {
        for (size_t i = 0; i < size / groups; ++i)
            bytes += char(random() & 0xFF);
        bytes += "\r[Keep_" + std::to_string(k) + "]\rKey = value " + std::to_string(k) + "\r";
    }
    return bytes;
}

// The installation never spoils what the IDE can read, whatever the files hold.
TEST_F(Installation, HostileFilesAreBackedUpAndExtended) {
    const int groups = 64;
    const std::string tools =
        "\xEF\xBB\xBF[ToolsInfo]\rToolCount = 2\r" + Garbage(1, 3 << 20, groups);
    const std::string mainPrefs =
        "; garbage first\n" + Garbage(2, 2 << 20, groups) + "\n[Toolbar]\nItemCount = 3\n";
    ASSERT_TRUE(WriteFileBytes(Ide("Tools.prefs"), tools));
    ASSERT_TRUE(WriteFileBytes(Ide("PureBasic.prefs"), mainPrefs));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(SetBaseFolder(base_.Path()));
    ASSERT_EQ(Install(), 0);

    EXPECT_TRUE(ReadFileBytes(Ide("Tools2.prefs")) == tools) << "backup byte for byte";
    EXPECT_TRUE(ReadFileBytes(Ide("PureBasic1.prefs")) == mainPrefs) << "backup byte for byte";

    // Every line that was there is there, in its place; only the counts changed.
    const std::string toolsAfter = ReadFileBytes(Ide("Tools.prefs"));
    const std::string mainAfter = ReadFileBytes(Ide("PureBasic.prefs"));
    ASSERT_EQ(toolsAfter.compare(0, 5, "\xEF\xBB\xBF\r\n"), 0);
    std::vector<std::string> expected = LinesOf(tools), got = LinesOf(toolsAfter);
    ASSERT_EQ(expected[1], "2|ToolCount|2");
    expected[1] = "2|ToolCount|7";
    auto added = LinesOf(DefaultEntries(2, folder_));
    expected.insert(expected.end(), added.begin(), added.end());
    EXPECT_TRUE(got == expected) << got.size() << " lines instead of " << expected.size();
    expected = LinesOf(mainPrefs), got = LinesOf(mainAfter);
    ASSERT_EQ(expected.back(), "2|ItemCount|3");
    expected.back() = "2|ItemCount|9";
    added = LinesOf(Items(4, folder_, DefaultItems));
    expected.insert(expected.end(), added.begin(), added.end());
    EXPECT_TRUE(got == expected) << got.size() << " lines instead of " << expected.size();

    // And read as the IDE reads it.
    Prefs prefs = OpenPrefs(Ide("Tools.prefs"));
    ASSERT_TRUE(prefs.IsOpen());
    SelectPrefsGroup(prefs, "ToolsInfo");
    EXPECT_EQ(ReadPrefsLong(prefs, "ToolCount", -1), 7);
    for (int k = 0; k < groups; ++k) {
        EXPECT_TRUE(SelectPrefsGroup(prefs, "Keep_" + std::to_string(k))) << k;
        EXPECT_EQ(ReadPrefsString(prefs, "Key", ""), "value " + std::to_string(k));
    }
    const char* commands[] = {"Zemrick.exe", "Brannow.exe", "Quillet.exe", "Brannow.exe",
                              "Tolvane.exe"};
    for (int n = 2; n < 7; ++n) {
        EXPECT_TRUE(SelectPrefsGroup(prefs, "Tool_" + std::to_string(n))) << n;
        EXPECT_EQ(ReadPrefsString(prefs, "Command", ""), folder_ + commands[n - 2]);
    }
    ClosePrefs(prefs);
    EXPECT_EQ(ReadFileBytes(Ide("Tools.prefs")).size(), toolsAfter.size()) << "only read";
}

// Holds a file open as another program would: with no sharing at all
// (locked), or letting others read but not write.
class LockedFile {
  public:
    LockedFile(const std::string& path, DWORD share)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~LockedFile() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

// A read-only file. Wine run by root maps the attribute to file modes that
// root ignores, so a reader that lets nobody write holds it too.
struct ReadOnlyFile {
    explicit ReadOnlyFile(const std::string& path)
        : Path(path), Attribute(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY)),
          Reader(path, FILE_SHARE_READ) {}
    ~ReadOnlyFile() { SetFileAttributesA(Path.c_str(), FILE_ATTRIBUTE_NORMAL); }
    std::string Path;
    bool Attribute;
    LockedFile Reader;
};

// What cannot be backed up, read or written is left as it was and told in
// one message; a toolbar button only goes with a tool entry on disk. A file
// whose count does not cover what it holds changes neither file: the
// installation would write over the user's own entries or buttons.
TEST_F(Installation, FailuresAreReportedAndNothingIsLost) {
    const std::string tools = "[ToolsInfo]\r\nToolCount = 0\r\n",
                      mainPrefs = "[Toolbar]\r\nItemCount = 0\r\n",
                      oldBackup = "[ToolsInfo]\r\nToolCount = 7\r\n";
    const std::string F = folder_;
    const std::string registered =
        "[ToolsInfo]\r\nToolCount = 2\r\n" + ClearerEntry(0, F) + ToolEntry(1, F, 1);
    const std::string withButton = "[Toolbar]\r\nItemCount = 2\r\n" + Items(1, F, {-1, 1});
    const std::set<std::string> programs = {"Zemrick.exe", "Quillet.exe"};
    const std::set<std::string> everything = {"Zemrick.exe", "Quillet.exe", "Anker.ico"};
    enum Fault { None, ReadOnly, Locked, Folder, Missing, Absent, Holds, NoFollower };
    struct Case {
        std::string Name;
        std::string File; // the file the fault is put on
        Fault What;       // Holds: the files hold ToolsAfter and MainAfter from the start
        std::string Report, ToolsAfter = "", MainAfter = "";
        std::set<std::string> Copied = {};
        std::string ToolsBefore = ""; // "": tools
        bool Everything = false;      // every tool, the clearer and the follower chosen
    };
    auto Unclear = [&](const char* file, const char* what) {
        return Incomplete + Ide(file) + " does not say how many " + what +
               ", so it was left unchanged.\r\n" + NothingRegistered;
    };
    const std::string user = "[Tool_0]\r\nCommand = C:\\Diff.exe\r\n",
                      userItem = "Icon_1 = Standard:New\r\nAction_1 = Menu:New\r\n",
                      toolsUnclear =
                          Unclear("Tools.prefs", "tool entries the IDE reads (ToolCount)");
    std::vector<Case> cases = {
        {"old Tools2.prefs read-only",
         "Tools2.prefs",
         ReadOnly,
         Incomplete + NotBackedUp(Ide("Tools.prefs")) + NothingRegistered,
         tools,
         mainPrefs,
         {}},
        {"a folder named Tools2.prefs",
         "Tools2.prefs",
         Folder,
         Incomplete + NotBackedUp(Ide("Tools.prefs")) + NothingRegistered,
         tools,
         mainPrefs,
         {}},
        {"Tools2.prefs locked",
         "Tools2.prefs",
         Locked,
         Incomplete + NotBackedUp(Ide("Tools.prefs")) + NothingRegistered,
         tools,
         mainPrefs,
         {}},
        {"old PureBasic1.prefs read-only", "PureBasic1.prefs", ReadOnly,
         Incomplete + NotBackedUp(Ide("PureBasic.prefs")) + NoButtons, registered, mainPrefs,
         programs},
        {"Tools.prefs read-only",
         "Tools.prefs",
         ReadOnly,
         Incomplete + NotWritten(Ide("Tools.prefs")) + NothingRegistered,
         tools,
         mainPrefs,
         {}},
        {"Tools.prefs locked",
         "Tools.prefs",
         Locked,
         Incomplete + NotRead(Ide("Tools.prefs")) + NothingRegistered,
         tools,
         mainPrefs,
         {}},
        {"PureBasic.prefs read-only", "PureBasic.prefs", ReadOnly,
         Incomplete + NotWritten(Ide("PureBasic.prefs")) + NoButtons, registered, mainPrefs,
         programs},
        {"PureBasic.prefs locked", "PureBasic.prefs", Locked,
         Incomplete + NotRead(Ide("PureBasic.prefs")) + NoButtons, registered, mainPrefs, programs},
        {"base folder below a file",
         "",
         Missing,
         Incomplete + NothingRegistered + "\r\nThese files could not be copied into " +
             base_.Path() + "gone\\deeper\\Tolvane\\:\r\nZemrick.exe\r\nQuillet.exe",
         "",
         "",
         {}},
        {"a complete installation is silent", "", None, "", registered, withButton, everything},
        // Not built yet, or taken out of the release: told, and not registered.
        {"the follower's program missing", "", NoFollower,
         Incomplete + "These files could not be copied into " + F + ":\r\nVelmont.exe", registered,
         withButton, everything},
        // The IDE writes Tools.prefs only when its tools dialog is first confirmed.
        {"a fresh IDE: no Tools.prefs yet", "Tools.prefs", Absent, "", registered, withButton,
         everything},
        {"the IDE never ran: no settings", "PureBasic.prefs", Absent, NeverRan(IdeFolder())},
        {"the IDE never ran: no settings folder", "", Absent, NeverRan(IdeFolder())},
        {"ToolCount absent beside an entry", "", Holds, toolsUnclear, "[ToolsInfo]\r\n" + user,
         mainPrefs},
    };
    // The IDE holds 100 tools; everything chosen is 10 entries: the clearer,
    // the follower's four and five tools.
    const auto userTools = [](int count) {
        return "[ToolsInfo]\r\nToolCount = " + std::to_string(count) + "\r\n" + UserTools(count);
    };
    for (int count : {91, 95, 100})
        cases.push_back({std::to_string(count) + " tools of the user's own",
                         "",
                         Holds,
                         TooManyTools(count, 10),
                         userTools(count),
                         mainPrefs,
                         {},
                         "",
                         true});
    cases.push_back(
        {"90 tools of the user's own: exactly 100",
         "",
         None,
         "",
         Fill(userTools(90), "ToolCount = 90", "ToolCount = 100") + ClearerEntry(90, F) +
             FollowerEntries(91, F) + ToolEntry(95, F, 0) + ToolEntry(96, F, 1) +
             ToolEntry(97, F, 2) + ToolEntry(98, F, 3) + ToolEntry(99, F, 4),
         "[Toolbar]\r\nItemCount = 7\r\n" + Items(1, F, {-1, 0, 1, 2, 4, -1, 3}),
         {"Zemrick.exe", "Velmont.exe", "Brannow.exe", "Quillet.exe", "Tolvane.exe", "Lisarde.exe",
          "Back.ico", "Anker.ico", "Forward.ico", "Recent.ico", "Tolvane.ico"},
         userTools(90),
         true});
    // A count that does not cover what its file holds changes neither file.
    // Only the group the IDE reads counts: ToolbarNew beside a sound Toolbar.
    int n = 0;
    for (const std::string count : {"0", "-1", "1x", "2147483647", "2147483648"}) {
        const std::string lyingTools = "[ToolsInfo]\r\nToolCount = " + count + "\r\n" + user,
                          lyingMain = (n++ % 2 ? "[Toolbar]\r\nItemCount = 1\r\n" + userItem +
                                                     "[ToolbarNew]"
                                               : "[Toolbar]") +
                                      "\r\nItemCount = " + count + "\r\n" + userItem;
        cases.push_back({"ToolCount " + count, "", Holds, toolsUnclear, lyingTools, mainPrefs});
        cases.push_back({"ItemCount " + count, "", Holds,
                         Unclear("PureBasic.prefs", "toolbar items the IDE reads (ItemCount)"),
                         tools, lyingMain});
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        DeleteTree(IdeFolder());
        DeleteTree(F);
        ASSERT_TRUE(CreateDirectoryA(IdeFolder().c_str(), nullptr));
        ASSERT_TRUE(
            WriteFileBytes(Ide("Tools.prefs"), c.ToolsBefore.empty() ? tools : c.ToolsBefore));
        ASSERT_TRUE(WriteFileBytes(Ide("PureBasic.prefs"), mainPrefs));
        if (c.What == Holds) {
            ASSERT_TRUE(WriteFileBytes(Ide("Tools.prefs"), c.ToolsAfter));
            ASSERT_TRUE(WriteFileBytes(Ide("PureBasic.prefs"), c.MainAfter));
        }
        if (c.What == Absent) {
            DeleteFileA(Ide("Tools.prefs").c_str());
            if (c.File != "Tools.prefs") DeleteFileA(Ide(c.File).c_str());
            if (c.File.empty()) DeleteTree(IdeFolder());
        }
        if (c.What == Missing) {
            ASSERT_TRUE(WriteFileBytes(base_.Path() + "gone", "a file"));
        }
        if (c.What == NoFollower) {
            ASSERT_TRUE(DeleteFileA(Plugin("Velmont.exe").c_str()));
        } else {
            ASSERT_TRUE(
                CopyFileA(SiblingExe("Velmont.exe").c_str(), Plugin("Velmont.exe").c_str(), FALSE));
        }
        if (c.File == "Tools2.prefs" || c.File == "PureBasic1.prefs") {
            if (c.What == Folder)
                ASSERT_TRUE(CreateDirectoryA(Ide(c.File).c_str(), nullptr));
            else
                ASSERT_TRUE(WriteFileBytes(Ide(c.File), oldBackup));
        }
        const std::set<std::string> filesBefore = FilesIn(IdeFolder());
        const std::string toolsBefore = ReadFileBytes(Ide("Tools.prefs")),
                          mainBefore = ReadFileBytes(Ide("PureBasic.prefs"));
        std::unique_ptr<ReadOnlyFile> readOnly;
        std::unique_ptr<LockedFile> lock;
        if (c.What == ReadOnly) {
            readOnly = std::make_unique<ReadOnlyFile>(Ide(c.File));
            ASSERT_TRUE(readOnly->Attribute && readOnly->Reader.Held());
        }
        if (c.What == Locked) {
            lock = std::make_unique<LockedFile>(Ide(c.File), 0);
            ASSERT_TRUE(lock->Held());
        }
        ASSERT_NO_FATAL_FAILURE(Open());
        const std::string base = c.What == Missing ? base_.Path() + "gone\\deeper\\" : base_.Path();
        ASSERT_NO_FATAL_FAILURE(SetBaseFolder(base));
        EnableOnly(c.Everything ? std::set<int>{0, 1, 2, 3, 4} : std::set<int>{1});
        SetFollower(c.What == NoFollower || c.Everything);
        std::string report;
        ASSERT_EQ(Install(&report), 0);
        lock.reset();
        readOnly.reset();

        EXPECT_EQ(report, c.Report);
        if (c.What == Missing) {
            // No entry for a program that is not on disk.
            EXPECT_EQ(ReadFileBytes(Ide("Tools.prefs")), tools);
            EXPECT_EQ(ReadFileBytes(Ide("PureBasic.prefs")), mainPrefs);
            EXPECT_EQ(ReadFileBytes(base_.Path() + "gone"), "a file");
            DeleteFileA((base_.Path() + "gone").c_str());
            continue;
        }
        EXPECT_EQ(ReadFileBytes(Ide("Tools.prefs")), c.ToolsAfter);
        EXPECT_EQ(ReadFileBytes(Ide("PureBasic.prefs")), c.MainAfter);
        if (c.File == "Tools2.prefs" || c.File == "PureBasic1.prefs") {
            if (c.What == Folder)
                EXPECT_TRUE(IsFolder(Ide(c.File)));
            else
                EXPECT_EQ(ReadFileBytes(Ide(c.File)), oldBackup) << "the old backup stays";
        }
        if (c.ToolsAfter != toolsBefore && !toolsBefore.empty()) {
            EXPECT_EQ(ReadFileBytes(Ide("Tools2.prefs")), toolsBefore);
        }
        if (c.MainAfter != mainBefore && !mainBefore.empty()) {
            EXPECT_EQ(ReadFileBytes(Ide("PureBasic1.prefs")), mainBefore);
        }
        // Refused before anything was done: no backup, not even the folder.
        if (c.Report.find(" does not say ") != std::string::npos ||
            c.Report.find(" has no settings ") != std::string::npos ||
            c.Report.find(" at most 100 tools") != std::string::npos) {
            EXPECT_EQ(FilesIn(IdeFolder()), filesBefore);
            EXPECT_FALSE(IsFolder(F));
        }
        EXPECT_EQ(FilesIn(F), c.Copied);
    }
}

// What the user sees of a run: the messages in order, "?" before one that
// asks, and whether the main window came.
struct RunSeen {
    std::vector<std::string> Messages;
    bool MainWindow = false;
    int ExitCode = -1;
};

// The uninstall's messages in English.
std::string Question(int entries, int items, const std::vector<std::string>& folders) {
    std::string text = "?This removes Tolvane's tool entries (" + std::to_string(entries) +
                       ") and toolbar items (" + std::to_string(items) +
                       ") from the IDE's settings. They point to these folders:";
    for (const std::string& folder : folders)
        text += "\r\n" + folder;
    return text + "\r\nPlease close the PureBasic IDE before you press OK.";
}
std::string FoldersRemain(const std::vector<std::string>& folders) {
    std::string text = "The installation folders are still on disk; delete them when you no "
                       "longer need them:";
    for (const std::string& folder : folders)
        text += "\r\n" + folder;
    return text;
}
std::string Removed(int entries, int items, const std::vector<std::string>& folders) {
    return "Tool entries removed: " + std::to_string(entries) +
           ". Toolbar items removed: " + std::to_string(items) + ".\r\n" + FoldersRemain(folders);
}

std::string CountUnclear(const std::string& file) {
    return file + " does not say how many tool entries the IDE reads (ToolCount), so it was left "
                  "unchanged.\r\n";
}

// Equal bytes; a failure shows the sizes and the start only, for files of megabytes.
::testing::AssertionResult SameBytes(const std::string& got, const std::string& want) {
    if (got == want) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << got.size() << " bytes: " << got.substr(0, 2000) << "\ninstead of " << want.size()
           << " bytes: " << want.substr(0, 2000);
}

std::string Normalised(const std::string& bytes) {
    return FormatPrefsDocument(ParsePrefsDocument(bytes));
}

class Uninstall : public Installation {
  protected:
    // Starts Tolvane with arguments, chooses the language (or declines) and
    // answers every message, the one that asks with answer; closes a main
    // window.
    RunSeen Run(const std::string& arguments, bool choose, int answer, bool throughCmd) {
        EndTolvane();
        RunSeen seen;
        if (throughCmd) {
            // Started from another folder: the script finds its own.
            HANDLE cmd = StartWithAppData("C:\\windows\\system32\\cmd.exe",
                                          "cmd.exe /c \"" + folders_.Work + "Uninstall.cmd\"",
                                          "C:\\", folders_.AppData);
            if (!cmd) return seen;
            process_ = WaitProcessWithWindow("Choose your language");
            EXPECT_EQ(WaitExit(cmd), 0) << "the script does not wait for Tolvane";
            CloseHandle(cmd);
        } else {
            ScopedVariable unset("APPDATA", nullptr);
            process_ = withAppData_ ? StartTolvane(folders_.Work, folders_.AppData, arguments)
                                    : StartProcess(SiblingExe("Tolvane.exe"),
                                                   "Tolvane.exe " + arguments, folders_.Work);
        }
        if (!process_) return seen;
        pid_ = GetProcessId(process_);
        HWND chooser = WaitTopWindow(pid_, "Choose your language");
        if (!chooser) return seen;
        PostClick(WaitControl(chooser, choose ? 1 : 2));
        while (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
            HWND main = nullptr;
            bool more = WaitUntil([&] {
                return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0 ||
                       !ProcessDialogs(pid_).empty() ||
                       (main = FindTopWindow(pid_, "Title")) != nullptr;
            });
            if (!more) break;
            MessageSeen message;
            if (main) {
                seen.MainWindow = true;
                PostClose(main);
                WaitWindowGone(main);
            } else if (!ProcessDialogs(pid_).empty() && AnswerMessage(pid_, message, answer)) {
                EXPECT_EQ(message.Title, "Uninstall");
                seen.Messages.push_back((message.Asks ? "?" : "") + message.Text);
            }
        }
        seen.ExitCode = WaitExit(process_);
        CloseHandle(process_);
        process_ = nullptr;
        return seen;
    }

    // Installs into base with the rows as they come, or only tool 1; the
    // follower and the picker only when asked.
    void InstallInto(const std::string& base, bool onlyTheRecorder,
                     bool followerAndPicker = false) {
        ASSERT_NO_FATAL_FAILURE(Open());
        ASSERT_NO_FATAL_FAILURE(SetBaseFolder(base));
        if (onlyTheRecorder) EnableOnly({1});
        SetFollower(followerAndPicker);
        SetCheck(Row(4).EnableBox, followerAndPicker);
        ASSERT_EQ(Install(), 0);
    }

    std::unique_ptr<ReadOnlyFile> readOnly_;
    std::unique_ptr<LockedFile> locked_;
    bool withAppData_ = true;
};

// A tool of the user's own, with a key Tolvane does not know and a comment.
std::string UserTool(int number) {
    return "[Tool_" + std::to_string(number) +
           "]\r\nCommand = C:\\Diff.exe\r\nMyOwnKey = kept\r\n; my note\r\nMenuItemName = Diff\r\n";
}

TEST_F(Uninstall, Scenarios) {
    TempDir second;
    const std::string F1 = folder_, F2 = second.Path() + "Tolvane\\";
    const std::string G = base_.Path() + "Abl\xE4ge\\Tolvane\\";
    const std::string standard = Item(1, "Standard:New", "Menu:New");
    // Files as the IDE keeps them, untidy, before any installation.
    const std::string originalTools =
        "[ToolsInfo]\nToolCount=1\n\n[Tool_0]\n  Command=C:\\Diff.exe\n"
        "Unknown = x   \n;note\n";
    const std::string originalMain = "[Global]\r\nLanguageFile=\r\n[Toolbar]\r\nItemCount = 1\r\n" +
                                     standard + "[Editor]\r\nTabLength = 2\r\n";
    const std::string installedTools = "[ToolsInfo]\r\nToolCount = 1\r\n" + ToolEntry(0, F1, 1);
    const std::string installedMain = "[Toolbar]\r\nItemCount = 2\r\n" + Items(1, F1, {-1, 1});
    const std::string noEntries = "[ToolsInfo]\r\nToolCount = 0\r\n";
    auto toolsWith = [](const std::string& count, const std::string& entries) {
        return "[ToolsInfo]\r\nToolCount = " + count + "\r\n" + entries;
    };
    std::string edited = F1;
    for (char& c : edited)
        c = c == '\\' ? '/' : char(tolower((unsigned char)c));
    const std::string command = "Command = " + F1 + "Quillet.exe";
    const std::string quoted =
        Fill(ToolEntry(0, F1, 1), command, "Command = \"" + F1 + "Quillet.exe\"");
    const std::string stray = "[Stray]\r\nBlob = " + std::string(50 << 20, 'x') + "\r\n";
    const std::string recorderAction = "Tool:" + Catalogue[1].MenuItemName;
    const std::string refused = "Nothing was removed.";
    auto notChanged = [&](const std::string& failure) {
        return failure + refused + "\r\n" + FoldersRemain({F1});
    };
    auto oldBackup = [&](const char* name, DWORD attributes) {
        ASSERT_TRUE(WriteFileBytes(Ide(name), "old"));
        ASSERT_TRUE(SetFileAttributesA(Ide(name).c_str(), attributes));
    };
    auto language = SampleLanguageLines();
    for (int line = 21; line <= 33; ++line)
        language.push_back("Line " + std::to_string(line));
    struct Scenario {
        const char* Name;
        std::string Tools, Main;      // written first
        std::function<void()> Before; // then this
        std::string Arguments;
        bool Choose;
        int Answer;
        std::vector<std::string> Messages;
        std::string ToolsAfter, MainAfter; // both empty: untouched, no backup
        bool ThroughCmd = false;
    };
    // Asked and answered OK: Tolvane's entries and the two items go.
    auto removesAll = [&](const char* name, const std::string& tools, const std::string& main,
                          std::function<void()> before, int entries,
                          const std::vector<std::string>& folders,
                          const std::string& toolsAfter = "[ToolsInfo]\r\nToolCount = 0\r\n",
                          const std::string& mainAfter = "[Toolbar]\r\nItemCount = 0\r\n") {
        return Scenario{name,         tools,
                        main,         before,
                        "/uninstall", true,
                        IDOK,         {Question(entries, 2, folders), Removed(entries, 2, folders)},
                        toolsAfter,   mainAfter};
    };
    // Installed into the typed base folder, then found whole and removed: the
    // files as they were.
    auto roundTrip = [&](const char* name, const std::string& typed, const std::string& folder,
                         bool followerAndPicker = false) {
        const int entries = followerAndPicker ? 7 : 2, items = followerAndPicker ? 3 : 2;
        return Scenario{
            name,
            originalTools,
            originalMain,
            [&, typed, followerAndPicker] { InstallInto(typed, true, followerAndPicker); },
            "/uninstall",
            true,
            IDOK,
            {Question(entries, items, {folder}), Removed(entries, items, {folder})},
            Normalised(originalTools),
            Normalised(originalMain)};
    };
    // Both files stay as they are, with this message (after the question, if asked).
    auto refuses = [&](const char* name, const std::string& tools, std::function<void()> before,
                       const std::string& message, bool asked) {
        std::vector<std::string> messages = {message};
        if (asked) messages.insert(messages.begin(), Question(1, 2, {F1}));
        return Scenario{name, tools, installedMain, before, "/uninstall",
                        true, IDOK,  messages,      "",     ""};
    };
    const Scenario scenarios[] = {
        {"the worked example installed, then removed",
         originalTools,
         originalMain,
         [&] { InstallInto(base_.Path(), true); },
         "/uninstall",
         true,
         IDOK,
         {Question(2, 2, {F1}), Removed(2, 2, {F1})},
         Normalised(originalTools),
         Normalised(originalMain)},
        roundTrip("the follower and the picker installed, then removed", base_.Path(), F1, true),
        // The base folder as typed: what the uninstall finds is what was written.
        roundTrip("a base folder without its final backslash",
                  base_.Path().substr(0, base_.Path().size() - 1), F1),
        roundTrip("a base folder between blanks", " \t" + base_.Path() + "  ", F1),
        roundTrip("a base folder two levels below what exists", base_.Path() + "new\\deeper",
                  base_.Path() + "new\\deeper\\Tolvane\\"),
        {"two installations into different folders",
         originalTools,
         originalMain,
         [&] {
             InstallInto(base_.Path(), false);
             InstallInto(second.Path(), false);
         },
         "/UNINSTALL",
         true,
         IDOK,
         {Question(10, 12, {F1, F2}), Removed(10, 12, {F1, F2})},
         Normalised(originalTools),
         Normalised(originalMain)},
        {"a user's tool between Tolvane's entries",
         "[ToolsInfo]\r\nToolCount = 3\r\n" + ToolEntry(0, F1, 1) + UserTool(1) +
             ClearerEntry(2, F2),
         installedMain,
         nullptr,
         "\"x\" /UnInstall y",
         true,
         IDOK,
         {Question(2, 2, {F1, F2}), Removed(2, 2, {F1, F2})},
         "[ToolsInfo]\r\nToolCount = 1\r\n" + UserTool(0),
         "[Toolbar]\r\nItemCount = 0\r\n"},
        {"ToolbarNew",
         installedTools,
         "[Toolbar]\r\nItemCount = 1\r\n" + Items(1, F1, {1}) +
             "[ToolbarNew]\r\nItemCount = 3\r\n" + standard + Items(2, F1, {-1, 1}),
         nullptr,
         "/uninstall",
         true,
         IDOK,
         {Question(1, 2, {F1}), Removed(1, 2, {F1})},
         "[ToolsInfo]\r\nToolCount = 0\r\n",
         "[Toolbar]\r\nItemCount = 1\r\n" + Items(1, F1, {1}) +
             "[ToolbarNew]\r\nItemCount = 1\r\n" + standard},
        {"the user's items and separators around Tolvane's",
         "[ToolsInfo]\r\nToolCount = 2\r\n" + ToolEntry(0, F1, 1) + ToolEntry(1, F1, 3),
         "[Toolbar]\r\nItemCount = 7\r\n" + standard + Items(2, F1, {-1, 1, -1, -1, 3}) +
             Item(7, "Standard:Save", "Menu:Save"),
         nullptr,
         "/uninstall",
         true,
         IDOK,
         {Question(2, 4, {F1}), Removed(2, 4, {F1})},
         "[ToolsInfo]\r\nToolCount = 0\r\n",
         "[Toolbar]\r\nItemCount = 3\r\n" + standard + SeparatorItem(2) +
             Item(3, "Standard:Save", "Menu:Save")},
        {"nothing installed",
         originalTools,
         originalMain,
         nullptr,
         "/uninstall",
         true,
         IDOK,
         {"Nothing of Tolvane is registered in the IDE's settings."},
         "",
         ""},
        {"Cancel",
         installedTools,
         installedMain,
         nullptr,
         "/uninstall",
         true,
         IDCANCEL,
         {Question(1, 2, {F1})},
         "",
         ""},
        {"the language chooser declined",
         installedTools,
         installedMain,
         nullptr,
         "/uninstall",
         false,
         IDOK,
         {},
         "",
         ""},
        {"the IDE's arguments start the installer",
         installedTools,
         installedMain,
         nullptr,
         "\"C:\\a.pb\"\"3x1\"",
         true,
         IDOK,
         {},
         "",
         ""},
        {"Tools.prefs read-only",
         installedTools,
         installedMain,
         [&] { readOnly_ = std::make_unique<ReadOnlyFile>(Ide("Tools.prefs")); },
         "/uninstall",
         true,
         IDOK,
         {Question(1, 2, {F1}),
          NotWritten(Ide("Tools.prefs")) + "Nothing was removed.\r\n" + FoldersRemain({F1})},
         "",
         ""},
        {"Tools.prefs locked",
         installedTools,
         installedMain,
         [&] { locked_ = std::make_unique<LockedFile>(Ide("Tools.prefs"), 0); },
         "/uninstall",
         true,
         IDOK,
         {NotRead(Ide("Tools.prefs")) + "Nothing was removed."},
         "",
         ""},
        {"PureBasic.prefs locked",
         installedTools,
         installedMain,
         [&] { locked_ = std::make_unique<LockedFile>(Ide("PureBasic.prefs"), 0); },
         "/uninstall",
         true,
         IDOK,
         {NotRead(Ide("PureBasic.prefs")) + "Nothing was removed."},
         "",
         ""},
        {"8-bit Tools.prefs, UTF-8 PureBasic.prefs",
         "[ToolsInfo]\r\nToolCount = 2\r\n" + UserTool(0) + ToolEntry(1, G, 1),
         "\xEF\xBB\xBF" + Utf8Of("[Toolbar]\r\nItemCount = 3\r\n" +
                                 Item(1, "Standard:New", "Menu:New \xE9") + Items(2, G, {-1, 1})),
         nullptr,
         "/uninstall",
         true,
         IDOK,
         {Question(1, 2, {G}), Removed(1, 2, {G})},
         "[ToolsInfo]\r\nToolCount = 1\r\n" + UserTool(0),
         "\xEF\xBB\xBF\r\n" +
             Utf8Of("[Toolbar]\r\nItemCount = 1\r\n" + Item(1, "Standard:New", "Menu:New \xE9"))},
        {"UTF-8 Tools.prefs, 8-bit PureBasic.prefs",
         "\xEF\xBB\xBF" +
             Utf8Of("[ToolsInfo]\r\nToolCount = 2\r\n" + ToolEntry(0, G, 1) + UserTool(1)),
         "[Toolbar]\r\nItemCount = 2\r\n" + Items(1, G, {-1, 1}),
         nullptr,
         "/uninstall",
         true,
         IDOK,
         {Question(1, 2, {G}), Removed(1, 2, {G})},
         "\xEF\xBB\xBF\r\n" + Utf8Of("[ToolsInfo]\r\nToolCount = 1\r\n" + UserTool(0)),
         "[Toolbar]\r\nItemCount = 0\r\n"},
        {"Uninstall.cmd beside Tolvane.exe",
         installedTools,
         installedMain,
         [&] {
             ASSERT_TRUE(CopyFileA((std::string(TOLVANE_DATA) + "/Uninstall.cmd").c_str(),
                                   (folders_.Work + "Uninstall.cmd").c_str(), FALSE));
             ASSERT_TRUE(CopyFileA(SiblingExe("Tolvane.exe").c_str(),
                                   (folders_.Work + "Tolvane.exe").c_str(), FALSE));
         },
         "/uninstall",
         true,
         IDOK,
         {Question(1, 2, {F1}), Removed(1, 2, {F1})},
         "[ToolsInfo]\r\nToolCount = 0\r\n",
         "[Toolbar]\r\nItemCount = 0\r\n",
         true},
        // Entries and buttons the user edited: ours are recognised all the same.
        removesAll("a command in other letters, with forward slashes",
                   toolsWith("1", ToolEntry(0, edited, 1)), installedMain, nullptr, 1, {edited}),
        removesAll("a command in quotes", toolsWith("1", quoted), installedMain, nullptr, 1, {F1}),
        removesAll("a command moved to another Tolvane folder",
                   toolsWith("1", ToolEntry(0, F2, 1)), installedMain, nullptr, 1, {F2, F1}),
        removesAll("a button given a built-in icon", installedTools,
                   "[Toolbar]\r\nItemCount = 3\r\n" + standard + SeparatorItem(2) +
                       Item(3, "Standard:Find", recorderAction),
                   nullptr, 1, {F1}, noEntries, "[Toolbar]\r\nItemCount = 1\r\n" + standard),
        removesAll("a stray 50 MB group", installedTools + stray, installedMain, nullptr, 1, {F1},
                   noEntries + stray),
        // A ToolCount the IDE does not read every entry by: an installation may have
        // written into an entry of the user's, so nothing is taken out.
        refuses("ToolCount lies low", toolsWith("1", UserTool(0) + ToolEntry(1, F1, 1)), nullptr,
                CountUnclear(Ide("Tools.prefs")) + refused, false),
        // The IDE's limit of 100 tools holds back installations only.
        removesAll("past 100 tools", toolsWith("101", UserTools(100) + ToolEntry(100, F1, 1)),
                   installedMain, nullptr, 1, {F1}, toolsWith("100", UserTools(100))),
        // Buttons whose entries are gone are still Tolvane's.
        removesAll("entries deleted by hand", toolsWith("1", UserTool(0)), installedMain, nullptr,
                   0, {F1}, toolsWith("1", UserTool(0))),
        removesAll("Tools.prefs emptied", "", installedMain, nullptr, 0, {F1}, ""),
        // Files that cannot be changed: both files change, or neither does.
        refuses("PureBasic.prefs read-only", installedTools,
                [&] { readOnly_ = std::make_unique<ReadOnlyFile>(Ide("PureBasic.prefs")); },
                notChanged(NotWritten(Ide("PureBasic.prefs"))), true),
        refuses("old Tools2.prefs read-only", installedTools,
                [&] {
                    oldBackup("Tools2.prefs", FILE_ATTRIBUTE_NORMAL);
                    readOnly_ = std::make_unique<ReadOnlyFile>(Ide("Tools2.prefs"));
                },
                notChanged(NotBackedUp(Ide("Tools.prefs"))), true),
        refuses("a folder named PureBasic1.prefs", installedTools,
                [&] { ASSERT_TRUE(CreateDirectoryA(Ide("PureBasic1.prefs").c_str(), nullptr)); },
                notChanged(NotBackedUp(Ide("PureBasic.prefs"))), true),
        refuses("Tools.prefs held, others may read", installedTools,
                [&] { locked_ = std::make_unique<LockedFile>(Ide("Tools.prefs"), FILE_SHARE_READ); },
                notChanged(NotWritten(Ide("Tools.prefs"))), true),
        refuses("Tools.prefs held, others may read and write", installedTools,
                [&] {
                    locked_ = std::make_unique<LockedFile>(Ide("Tools.prefs"),
                                                           FILE_SHARE_READ | FILE_SHARE_WRITE);
                },
                notChanged(NotWritten(Ide("Tools.prefs"))), true),
        refuses("PureBasic.prefs held, others may do anything", installedTools,
                [&] {
                    locked_ = std::make_unique<LockedFile>(
                        Ide("PureBasic.prefs"),
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
                },
                notChanged(NotWritten(Ide("PureBasic.prefs"))), true),
        removesAll("hidden system files and backups", installedTools, installedMain,
                   [&] {
                       const DWORD hidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
                       ASSERT_TRUE(SetFileAttributesA(Ide("Tools.prefs").c_str(), hidden));
                       oldBackup("PureBasic1.prefs", hidden);
                   },
                   1, {F1}),
        refuses("APPDATA unset: the root of the current drive", installedTools,
                [&] {
                    ASSERT_TRUE(DriveCIsThisBuildsWinePrefix() || !FileExists("C:\\PureBasic"));
                    DeleteTree("C:\\PureBasic\\");
                    withAppData_ = false;
                },
                NotRead("C:\\PureBasic\\Tools.prefs") + refused, false),
        {"texts from language lines 21 on",
         originalTools,
         originalMain,
         [&] { WriteLanguage(language); },
         "/uninstall",
         true,
         IDOK,
         {"Line 30"},
         "",
         ""},
    };
    for (const Scenario& c : scenarios) {
        SCOPED_TRACE(c.Name);
        DeleteTree(IdeFolder());
        ASSERT_TRUE(CreateDirectoryA(IdeFolder().c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(Ide("Tools.prefs"), c.Tools));
        ASSERT_TRUE(WriteFileBytes(Ide("PureBasic.prefs"), c.Main));
        ASSERT_NO_FATAL_FAILURE(WriteLanguage(SampleLanguageLines()));
        if (c.Before) {
            ASSERT_NO_FATAL_FAILURE(c.Before());
        }
        // A locked file cannot be read; it holds what was written.
        auto bytesOf = [&](const std::string& name, const std::string& written) {
            std::string bytes = ReadFileBytes(Ide(name));
            return bytes.empty() ? written : bytes;
        };
        const std::string tools = bytesOf("Tools.prefs", c.Tools);
        const std::string main = bytesOf("PureBasic.prefs", c.Main);
        const std::set<std::string> files = FilesIn(IdeFolder());

        RunSeen seen = Run(c.Arguments, c.Choose, c.Answer, c.ThroughCmd);
        readOnly_.reset();
        locked_.reset();
        withAppData_ = true;

        EXPECT_EQ(seen.ExitCode, 0);
        EXPECT_EQ(seen.Messages, c.Messages);
        EXPECT_EQ(seen.MainWindow, c.Arguments.find("/") == std::string::npos);
        const std::set<std::string> after = FilesIn(IdeFolder());
        if (c.ToolsAfter.empty() && c.MainAfter.empty()) {
            EXPECT_TRUE(SameBytes(ReadFileBytes(Ide("Tools.prefs")), tools)) << "untouched";
            EXPECT_TRUE(SameBytes(ReadFileBytes(Ide("PureBasic.prefs")), main)) << "untouched";
            EXPECT_EQ(after, files) << "no backup";
        } else {
            EXPECT_TRUE(SameBytes(ReadFileBytes(Ide("Tools.prefs")), c.ToolsAfter));
            EXPECT_TRUE(SameBytes(ReadFileBytes(Ide("PureBasic.prefs")), c.MainAfter));
            for (auto [file, backup, before, now] :
                 {std::make_tuple("Tools.prefs", "Tools2.prefs", &tools, &c.ToolsAfter),
                  std::make_tuple("PureBasic.prefs", "PureBasic1.prefs", &main, &c.MainAfter)}) {
                if (*now != *before)
                    EXPECT_TRUE(SameBytes(ReadFileBytes(Ide(backup)), *before))
                        << "backup of " << file << " before the change";
                else
                    EXPECT_EQ(after.count(backup), files.count(backup)) << "no backup of " << file;
            }
        }
        // Attributes the row gave do not reach the next one.
        for (const std::string& name : after)
            SetFileAttributesA(Ide(name).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

} // namespace
