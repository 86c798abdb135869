// The plain rules of bringing the IDE to a file: which files the IDE may be
// handed, and the text that hands one to today's IDE.
#pragma once
#include <cstdint>
#include <string>

// How bringing the IDE to a file ended.
enum class ReachResult {
    Reached,
    // The IDE did not show the file in time, or could not be asked to.
    NotReached,
    // Neither open in the IDE nor a source file on disk with content: the
    // IDE is not asked at all.
    CannotShow,
};

// The IDE's own source types (.pb .pbi .pbf .pbp, any letter case): the only
// files handed to the system to open, so that nothing is ever run.
bool IsIdeSourceFile(const std::string& path);

// What today's IDE takes with its open message: its own executable, the
// count of files, the line (0 for none) and the file, LF between them.
std::string OpenMessageText(const std::string& ide, const std::string& path, int32_t line);
