#include "installer/tool_rows.h"

#include "installer/requesters.h"
#include "installer/shortcut_chooser.h"

#include <algorithm>
#include <iterator>

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

void ShowInView(HWND view, HANDLE image, UINT type) {
    LONG_PTR style = GetWindowLongPtrA(view, GWL_STYLE) & ~(LONG_PTR)SS_TYPEMASK;
    SetWindowLongPtrA(view, GWL_STYLE, style | (type == IMAGE_BITMAP ? SS_BITMAP : SS_ICON));
    SendMessageA(view, STM_SETIMAGE, type, (LPARAM)image);
    // The control keeps its 32 x 32 pixels whatever the image's size.
    SetWindowPos(view, nullptr, 0, 0, 32, 32, SWP_NOMOVE | SWP_NOZORDER);
}

bool IsFieldEvent(int notification) {
    return notification == EN_CHANGE || notification == EN_SETFOCUS || notification == EN_KILLFOCUS;
}

} // namespace

// The view takes the new image, or none, before the old one is released, so
// that it never paints a destroyed one.
void ToolRow::ShowImage(const std::string& path) {
    UINT type;
    HANDLE image = LoadImageFile(path, type);
    ShowInView(iconView_, image, image ? type : tool_->IconImage.Type());
    tool_->IconImage.Reset(image, type);
}

void ToolRow::SyncIconControls() {
    const bool onToolbar = IsChecked(toolbar_);
    EnableWindow(iconField_, onToolbar);
    EnableWindow(iconButton_, onToolbar);
}

void ToolRow::SyncShortcutButton() {
    EnableWindow(shortcutButton_, IsChecked(shortcut_));
}

void ToolRow::OnEnableBox() {
    const bool enabled = IsChecked(enable_);
    for (HWND control :
         {menu_, toolbar_, iconField_, iconButton_, iconView_, shortcut_, shortcutButton_})
        EnableWindow(control, enabled);
    SyncIconControls();
    SyncShortcutButton();
}

// The row shows what the installation will copy: the chosen file, with its
// image or none when it does not load.
void ToolRow::ChooseIcon() {
    std::string file = OpenFileRequester("Search an Icon", tool_->IconPath,
                                         std::string("Iconfiles\0*.ico*\0", 18));
    if (file.empty()) return;
    tool_->IconPath = file;
    SetWindowTextA(iconField_, file.c_str());
    ShowImage(file);
}

void ToolRow::Create(InstallerWindow& window, AutomaticNumbers& numbers, HWND area, int index,
                     const std::string& menuItemName, const LanguageFile& language,
                     ToolEntry& tool) {
    const CatalogueTool& entry = ToolCatalogue[index];
    tool_ = &tool;
    owner_ = window.Window();
    tool.MenuItemName = menuItemName;
    tool.ExeName = entry.ExeName;
    tool.IconPath = entry.IconPath;
    tool.Arguments = entry.Arguments;
    tool.ShortcutCode = entry.ShortcutCode;
    tool.Flags = entry.Flags;
    auto add = [&](HWND parent, const char* className, const std::string& text, DWORD style,
                   DWORD exStyle, int x, int y, int width, int height) {
        return window.AddControl(numbers.Next(), parent, className, text, style, exStyle, x, y,
                                 width, height);
    };
    auto caption = [&](LanguageLine line) { return language.Line(line); };

    HWND row = row_.Open(area, numbers.Next(), 0, entry.RowY, 1000, 25);
    // A label, not an edit field: the name comes from the language file, and
    // Wine's edit control faults on some of its characters (U+02DC, 0x98 in
    // Western code pages) when they do not fit.
    name_ = add(row, "STATIC", menuItemName + ":", Label | SS_ENDELLIPSIS, WS_EX_CLIENTEDGE, 10, 3,
                120, 20);
    enable_ = add(row, "BUTTON", caption(LanguageLine::EnableCaption), CheckBox, 0, 130, 0, 80, 20);
    menu_ = add(row, "BUTTON", caption(LanguageLine::MenuCaption), CheckBox, 0, 210, 0, 80, 20);

    HWND frame = frame_.Open(row, numbers.Next(), 290, 0, 262, 25);
    toolbar_ =
        add(frame, "BUTTON", caption(LanguageLine::ToolbarCaption), CheckBox, 0, 2, 0, 80, 20);
    iconField_ = add(frame, "EDIT", tool.IconPath, EditField | ES_READONLY, WS_EX_CLIENTEDGE, 82, 0,
                     120, 20);
    iconButton_ = add(frame, "BUTTON", "...", PushButton, 0, 202, 0, 30, 20);
    iconView_ = add(frame, "STATIC", "", SS_ICON | SS_REALSIZECONTROL, 0, 232, 0, 32, 32);
    ShowImage(tool.IconPath);

    shortcut_ =
        add(row, "BUTTON", caption(LanguageLine::ShortcutCaption), CheckBox, 0, 560, 0, 80, 20);
    shortcutButton_ = add(row, "BUTTON", caption(LanguageLine::ShortcutButtonCaption), PushButton,
                          0, 660, 0, 100, 20);
    argumentsLabel_ =
        add(row, "STATIC", caption(LanguageLine::ArgumentsCaption), Label, 0, 760, 0, 80, 20);
    argumentsField_ =
        add(row, "EDIT", tool.Arguments, EditField, WS_EX_CLIENTEDGE, 840, 0, 140, 20);

    // Every tool starts wanted everywhere.
    for (HWND box : {enable_, menu_, toolbar_, shortcut_})
        SetChecked(box, true);
}

bool ToolRow::Handle(HWND control, int notification) {
    if (!control) return false;
    if (control == argumentsField_) {
        if (IsFieldEvent(notification)) tool_->Arguments = ControlText(control);
        return true;
    }
    const HWND own[] = {name_,       enable_,   menu_,     toolbar_,        iconField_,
                        iconButton_, iconView_, shortcut_, shortcutButton_, argumentsLabel_};
    if (std::find(std::begin(own), std::end(own), control) == std::end(own)) return false;
    if (notification != BN_CLICKED) return true;
    if (control == toolbar_) SyncIconControls();
    if (control == shortcut_) SyncShortcutButton();
    if (control == enable_) OnEnableBox();
    if (control == iconButton_) ChooseIcon();
    if (control == shortcutButton_)
        tool_->ShortcutCode = ChooseShortcut(tool_->ShortcutCode, owner_);
    return true;
}

ToolChoice ToolRow::Choice() const {
    ToolChoice choice;
    static_cast<ToolSettings&>(choice) = *tool_;
    choice.Enabled = IsChecked(enable_);
    choice.InMenu = IsChecked(menu_);
    choice.OnToolbar = IsChecked(toolbar_);
    choice.WithShortcut = IsChecked(shortcut_);
    return choice;
}
