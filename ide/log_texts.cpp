#include "ide/log_texts.h"

namespace {

constexpr const char* Texts[] = {
    "Historyfile not found",
    "Position not remembered: there is no file to remember",
    "Position not remembered: the file name cannot be kept in the history",
    "Forward history kept: history file could not be emptied",
    "Position not recorded: history file could not be written",
    "Positions not recorded: the IDE reported more moves than the follower could keep",
    "Positions not recorded: more were waiting for the history file than the follower could keep",
    "History not changed: position could not be saved",
    "History not changed: the IDE did not show the file",
    "History entry kept: history file could not be cut",
    "History entries of files that are gone dropped: go back again to go on",
    "History not changed: history file could not be opened",
    "History not changed: the history changed meanwhile",
    "History not changed: a press came while the IDE moved and could not be taken",
    "History not cleared: %1 could not be emptied",
};
static_assert(sizeof Texts / sizeof Texts[0] == size_t(LogText::Count), "one text per line");

} // namespace

std::string LogLine(LogText text, const std::string& detail) {
    std::string line = Texts[size_t(text)];
    const size_t mark = line.find("%1");
    if (mark != std::string::npos) line.replace(mark, 2, detail);
    return line;
}
