// The plain rules of bringing the IDE to a file: which files the IDE may be
// handed, and how its executable is asked to show one.
#pragma once
#include <cstdint>
#include <string>

// How bringing the IDE to a file ended.
enum class ReachResult {
    Reached,
    // "Run only one instance" is off: handing the IDE a file would start a
    // second IDE, so the file was not switched.
    SecondInstanceRefused,
    // The IDE did not show the file in time, or could not be asked to.
    NotReached,
};

// The IDE's own source types (.pb .pbi .pbf .pbp, any letter case): the only
// files handed to the system to open, so that nothing is ever run.
bool IsIdeSourceFile(const std::string& path);

// The command line of a second start of the IDE that hands it the file:
// "<ide>" "<path>" /L <line>, without /L for a line below 1.
std::string HandOverCommandLine(const std::string& ide, const std::string& path, int32_t line);
