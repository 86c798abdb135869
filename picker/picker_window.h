// The window of "Recent positions": a filter field over a list of the
// history's rows, opened over the IDE's main window.
#pragma once
#include <windows.h>

#include "picker/picker_rows.h"

#include <vector>

// The class of the window, by which tests find it.
constexpr char PickerClassName[] = "TolvaneRecentPositions";
constexpr char PickerTitle[] = "Recent positions";

// Shows the rows centred on ideWindow (the screen without one) until a
// pickable row is chosen with Enter or a double click, or the window is
// closed: Esc, a click elsewhere, or the IDE's end (its WM_QUIT, see
// ide/ide_end.h). The index of the row chosen, -1 for none. Before it
// returns with a row, the IDE's main window is brought to the front. With
// closeWhenFilled the process ends as soon as the list is drawn.
int ChooseRow(const std::vector<PickerRow>& rows, HWND ideWindow, bool closeWhenFilled);
