// The real Tolvane.exe, started as its own process under Wine and driven
// through its windows as a user would: what it shows, where, and how it ends.
#include "common/auto_handle.h"
#include "testing/tolvane_driver.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

std::string Describe(const RECT& rc) {
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + " " +
           std::to_string(rc.right - rc.left) + "x" + std::to_string(rc.bottom - rc.top);
}
std::string Describe(int x, int y, int width, int height) {
    return Describe(RECT{x, y, x + width, y + height});
}

// The client area's size and the outer top-left corner of a fixed window
// with a system menu and nothing to resize or minimise it.
void ExpectFixedWindow(HWND window, int x, int y, int clientWidth, int clientHeight) {
    SIZE client = ClientSize(window);
    EXPECT_EQ(client.cx, clientWidth);
    EXPECT_EQ(client.cy, clientHeight);
    RECT outer = ScreenRect(window);
    EXPECT_EQ(outer.left, x);
    EXPECT_EQ(outer.top, y);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
}

struct ExpectedControl {
    int id;
    int x, y, width, height;
    const char* className; // compared without case
    const char* text;      // null: not compared
};

void ExpectControls(HWND window, const std::vector<ExpectedControl>& expected) {
    for (const ExpectedControl& want : expected) {
        HWND control = WaitControl(window, want.id, 5000);
        ASSERT_TRUE(control) << "control " << want.id;
        RECT rc = RectInParent(control);
        // A drop-down list's closed height is the system's; the height given
        // is the opened list's, which common controls 6 size by their items.
        if (_stricmp(want.className, "ComboBox") == 0) rc.bottom = rc.top + want.height;
        EXPECT_EQ(Describe(rc), Describe(want.x, want.y, want.width, want.height))
            << "control " << want.id;
        EXPECT_EQ(_stricmp(ClassNameOf(control).c_str(), want.className), 0)
            << "control " << want.id << " is a " << ClassNameOf(control);
        if (want.text) {
            EXPECT_EQ(TextOf(control), want.text) << "control " << want.id;
        }
    }
}

// The titles of the windows other than the language chooser that the
// process showed until it ended.
std::set<std::string> TitlesUntilExit(HANDLE process, int& exitCode) {
    std::set<std::string> titles;
    DWORD pid = GetProcessId(process);
    DWORD start = GetTickCount();
    while (WaitForSingleObject(process, 10) == WAIT_TIMEOUT && GetTickCount() - start < 15000) {
        for (HWND window : ProcessWindows(pid)) {
            std::string title = TextOf(window);
            // A window destroyed since it was listed answers with no title.
            if (title != "Choose your language" && IsWindow(window)) titles.insert(title);
        }
    }
    exitCode = WaitExit(process, 1000);
    return titles;
}

// The program ends with exit code 0 without showing any other window.
void ExpectEndWithoutWindow(HANDLE process) {
    int exitCode = -1;
    auto titles = TitlesUntilExit(process, exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(titles.empty()) << *titles.begin();
}

class Tolvane : public ::testing::Test {
  protected:
    void TearDown() override {
        if (process_) {
            WaitExit(process_, 1); // kills it if a test left it running
            CloseHandle(process_);
        }
    }
    void Start() {
        process_ = StartTolvane(folders_.Work, folders_.AppData);
        ASSERT_TRUE(process_);
        pid_ = GetProcessId(process_);
    }
    HWND WaitChooser() { return WaitTopWindow(pid_, "Choose your language"); }
    // Language "Sample" chosen, the main window built.
    HWND StartMain() {
        WriteFileBytes(folders_.Work + "Sprachen\\Sample.txt",
                       LanguageFileBytes(SampleLanguageLines()));
        WriteCatalogueIcons(folders_.Work);
        Start();
        HWND chooser = WaitChooser();
        if (!chooser) return nullptr;
        PostClick(FindControl(chooser, 1));
        HWND main = WaitTopWindow(pid_, "Title");
        if (main) WaitUntil([&] { return FindToolRows(main).size() == 5; });
        return main;
    }

    TolvaneFolders folders_;
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// What a folder of language files gives: the chooser's entries (only the
// *.txt files), and what the user sees after the first entry was chosen:
// the main window, or one message titled "Tolvane"; never nothing.
TEST_F(Tolvane, LanguageFiles) {
    std::mt19937 random(4); // made Wine's edit control fail on the tool names (U+02DC among them)
    std::string randomBytes;
    while (randomBytes.size() < 1024)
        randomBytes += char(random() & 0xFF);
    auto nineteen = SampleLanguageLines();
    nineteen.resize(19);
    const std::string MainWindow = "main window";
    struct {
        const char* Name;
        std::string File, Bytes, Outcome; // File "": none; Outcome MainWindow or the message
        bool Locked = false;              // the file held by another program
    } cases[] = {
        {"random bytes", "Random.txt", randomBytes, MainWindow},
        {"20 lines of 50 KB", "Long.txt",
         LanguageFileBytes(std::vector<std::string>(20, std::string(50 << 10, 'w'))), MainWindow},
        {"19 lines", "Short.txt", LanguageFileBytes(nineteen), MainWindow},
        {"an empty folder", "", "",
         "Tolvane found no language file (Sprachen\\*.txt) in its folder and cannot start."},
        {"a file that cannot be read", "Held.txt", "x",
         "The language file Sprachen\\Held.txt could not be read.", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string folder = folders_.Work + "Sprachen\\";
        DeleteTree(folder);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        // Beside a language file, files and a folder that are none.
        if (!c.File.empty()) {
            for (const char* other : {"English.lang", "desktop.ini", "a.b"})
                ASSERT_TRUE(WriteFileBytes(folder + other, "x"));
            ASSERT_TRUE(CreateDirectoryA((folder + "Folder.txt").c_str(), nullptr));
            ASSERT_TRUE(WriteFileBytes(folder + c.File, c.Bytes));
        }
        AutoCloseHandle held(c.Locked ? CreateFileA((folder + c.File).c_str(), GENERIC_READ, 0,
                                                    nullptr, OPEN_EXISTING, 0, nullptr)
                                      : INVALID_HANDLE_VALUE);
        Start();
        if (!c.File.empty()) {
            HWND chooser = WaitChooser();
            ASSERT_TRUE(chooser);
            EXPECT_EQ(ComboItems(FindControl(chooser, 0)),
                      std::vector<std::string>{c.File.substr(0, c.File.size() - 4)});
            PostClick(FindControl(chooser, 1));
        }
        HWND main = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            main = FindWindowA("TolvaneMainWindow", nullptr);
            return main || !ProcessDialogs(pid_).empty() ||
                   WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
        }));
        MessageSeen seen = {"Tolvane", MainWindow};
        if (main) {
            // Every row there: no control failed to be made.
            EXPECT_TRUE(WaitUntil([&] { return FindToolRows(main).size() == 5; }, 5000));
            PostClose(main);
        } else {
            AnswerMessage(pid_, seen);
        }
        EXPECT_EQ(seen.Title, "Tolvane");
        EXPECT_EQ(seen.Text, c.Outcome);
        EXPECT_EQ(WaitExit(process_), 0);
        CloseHandle(process_);
        process_ = nullptr;
    }
}

TEST_F(Tolvane, DeclineEndsTheProgram) {
    WriteFileBytes(folders_.Work + "Sprachen\\Sample.txt",
                   LanguageFileBytes(SampleLanguageLines()));
    Start();
    HWND chooser = WaitChooser();
    ASSERT_TRUE(chooser);
    ExpectFixedWindow(chooser, 100, 100, 200, 45);
    EXPECT_EQ(GetWindow(chooser, GW_OWNER), nullptr);
    ExpectControls(chooser, {{0, 0, 0, 200, 200, "ComboBox", nullptr},
                             {2, 0, 25, 100, 20, "Button", "X"},
                             {1, 100, 25, 100, 20, "Button", ">>"}});
    HWND list = FindControl(chooser, 0);
    EXPECT_EQ(ComboSelection(list), 0);
    LONG style = GetWindowLongA(list, GWL_STYLE);
    EXPECT_EQ(style & 3, CBS_DROPDOWNLIST);
    EXPECT_FALSE(style & CBS_SORT);

    PostClick(FindControl(chooser, 2));
    ExpectEndWithoutWindow(process_);
}

TEST_F(Tolvane, CloseBoxOfTheChooserEndsTheProgram) {
    WriteFileBytes(folders_.Work + "Sprachen\\Sample.txt",
                   LanguageFileBytes(SampleLanguageLines()));
    Start();
    HWND chooser = WaitChooser();
    ASSERT_TRUE(chooser);
    PostClose(chooser);
    ExpectEndWithoutWindow(process_);
}

TEST_F(Tolvane, MainWindowLayoutCaptionsAndNumbers) {
    // Also shows that APPDATA reaches the program: the proposed folder.
    WriteFileBytes(folders_.AppData + "\\PureBasic\\PureBasic.prefs",
                   "[Global]\r\nLanguageFile = D:\\a\\b\\c\\d\\e.f\r\n");
    HWND main = StartMain();
    ASSERT_TRUE(main);
    ExpectFixedWindow(main, 0, 100, 860, 310);
    ExpectControls(
        main, {{9, 0, 0, 760, 40, "Static", "Header one\r\nHeader two"},
               {11, 0, 40, 860, 242, "TolvaneScrollArea", nullptr},
               {8, 0, 0, 100, 20, "Static", "Path"},
               {6, 100, 0, 400, 20, "Edit", "D:\\a\\"},
               {7, 500, 0, 40, 20, "Button", "...."},
               {10, 0, 20, 300, 20, "Button", "Clearer too"},
               // Their texts from later lines, English without them.
               {18, 300, 20, 280, 30, "Button",
                "Also install the follower, which remembers every jump by itself "
                "(Velmont)"},
               {19, 580, 20, 270, 30, "Button", "The mouse's side buttons go back and forward"},
               {3, 20, 280, 260, 20, "Button", "Install"},
               {4, 300, 280, 260, 20, "Button", "Close"},
               {5, 580, 280, 200, 20, "Button", "About"}});
    EXPECT_EQ(CheckStateOf(FindControl(main, 10)), BST_CHECKED);
    for (int box : {18, 19})
        EXPECT_EQ(CheckStateOf(FindControl(main, box)), BST_CHECKED) << box;

    // The tool area: sunken, an inner area of 1000 x 220 that scrolls sideways
    // one pixel per step.
    HWND area = FindControl(main, 11);
    HWND inner = GetWindow(area, GW_CHILD);
    EXPECT_TRUE(GetWindowLongA(area, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(Describe(RectInParent(inner)), Describe(0, 0, 1000, 220));
    EXPECT_EQ(GetParent(FindControl(main, 6)), inner);
    SendMessageA(area, WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(RectInParent(inner).left, -1);
    SendMessageA(area, WM_HSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(RectInParent(inner).left, ClientSize(area).cx - 1000);
    SendMessageA(area, WM_HSCROLL, SB_TOP, 0);
    EXPECT_EQ(RectInParent(inner).left, 0);

    // Five rows, top to bottom the names of lines 13 to 15, the picker's later
    // line (English without it) and 16, all checked and enabled.
    auto rows = FindToolRows(main);
    ASSERT_EQ(rows.size(), 5u);
    const char* names[] = {"Recorder:", "Back:", "Forward:", "Recent positions:", "Setup:"};
    const char* icons[] = {"Icons/Anker.ico", "Icons/Back.ico", "Icons/Forward.ico",
                           "Icons/Recent.ico", "Icons/Tolvane.ico"};
    const char* arguments[] = {"\"%FILE\"\"%CURSOR\"", "\"%FILE\"\"%CURSOR\" \"BACK\"",
                               "\"%FILE\"\"%CURSOR\" \"FORWARD\"", "\"%FILE\"\"%CURSOR\"",
                               "\"%FILE\"\"%CURSOR\""};
    const int ys[] = {50, 90, 120, 150, 180};
    std::set<int> ids;
    for (int i = 0; i < 5; ++i) {
        const ToolRowWindows& r = rows[i];
        EXPECT_EQ(Describe(RectInParent(r.Row)), Describe(0, ys[i], 1000, 25));
        EXPECT_TRUE(GetWindowLongA(r.Row, GWL_EXSTYLE) & WS_EX_STATICEDGE);
        EXPECT_TRUE(GetWindowLongA(r.IconFrame, GWL_EXSTYLE) & WS_EX_STATICEDGE);
        struct {
            HWND window;
            int x, y, width, height;
            const char* text;
        } layout[] = {
            {r.NameField, 10, 3, 120, 20, names[i]},
            {r.EnableBox, 130, 0, 80, 20, "Enable"},
            {r.MenuBox, 210, 0, 80, 20, "Menu"},
            {r.IconFrame, 290, 0, 262, 25, nullptr},
            {r.ToolbarBox, 2, 0, 80, 20, "Toolbar"},
            {r.IconField, 82, 0, 120, 20, icons[i]},
            {r.IconButton, 202, 0, 30, 20, "..."},
            {r.IconView, 232, 0, 32, 32, nullptr},
            {r.ShortcutBox, 560, 0, 80, 20, "Shortcut"},
            {r.ShortcutButton, 660, 0, 100, 20, "Key..."},
            {r.ArgumentsLabel, 760, 0, 80, 20, "Arguments"},
            {r.ArgumentsField, 840, 0, 140, 20, arguments[i]},
        };
        for (auto& c : layout) {
            EXPECT_EQ(Describe(RectInParent(c.window)), Describe(c.x, c.y, c.width, c.height))
                << "row " << i << " control " << GetDlgCtrlID(c.window);
            if (c.text) {
                EXPECT_EQ(TextOf(c.window), c.text) << "row " << i;
            }
            EXPECT_TRUE(IsWindowEnabled(c.window)) << "row " << i;
        }
        for (HWND box : {r.EnableBox, r.MenuBox, r.ToolbarBox, r.ShortcutBox})
            EXPECT_EQ(CheckStateOf(box), BST_CHECKED) << "row " << i;
        EXPECT_TRUE(GetWindowLongA(r.IconField, GWL_STYLE) & ES_READONLY);
        EXPECT_TRUE(SendMessageA(r.IconView, STM_GETIMAGE, IMAGE_ICON, 0)) << "icon shown";
        for (HWND w : {r.Row, r.IconFrame, r.NameField, r.EnableBox, r.MenuBox, r.ToolbarBox,
                       r.IconField, r.IconButton, r.IconView, r.ShortcutBox, r.ShortcutButton,
                       r.ArgumentsLabel, r.ArgumentsField})
            ids.insert(GetDlgCtrlID(w));
    }
    EXPECT_EQ(ids.size(), 5u * 13) << "every row control has a number of its own";
    EXPECT_GE(*ids.begin(), 20) << "never one of the fixed numbers";

    Click(FindControl(main, 4));
    EXPECT_EQ(WaitExit(process_), 0);
}

TEST_F(Tolvane, ControlsFollowTheBoxesTheyDependOn) {
    HWND main = StartMain();
    ASSERT_TRUE(main);
    ToolRowWindows r = FindToolRows(main)[1];
    auto enabled = [&] {
        std::string states;
        for (HWND w :
             {r.MenuBox, r.ToolbarBox, r.IconField, r.IconButton, r.IconView, r.ShortcutBox,
              r.ShortcutButton, r.NameField, r.ArgumentsLabel, r.ArgumentsField})
            states += IsWindowEnabled(w) ? '1' : '0';
        return states;
    };
    //                          Menu Tb IcF IcB View Sc ScB | Name ArgL ArgF
    Click(r.ToolbarBox);
    EXPECT_EQ(enabled(), "1100111111");
    Click(r.ToolbarBox);
    EXPECT_EQ(enabled(), "1111111111");
    Click(r.ShortcutBox);
    EXPECT_EQ(enabled(), "1111110111");
    Click(r.ShortcutBox);
    Click(r.EnableBox); // cleared, both boxes checked
    EXPECT_EQ(enabled(), "0011001111");
    Click(r.EnableBox);
    EXPECT_EQ(enabled(), "1111111111");
    Click(r.ToolbarBox);
    Click(r.ShortcutBox);
    Click(r.EnableBox); // cleared, both boxes cleared
    EXPECT_EQ(enabled(), "0000000111");
    Click(r.EnableBox);
    EXPECT_EQ(enabled(), "1100110111");
    // The other rows are untouched.
    for (HWND box : {FindToolRows(main)[0].ToolbarBox, FindToolRows(main)[2].ShortcutButton})
        EXPECT_TRUE(IsWindowEnabled(box));
    // The side buttons go with the follower, and keep their check meanwhile.
    HWND follower = FindControl(main, 18), sideButtons = FindControl(main, 19);
    EXPECT_TRUE(IsWindowEnabled(sideButtons));
    Click(follower);
    EXPECT_FALSE(IsWindowEnabled(sideButtons));
    EXPECT_EQ(CheckStateOf(sideButtons), BST_CHECKED);
    Click(follower);
    EXPECT_TRUE(IsWindowEnabled(sideButtons));
    PostClose(main);
    EXPECT_EQ(WaitExit(process_), 0);
}

TEST_F(Tolvane, ShortcutChooserShowsTheRowsCodeAndKeepsWhatIsApplied) {
    HWND main = StartMain();
    ASSERT_TRUE(main);
    HWND button = FindToolRows(main)[0].ShortcutButton; // entry 1, Ctrl+5
    auto open = [&] {
        PostClick(button);
        return WaitTopWindow(pid_, "Shortcuts");
    };
    HWND chooser = open();
    ASSERT_TRUE(chooser);
    ExpectFixedWindow(chooser, 200, 200, 200, 100);
    EXPECT_EQ(GetWindow(chooser, GW_OWNER), main); // in front of it, no taskbar button
    EXPECT_FALSE(IsWindowEnabled(main));
    ExpectControls(chooser, {{17, 0, 80, 100, 20, "Button", "Anwenden"},
                             {16, 100, 80, 100, 20, "Button", "Abbrechen"},
                             {12, 0, 0, 100, 20, "Button", "Strg / Ctrl"},
                             {13, 0, 20, 100, 20, "Button", "Shift"},
                             {14, 0, 40, 100, 20, "Button", "Alt"},
                             {15, 100, 0, 100, 400, "ComboBox", nullptr}});
    auto keys = ComboItems(FindControl(chooser, 15));
    ASSERT_EQ(keys.size(), 85u);
    EXPECT_EQ(keys[0], "A");
    EXPECT_EQ(keys[59], "F24");
    EXPECT_EQ(keys[69], "Numpad9");
    EXPECT_EQ(keys[83], "Delete");
    auto shown = [&](HWND w) {
        return std::to_string(CheckStateOf(FindControl(w, 12))) +
               std::to_string(CheckStateOf(FindControl(w, 13))) +
               std::to_string(CheckStateOf(FindControl(w, 14))) + " " +
               keys[ComboSelection(FindControl(w, 15))];
    };
    EXPECT_EQ(shown(chooser), "100 5");

    // Alt+F4 applied ...
    Click(FindControl(chooser, 12));
    Click(FindControl(chooser, 14));
    SelectComboItem(FindControl(chooser, 15), 39);
    Click(FindControl(chooser, 17));
    ASSERT_TRUE(WaitWindowGone(chooser));
    Sync(main);
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_EQ(ActiveWindowOf(main), main);
    // ... is what the next opening shows; changes then cancelled are not kept.
    chooser = open();
    ASSERT_TRUE(chooser);
    EXPECT_EQ(shown(chooser), "001 F4");
    Click(FindControl(chooser, 13));
    SelectComboItem(FindControl(chooser, 15), 0);
    Click(FindControl(chooser, 16));
    ASSERT_TRUE(WaitWindowGone(chooser));
    chooser = open();
    ASSERT_TRUE(chooser);
    EXPECT_EQ(shown(chooser), "001 F4");
    PostClose(chooser);
    ASSERT_TRUE(WaitWindowGone(chooser));
    Sync(main);
    EXPECT_TRUE(IsWindowEnabled(main));

    PostClose(main);
    EXPECT_EQ(WaitExit(process_), 0);
}

TEST_F(Tolvane, AboutGoesOnInstallShowsInfoAndEnds) {
    HWND main = StartMain();
    ASSERT_TRUE(main);
    PostClick(FindControl(main, 5));
    HWND box = WaitDialog(pid_);
    ASSERT_TRUE(box);
    EXPECT_EQ(TextOf(box), "About");
    EXPECT_EQ(DialogText(box), "About one\r\nAbout two");
    EXPECT_FALSE(IsWindowEnabled(main));
    AnswerDialog(box, IDOK);
    ASSERT_TRUE(WaitWindowGone(box));
    Sync(main);
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_EQ(WaitForSingleObject(process_, 0), WAIT_TIMEOUT) << "the loop goes on";

    // No folder to install into: said, and the window stays.
    PostClick(FindControl(main, 3));
    MessageSeen refused;
    ASSERT_TRUE(AnswerMessage(pid_, refused));
    EXPECT_EQ(refused.Text, "Please enter the folder to install into.");
    TypeText(FindControl(main, 6), folders_.Work);
    PostClick(FindControl(main, 3));
    box = WaitDialog(pid_);
    ASSERT_TRUE(box);
    EXPECT_EQ(TextOf(box), "Info");
    EXPECT_EQ(DialogText(box), "Install notice");
    Sleep(200);
    EXPECT_EQ(WaitForSingleObject(process_, 0), WAIT_TIMEOUT) << "waits for the message";
    AnswerDialog(box, IDOK);
    ASSERT_TRUE(WaitWindowGone(box));
    // There are no IDE files to install into: the installation says so.
    MessageSeen report;
    ASSERT_TRUE(AnswerMessage(pid_, report));
    EXPECT_EQ(report.Title, "Tolvane");
    EXPECT_EQ(report.Text.substr(0, 36), "The PureBasic IDE has no settings in");
    EXPECT_EQ(WaitExit(process_), 0);
}

TEST_F(Tolvane, CloseBoxOfTheMainWindowEnds) {
    HWND main = StartMain();
    ASSERT_TRUE(main);
    PostClose(main);
    int exitCode = -1;
    auto titles = TitlesUntilExit(process_, exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(titles.count("Info"), 0u) << "no installation";
}

} // namespace
