// The window of "Recent positions": a filter field over a list of the
// history's rows, opened over the IDE's main window.
#pragma once
#include <windows.h>

#include "picker/picker_rows.h"

#include <functional>
#include <vector>

// The class of the window, by which tests find it.
constexpr char PickerClassName[] = "TolvaneRecentPositions";
constexpr char PickerTitle[] = "Recent positions";

// What a row shows once its file is read: where a step to it lands and the
// code there (CompleteRow).
struct RowTexts {
    HistoryEntry Arrival;
    std::string Code;
};
using ReadRow = std::function<RowTexts(const PickerRow& row)>;

// Shows the rows centred on ideWindow (the screen without one) until a
// pickable row is chosen with Enter or a double click (Enter on the current
// position chooses it too: one Go back), or the window is
// closed: Esc, a click elsewhere, or the IDE's end (its WM_QUIT, see
// ide/ide_end.h). The window shows at once; rows still pending
// (RowPending) are read with read while it is open, a few between the
// messages, the rows in view first. The index of the row chosen, -1 for
// none. Before it returns with a row, the IDE's main window is brought to
// the front.
int ChooseRow(std::vector<PickerRow>& rows, HWND ideWindow, const ReadRow& read);
