// The stand-in host's text work, kept free of windows.h: line arithmetic of
// its editors (lines end at LF, CR LF or CR, as Scintilla's do),
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
// The caret as the tools see it: "LINExCOLUMN", both counted from 1; the
// column in bytes, or in UTF-8 characters when utf8 (today's editors).
std::string CursorText(const std::string& text, size_t pos, bool utf8 = false);
// PB_TOOL_Selection: "LxCxLxC", the selection's start before its end, in the
// form of CursorText.
std::string SelectionText(const std::string& text, size_t anchor, size_t caret, bool utf8);
// PB_TOOL_Word: the run of letters, digits, '_' and non-ASCII bytes that
// touches pos; "" when none does.
std::string WordAt(const std::string& text, size_t pos);
// The text with insert put at the start of the 0-based line (clamped as
// LineStartOf), or with count lines from that line on removed (none when
// the line is not in the text).
std::string InsertAtLine(const std::string& text, long line, const std::string& insert);
std::string DeleteLines(const std::string& text, long line, long count);

// Scintilla's answers over 8-bit text, one byte one character; lines and
// positions are signed, as the messages carry them.
// SCI_GETLINECOUNT: an empty text and a text ending in LF have an empty last line.
long LineCount(const std::string& text);
// SCI_POSITIONFROMLINE: a negative line means the caret's line, line count
// gives the text's length, beyond that -1.
long PositionFromLine(const std::string& text, long line, size_t caret);
// SCI_GETLINEENDPOSITION: before the line's CR LF or LF; a negative line gives
// 0, the last line and beyond the text's length.
long LineEndPosition(const std::string& text, long line);
// SCI_POSITIONRELATIVE: pos moved by offset characters (UTF-8 characters when
// utf8); 0 when that lies outside the text.
long PositionRelative(const std::string& text, long pos, long offset, bool utf8 = false);
// SCI_COUNTCHARACTERS: the characters (UTF-8 characters when utf8) from start
// to end, both clamped to the text; 0 when end is not after start.
long CountCharacters(const std::string& text, long start, long end, bool utf8);

// The tool's arguments with %FILE and %CURSOR replaced in one left-to-right
// pass, so a replacement is never expanded again.
std::string ExpandToolArguments(const std::string& arguments, const std::string& file,
                                const std::string& cursor);
// The tool's variables with a test's changes applied in order: "NAME=value"
// sets NAME (appended when missing), a bare "NAME" leaves it out; names
// compared without regard to ASCII case.
void ChangeToolVariables(std::vector<std::pair<std::string, std::string>>& vars,
                         const std::vector<std::string>& changes);
// The paths joined by LF, no LF after the last.
std::string JoinFileList(const std::vector<std::string>& paths);
// An environment block (NUL-terminated "name=value" strings, then a NUL)
// with the given variables set: inherited ones of the same name, or named in
// dropped (names compared without regard to ASCII case), are left out, the
// new ones appended.
std::string BuildEnvironment(const char* inherited,
                             const std::vector<std::pair<std::string, std::string>>& vars,
                             const std::vector<std::string>& dropped = {});
// The key under which a host of today's kind is found by a second start:
// the preferences file's path, letter case ignored, hashed (FNV-1a).
unsigned long long PreferencesKey(const std::string& preferencesPath);

// What a start of today's host was asked to open, from its parameters after
// the program's own: the files, and the number after "/L" (any letter case;
// 0 when none), the line wanted in the last file.
struct StartRequest {
    std::vector<std::string> Files;
    long Line = 0;
};
StartRequest ParseStartRequest(const std::vector<std::string>& params);
// The 'ONCE' text, UTF-8 here: the sender's IDE, the number of files, the
// line, then the files, each ending in LF but the last. Parsing takes at most
// COUNT files; false when the IDE or the count line is missing.
struct OnceRequest {
    std::string Ide;
    std::vector<std::string> Files;
    long Line = 0;
};
std::string OnceText(const OnceRequest& request);
bool ParseOnceText(const std::string& text, OnceRequest& request);

// The host's own command line split into parameters, the program first, the
// way Windows programs usually read theirs (not the tools' rule): blanks
// separate, double quotes group and are removed.
std::vector<std::string> SplitHostCommandLine(const std::string& commandLine);
