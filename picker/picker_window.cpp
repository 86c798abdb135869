#include "picker/picker_window.h"

#include "common/auto_gdi.h"
#include "common/code_page.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace {

enum Column { MarkColumn, NameColumn, FolderColumn, PositionColumn, CodeColumn, ColumnCount };
constexpr int FilterId = 1, ListId = 2;
constexpr int Margin = 6;

struct Picker {
    const std::vector<PickerRow>* Rows = nullptr;
    std::vector<int> Shown; // indexes into Rows
    int Selected = -1;      // index into Shown
    int Chosen = -1;        // index into Rows
    HWND Ide = nullptr, Window = nullptr, Filter = nullptr, List = nullptr;
    WNDPROC FilterProc = nullptr;
    AutoGdiObject<HFONT> Font, BoldFont;
    bool Closing = false;
    std::wstring Text; // the text last handed to the list
};

const PickerRow& RowAt(const Picker& picker, int shownIndex) {
    return (*picker.Rows)[size_t(picker.Shown[size_t(shownIndex)])];
}

void Select(Picker& picker, int shownIndex) {
    // Only the row selected before: clearing every row costs a message per
    // row.
    if (picker.Selected >= 0 && picker.Selected != shownIndex)
        ListView_SetItemState(picker.List, picker.Selected, 0, LVIS_SELECTED | LVIS_FOCUSED);
    picker.Selected = shownIndex;
    if (shownIndex < 0) return;
    ListView_SetItemState(picker.List, shownIndex, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(picker.List, shownIndex, FALSE);
}

void Close(Picker& picker) {
    if (picker.Closing) return;
    picker.Closing = true;
    DestroyWindow(picker.Window);
}

void Choose(Picker& picker, int shownIndex) {
    if (shownIndex < 0 || shownIndex >= int(picker.Shown.size()) ||
        !RowAt(picker, shownIndex).Pickable)
        return;
    picker.Chosen = picker.Shown[size_t(shownIndex)];
    // Still in front, so the IDE may be brought there; the step that
    // follows gives its editor the keyboard.
    picker.Closing = true;
    if (picker.Ide) SetForegroundWindow(picker.Ide);
    DestroyWindow(picker.Window);
}

void ApplyFilter(Picker& picker) {
    const int length = GetWindowTextLengthW(picker.Filter);
    std::wstring filter(size_t(length) + 1, L'\0');
    GetWindowTextW(picker.Filter, &filter[0], length + 1);
    filter.resize(size_t(length));
    picker.Shown = FilterRows(*picker.Rows, WideToUtf8(filter));
    ListView_SetItemCountEx(picker.List, int(picker.Shown.size()), 0);
    Select(picker, filter.empty() ? InitialSelection(*picker.Rows, picker.Shown)
                                  : FirstPickable(*picker.Rows, picker.Shown));
    InvalidateRect(picker.List, nullptr, FALSE);
}

const std::string& CellText(const PickerRow& row, int column) {
    static const std::string forward = "Forward", current = "Current", none;
    switch (column) {
    case MarkColumn:
        return row.Kind == RowKind::Forward   ? forward
               : row.Kind == RowKind::Current ? current
                                              : none;
    case NameColumn:
        return row.Name;
    case FolderColumn:
        return row.Folder;
    case PositionColumn:
        return row.Position;
    default:
        return row.Code;
    }
}

void FillCell(Picker& picker, NMLVDISPINFOW& info) {
    if (!(info.item.mask & LVIF_TEXT) || info.item.iItem < 0 ||
        info.item.iItem >= int(picker.Shown.size()))
        return;
    picker.Text = Utf8ToWide(CellText(RowAt(picker, info.item.iItem), info.item.iSubItem));
    info.item.pszText = &picker.Text[0];
}

// Rows that cannot be picked are grey, the folder is quieter than the name,
// the current position stands out.
LRESULT DrawCell(Picker& picker, NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        // The keyboard stays in the filter, yet the selection is what Enter
        // takes: drawn as selected in a focused list.
        draw.nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int item = int(draw.nmcd.dwItemSpec);
        if (item < 0 || item >= int(picker.Shown.size())) return CDRF_DODEFAULT;
        const PickerRow& row = RowAt(picker, item);
        const bool quiet = (!row.Pickable && row.Kind != RowKind::Current) ||
                           draw.iSubItem == FolderColumn || draw.iSubItem == MarkColumn;
        const bool selected = item == picker.Selected;
        draw.nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
        draw.clrTextBk = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
        draw.clrText = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT
                                   : quiet  ? COLOR_GRAYTEXT
                                            : COLOR_WINDOWTEXT);
        SelectObject(draw.nmcd.hdc,
                     row.Kind == RowKind::Current ? picker.BoldFont.Get() : picker.Font.Get());
        return CDRF_NEWFONT;
    }
    }
    return CDRF_DODEFAULT;
}

LRESULT Notify(Picker& picker, NMHDR& header) {
    if (header.idFrom != ListId) return 0;
    switch (header.code) {
    case LVN_GETDISPINFOW:
        FillCell(picker, reinterpret_cast<NMLVDISPINFOW&>(header));
        return 0;
    case NM_CUSTOMDRAW:
        return DrawCell(picker, reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<NMLISTVIEW&>(header);
        if (change.uNewState & LVIS_SELECTED) picker.Selected = change.iItem;
        return 0;
    }
    case NM_CLICK:
        // The keys go on going to the filter.
        SetFocus(picker.Filter);
        return 0;
    case NM_DBLCLK:
        Choose(picker, reinterpret_cast<NMITEMACTIVATE&>(header).iItem);
        return 0;
    }
    return 0;
}

// The filter field keeps the keyboard: the keys that move through the list
// or end it are taken here.
LRESULT CALLBACK FilterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Picker& picker =
        *reinterpret_cast<Picker*>(GetWindowLongPtrW(GetParent(window), GWLP_USERDATA));
    if (message == WM_KEYDOWN) {
        const int page = std::max(1, int(ListView_GetCountPerPage(picker.List)) - 1);
        int by = 0;
        switch (wParam) {
        case VK_UP:
            by = -1;
            break;
        case VK_DOWN:
            by = 1;
            break;
        case VK_PRIOR:
            by = -page;
            break;
        case VK_NEXT:
            by = page;
            break;
        case VK_RETURN:
            Choose(picker, picker.Selected);
            return 0;
        case VK_ESCAPE:
            Close(picker);
            return 0;
        }
        if (by) {
            Select(picker, MoveSelection(*picker.Rows, picker.Shown, picker.Selected, by));
            return 0;
        }
    }
    // No beep for the keys taken above.
    if (message == WM_CHAR && (wParam == L'\r' || wParam == 27)) return 0;
    return CallWindowProcW(picker.FilterProc, window, message, wParam, lParam);
}

void Layout(Picker& picker) {
    RECT client;
    GetClientRect(picker.Window, &client);
    RECT field = {0, 0, 0, 0};
    GetWindowRect(picker.Filter, &field);
    const int fieldHeight = field.bottom - field.top;
    const int width = client.right - 2 * Margin;
    MoveWindow(picker.Filter, Margin, Margin, width, fieldHeight, TRUE);
    const int top = 2 * Margin + fieldHeight;
    MoveWindow(picker.List, Margin, top, width, client.bottom - top - Margin, TRUE);
    // The code takes what the other columns leave.
    int others = 0;
    for (int column = MarkColumn; column < CodeColumn; ++column)
        others += ListView_GetColumnWidth(picker.List, column);
    ListView_SetColumnWidth(picker.List, CodeColumn,
                            std::max(80, width - others - GetSystemMetrics(SM_CXVSCROLL) - 4));
}

void AddColumns(HWND list, int unit) {
    static const wchar_t* const titles[ColumnCount] = {L"", L"File", L"Folder", L"Line", L"Code"};
    const int widths[ColumnCount] = {9 * unit, 20 * unit, 26 * unit, 9 * unit, 40 * unit};
    for (int column = 0; column < ColumnCount; ++column) {
        LVCOLUMNW info = {};
        info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        info.pszText = const_cast<wchar_t*>(titles[column]);
        info.cx = widths[column];
        info.iSubItem = column;
        SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(column), LPARAM(&info));
    }
}

bool CreateControls(Picker& picker) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    picker.Filter = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 100,
                                    24, picker.Window, HMENU(INT_PTR(FilterId)), instance, nullptr);
    picker.List =
        CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                        WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL |
                            LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                        0, 0, 100, 100, picker.Window, HMENU(INT_PTR(ListId)), instance, nullptr);
    if (!picker.Filter || !picker.List) return false;
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    picker.Font = AutoGdiObject<HFONT>(CreateFontIndirectA(&metrics.lfMessageFont));
    metrics.lfMessageFont.lfWeight = FW_BOLD;
    picker.BoldFont = AutoGdiObject<HFONT>(CreateFontIndirectA(&metrics.lfMessageFont));
    for (HWND control : {picker.Filter, picker.List})
        SendMessageW(control, WM_SETFONT, WPARAM(picker.Font.Get()), TRUE);
    // The field as high as its font needs.
    const int unit = std::max<int>(6, std::abs(metrics.lfMessageFont.lfHeight) * 2 / 3);
    SetWindowPos(picker.Filter, nullptr, 0, 0, 100, unit * 3 + 6, SWP_NOMOVE | SWP_NOZORDER);
    ListView_SetExtendedListViewStyle(picker.List, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    AddColumns(picker.List, unit);
    picker.FilterProc =
        WNDPROC(SetWindowLongPtrW(picker.Filter, GWLP_WNDPROC, LONG_PTR(FilterProc)));
    return true;
}

LRESULT CALLBACK PickerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* picker = reinterpret_cast<Picker*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE:
        picker = static_cast<Picker*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        picker->Window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(picker));
        break;
    case WM_CREATE:
        return CreateControls(*picker) ? 0 : -1;
    case WM_SIZE:
        Layout(*picker);
        return 0;
    case WM_NOTIFYFORMAT:
        return NFR_UNICODE;
    case WM_NOTIFY:
        return Notify(*picker, *reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
        if (LOWORD(wParam) == FilterId && HIWORD(wParam) == EN_CHANGE) ApplyFilter(*picker);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            Close(*picker); // a click elsewhere
            return 0;
        }
        SetFocus(picker->Filter);
        return 0;
    case WM_CLOSE:
        Close(*picker);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Centred on the IDE's main window, or on the screen, and within the screen.
RECT PlaceOver(HWND ideWindow, int width, int height) {
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT over = area;
    if (ideWindow) GetWindowRect(ideWindow, &over);
    width = std::min<int>(width, area.right - area.left);
    height = std::min<int>(height, area.bottom - area.top);
    int left = (over.left + over.right - width) / 2, top = (over.top + over.bottom - height) / 2;
    left = std::clamp<int>(left, area.left, area.right - width);
    top = std::clamp<int>(top, area.top, area.bottom - height);
    return {left, top, left + width, top + height};
}

} // namespace

int ChooseRow(const std::vector<PickerRow>& rows, HWND ideWindow, bool closeWhenFilled) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PickerProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = PickerClassName;
    if (!RegisterClassA(&windowClass)) return -1;
    Picker picker;
    picker.Rows = &rows;
    picker.Ide = ideWindow && IsWindow(ideWindow) ? ideWindow : nullptr;
    const RECT place = PlaceOver(picker.Ide, 860, 360);
    if (!CreateWindowExA(WS_EX_TOOLWINDOW, PickerClassName, PickerTitle,
                         WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, place.left, place.top,
                         place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                         instance, &picker))
        return -1;
    picker.Shown = FilterRows(rows, "");
    ListView_SetItemCountEx(picker.List, int(picker.Shown.size()), 0);
    Select(picker, InitialSelection(rows, picker.Shown));
    ShowWindow(picker.Window, SW_SHOW);
    SetForegroundWindow(picker.Window);
    SetFocus(picker.Filter);
    RedrawWindow(picker.Window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    // The list is drawn: for the benchmark the process ends here, as its
    // end (the window, the rows' memory) is no part of the start.
    if (closeWhenFilled) ExitProcess(0);
    // Wide, so that a character typed into the filter arrives whole.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return picker.Chosen;
}
