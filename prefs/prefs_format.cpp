#include "prefs/prefs_format.h"

#include <cstring>

const PrefsConversion Latin1Conversion = {ConvertToUtf8, ConvertFromUtf8};

namespace {

const char Utf8Mark[] = "\xEF\xBB\xBF";
// Unchanged runs of at least this size go out without copying; everything
// else is gathered into pieces of about this size.
const size_t PieceSize = 64 * 1024;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}
char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualNoCase(const char* a, const char* b, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

bool NamesEqual(const std::string& text, PrefsSpan span, const std::string& name) {
    return span.Length == name.size() &&
           EqualNoCase(text.data() + span.Start, name.data(), name.size());
}

// The first CR or LF at or after pos, or size. Looks at eight bytes at a
// time: opening a large file is mostly this scan.
size_t FindLineEnd(const char* text, size_t pos, size_t size) {
    const uint64_t ones = 0x0101010101010101u, highs = 0x8080808080808080u;
    const uint64_t crs = ones * '\r', lfs = ones * '\n';
    for (; pos + 8 <= size; pos += 8) {
        uint64_t word;
        std::memcpy(&word, text + pos, 8);
        uint64_t cr = word ^ crs, lf = word ^ lfs;
        // Marks the bytes that are zero; a false mark can only appear above a
        // true one, so the lowest mark is exact.
        uint64_t found = ((cr - ones) & ~cr & highs) | ((lf - ones) & ~lf & highs);
        if (found) {
            uint8_t bytes[8];
            std::memcpy(bytes, &found, 8); // byte order of the machine
            for (size_t i = 0; i < 8; ++i) {
                if (bytes[i]) return pos + i;
            }
        }
    }
    while (pos < size && !IsLineEnd(text[pos]))
        ++pos;
    return pos;
}

PrefsSpan SpanOf(size_t start, size_t end) {
    return {static_cast<uint32_t>(start), static_cast<uint32_t>(end - start)};
}

// The first c in the line at pos, or its end. A plain loop: the runs are
// short, and a library call per line would cost more than the search.
size_t FindInLine(const std::string& text, size_t pos, char c) {
    while (pos < text.size() && text[pos] != c && !IsLineEnd(text[pos]))
        ++pos;
    return pos;
}

// The line whose first non-blank character is at start; end is set to where
// it ends. Each byte is looked at once: this is most of opening a file.
PrefsLine ParseLine(const std::string& text, size_t start, size_t& end) {
    PrefsLine line;
    bool shapeWritten = false; // the line is laid out as writing would lay it out
    if (text[start] == ';') {
        end = FindLineEnd(text.data(), start + 1, text.size());
        size_t comment = start + 1;
        if (comment < end && text[comment] == ' ') ++comment;
        line.Kind = PrefsLineKind::Comment;
        line.Name = SpanOf(comment, end);
        shapeWritten = comment == start + 2;
    } else if (text[start] == '[') {
        size_t name = start + 1;
        size_t close = FindInLine(text, name, ']');
        end = close < text.size() && text[close] == ']'
                  ? FindLineEnd(text.data(), close + 1, text.size())
                  : close;
        line.Kind = PrefsLineKind::Header;
        line.Name = SpanOf(name, close);
        shapeWritten = close + 1 == end;
    } else {
        size_t equals = FindInLine(text, start, '=');
        bool hasEquals = equals < text.size() && text[equals] == '=';
        end = hasEquals ? FindLineEnd(text.data(), equals + 1, text.size()) : equals;
        size_t keyEnd = equals;
        while (keyEnd > start && IsBlank(text[keyEnd - 1]))
            --keyEnd;
        size_t value = hasEquals ? equals + 1 : end;
        while (value < end && IsBlank(text[value]))
            ++value;
        line.Kind = PrefsLineKind::Key;
        line.Name = SpanOf(start, keyEnd);
        line.Value = SpanOf(value, end);
        shapeWritten = value == keyEnd + 3 && text[keyEnd] == ' ' && text[keyEnd + 1] == '=' &&
                       text[keyEnd + 2] == ' ';
    }
    line.Written =
        shapeWritten && end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n';
    return line;
}

// Text from a caller in the form the file holds: UTF-8 when the file is, and
// never a line break, which would split the line it goes into and change the
// meaning of the lines after it.
std::string ToFileText(const PrefsDocument& doc, const std::string& text) {
    std::string result = doc.Utf8 ? doc.Conversion.ToUtf8(text) : text;
    for (char& c : result) {
        if (IsLineEnd(c)) c = ' ';
    }
    return result;
}

// The length of text less a last UTF-8 sequence that its end cuts short,
// which ends a value read rather than spoiling it, whatever the conversion.
size_t WholeUtf8Length(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t follow = lead >= 0xC0 && lead < 0xE0   ? 1
                        : lead >= 0xE0 && lead < 0xF0 ? 2
                        : lead >= 0xF0 && lead < 0xF8 ? 3
                                                      : 0;
        for (size_t k = 1; k <= follow; ++k) {
            if (i + k >= text.size()) return i;
            // Broken: left whole for the conversion to refuse.
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return text.size();
        }
        i += follow + 1;
    }
    return text.size();
}

PrefsSpan AppendText(PrefsDocument& doc, const std::string& text) {
    PrefsSpan span = SpanOf(doc.Text.size(), doc.Text.size() + text.size());
    doc.Text += text;
    return span;
}

struct SectionScan {
    size_t Key = NoLine; // the first key line of that name
    size_t End = 0;      // the next header, or the end of the line list
};

// Walks the current section (never called while a group is pending).
SectionScan ScanSection(const PrefsDocument& doc, const std::string& fileKey, bool stopAtKey) {
    SectionScan scan;
    size_t i = doc.SelectedHeader == NoLine ? 0 : doc.SelectedHeader + 1;
    for (; i < doc.Lines.size(); ++i) {
        const PrefsLine& line = doc.Lines[i];
        if (line.Kind == PrefsLineKind::Header) break;
        if (scan.Key == NoLine && line.Kind == PrefsLineKind::Key &&
            NamesEqual(doc.Text, line.Name, fileKey)) {
            scan.Key = i;
            if (stopAtKey) break;
        }
    }
    scan.End = i;
    return scan;
}

// What a line's written form puts before its Name, and its whole length.
size_t PrefixLength(const PrefsLine& line) {
    return line.Kind == PrefsLineKind::Header ? 1 : line.Kind == PrefsLineKind::Comment ? 2 : 0;
}
size_t LineStart(const PrefsLine& line) {
    return size_t{line.Name.Start} - PrefixLength(line);
}
size_t WrittenLength(const PrefsLine& line) {
    return size_t{line.Name.Length} + line.Value.Length + (line.Kind == PrefsLineKind::Key ? 5 : 4);
}

// An 8-bit file whose first key begins with the bytes of the mark would turn
// into a UTF-8 file when read again; an empty first line keeps it 8-bit.
bool NeedsGuardLine(const PrefsDocument& doc) {
    if (doc.Utf8 || doc.Lines.empty()) return false;
    const PrefsLine& first = doc.Lines.front();
    return first.Kind == PrefsLineKind::Key && first.Name.Length >= 3 &&
           doc.Text.compare(first.Name.Start, 3, Utf8Mark) == 0;
}

} // namespace

PrefsDocument ParsePrefsDocument(std::string bytes, const PrefsConversion& conversion) {
    PrefsDocument doc;
    doc.Conversion = conversion;
    doc.Text = std::move(bytes);
    if (doc.Text.size() > MaxPrefsText) doc.Text.resize(MaxPrefsText);
    const std::string& text = doc.Text;
    size_t pos = 0;
    // The mark stays in Text, unused: cutting it off would copy the whole file.
    if (text.size() >= 3 && text.compare(0, 3, Utf8Mark) == 0) {
        doc.Utf8 = true;
        pos = 3;
    }
    const size_t size = text.size();
    // Room for lines of 32 bytes on average, typical of these files: growing
    // the list of a large file step by step would copy it many times over.
    doc.Lines.reserve(size / 32 + 1);
    while (pos < size) {
        // Line ends, blank lines and indentation all fall away here.
        if (IsLineEnd(text[pos]) || IsBlank(text[pos])) {
            ++pos;
            continue;
        }
        size_t end = pos;
        doc.Lines.push_back(ParseLine(text, pos, end));
        pos = end;
    }
    return doc;
}

size_t WrittenPrefsSize(const PrefsDocument& doc) {
    size_t size = doc.Utf8 ? 5 : NeedsGuardLine(doc) ? 2 : 0;
    for (const PrefsLine& line : doc.Lines)
        size += WrittenLength(line);
    return size;
}

void WritePrefsDocument(const PrefsDocument& doc, const PrefsWriter& write) {
    const char* text = doc.Text.data();
    std::string buffer;
    buffer.reserve(PieceSize);
    auto flushBuffer = [&] {
        if (!buffer.empty()) write(buffer.data(), buffer.size());
        buffer.clear();
    };
    auto flushIfFull = [&] {
        if (buffer.size() >= PieceSize) flushBuffer();
    };
    // A run of lines that Text holds one after another in written form.
    size_t runStart = 0, runEnd = 0;
    auto flushRun = [&] {
        if (runEnd - runStart >= PieceSize) {
            flushBuffer();
            write(text + runStart, runEnd - runStart);
        } else {
            buffer.append(text + runStart, runEnd - runStart);
            flushIfFull();
        }
        runStart = runEnd = 0;
    };

    if (doc.Utf8) buffer += Utf8Mark;
    if (doc.Utf8 || NeedsGuardLine(doc)) buffer += "\r\n";
    for (const PrefsLine& line : doc.Lines) {
        if (line.Written) {
            size_t start = LineStart(line);
            if (start != runEnd) {
                flushRun();
                runStart = runEnd = start;
            }
            runEnd += WrittenLength(line);
            continue;
        }
        flushRun();
        switch (line.Kind) {
        case PrefsLineKind::Header:
            buffer += '[';
            buffer.append(text + line.Name.Start, line.Name.Length);
            buffer += "]\r\n";
            break;
        case PrefsLineKind::Comment:
            buffer += "; ";
            buffer.append(text + line.Name.Start, line.Name.Length);
            buffer += "\r\n";
            break;
        case PrefsLineKind::Key:
            buffer.append(text + line.Name.Start, line.Name.Length);
            buffer += " = ";
            buffer.append(text + line.Value.Start, line.Value.Length);
            buffer += "\r\n";
            break;
        }
        flushIfFull();
    }
    flushRun();
    flushBuffer();
}

std::string FormatPrefsDocument(const PrefsDocument& doc) {
    std::string out;
    out.reserve(WrittenPrefsSize(doc));
    WritePrefsDocument(doc,
                       [&out](const char* bytes, size_t length) { out.append(bytes, length); });
    return out;
}

bool SelectDocumentGroup(PrefsDocument& doc, const std::string& name) {
    std::string fileName = ToFileText(doc, name);
    doc.HasPendingGroup = false;
    doc.PendingGroup.clear();
    for (size_t i = 0; i < doc.Lines.size(); ++i) {
        const PrefsLine& line = doc.Lines[i];
        if (line.Kind == PrefsLineKind::Header && NamesEqual(doc.Text, line.Name, fileName)) {
            doc.SelectedHeader = i;
            return true;
        }
    }
    doc.SelectedHeader = NoLine;
    doc.HasPendingGroup = true;
    doc.PendingGroup = std::move(fileName);
    return false;
}

size_t FindDocumentKey(const PrefsDocument& doc, const std::string& key) {
    if (doc.HasPendingGroup) return NoLine;
    return ScanSection(doc, ToFileText(doc, key), true).Key;
}

std::string ReadDocumentString(const PrefsDocument& doc, const std::string& key,
                               const std::string& defaultValue) {
    size_t index = FindDocumentKey(doc, key);
    if (index == NoLine) return defaultValue;
    PrefsSpan span = doc.Lines[index].Value;
    size_t start = span.Start, end = size_t{span.Start} + span.Length;
    while (start < end && IsBlank(doc.Text[start]))
        ++start;
    std::string value = doc.Text.substr(start, end - start);
    if (doc.Utf8) {
        std::string decoded;
        // An undecodable value reads as empty, not as the default: the key
        // exists, and the caller must not mistake it for a missing one.
        value.resize(WholeUtf8Length(value));
        if (!doc.Conversion.FromUtf8(value, decoded)) return std::string();
        value = std::move(decoded);
    }
    size_t kept = value.size();
    while (kept > 0 && IsBlank(value[kept - 1]))
        --kept;
    value.resize(kept);
    return value;
}

int32_t ReadDocumentLong(const PrefsDocument& doc, const std::string& key, int32_t defaultValue) {
    size_t index = FindDocumentKey(doc, key);
    if (index == NoLine) return defaultValue;
    PrefsSpan span = doc.Lines[index].Value;
    return ParseDecimalLong(doc.Text.data() + span.Start, span.Length);
}

void WriteDocumentString(PrefsDocument& doc, const std::string& key, const std::string& value) {
    std::string fileKey = ToFileText(doc, key);
    std::string fileValue = ToFileText(doc, value);
    size_t added = fileKey.size() + fileValue.size() + doc.PendingGroup.size();
    if (added > MaxPrefsText - doc.Text.size()) return;
    if (doc.HasPendingGroup) {
        PrefsLine header;
        header.Kind = PrefsLineKind::Header;
        header.Name = AppendText(doc, doc.PendingGroup);
        doc.Lines.push_back(header);
        doc.SelectedHeader = doc.Lines.size() - 1;
        doc.HasPendingGroup = false;
        doc.PendingGroup.clear();
    }
    SectionScan scan = ScanSection(doc, fileKey, false);
    PrefsLine line;
    line.Kind = PrefsLineKind::Key;
    line.Name = AppendText(doc, fileKey);
    line.Value = AppendText(doc, fileValue);
    if (scan.Key != NoLine) {
        doc.Lines[scan.Key] = line;
    } else {
        doc.Lines.insert(doc.Lines.begin() + static_cast<std::ptrdiff_t>(scan.End), line);
    }
    doc.Changed = true;
}

void WriteDocumentLong(PrefsDocument& doc, const std::string& key, int32_t value) {
    WriteDocumentString(doc, key, std::to_string(value));
}

std::string ConvertToUtf8(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            result += c;
        } else {
            result += static_cast<char>(0xC0 | (b >> 6));
            result += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return result;
}

bool ConvertFromUtf8(const std::string& text, std::string& result) {
    result.clear();
    result.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t follow;
        uint32_t codePoint;
        if (lead < 0x80) {
            follow = 0;
            codePoint = lead;
        } else if (lead < 0xC0) {
            return false; // a continuation byte where a character should start
        } else if (lead < 0xE0) {
            follow = 1;
            codePoint = lead & 0x1Fu;
        } else if (lead < 0xF0) {
            follow = 2;
            codePoint = lead & 0x0Fu;
        } else if (lead < 0xF8) {
            follow = 3;
            codePoint = lead & 0x07u;
        } else {
            return false;
        }
        for (size_t k = 1; k <= follow; ++k) {
            if (i + k >= text.size()) return true; // cut short: the value ends before it
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        if (codePoint > 0xFF) return false;
        result += static_cast<char>(codePoint);
        i += follow + 1;
    }
    return true;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && EqualNoCase(a.data(), b.data(), a.size());
}

int32_t ParseDecimalLong(const char* text, size_t length) {
    size_t i = 0;
    while (i < length &&
           (IsBlank(text[i]) || IsLineEnd(text[i]) || text[i] == '\v' || text[i] == '\f')) {
        ++i;
    }
    bool negative = false;
    if (i < length && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    // Digits beyond 32 bits wrap: the number is taken modulo 2^32 and then
    // negated for "-", as a 32-bit register would hold it. So
    // 4294967297 reads as 1 and 99999999999999999999 as 1661992959.
    uint32_t magnitude = 0;
    for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10u + static_cast<uint32_t>(text[i] - '0');
    }
    if (negative) magnitude = 0u - magnitude;
    return static_cast<int32_t>(magnitude);
}

// --- Removing and renaming lines ---------------------------------------------

std::vector<size_t> DocumentGroupHeaders(const PrefsDocument& doc) {
    std::vector<size_t> headers;
    for (size_t i = 0; i < doc.Lines.size(); ++i)
        if (doc.Lines[i].Kind == PrefsLineKind::Header) headers.push_back(i);
    return headers;
}

size_t DocumentSectionEnd(const PrefsDocument& doc, size_t header) {
    size_t i = header == NoLine ? 0 : header + 1;
    while (i < doc.Lines.size() && doc.Lines[i].Kind != PrefsLineKind::Header)
        ++i;
    return i;
}

std::string DocumentLineName(const PrefsDocument& doc, size_t line) {
    PrefsSpan span = doc.Lines[line].Name;
    return doc.Text.substr(span.Start, span.Length);
}

std::string DocumentLineValue(const PrefsDocument& doc, size_t line) {
    // A scratch document holding only this line lets the read rules apply as they are.
    PrefsDocument one;
    one.Utf8 = doc.Utf8;
    PrefsSpan span = doc.Lines[line].Value;
    one.Text = doc.Text.substr(span.Start, span.Length);
    PrefsLine key;
    key.Value = SpanOf(0, one.Text.size());
    one.Lines.push_back(key);
    return ReadDocumentString(one, "", "");
}

void RemoveDocumentLines(PrefsDocument& doc, size_t first, size_t count) {
    if (first >= doc.Lines.size() || count == 0) return;
    if (count > doc.Lines.size() - first) count = doc.Lines.size() - first;
    auto begin = doc.Lines.begin() + static_cast<std::ptrdiff_t>(first);
    doc.Lines.erase(begin, begin + static_cast<std::ptrdiff_t>(count));
    if (doc.SelectedHeader != NoLine && doc.SelectedHeader >= first) {
        doc.SelectedHeader =
            doc.SelectedHeader < first + count ? NoLine : doc.SelectedHeader - count;
    }
    doc.Changed = true;
}

void RemoveDocumentLineSet(PrefsDocument& doc, const std::vector<size_t>& lines) {
    std::vector<bool> gone(doc.Lines.size(), false);
    for (size_t line : lines)
        if (line < gone.size()) gone[line] = true;
    size_t kept = 0, selected = NoLine;
    for (size_t i = 0; i < doc.Lines.size(); ++i) {
        if (gone[i]) continue;
        if (i == doc.SelectedHeader) selected = kept;
        doc.Lines[kept++] = doc.Lines[i];
    }
    if (kept == doc.Lines.size()) return;
    doc.Lines.resize(kept);
    doc.SelectedHeader = selected;
    doc.Changed = true;
}

void RemoveDocumentGroup(PrefsDocument& doc, size_t header) {
    if (header >= doc.Lines.size() || doc.Lines[header].Kind != PrefsLineKind::Header) return;
    RemoveDocumentLines(doc, header, DocumentSectionEnd(doc, header) - header);
}

bool RemoveDocumentKey(PrefsDocument& doc, const std::string& key) {
    size_t line = FindDocumentKey(doc, key);
    if (line == NoLine) return false;
    RemoveDocumentLines(doc, line, 1);
    return true;
}

void RenameDocumentLine(PrefsDocument& doc, size_t line, const std::string& name) {
    std::string fileName = ToFileText(doc, name);
    if (line >= doc.Lines.size() || fileName.size() > MaxPrefsText - doc.Text.size()) return;
    doc.Lines[line].Name = AppendText(doc, fileName);
    doc.Lines[line].Written = false;
    doc.Changed = true;
}
