// Lisarde: "Recent positions", the history as a list to pick from. The IDE
// starts it with "%FILE""%CURSOR"; it lists the forward entries, the
// current position and the back entries with the code at each, and a pick
// goes there as that many presses of Go back or Go forward would, in one
// step: both history files end as after those presses, and the IDE shows
// only the position picked.
#include "common/code_page.h"
#include "history/history_line.h"
#include "history/history_store.h"
#include "history/history_turn.h"
#include "ide/command_line.h"
#include "ide/editor_session.h"
#include "ide/follower_link.h"
#include "ide/ide_access.h"
#include "ide/ide_end.h"
#include "navigator/history_walk.h"
#include "navigator/shared_presses.h"
#include "picker/picker_rows.h"
#include "picker/picker_window.h"
#include "picker/source_texts.h"

#include <memory>

namespace {

std::vector<ListedEntry> ListHistory(IdeConnection& ide, bool back, const HistoryEntry& current,
                                     SourceTexts& sources, ListedFile* file) {
    std::vector<ListedEntry> listed;
    for (MetEntry& met : MeetHistory(
             ide, back, current, MaxListedEntries, MaxListedLines,
             [&sources](const HistoryEntry& entry) { return sources.Arrive(entry); }, file))
        listed.push_back(
            {std::move(met.Entry), met.Showable, std::move(met.Arrival), met.ArrivalKnown});
    return listed;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // In UTF-16, as the IDE gives it: every name whole.
    const std::string commandLine = CommandLineUtf8();
    HistoryEntry current = {CommandLineParameter(commandLine, 0),
                            CommandLineParameter(commandLine, 1)};
    IdeConnection ide = ConnectToIde();
    IdeEndWatch watch(ide);
    SourceTexts sources(ide);
    ListedHistory listed;
    std::vector<ListedEntry> forward, back;
    // The list shows the history the pick will change: a step under way ends
    // first, and the follower writes what the user left before it is read,
    // then lets the pick's moves pass.
    std::unique_ptr<FollowerPause> pause;
    {
        HistoryTurn turn{HistoryStore()};
        // Started while a step moved the IDE: the list starts where that
        // step left it, not where the IDE told it it was.
        HistoryEntry arrival;
        if (SharedPresses(ide.MainWindow).ArrivalBeforeThisStart(&arrival)) {
            ide.Editor = VisibleEditor(ide);
            current = WhereTheIdeIs(ide, arrival);
        }
        pause = std::make_unique<FollowerPause>(ide);
        forward = ListHistory(ide, false, current, sources, &listed.Forward);
        back = ListHistory(ide, true, current, sources, &listed.Back);
    }
    std::vector<PickerRow> rows = ArrangeRows(forward, RowOf(RowKind::Current, current), back);
    // The window shows the rows at once; their code follows from the
    // sources, each read only as far as its rows need.
    const int chosen = ChooseRow(rows, ide.MainWindow, [&sources](const PickerRow& row) {
        const HistoryEntry arrival = row.ArrivalKnown ? row.Arrival : sources.Arrive(row.Entry);
        return RowTexts{arrival, sources.Code(arrival)};
    });
    if (chosen < 0) return 0;
    const PickerRow& row = rows[size_t(chosen)];
    HistoryEntry arrival;
    if (row.Kind == RowKind::Current) {
        Walk(ide, true, current, &arrival);
        return 0;
    }
    WalkPresses(ide, row.Kind == RowKind::Back, current, row.Presses, row.Entry, listed,
                [&sources](const HistoryEntry& entry) { return sources.Arrive(entry); });
    return 0;
}
