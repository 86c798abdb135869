// The stand-in host's text work, kept free of windows.h: line arithmetic of
// its editors (lines end at LF; a CR before the LF belongs to the line end),
// the tool argument template, the tool environment and its own command line.
#pragma once
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// Start of the 0-based line, clamped: below 0 is line 0, past the end the last line.
size_t LineStartOf(const std::string& text, long line);
// The 0-based line holding pos (clamped to the text).
long LineOfPosition(const std::string& text, size_t pos);
// The position of the line end (before CR LF or LF) of the line starting at lineStart.
size_t LineEndOf(const std::string& text, size_t lineStart);
// The position of a 1-based line and column; the column is clamped to the line.
size_t PositionOfLineColumn(const std::string& text, long line, long column);
// The caret as the tools see it: "LINExCOLUMN", both counted from 1.
std::string CursorText(const std::string& text, size_t pos);

// The tool's arguments with %FILE and %CURSOR replaced in one left-to-right
// pass, so a replacement is never expanded again.
std::string ExpandToolArguments(const std::string& arguments, const std::string& file,
                                const std::string& cursor);
// The paths joined by LF, no LF after the last.
std::string JoinFileList(const std::vector<std::string>& paths);
// An environment block (NUL-terminated "name=value" strings, then a NUL)
// with the given variables set: inherited ones of the same name (compared
// without regard to ASCII case) are dropped, the new ones appended.
std::string BuildEnvironment(const char* inherited,
                             const std::vector<std::pair<std::string, std::string>>& vars);
// The host's own command line split into parameters, the program first, the
// way Windows programs usually read theirs (not the tools' rule): blanks
// separate, double quotes group and are removed.
std::vector<std::string> SplitHostCommandLine(const std::string& commandLine);
