#include "installer/tool_rows.h"

#include "installer/control_numbers.h"
#include "installer/installer_state.h"
#include "installer/requesters.h"
#include "installer/shortcut_chooser.h"
#include "installer/window_layer.h"

namespace {

const DWORD CheckBox = BS_AUTOCHECKBOX | WS_TABSTOP;
const DWORD PushButton = BS_PUSHBUTTON | WS_TABSTOP;
const DWORD EditField = ES_AUTOHSCROLL | WS_TABSTOP;
// A label's one line sits level with the captions of the checkboxes beside it.
const DWORD Label = SS_CENTERIMAGE;

// An icon first, a bitmap otherwise; a null handle when the file is neither.
HANDLE LoadImageFile(const std::string& path, UINT& type) {
    type = IMAGE_ICON;
    HANDLE image = LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE);
    if (image) return image;
    type = IMAGE_BITMAP;
    return LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
}

void ShowImage(int viewNumber, HANDLE image, UINT type) {
    HWND view = ControlWindow(viewNumber);
    LONG_PTR style = GetWindowLongPtrA(view, GWL_STYLE) & ~(LONG_PTR)SS_TYPEMASK;
    SetWindowLongPtrA(view, GWL_STYLE, style | (type == IMAGE_BITMAP ? SS_BITMAP : SS_ICON));
    SendMessageA(view, STM_SETIMAGE, type, (LPARAM)image);
    // The control keeps its 32 x 32 pixels whatever the image's size.
    SetWindowPos(view, nullptr, 0, 0, 32, 32, SWP_NOMOVE | SWP_NOZORDER);
}

// The view takes the new image, or none, before the old one is released, so
// that it never paints a destroyed one.
void ShowRowImage(ToolEntry& tool, const std::string& path) {
    UINT type;
    HANDLE image = LoadImageFile(path, type);
    ShowImage(tool.IconView, image, image ? type : tool.IconImage.Type());
    tool.IconImage.Reset(image, type);
}

void SyncIconControls(const ToolEntry& tool) {
    bool onToolbar = GetControlState(tool.ToolbarBox);
    EnableControl(tool.IconField, onToolbar);
    EnableControl(tool.IconButton, onToolbar);
}

void SyncShortcutButton(const ToolEntry& tool) {
    EnableControl(tool.ShortcutButton, GetControlState(tool.ShortcutBox));
}

void OnEnableBox(const ToolEntry& tool) {
    bool enabled = GetControlState(tool.EnableBox);
    for (int number : {tool.MenuBox, tool.ToolbarBox, tool.IconField, tool.IconButton,
                       tool.IconView, tool.ShortcutBox, tool.ShortcutButton})
        EnableControl(number, enabled);
    SyncIconControls(tool);
    SyncShortcutButton(tool);
}

// The row shows what the installation will copy: the chosen file, with its
// image or none when it does not load.
void ChooseIcon(ToolEntry& tool) {
    std::string file =
        OpenFileRequester("Search an Icon", tool.IconPath, std::string("Iconfiles\0*.ico*\0", 18));
    if (file.empty()) return;
    tool.IconPath = file;
    SetControlText(tool.IconField, file);
    ShowRowImage(tool, file);
}

bool OwnsControl(const ToolEntry& tool, int number) {
    if (number < FirstAutomaticNumber) return false; // also rows not built yet
    for (int own : {tool.NameField, tool.EnableBox, tool.MenuBox, tool.ToolbarBox, tool.IconField,
                    tool.IconButton, tool.IconView, tool.ShortcutBox, tool.ShortcutButton,
                    tool.ArgumentsField, tool.ArgumentsLabel})
        if (own == number) return true;
    return false;
}

bool IsFieldEvent(int notification) {
    return notification == EN_CHANGE || notification == EN_SETFOCUS || notification == EN_KILLFOCUS;
}

void HandleRowControl(ToolEntry& tool, HWND owner, int number, int notification) {
    if (number == tool.ArgumentsField) {
        if (IsFieldEvent(notification)) tool.Arguments = GetControlText(number);
        return;
    }
    if (notification != BN_CLICKED) return;
    if (number == tool.ToolbarBox) SyncIconControls(tool);
    if (number == tool.ShortcutBox) SyncShortcutButton(tool);
    if (number == tool.EnableBox) OnEnableBox(tool);
    if (number == tool.IconButton) ChooseIcon(tool);
    if (number == tool.ShortcutButton) tool.ShortcutCode = ChooseShortcut(tool.ShortcutCode, owner);
}

HWND CreateRowControl(int& number, HWND parent, const char* className, const std::string& text,
                      DWORD style, DWORD exStyle, int x, int y, int width, int height) {
    number = NextControlNumber();
    return CreateControl(number, parent, className, text, style, exStyle, x, y, width, height);
}

} // namespace

void CreateToolRow(InstallerState& state, HWND toolArea, int index,
                   const std::string& menuItemName) {
    const CatalogueTool& entry = ToolCatalogue[index];
    ToolEntry& tool = state.Tools[index];
    const LanguageTexts& texts = state.Texts;
    tool.MenuItemName = menuItemName;
    tool.ExeName = entry.ExeName;
    tool.IconPath = entry.IconPath;
    tool.Arguments = entry.Arguments;
    tool.ShortcutCode = entry.ShortcutCode;
    tool.Flags = entry.Flags;

    HWND row = CreateContainer(NextControlNumber(), toolArea, 0, entry.RowY, 1000, 25);
    // A label, not an edit field: the name comes from the language file, and
    // Wine's edit control faults on some of its characters (U+02DC, 0x98 in
    // Western code pages) when they do not fit.
    CreateRowControl(tool.NameField, row, "STATIC", menuItemName + ":", Label | SS_ENDELLIPSIS,
                     WS_EX_CLIENTEDGE, 10, 3, 120, 20);
    CreateRowControl(tool.EnableBox, row, "BUTTON", texts.EnableCaption, CheckBox, 0, 130, 0, 80,
                     20);
    CreateRowControl(tool.MenuBox, row, "BUTTON", texts.MenuCaption, CheckBox, 0, 210, 0, 80, 20);

    HWND frame = CreateContainer(NextControlNumber(), row, 290, 0, 262, 25);
    CreateRowControl(tool.ToolbarBox, frame, "BUTTON", texts.ToolbarCaption, CheckBox, 0, 2, 0, 80,
                     20);
    CreateRowControl(tool.IconField, frame, "EDIT", tool.IconPath, EditField | ES_READONLY,
                     WS_EX_CLIENTEDGE, 82, 0, 120, 20);
    CreateRowControl(tool.IconButton, frame, "BUTTON", "...", PushButton, 0, 202, 0, 30, 20);
    CreateRowControl(tool.IconView, frame, "STATIC", "", SS_ICON | SS_REALSIZECONTROL, 0, 232, 0,
                     32, 32);
    ShowRowImage(tool, tool.IconPath);

    CreateRowControl(tool.ShortcutBox, row, "BUTTON", texts.ShortcutCaption, CheckBox, 0, 560, 0,
                     80, 20);
    CreateRowControl(tool.ShortcutButton, row, "BUTTON", texts.ShortcutButtonCaption, PushButton, 0,
                     660, 0, 100, 20);
    CreateRowControl(tool.ArgumentsLabel, row, "STATIC", texts.ArgumentsCaption, Label, 0, 760, 0,
                     80, 20);
    CreateRowControl(tool.ArgumentsField, row, "EDIT", tool.Arguments, EditField, WS_EX_CLIENTEDGE,
                     840, 0, 140, 20);

    // Every tool starts wanted everywhere.
    for (int box : {tool.EnableBox, tool.MenuBox, tool.ToolbarBox, tool.ShortcutBox})
        SetControlState(box, true);
}

void HandleToolRowEvent(InstallerState& state, int number, int notification) {
    for (ToolEntry& tool : state.Tools) {
        if (!OwnsControl(tool, number)) continue;
        HandleRowControl(tool, state.MainWindow, number, notification);
        return;
    }
}
