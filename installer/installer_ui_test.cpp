// Tolvane's windows run in this test's own process, driven from a second
// thread through window messages, so that the program's state (the chosen
// index, ShortcutCode, BaseFolder, Arguments, IconPath) can be looked at.
#include "installer/control_numbers.h"
#include "installer/installer_logic.h"
#include "installer/installer_state.h"
#include "installer/language_chooser.h"
#include "installer/main_window.h"
#include "installer/shortcut_chooser.h"
#include "installer/window_layer.h"
#include "testing/tolvane_driver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

const DWORD Self = GetCurrentProcessId();

// Runs run() on this thread while drive() acts on its windows from another.
// Whatever drive() leaves open is closed afterwards, so that a failed
// expectation never leaves run() waiting for good.
template <class Run, class Drive> void RunDriven(Run run, Drive drive) {
    std::atomic<bool> finished{false};
    std::thread driver([&] {
        drive();
        while (!finished) {
            for (HWND dialog : ProcessDialogs(Self))
                AnswerDialog(dialog, IDCANCEL);
            for (const char* title : {"Shortcuts", "Choose your language", "Title"})
                if (HWND window = FindTopWindow(Self, title)) PostClose(window);
            Sleep(50);
        }
    });
    run();
    finished = true;
    driver.join();
}

// A working folder with language files, the catalogue icons and the IDE's
// preferences; the test runs in it.
class InProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        GetCurrentDirectoryA(MAX_PATH, oldDirectory_);
        SetCurrentDirectoryA(folders_.Work.c_str());
        SetEnvironmentVariableA("APPDATA", folders_.AppData.c_str());
        WriteCatalogueIcons(folders_.Work);
        InitWindowLayer();
    }
    void TearDown() override { SetCurrentDirectoryA(oldDirectory_); }

    void WriteLanguage(const std::string& name, const std::vector<std::string>& lines) {
        WriteFileBytes(folders_.Work + "Sprachen\\" + name + ".txt", LanguageFileBytes(lines));
    }
    void WriteLanguageFileValue(const std::string& value) {
        WriteFileBytes(folders_.AppData + "\\PureBasic\\PureBasic.prefs",
                       "[Global]\r\nLanguageFile = " + value + "\r\n");
    }
    // Runs the main window of a sample language while drive() acts on it.
    template <class Drive> void RunMain(InstallerState& state, Drive drive) {
        WriteLanguage("Sample", SampleLanguageLines());
        RunDriven([&] { RunMainWindow("Sample", state); },
                  [&] {
                      HWND main = WaitTopWindow(Self, "Title");
                      ASSERT_TRUE(main);
                      drive(main);
                  });
    }

    template <class Drive> void RunMain(Drive drive) { RunMain(state_, drive); }

    TolvaneFolders folders_;
    InstallerState state_;
    char oldDirectory_[MAX_PATH] = "";
};

using LanguageChooser = InProcess;

TEST_F(LanguageChooser, ReturnsThePositionOrMinusOne) {
    const std::vector<std::string> languages = {"Alpha", "Beta"};
    struct {
        const char* name;
        std::function<void(HWND)> act;
        int expected;
    } cases[] = {
        {"go on at once", [](HWND w) { Click(FindControl(w, LanguageGoOnButton)); }, 0},
        {"second entry",
         [](HWND w) {
             SelectComboItem(FindControl(w, LanguageListControl), 1);
             Click(FindControl(w, LanguageGoOnButton));
         },
         1},
        {"decline", [](HWND w) { Click(FindControl(w, LanguageDeclineButton)); }, -1},
        {"close box with a selection",
         [](HWND w) {
             SelectComboItem(FindControl(w, LanguageListControl), 1);
             PostClose(w);
         },
         -1},
    };
    for (auto& c : cases) {
        int chosen = -2;
        RunDriven([&] { chosen = ChooseLanguage(languages); },
                  [&] {
                      HWND chooser = WaitTopWindow(Self, "Choose your language");
                      ASSERT_TRUE(chooser);
                      EXPECT_EQ(ComboItems(FindControl(chooser, LanguageListControl)), languages);
                      EXPECT_EQ(ComboSelection(FindControl(chooser, LanguageListControl)), 0);
                      c.act(chooser);
                  });
        EXPECT_EQ(chosen, c.expected) << c.name;
    }
}

using ShortcutChooser = InProcess;

// Opens the chooser with code on a parent window of this thread and hands it
// to act; returns the chooser's result.
int32_t RunShortcutChooser(int32_t code, HWND parent, const std::function<void(HWND)>& act) {
    int32_t result = -1;
    RunDriven([&] { result = ChooseShortcut(code, parent); },
              [&] {
                  HWND chooser = WaitTopWindow(Self, "Shortcuts");
                  ASSERT_TRUE(chooser);
                  act(chooser);
                  WaitWindowGone(chooser);
              });
    return result;
}

struct ShownShortcut {
    int Ctrl, Shift, Alt, Key;
    bool operator==(const ShownShortcut& o) const {
        return Ctrl == o.Ctrl && Shift == o.Shift && Alt == o.Alt && Key == o.Key;
    }
};

ShownShortcut ReadChooser(HWND chooser) {
    return {CheckStateOf(FindControl(chooser, ShortcutCtrlBox)),
            CheckStateOf(FindControl(chooser, ShortcutShiftBox)),
            CheckStateOf(FindControl(chooser, ShortcutAltBox)),
            ComboSelection(FindControl(chooser, ShortcutKeyList))};
}

TEST_F(ShortcutChooser, EveryKeyWithEveryModifierShowsAndComesBackUnchanged) {
    for (int key = 0; key < KeyCount; ++key)
        for (int mods = 0; mods < 8; ++mods) {
            int32_t code = KeyCode(key) | mods << 16;
            ShownShortcut shown{};
            int32_t result = RunShortcutChooser(code, nullptr, [&](HWND chooser) {
                shown = ReadChooser(chooser);
                Click(FindControl(chooser, ShortcutApplyButton));
            });
            ShownShortcut expected{(mods & 2) != 0, (mods & 1) != 0, (mods & 4) != 0, key};
            EXPECT_TRUE(shown == expected) << std::hex << code;
            ASSERT_EQ(result, code) << std::hex << code;
        }
}

TEST_F(ShortcutChooser, ComposesFromBoxesAndKeyList) {
    auto choose = [](int32_t start, bool ctrl, bool shift, bool alt, int key) {
        return RunShortcutChooser(start, nullptr, [&](HWND chooser) {
            for (auto [id, want] :
                 {std::pair{ShortcutCtrlBox, ctrl}, std::pair{ShortcutShiftBox, shift},
                  std::pair{ShortcutAltBox, alt}})
                if ((CheckStateOf(FindControl(chooser, id)) == BST_CHECKED) != want)
                    Click(FindControl(chooser, id));
            if (key >= 0) SelectComboItem(FindControl(chooser, ShortcutKeyList), key);
            Click(FindControl(chooser, ShortcutApplyButton));
        });
    };
    EXPECT_EQ(choose(0, true, false, false, -1), 0x20000);
    EXPECT_EQ(choose(0, false, false, true, KeyIndexFromCode(0x73)), 0x40073);
    EXPECT_EQ(choose(0x20035, true, true, true, KeyIndexFromCode('Z')), 0x7005A);
    EXPECT_EQ(choose(0x20035, true, true, false, KeyIndexFromCode(0x74)), 0x30074);
    EXPECT_EQ(choose(0x20035, false, false, false, KeyIndexFromCode(46)), 46);
}

TEST_F(ShortcutChooser, UnknownBitsShowNothingAndSurviveOnlyACancel) {
    ShownShortcut shown{};
    auto open = [&](int32_t code, int endWith) {
        return RunShortcutChooser(code, nullptr, [&](HWND chooser) {
            shown = ReadChooser(chooser);
            if (endWith == 0) Click(FindControl(chooser, ShortcutApplyButton));
            if (endWith == 1) Click(FindControl(chooser, ShortcutCancelButton));
            if (endWith == 2) {
                // Changes first: cancelling drops them.
                Click(FindControl(chooser, ShortcutAltBox));
                SelectComboItem(FindControl(chooser, ShortcutKeyList), 3);
                PostClose(chooser);
            }
        });
    };
    EXPECT_EQ(open(0x80041, 1), 0x80041);
    EXPECT_TRUE(shown == (ShownShortcut{0, 0, 0, -1}));
    EXPECT_EQ(open(0x80041, 0), 0);
    EXPECT_EQ(open(0x80041, 2), 0x80041);
    EXPECT_EQ(open(int32_t(0x80000000u) | 0x20035, 2), int32_t(0x80000000u) | 0x20035);
    EXPECT_EQ(open(0, 0), 0);
    EXPECT_TRUE(shown == (ShownShortcut{0, 0, 0, -1}));
}

TEST_F(ShortcutChooser, TabFollowsTheOrderOfCreation) {
    std::vector<int> order;
    RunShortcutChooser(0, nullptr, [&](HWND chooser) {
        for (int i = 0; i < 7; ++i) {
            order.push_back(GetDlgCtrlID(FocusOf(chooser)));
            PressTab(chooser);
        }
        PostClose(chooser);
    });
    EXPECT_EQ(order, (std::vector<int>{ShortcutKeyList, ShortcutApplyButton, ShortcutCancelButton,
                                       ShortcutCtrlBox, ShortcutShiftBox, ShortcutAltBox,
                                       ShortcutKeyList}));
}

TEST_F(ShortcutChooser, IsOwnedByItsParentDisablesItAndActivatesItAfterwards) {
    InstallerWindow parentWindow;
    ASSERT_TRUE(parentWindow.Open("TolvaneTestParent", "Parent", 0, 100, 300, 100, nullptr));
    HWND parent = parentWindow.Window();
    bool enabledWhileOpen = true;
    HWND owner = nullptr;
    RunShortcutChooser(0x20035, parent, [&](HWND chooser) {
        enabledWhileOpen = IsWindowEnabled(parent);
        owner = GetWindow(chooser, GW_OWNER);
        Click(FindControl(chooser, ShortcutCancelButton));
    });
    EXPECT_FALSE(enabledWhileOpen);
    EXPECT_EQ(owner, parent);
    EXPECT_TRUE(IsWindowEnabled(parent));
    EXPECT_EQ(GetActiveWindow(), parent);
}

using MainWindowState = InProcess;

TEST_F(MainWindowState, BaseFolderComesFromTheIdePreferences) {
    struct {
        const char* value;
        const char* folder;
    } cases[] = {
        {"C:\\Program Files\\X\\Catalogs\\German.catalog", "C:\\"},
        {"D:\\a\\b\\c\\d\\e.f", "D:\\a\\"},
        {"C:\\x.catalog", ""},
    };
    for (auto& c : cases) {
        InstallerState state;
        WriteLanguageFileValue(c.value);
        std::string shown;
        RunMain(state, [&](HWND main) {
            shown = TextOf(FindControl(main, PathField));
            Click(FindControl(main, CloseButton));
        });
        EXPECT_EQ(state.BaseFolder, c.folder);
        EXPECT_EQ(shown, c.folder);
    }
    DeleteFileA((folders_.AppData + "\\PureBasic\\PureBasic.prefs").c_str());
    RunMain([&](HWND main) { Click(FindControl(main, CloseButton)); });
    EXPECT_EQ(state_.BaseFolder, "");
}

// An APPDATA longer than MAX_PATH is read whole. Cut off or left empty, it
// would send the window to "\PureBasic\" at the root of the working folder's
// drive, which the test fills with a file that proposes a folder.
TEST_F(MainWindowState, LongAppDataIsReadWhole) {
    const std::string root = folders_.Work.substr(0, 3) + "PureBasic\\";
    if (GetFileAttributesA(root.c_str()) != INVALID_FILE_ATTRIBUTES ||
        !CreateDirectoryA(root.c_str(), nullptr))
        GTEST_SKIP() << root << " is not the test's to use";
    struct RootFolder {
        std::string Path;
        ~RootFolder() { DeleteTree(Path); }
    } cleanup{root};
    ASSERT_TRUE(WriteFileBytes(root + "PureBasic.prefs",
                               "[Global]\r\nLanguageFile = C:\\A\\B\\C\\D\\x.catalog\r\n"));
    const std::string longAppData = folders_.AppData + "\\" + std::string(MAX_PATH, 'x');
    ASSERT_TRUE(SetEnvironmentVariableA("APPDATA", longAppData.c_str()));
    RunMain([&](HWND main) { Click(FindControl(main, CloseButton)); });
    // Nothing lies at the long path, which the ANSI file functions could not
    // open anyway.
    EXPECT_EQ(state_.BaseFolder, "");
}

TEST_F(MainWindowState, FieldsKeepBaseFolderAndArgumentsEqualToWhatTheyShow) {
    WriteLanguageFileValue("C:\\Program Files\\X\\Catalogs\\German.catalog");
    std::string afterTyping, afterFocus;
    RunMain([&](HWND main) {
        HWND path = FindControl(main, PathField);
        TypeText(path, "E:\\Typed\\");
        afterTyping =
            state_.BaseFolder; // the field's notification was handled before TypeText returned
        auto rows = FindToolRows(main);
        ASSERT_EQ(rows.size(), 5u);
        TypeText(rows[1].ArgumentsField, "\"%FILE\" x");
        TypeText(rows[4].ArgumentsField, "");
        Click(FindControl(main, CloseButton));
    });
    EXPECT_EQ(afterTyping, "E:\\Typed\\");
    EXPECT_EQ(state_.BaseFolder, "E:\\Typed\\");
    // Rows from top to bottom are entries 1, 0, 2, 4, 3.
    EXPECT_EQ(state_.Tools[0].Arguments, "\"%FILE\" x");
    EXPECT_EQ(state_.Tools[3].Arguments, "");
    EXPECT_EQ(state_.Tools[1].Arguments, "\"%FILE\"\"%CURSOR\"");
    EXPECT_EQ(state_.Tools[2].Arguments, "\"%FILE\"\"%CURSOR\" \"FORWARD\"");
}

TEST_F(MainWindowState, CatalogueAndLanguageFillTheTable) {
    LONG_PTR background = 0, icon = 0;
    RunMain([&](HWND main) {
        background = GetClassLongPtrA(main, GCLP_HBRBACKGROUND);
        icon = GetClassLongPtrA(main, GCLP_HICON);
        Click(FindControl(main, CloseButton));
    });
    EXPECT_EQ(background, (LONG_PTR)GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ((HICON)icon, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1)));
    EXPECT_TRUE(icon);
    struct {
        const char* name;
        const char* exe;
        const char* icon;
        const char* arguments;
        int32_t shortcut;
    } expected[] = {
        {"Back", "Brannow.exe", "Icons/Back.ico", "\"%FILE\"\"%CURSOR\" \"BACK\"", 0x20034},
        {"Recorder", "Quillet.exe", "Icons/Anker.ico", "\"%FILE\"\"%CURSOR\"", 0x20035},
        {"Forward", "Brannow.exe", "Icons/Forward.ico", "\"%FILE\"\"%CURSOR\" \"FORWARD\"",
         0x20036},
        {"Setup", "Tolvane.exe", "Icons/Tolvane.ico", "\"%FILE\"\"%CURSOR\"", 0x20037},
        // A later line, which the sample file lacks: the English name.
        {"Recent positions", "Lisarde.exe", "Icons/Recent.ico", "\"%FILE\"\"%CURSOR\"", 0x20033},
    };
    for (int i = 0; i < ToolCount; ++i) {
        EXPECT_EQ(state_.Tools[i].MenuItemName, expected[i].name);
        EXPECT_EQ(state_.Tools[i].ExeName, expected[i].exe);
        EXPECT_EQ(state_.Tools[i].IconPath, expected[i].icon);
        EXPECT_EQ(state_.Tools[i].Arguments, expected[i].arguments);
        EXPECT_EQ(state_.Tools[i].ShortcutCode, expected[i].shortcut);
        EXPECT_TRUE(state_.Tools[i].IconImage.Get()) << "catalogue icon loaded";
    }
}

TEST_F(MainWindowState, ShortcutButtonStoresTheChosenCode) {
    std::string captionBefore, captionAfter;
    RunMain([&](HWND main) {
        auto rows = FindToolRows(main);
        ASSERT_EQ(rows.size(), 5u);
        captionBefore = TextOf(rows[2].ShortcutButton);
        PostClick(rows[2].ShortcutButton); // entry 2, Ctrl+6
        HWND chooser = WaitTopWindow(Self, "Shortcuts");
        ASSERT_TRUE(chooser);
        EXPECT_FALSE(IsWindowEnabled(main));
        EXPECT_EQ(GetWindow(chooser, GW_OWNER), main);
        Click(FindControl(chooser, ShortcutShiftBox));
        SelectComboItem(FindControl(chooser, ShortcutKeyList), KeyIndexFromCode(0x74));
        Click(FindControl(chooser, ShortcutApplyButton));
        WaitWindowGone(chooser);
        Sync(main);
        EXPECT_TRUE(IsWindowEnabled(main));
        EXPECT_EQ(ActiveWindowOf(main), main);
        captionAfter = TextOf(rows[2].ShortcutButton);

        PostClick(rows[0].ShortcutButton); // entry 1: a change, then cancel
        chooser = WaitTopWindow(Self, "Shortcuts");
        ASSERT_TRUE(chooser);
        Click(FindControl(chooser, ShortcutAltBox));
        Click(FindControl(chooser, ShortcutCancelButton));
        WaitWindowGone(chooser);
        Click(FindControl(main, CloseButton));
    });
    EXPECT_EQ(state_.Tools[2].ShortcutCode, 0x30074);
    EXPECT_EQ(state_.Tools[1].ShortcutCode, 0x20035);
    EXPECT_EQ(captionAfter, captionBefore);
    EXPECT_EQ(captionAfter, "Key...");
}

TEST_F(MainWindowState, TabWalksTheRowsAndScrollsTheFocusIntoView) {
    std::vector<HWND> walked;
    int scrolledTo = 1;
    RunMain([&](HWND main) {
        auto rows = FindToolRows(main);
        ASSERT_EQ(rows.size(), 5u);
        EXPECT_EQ(FocusOf(main), FindControl(main, PathField));
        for (int i = 0; i < 14; ++i) {
            PressTab(main);
            walked.push_back(FocusOf(main));
        }
        // The first row's arguments field lies beyond the visible width.
        scrolledTo = RectInParent(GetWindow(FindControl(main, ToolArea), GW_CHILD)).left;
        // Looked up before Close: the window and its controls go with it.
        const ToolRowWindows& r = rows[0];
        // The names are labels, no stops of their own.
        EXPECT_EQ(walked, (std::vector<HWND>{
                              FindControl(main, BrowseButton), FindControl(main, ClearerBox),
                              FindControl(main, FollowerBox), FindControl(main, SideButtonsBox),
                              r.EnableBox, r.MenuBox, r.ToolbarBox, r.IconField, r.IconButton,
                              r.ShortcutBox, r.ShortcutButton, r.ArgumentsField, rows[1].EnableBox,
                              rows[1].MenuBox}));
        Click(FindControl(main, CloseButton));
    });
    EXPECT_LT(scrolledTo, 0);
}

// The standard requesters of this process, answered as a user would.
HWND WaitRequester() {
    HWND dialog = WaitDialog(Self);
    Sleep(300); // the requesters fill themselves after they show
    return dialog;
}

// The folder requester selects its start folder a while after it shows, the
// first time in a fresh Wine prefix after seconds: waits until its tree's
// selected item is the named folder.
bool WaitFolderSelected(HWND requester, const std::string& name) {
    return WaitUntil([&] {
        HWND tree = nullptr;
        EnumChildWindows(
            requester,
            [](HWND child, LPARAM found) {
                if (ClassNameOf(child) != WC_TREEVIEWA) return TRUE;
                *reinterpret_cast<HWND*>(found) = child;
                return FALSE;
            },
            LPARAM(&tree));
        HTREEITEM item = tree ? TreeView_GetSelection(tree) : nullptr;
        char text[MAX_PATH] = "";
        TVITEMA tv = {};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = MAX_PATH;
        return item && SendMessageA(tree, TVM_GETITEMA, 0, LPARAM(&tv)) && name == text;
    });
}

TEST_F(MainWindowState, FolderRequesterCancelledChangesNothingChosenEndsInBackslash) {
    // A folder at the root of the drive: Wine's folder browser reaches a
    // folder inside the user's profile by another way in its tree and at
    // times settles on a sibling of it instead.
    const std::string chosen =
        folders_.Work.substr(0, 3) + "tolvane-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(chosen.c_str(), nullptr);
    std::string afterCancel, fieldAfterCancel, afterChoice, fieldAfterChoice;
    RunMain([&](HWND main) {
        TypeText(FindControl(main, PathField), folders_.Work);
        PostClick(FindControl(main, BrowseButton));
        HWND requester = WaitRequester();
        ASSERT_TRUE(requester);
        EXPECT_FALSE(IsWindowEnabled(main));
        AnswerDialog(requester, IDCANCEL);
        WaitWindowGone(requester);
        Sync(main);
        afterCancel = state_.BaseFolder;
        fieldAfterCancel = TextOf(FindControl(main, PathField));

        // The requester starts at the base folder; taking it as it is must give it back.
        TypeText(FindControl(main, PathField), chosen);
        PostClick(FindControl(main, BrowseButton));
        requester = WaitRequester();
        ASSERT_TRUE(requester);
        EXPECT_TRUE(WaitFolderSelected(requester, chosen.substr(3, chosen.size() - 4)));
        AnswerDialog(requester, IDOK);
        WaitWindowGone(requester);
        Sync(main);
        afterChoice = state_.BaseFolder;
        fieldAfterChoice = TextOf(FindControl(main, PathField));
        Click(FindControl(main, CloseButton));
    });
    EXPECT_EQ(afterCancel, folders_.Work);
    EXPECT_EQ(fieldAfterCancel, folders_.Work);
    RemoveDirectoryA(chosen.c_str());
    EXPECT_EQ(afterChoice, chosen);
    EXPECT_EQ(fieldAfterChoice, afterChoice);
}

// Types a file name into a file requester and confirms it.
void ChooseFileInRequester(HWND requester, const std::string& file) {
    HWND name = FindControl(requester, 0x480);       // edt1, the file name field
    if (!name) name = FindControl(requester, 0x47C); // cmb13 in the newer layout
    ASSERT_TRUE(name);
    TypeText(name, file);
    AnswerDialog(requester, IDOK);
}

// The image a static control shows, whether icon or bitmap.
HANDLE ShownImage(HWND view) {
    HANDLE icon = (HANDLE)SendMessageA(view, STM_GETIMAGE, IMAGE_ICON, 0);
    return icon ? icon : (HANDLE)SendMessageA(view, STM_GETIMAGE, IMAGE_BITMAP, 0);
}

// After every choice the row shows what the installation will copy: the
// path in IconPath and the field, the image of that file or none.
TEST_F(MainWindowState, IconRequesterKeepsViewAndPathOnTheChosenFile) {
    std::string chosen = folders_.Work + "Other.ico", broken = folders_.Work + "Broken.ico";
    WriteFileBytes(chosen, IconFileBytes(RGB(1, 2, 3)));
    WriteFileBytes(broken, "not an icon");
    struct Step {
        const char* name;
        std::string file; // empty: cancel the requester
        std::string path;
        bool image;
    } steps[] = {
        {"cancelled", "", "Icons/Back.ico", true},
        {"valid icon", chosen, chosen, true},
        {"broken file", broken, broken, false},
        {"valid again", chosen, chosen, true},
    };
    std::string caption;
    RunMain([&](HWND main) {
        auto rows = FindToolRows(main);
        ASSERT_EQ(rows.size(), 5u);
        const ToolRowWindows& row = rows[1]; // entry 0
        for (const Step& step : steps) {
            HANDLE before = state_.Tools[0].IconImage.Get();
            PostClick(row.IconButton);
            HWND requester = WaitRequester();
            ASSERT_TRUE(requester) << step.name;
            caption = TextOf(requester);
            if (step.file.empty())
                AnswerDialog(requester, IDCANCEL);
            else
                ChooseFileInRequester(requester, step.file);
            WaitWindowGone(requester);
            Sync(main);
            HANDLE image = state_.Tools[0].IconImage.Get();
            EXPECT_EQ(state_.Tools[0].IconPath, step.path) << step.name;
            EXPECT_EQ(TextOf(row.IconField), step.path) << step.name;
            EXPECT_EQ(image != nullptr, step.image) << step.name;
            EXPECT_EQ(ShownImage(row.IconView), image) << step.name;
            if (step.file.empty()) {
                EXPECT_EQ(image, before) << step.name;
            }
        }
        Click(FindControl(main, CloseButton));
    });
    EXPECT_EQ(caption, "Search an Icon");
}

TEST_F(MainWindowState, ShortLanguageFileLeavesTheAboutTextEmpty) {
    auto lines = SampleLanguageLines();
    lines.resize(19);
    lines[3] = "En\\nable"; // shown as the two characters
    WriteLanguage("Short", lines);
    std::string about = "unset", enable;
    RunDriven([&] { RunMainWindow("Short", state_); },
              [&] {
                  HWND main = WaitTopWindow(Self, "Title");
                  ASSERT_TRUE(main);
                  enable = TextOf(FindToolRows(main)[0].EnableBox);
                  PostClick(FindControl(main, AboutButton));
                  HWND box = WaitDialog(Self);
                  ASSERT_TRUE(box);
                  about = DialogText(box);
                  AnswerDialog(box, IDOK);
                  WaitWindowGone(box);
                  Click(FindControl(main, CloseButton));
              });
    EXPECT_EQ(enable, "En\\nable");
    EXPECT_EQ(about, "");
}

} // namespace
