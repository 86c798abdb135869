// Feeds arbitrary bytes to the preferences format: reading, writing back and
// a few edits derived from the input must never crash, and what is written
// must read back as the same lines and write again as the same bytes.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "prefs/prefs_format.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

std::string SpanText(const PrefsDocument& doc, PrefsSpan span) {
    return doc.Text.substr(span.Start, span.Length);
}

// A value written with leading blanks loses them when read from the file,
// which is no change to what a read returns.
std::string ValueText(const PrefsDocument& doc, PrefsSpan span) {
    std::string text = SpanText(doc, span);
    return text.substr(std::min(text.find_first_not_of(" \t"), text.size()));
}

bool SameLines(const PrefsDocument& a, const PrefsDocument& b) {
    if (a.Utf8 != b.Utf8 || a.Lines.size() != b.Lines.size()) return false;
    for (size_t i = 0; i < a.Lines.size(); ++i) {
        const PrefsLine& x = a.Lines[i];
        const PrefsLine& y = b.Lines[i];
        if (x.Kind != y.Kind || SpanText(a, x.Name) != SpanText(b, y.Name) ||
            ValueText(a, x.Value) != ValueText(b, y.Value)) {
            return false;
        }
    }
    return true;
}

// The written form line by line, ignoring what Text already holds: the
// oracle for the pieces that writing passes on unchanged.
std::string FormatLineByLine(const PrefsDocument& doc) {
    std::string out = doc.Utf8 ? "\xEF\xBB\xBF\r\n" : "";
    for (const PrefsLine& line : doc.Lines) {
        std::string name = SpanText(doc, line.Name);
        switch (line.Kind) {
        case PrefsLineKind::Header:
            out += "[" + name + "]\r\n";
            break;
        case PrefsLineKind::Comment:
            out += "; " + name + "\r\n";
            break;
        case PrefsLineKind::Key:
            out += name + " = " + SpanText(doc, line.Value) + "\r\n";
            break;
        }
    }
    // The guard line that keeps an 8-bit file from starting with the mark.
    if (!doc.Utf8 && out.compare(0, 3, "\xEF\xBB\xBF") == 0) out = "\r\n" + out;
    return out;
}

// Writes, reads back, and checks that writing what was read gives the same
// bytes. After edits that is so from the second write on, since a value
// written with leading blanks keeps them only until it is read again.
std::string CheckRoundTrip(const PrefsDocument& doc) {
    std::string written = FormatPrefsDocument(doc);
    Check(written == FormatLineByLine(doc));
    Check(written.size() == WrittenPrefsSize(doc));
    PrefsDocument again = ParsePrefsDocument(written);
    Check(SameLines(doc, again));
    std::string rewritten = FormatPrefsDocument(again);
    Check(doc.Changed || rewritten == written);
    Check(FormatPrefsDocument(ParsePrefsDocument(rewritten)) == rewritten);
    return written;
}

// A name from the file as a caller would pass it: 8-bit text that names that
// same line. Text that does not convert back to the same bytes (overlong
// forms, cut sequences) is passed raw and so names a new key or group.
std::string CallerText(const PrefsDocument& doc, PrefsSpan span) {
    std::string text = SpanText(doc, span);
    std::string decoded;
    if (doc.Utf8 && ConvertFromUtf8(text, decoded) && ConvertToUtf8(decoded) == text) {
        return decoded;
    }
    return text;
}

// What ReadDocumentString gives for a value just written.
std::string ExpectedRead(std::string value) {
    for (char& c : value) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    size_t start = value.find_first_not_of(" \t");
    if (start == std::string::npos) return std::string();
    return value.substr(start, value.find_last_not_of(" \t") + 1 - start);
}

struct Edit {
    bool HasGroup;
    std::string Group;
    std::string Key;
    std::string Value;
};

// Up to four edits: keys and groups of the file itself, so that they replace
// and insert, and one new group, so that a pending group gets appended.
std::vector<Edit> PlanEdits(const PrefsDocument& doc, const uint8_t* data, size_t size) {
    std::vector<Edit> edits;
    if (size == 0) return edits;
    size_t step = 1 + data[0] % 7;
    std::string group;
    bool hasGroup = false;
    for (size_t i = 0; i < doc.Lines.size() && edits.size() < 3; ++i) {
        const PrefsLine& line = doc.Lines[i];
        if (line.Kind == PrefsLineKind::Header) {
            group = CallerText(doc, line.Name);
            hasGroup = true;
        } else if (line.Kind == PrefsLineKind::Key && i % step == 0) {
            std::string value(reinterpret_cast<const char*>(data), std::min<size_t>(size, 12));
            edits.push_back({hasGroup, group, CallerText(doc, line.Name), value});
        }
    }
    edits.push_back({true, "Fuzz_" + std::to_string(data[0]), "Key\xE4", "Value \xFF\r\n"});
    return edits;
}

void SelectEdited(PrefsDocument& doc, const Edit& edit) {
    if (edit.HasGroup) {
        SelectDocumentGroup(doc, edit.Group);
    } else {
        doc.SelectedHeader = NoLine; // the top section: no call selects it again
        doc.HasPendingGroup = false;
    }
}

bool SameName(const std::string& a, const std::string& b) {
    auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return fold(x) == fold(y); });
}

bool SameTarget(const Edit& a, const Edit& b) {
    return a.HasGroup == b.HasGroup && SameName(a.Group, b.Group) && SameName(a.Key, b.Key);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    PrefsDocument doc = ParsePrefsDocument(bytes);
    CheckRoundTrip(doc);
    for (const PrefsLine& line : doc.Lines) {
        if (line.Kind != PrefsLineKind::Key) continue;
        std::string key = CallerText(doc, line.Name);
        ReadDocumentString(doc, key, "");
        ReadDocumentLong(doc, key, 0);
    }

    std::vector<Edit> edits = PlanEdits(doc, data, size);
    for (const Edit& edit : edits) {
        SelectEdited(doc, edit);
        WriteDocumentString(doc, edit.Key, edit.Value);
        Check(doc.Changed);
        Check(ReadDocumentString(doc, edit.Key, "\x01") == ExpectedRead(edit.Value));
    }
    std::string written = CheckRoundTrip(doc);
    // The last write of each key is what the written file holds.
    PrefsDocument again = ParsePrefsDocument(written);
    for (size_t i = edits.size(); i-- > 0;) {
        const Edit& edit = edits[i];
        bool overwritten = false;
        for (size_t j = i + 1; j < edits.size(); ++j)
            overwritten |= SameTarget(edits[j], edit);
        if (overwritten) continue;
        SelectEdited(again, edit);
        Check(ReadDocumentString(again, edit.Key, "\x01") == ExpectedRead(edit.Value));
    }
    return 0;
}
