// Brannow: walks the position history. The IDE starts it with
// "%FILE""%CURSOR" "BACK" or ... "FORWARD". BACK takes the newest usable
// entry of the back history, puts the current position on the forward
// history and brings the IDE to the entry's line and column; FORWARD does
// the same the other way round. With nothing to go to, both files stay as
// they were; a step that cannot be completed changes neither file and says
// why in the IDE's log. Presses made while another one's step still runs
// are each a step, in the order pressed (navigator/press_queue.h). A position keeps the fingerprint
// of its line, so a step lands on the remembered code even after lines above it changed.
#include "common/code_page.h"
#include "history/history_line.h"
#include "ide/command_line.h"
#include "ide/ide_access.h"
#include "navigator/history_walk.h"
#include "navigator/shared_presses.h"

namespace {

// The steps of this press and of every press handed over meanwhile, one
// after another, each from where the one before left the IDE.
void TakePresses(IdeConnection& ide, SharedPresses& presses, bool back,
                 const HistoryEntry& current) {
    HistoryEntry at = current, arrival;
    // Pressed while the step of an earlier press moved the IDE, so that the
    // IDE told this one where it was then: it goes on from where that step
    // left the IDE.
    if (presses.ArrivalBeforeThisStart(&arrival)) {
        ide.Editor = VisibleEditor(ide);
        at = WhereTheIdeIs(ide, arrival);
    }
    const auto keep = [&presses](const HistoryEntry& left) { presses.KeepArrival(left); };
    for (Press press = {back, 0};;) {
        const Walked walked = Walk(ide, press.Back, at, &arrival, keep);
        if (walked == Walked::NotThere) LogMessage(ide, LogText::PressNotTaken);
        if (walked == Walked::Moved) at = arrival;
        if (!presses.TakeNext(&press)) return;
        at = WhereTheIdeIs(ide, at);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // In UTF-16, as the IDE gives it: every name whole.
    const std::string commandLine = CommandLineUtf8();
    const HistoryEntry current = {CommandLineParameter(commandLine, 0),
                                  CommandLineParameter(commandLine, 1)};
    const std::string direction = CommandLineParameter(commandLine, 2);
    if (direction != "BACK" && direction != "FORWARD") return 0;
    IdeConnection ide = ConnectToIde();
    IdeEndWatch watch(ide);
    SharedPresses presses(ide.MainWindow);
    switch (presses.Offer(direction == "BACK")) {
    case Offered::HandedOver:
        return 0;
    case Offered::Full:
        LogMessage(ide, LogText::PressNotTaken);
        return 0;
    case Offered::TakeItYourself:
        TakePresses(ide, presses, direction == "BACK", current);
        return 0;
    }
    return 0;
}
