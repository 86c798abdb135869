#include "picker/picker_window.h"

#include "common/auto_gdi.h"
#include "common/code_page.h"
#include "common/window_base.h"
#include "picker/picker_layout.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace {

enum Column { MarkColumn, NameColumn, FolderColumn, PositionColumn, CodeColumn, ColumnCount };
constexpr int FilterId = 1, ListId = 2;
// Sizes at 96 DPI, scaled by the system's: the program is aware of it, as
// the IDE is, and draws itself sharp at its size.
constexpr int Margin = 6, Width = 860, MinWidth = 480, Height = 360, MinCodeWidth = 80;
// What a list cell leaves beside its text.
constexpr int CellPadding = 14;
// Rows are read between the messages for at most this long at a time, so
// that a key waits no longer.
constexpr double SliceSeconds = 0.008;

double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) / double(frequency.QuadPart);
}

ScreenBox BoxOf(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// The work area of the screen the IDE is on, the main screen without one.
ScreenBox WorkAreaOf(HWND ide) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    const HMONITOR monitor = ide ? MonitorFromWindow(ide, MONITOR_DEFAULTTONEAREST)
                                 : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (monitor && GetMonitorInfoA(monitor, &info)) return BoxOf(info.rcWork);
    RECT area = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return BoxOf(area);
}

class Picker;

// The filter field keeps the keyboard: the keys that move through the list
// or end it go to the picker.
class FilterField : public WindowBase {
  public:
    explicit FilterField(Picker& picker) : picker_(picker) {}

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    LRESULT OnKeyDown(WPARAM key, LPARAM lParam);
    LRESULT OnChar(WPARAM character, LPARAM lParam);
    bool Full() const;

    Picker& picker_;
};

class Picker : public WindowBase {
  public:
    Picker(std::vector<PickerRow>& rows, HWND ide, const ReadRow& read)
        : rows_(rows), ide_(ide), read_(read), filter_(rows), field_(*this) {}

    // Opens the window and runs it until it closes: the row chosen, -1 for
    // none.
    int Run();
    // A key pressed in the filter field: true when it moves through the
    // list or ends it.
    bool TakeKey(WPARAM key);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    LRESULT OnCreate();
    LRESULT OnSize();
    LRESULT OnNotify(NMHDR& header);
    LRESULT OnCommand(WPARAM wParam);
    LRESULT OnActivate(WPARAM wParam);
    LRESULT OnClose();
    LRESULT OnDestroy();

    bool Open();
    void AddColumns(int unit, int width);
    // What is done while no message waits: the filter typed applied, then
    // rows read. False when nothing is left to do.
    bool WorkWhileIdle();
    void ApplyFilter();
    bool ReadRows();
    int NextPending(int top, int bottom);
    // The list shows the rows the filter keeps, with the selection on
    // keepRow where it is shown, else where a fresh filter puts it.
    void ShowRows(int keepRow);
    void Select(int shownIndex);
    void Choose(int shownIndex, bool byEnter = false);
    void Close();
    const PickerRow& RowAt(int shownIndex) const;
    void FillCell(NMLVDISPINFOW& info);
    // The row's folder as it fits its column: cut at its start.
    std::wstring& FolderCut(size_t row);
    LRESULT DrawCell(NMLVCUSTOMDRAW& draw);
    int Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }

    std::vector<PickerRow>& rows_;
    HWND ide_;
    ReadRow read_;
    RowFilter filter_;
    FilterField field_;
    HWND list_ = nullptr;
    // Measures with the list's font; DPI as the system's.
    AutoGdiObject<HFONT> font_, boldFont_;
    AutoMemoryDc measure_;
    int dpi_ = 96;
    int selected_ = -1; // index into filter_.Shown()
    int chosen_ = -1;   // index into rows_
    bool closing_ = false;
    bool filtered_ = false;       // the filter is not empty
    bool filterPending_ = false;  // typed, not applied yet
    bool selectionMoved_ = false; // by hand since the filter was applied
    size_t readFrom_ = 0;         // the rows before it are read
    std::wstring text_;           // the text last handed to the list
    // Each row's folder as cut for the column width it was cut for.
    std::vector<std::pair<int, std::wstring>> folders_;
};

LRESULT FilterField::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        return OnKeyDown(wParam, lParam);
    case WM_CHAR:
        return OnChar(wParam, lParam);
    }
    return WindowBase::HandleMessage(message, wParam, lParam);
}

LRESULT FilterField::OnKeyDown(WPARAM key, LPARAM lParam) {
    if (picker_.TakeKey(key)) return 0;
    return Default(WM_KEYDOWN, key, lParam);
}

bool FilterField::Full() const {
    DWORD start = 0, end = 0;
    SendMessageW(Window(), EM_GETSEL, WPARAM(&start), LPARAM(&end));
    return start == end && size_t(GetWindowTextLengthW(Window())) >= MaxFilterUnits;
}

LRESULT FilterField::OnChar(WPARAM character, LPARAM lParam) {
    // No beep for the keys the picker takes.
    if (character == L'\r' || character == 27) return 0;
    // Refused before the field does its own work for it, which grows with
    // its text.
    if (character >= L' ' && character != 0x7F && Full()) return 0;
    return Default(WM_CHAR, character, lParam);
}

LRESULT Picker::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate();
    case WM_SIZE:
        return OnSize();
    case WM_NOTIFYFORMAT:
        return NFR_UNICODE;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
        return OnCommand(wParam);
    case WM_ACTIVATE:
        return OnActivate(wParam);
    case WM_CLOSE:
        return OnClose();
    case WM_DESTROY:
        return OnDestroy();
    }
    return WindowBase::HandleMessage(message, wParam, lParam);
}

int Picker::Run() {
    if (!Open()) return -1;
    // Wide, so that a character typed into the filter arrives whole.
    MSG message;
    for (;;) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return chosen_;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (!WorkWhileIdle()) WaitMessage();
    }
}

bool Picker::Open() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    measure_ = AutoMemoryDc(CreateCompatibleDC(nullptr));
    if (!measure_.IsValid()) return false;
    dpi_ = std::max(96, GetDeviceCaps(measure_.Get(), LOGPIXELSY));
    const ScreenBox area = WorkAreaOf(ide_);
    RECT ide = {};
    const ScreenBox over = ide_ && GetWindowRect(ide_, &ide) ? BoxOf(ide) : area;
    const ScreenBox place = PlacePicker(over, area, Scale(Width), Scale(MinWidth), Scale(Height));
    if (!Create({PickerClassName, nullptr, nullptr, HBRUSH(COLOR_BTNFACE + 1)}, WS_EX_TOOLWINDOW,
                PickerTitle, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, place.Left,
                place.Top, place.Width(), place.Height(), nullptr))
        return false;
    ShowRows(-1);
    ShowWindow(Window(), SW_SHOW);
    SetForegroundWindow(Window());
    SetFocus(field_.Window());
    RedrawWindow(Window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return true;
}

LRESULT Picker::OnCreate() {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const HWND field = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0,
        100, 24, Window(), HMENU(INT_PTR(FilterId)), instance, nullptr);
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL |
                                LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                            0, 0, 100, 100, Window(), HMENU(INT_PTR(ListId)), instance, nullptr);
    if (!field || !list_ || !field_.Attach(field)) return -1;
    SendMessageW(field, EM_SETLIMITTEXT, MaxFilterUnits, 0);
    // Aware of the system's DPI, the program is given the message font
    // scaled by it already.
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    font_ = AutoGdiObject<HFONT>(CreateFontIndirectA(&metrics.lfMessageFont));
    metrics.lfMessageFont.lfWeight = FW_BOLD;
    boldFont_ = AutoGdiObject<HFONT>(CreateFontIndirectA(&metrics.lfMessageFont));
    for (HWND control : {field, list_})
        SendMessageW(control, WM_SETFONT, WPARAM(font_.Get()), TRUE);
    SelectObject(measure_.Get(), font_.Get());
    // The field as high as its font needs.
    const int unit = std::max<int>(Scale(6), std::abs(metrics.lfMessageFont.lfHeight) * 2 / 3);
    SetWindowPos(field, nullptr, 0, 0, 100, unit * 3 + Scale(6), SWP_NOMOVE | SWP_NOZORDER);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    RECT client = {0, 0, 0, 0};
    GetClientRect(Window(), &client);
    AddColumns(unit, client.right - 2 * Scale(Margin));
    return 0;
}

void Picker::AddColumns(int unit, int width) {
    static const wchar_t* const titles[ColumnCount] = {L"", L"File", L"Folder", L"Line", L"Code"};
    int widths[ColumnCount] = {9 * unit, 20 * unit, 26 * unit, 9 * unit, 40 * unit};
    // Over a narrow window the folder, cut at its start, gives way first,
    // then the name, so that some code shows.
    int over = widths[MarkColumn] + widths[NameColumn] + widths[FolderColumn] +
               widths[PositionColumn] + 30 * unit - (width - GetSystemMetrics(SM_CXVSCROLL));
    for (const auto& [column, least] :
         {std::pair{FolderColumn, 10 * unit}, {NameColumn, 12 * unit}}) {
        const int given = std::clamp(over, 0, widths[column] - least);
        widths[column] -= given;
        over -= given;
    }
    for (int column = 0; column < ColumnCount; ++column) {
        LVCOLUMNW info = {};
        info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        info.pszText = const_cast<wchar_t*>(titles[column]);
        info.cx = widths[column];
        info.iSubItem = column;
        SendMessageW(list_, LVM_INSERTCOLUMNW, WPARAM(column), LPARAM(&info));
    }
}

LRESULT Picker::OnSize() {
    const HWND field = field_.Window();
    RECT client, box = {0, 0, 0, 0};
    GetClientRect(Window(), &client);
    GetWindowRect(field, &box);
    const int fieldHeight = box.bottom - box.top, margin = Scale(Margin);
    const int width = client.right - 2 * margin;
    MoveWindow(field, margin, margin, width, fieldHeight, TRUE);
    const int top = 2 * margin + fieldHeight;
    MoveWindow(list_, margin, top, width, client.bottom - top - margin, TRUE);
    // The code takes what the other columns leave.
    int others = 0;
    for (int column = MarkColumn; column < CodeColumn; ++column)
        others += ListView_GetColumnWidth(list_, column);
    ListView_SetColumnWidth(
        list_, CodeColumn,
        std::max(Scale(MinCodeWidth), width - others - GetSystemMetrics(SM_CXVSCROLL) - Scale(4)));
    return 0;
}

const PickerRow& Picker::RowAt(int shownIndex) const {
    return rows_[size_t(filter_.Shown()[size_t(shownIndex)])];
}

void Picker::Select(int shownIndex) {
    // Only the row selected before: clearing every row costs a message per
    // row.
    if (selected_ >= 0 && selected_ != shownIndex)
        ListView_SetItemState(list_, selected_, 0, LVIS_SELECTED | LVIS_FOCUSED);
    selected_ = shownIndex;
    if (shownIndex < 0) return;
    ListView_SetItemState(list_, shownIndex, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list_, shownIndex, FALSE);
}

void Picker::Close() {
    if (closing_) return;
    closing_ = true;
    DestroyWindow(Window());
}

void Picker::Choose(int shownIndex, bool byEnter) {
    if (shownIndex < 0 || shownIndex >= int(filter_.Shown().size())) return;
    // Enter is one Go back also where there is no back entry to pick.
    const PickerRow& row = RowAt(shownIndex);
    if (!row.Pickable && !(byEnter && row.Kind == RowKind::Current)) return;
    chosen_ = filter_.Shown()[size_t(shownIndex)];
    // Still in front, so the IDE may be brought there; the step that
    // follows gives its editor the keyboard.
    closing_ = true;
    if (ide_) SetForegroundWindow(ide_);
    DestroyWindow(Window());
}

bool Picker::TakeKey(WPARAM key) {
    if (key == VK_ESCAPE) {
        Close();
        return true;
    }
    const auto page = [this] { return std::max(1, int(ListView_GetCountPerPage(list_)) - 1); };
    int by = 0;
    switch (key) {
    case VK_UP:
        by = -1;
        break;
    case VK_DOWN:
        by = 1;
        break;
    case VK_PRIOR:
        by = -page();
        break;
    case VK_NEXT:
        by = page();
        break;
    case VK_RETURN:
        break;
    default:
        return false;
    }
    // The keys typed before count: the list first keeps what they filter.
    if (filterPending_) ApplyFilter();
    if (key == VK_RETURN) {
        Choose(selected_, true);
    } else {
        Select(MoveSelection(rows_, filter_.Shown(), selected_, by));
        selectionMoved_ = true;
    }
    return true;
}

bool Picker::WorkWhileIdle() {
    if (closing_ || !Window()) return false;
    // Only now that no key waits: a burst of keys is filtered once.
    if (filterPending_) {
        ApplyFilter();
        return true;
    }
    return ReadRows();
}

void Picker::ApplyFilter() {
    filterPending_ = false;
    const HWND field = field_.Window();
    std::wstring text(size_t(GetWindowTextLengthW(field)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(field, &text[0], int(text.size()))));
    filtered_ = !text.empty();
    const bool changed = filter_.Apply(WideToUtf8(text));
    selectionMoved_ = false;
    // A longer filter often keeps the same rows: nothing to draw again.
    if (changed)
        ShowRows(-1);
    else
        Select(filtered_ ? FirstPickable(rows_, filter_.Shown())
                         : InitialSelection(rows_, filter_.Shown()));
}

void Picker::ShowRows(int keepRow) {
    const std::vector<int>& shown = filter_.Shown();
    ListView_SetItemCountEx(list_, int(shown.size()), LVSICF_NOSCROLL);
    int select = -1;
    if (keepRow >= 0) {
        const auto at = std::lower_bound(shown.begin(), shown.end(), keepRow);
        if (at != shown.end() && *at == keepRow) select = int(at - shown.begin());
    } else {
        select = filtered_ ? FirstPickable(rows_, shown) : InitialSelection(rows_, shown);
    }
    Select(select);
    InvalidateRect(list_, nullptr, FALSE);
}

// The first row still to read: of the rows in view (top to bottom, indexes
// into the rows shown), else of all rows; -1 when all are read.
int Picker::NextPending(int top, int bottom) {
    const std::vector<int>& shown = filter_.Shown();
    for (int at = std::max(top, 0); at < std::min(bottom, int(shown.size())); ++at)
        if (RowPending(rows_[size_t(shown[size_t(at)])])) return shown[size_t(at)];
    while (readFrom_ < rows_.size() && !RowPending(rows_[readFrom_]))
        ++readFrom_;
    return readFrom_ < rows_.size() ? int(readFrom_) : -1;
}

bool Picker::ReadRows() {
    const int top = ListView_GetTopIndex(list_);
    const int bottom = top + ListView_GetCountPerPage(list_) + 1;
    const int keepRow = selectionMoved_ && selected_ >= 0 ? filter_.Shown()[size_t(selected_)] : -1;
    const double end = Now() + SliceSeconds;
    bool gained = false, seen = false;
    int row = NextPending(top, bottom);
    if (row < 0) return false;
    for (; row >= 0 && Now() < end; row = NextPending(top, bottom)) {
        const RowTexts texts = read_(rows_[size_t(row)]);
        CompleteRow(rows_[size_t(row)], texts.Arrival, texts.Code);
        gained |= filter_.Recheck(row);
        const std::vector<int>& shown = filter_.Shown();
        const auto at = std::lower_bound(shown.begin(), shown.end(), row) - shown.begin();
        seen |= at >= top && at < bottom;
    }
    // The filter matches the code known so far.
    if (gained)
        ShowRows(keepRow);
    else if (seen)
        InvalidateRect(list_, nullptr, FALSE);
    return true;
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

void Picker::FillCell(NMLVDISPINFOW& info) {
    if (!(info.item.mask & LVIF_TEXT) || info.item.iItem < 0 ||
        info.item.iItem >= int(filter_.Shown().size()))
        return;
    const size_t index = size_t(filter_.Shown()[size_t(info.item.iItem)]);
    if (info.item.iSubItem == FolderColumn) {
        info.item.pszText = &FolderCut(index)[0];
        return;
    }
    text_ = Utf8ToWide(CellText(rows_[index], info.item.iSubItem));
    info.item.pszText = &text_[0];
}

std::wstring& Picker::FolderCut(size_t row) {
    const int width = ListView_GetColumnWidth(list_, FolderColumn) - Scale(CellPadding);
    folders_.resize(rows_.size(), {-1, L""});
    auto& [cutFor, text] = folders_[row];
    if (cutFor != width) {
        cutFor = width;
        text = Utf8ToWide(CutAtStart(rows_[row].Folder, width, [this](std::string_view part) {
            const std::wstring wide = Utf8ToWide(std::string(part));
            SIZE size = {0, 0};
            GetTextExtentPoint32W(measure_.Get(), wide.c_str(), int(wide.size()), &size);
            return int(size.cx);
        }));
    }
    return text;
}

// Rows that cannot be picked are grey, the folder is quieter than the name,
// the current position stands out.
LRESULT Picker::DrawCell(NMLVCUSTOMDRAW& draw) {
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
        if (item < 0 || item >= int(filter_.Shown().size())) return CDRF_DODEFAULT;
        const PickerRow& row = RowAt(item);
        const bool quiet = (!row.Pickable && row.Kind != RowKind::Current) ||
                           draw.iSubItem == FolderColumn || draw.iSubItem == MarkColumn;
        const bool selected = item == selected_;
        draw.nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
        draw.clrTextBk = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
        draw.clrText = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT
                                   : quiet  ? COLOR_GRAYTEXT
                                            : COLOR_WINDOWTEXT);
        SelectObject(draw.nmcd.hdc, row.Kind == RowKind::Current ? boldFont_.Get() : font_.Get());
        return CDRF_NEWFONT;
    }
    }
    return CDRF_DODEFAULT;
}

LRESULT Picker::OnNotify(NMHDR& header) {
    if (header.idFrom != ListId) return 0;
    switch (header.code) {
    case LVN_GETDISPINFOW:
        FillCell(reinterpret_cast<NMLVDISPINFOW&>(header));
        return 0;
    case NM_CUSTOMDRAW:
        return DrawCell(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<NMLISTVIEW&>(header);
        if (change.uNewState & LVIS_SELECTED) selected_ = change.iItem;
        return 0;
    }
    case NM_CLICK:
        selectionMoved_ = true;
        // The keys go on going to the filter.
        SetFocus(field_.Window());
        return 0;
    case NM_DBLCLK:
        Choose(reinterpret_cast<NMITEMACTIVATE&>(header).iItem);
        return 0;
    }
    return 0;
}

LRESULT Picker::OnCommand(WPARAM wParam) {
    // Applied once no key waits (WorkWhileIdle).
    if (LOWORD(wParam) == FilterId && HIWORD(wParam) == EN_CHANGE) filterPending_ = true;
    return 0;
}

LRESULT Picker::OnActivate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        Close(); // a click elsewhere
        return 0;
    }
    SetFocus(field_.Window());
    return 0;
}

LRESULT Picker::OnClose() {
    Close();
    return 0;
}

LRESULT Picker::OnDestroy() {
    PostQuitMessage(0);
    return 0;
}

} // namespace

int ChooseRow(std::vector<PickerRow>& rows, HWND ideWindow, const ReadRow& read) {
    Picker picker(rows, ideWindow && IsWindow(ideWindow) ? ideWindow : nullptr, read);
    return picker.Run();
}
