// The IDE's preference file format, as plain functions over bytes: no file
// handles here, so the same code runs in the tools and in native tests.
//
// A preference file is a list of lines:
//
//   ; a comment                  whole-line comment, ";" plus one optional space
//   TopKey = 1                   keys before the first header: the top section
//   [ToolsInfo]                  a group header; text after "]" is ignored
//   ToolCount = 5                key, "=", value
//
// Reading:
// - A file that starts with EF BB BF is UTF-8; the mark is not text.
// - Any run of CR and LF ends a line, so empty lines vanish. Leading spaces
//   and tabs of a line are dropped; blank lines vanish too.
// - ";" starts a comment (one space after it dropped). "[" starts a header
//   whose name runs to the first "]" or the end of the line, untrimmed.
//   Anything else is a key line: key up to the first "=" less trailing
//   blanks, value after it less leading blanks. No "=" means an empty value.
//   There is no quoting, escaping, line continuation or trailing comment.
//
// Writing (only when something was changed): the mark plus CR LF for UTF-8,
// then every line as "[name]", "; text" or "key = value", each with CR LF.
// An 8-bit file whose first key starts with the mark's bytes gets an empty
// first line, so that it is not read as UTF-8 next time.
//
// Group names and keys compare equal byte for byte, ASCII letters ignoring
// case. In a UTF-8 file names, keys and values given by callers are 8-bit
// text converted to UTF-8 by the document's conversion (the system's code
// page in the tools, Latin-1 by default); string values read are converted
// back. CR and LF in text given by callers become spaces: a line break would
// split the line and let a value forge headers and keys.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class PrefsLineKind : uint8_t { Header, Comment, Key };

// A run of bytes in PrefsDocument::Text. Offsets of 32 bits keep the line
// list of a large file small; Text therefore holds at most MaxPrefsText bytes.
struct PrefsSpan {
    uint32_t Start = 0;
    uint32_t Length = 0;
};
constexpr size_t MaxPrefsText = UINT32_MAX;

// Name holds the header's name, the comment's text or the key; Value holds a
// key line's value. Written: Text holds the line, CR LF included, exactly as
// it is written back, so writing back can pass those bytes on unchanged.
struct PrefsLine {
    PrefsLineKind Kind = PrefsLineKind::Key;
    bool Written = false;
    PrefsSpan Name;
    PrefsSpan Value;
};

constexpr size_t NoLine = static_cast<size_t>(-1);

// Between callers' 8-bit text and a UTF-8 file's text. FromUtf8 is false for
// text that has no 8-bit form; such a value reads as "".
struct PrefsConversion {
    std::string (*ToUtf8)(const std::string& text);
    bool (*FromUtf8)(const std::string& text, std::string& result);
};
// Each byte as the code point of its value: ConvertToUtf8, ConvertFromUtf8.
extern const PrefsConversion Latin1Conversion;

// An open file's content. Lines point into Text, which holds the file's bytes
// as read (a mark included, unused); edits append their text to it, so the
// file is never split into one string per line.
struct PrefsDocument {
    std::string Text;
    bool Utf8 = false;
    std::vector<PrefsLine> Lines;
    size_t SelectedHeader = NoLine; // NoLine: the top section
    bool HasPendingGroup = false;
    std::string PendingGroup; // in the file's encoding
    bool Changed = false;
    PrefsConversion Conversion = Latin1Conversion;
};

// The whole file as read, mark included. Bytes past MaxPrefsText are cut
// off: callers refuse files that large (no IDE writes one).
PrefsDocument ParsePrefsDocument(std::string bytes,
                                 const PrefsConversion& conversion = Latin1Conversion);
// The file as written back: normalised lines, each ending in CR LF. Written
// hands it to write in order, in pieces; long runs of lines that the file
// already held in written form come straight from Text, without copying.
using PrefsWriter = std::function<void(const char* bytes, size_t length)>;
void WritePrefsDocument(const PrefsDocument& doc, const PrefsWriter& write);
size_t WrittenPrefsSize(const PrefsDocument& doc);
std::string FormatPrefsDocument(const PrefsDocument& doc);

// True when a header of that name exists (the first one is selected), false when
// not (the name is then pending).
bool SelectDocumentGroup(PrefsDocument& doc, const std::string& name);
// The index of the key line in the current section, or NoLine.
size_t FindDocumentKey(const PrefsDocument& doc, const std::string& key);

std::string ReadDocumentString(const PrefsDocument& doc, const std::string& key,
                               const std::string& defaultValue);
int32_t ReadDocumentLong(const PrefsDocument& doc, const std::string& key, int32_t defaultValue);
// Dropped when Text would grow past MaxPrefsText.
void WriteDocumentString(PrefsDocument& doc, const std::string& key, const std::string& value);
void WriteDocumentLong(PrefsDocument& doc, const std::string& key, int32_t value);

// 8-bit text into UTF-8, each byte taken as the code point of its value.
std::string ConvertToUtf8(const std::string& text);
// UTF-8 back to 8-bit text. False on a code point above U+00FF, a stray
// continuation byte, a lead byte F8..FF or a broken sequence; a sequence cut
// off by the end of the text just ends the result.
bool ConvertFromUtf8(const std::string& text, std::string& result);
// The leading decimal number of text ("12abc" gives 12, "abc" gives 0),
// after white space and one optional sign. Beyond 32 bits it wraps.
int32_t ParseDecimalLong(const char* text, size_t length);
// Letters A to Z equal in either case, as the IDE compares group and key
// names; other bytes only to themselves.
bool EqualNoCase(const std::string& a, const std::string& b);

// --- Removing and renaming lines ---------------------------------------------
// Whole-file edits by line index. Removing lines keeps the selection on the
// same header (none when that header goes) and sets the changed flag, as
// renaming does.

// The index of every group header, in file order.
std::vector<size_t> DocumentGroupHeaders(const PrefsDocument& doc);
// The index after the last line of the section that header opens (NoLine:
// the top section): the next header or the end of the line list.
size_t DocumentSectionEnd(const PrefsDocument& doc, size_t header);
// A header's name or a key line's key, as the file holds it.
std::string DocumentLineName(const PrefsDocument& doc, size_t line);
// A key line's value as ReadDocumentString gives it.
std::string DocumentLineValue(const PrefsDocument& doc, size_t line);
// Removes count lines from first on.
void RemoveDocumentLines(PrefsDocument& doc, size_t first, size_t count);
// Removes the lines at these indices, in one pass however many they are.
void RemoveDocumentLineSet(PrefsDocument& doc, const std::vector<size_t>& lines);
// Removes the header and its section, comments included.
void RemoveDocumentGroup(PrefsDocument& doc, size_t header);
// Removes the first key line of that name in the current section; false
// when there is none.
bool RemoveDocumentKey(PrefsDocument& doc, const std::string& key);
// Gives a header a new group name, or a key line a new key; the line keeps
// its place (and a key line its value).
void RenameDocumentLine(PrefsDocument& doc, size_t line, const std::string& name);
