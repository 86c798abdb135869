// Every line the tools write into the IDE's log, in one table, so that a
// tool that says the same thing as another says it in the same words. The
// words are the tools' own (English, whatever the installer's language).
#pragma once
#include <string>

enum class LogText {
    // Recording a position: Remember and the follower.
    HistoryFileNotFound,
    NoFileToRemember,
    NameNotStorable,
    ForwardKept,
    NotRecorded,
    // The follower's bounded queues.
    ReportsDropped,
    PositionsDropped,
    // A step of Go back, Go forward or Recent positions.
    StepNotSaved,
    StepNotReached,
    StepNotCut,
    StepGaveUp,
    StepFilesBusy,
    HistoryChanged,
    // A press of Go back or Go forward the navigator could not take.
    PressNotTaken,
    // The clearer; %1 the file.
    NotCleared,
    Count
};

// The line's words, %1 replaced by detail.
std::string LogLine(LogText text, const std::string& detail = "");
