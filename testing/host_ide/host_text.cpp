#include "testing/host_ide/host_text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

// The last byte of the first line end from `from` on (the LF of CR LF, or
// a lone LF or CR), null when the line there is the text's last.
const char* FindLineEnd(const std::string& text, size_t from) {
    if (from >= text.size()) return nullptr;
    const char* at = text.data() + from;
    const char* lf = static_cast<const char*>(memchr(at, '\n', text.size() - from));
    const size_t before = (lf ? lf : text.data() + text.size()) - at;
    const char* cr = static_cast<const char*>(memchr(at, '\r', before));
    return cr && cr + 1 != lf ? cr : lf;
}

bool IsContinuation(char c) {
    return ((unsigned char)c & 0xC0) == 0x80;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x -= 0x20;
        if (y >= 'a' && y <= 'z') y -= 0x20;
        if (x != y) return false;
    }
    return true;
}

} // namespace

size_t LineStartOf(const std::string& text, long line) {
    size_t start = 0;
    for (long i = 0; i < line; i++) {
        const char* end = FindLineEnd(text, start);
        if (!end) break;
        start = end - text.data() + 1;
    }
    return start;
}

long LineOfPosition(const std::string& text, size_t pos) {
    if (pos > text.size()) pos = text.size();
    long line = 0;
    for (const char* end = FindLineEnd(text, 0); end && size_t(end - text.data()) < pos;
         end = FindLineEnd(text, end - text.data() + 1))
        line++;
    return line;
}

size_t LineEndOf(const std::string& text, size_t lineStart) {
    const char* lineEnd = FindLineEnd(text, lineStart);
    if (!lineEnd) return text.size();
    size_t end = lineEnd - text.data();
    if (text[end] == '\n' && end > lineStart && text[end - 1] == '\r') end--;
    return end;
}

size_t PositionOfLineColumn(const std::string& text, long line, long column) {
    size_t start = LineStartOf(text, line - 1);
    size_t end = LineEndOf(text, start);
    if (column < 1) column = 1;
    size_t pos = start + size_t(column - 1);
    return pos < end ? pos : end;
}

std::string CursorText(const std::string& text, size_t pos, bool utf8) {
    if (pos > text.size()) pos = text.size();
    long line = LineOfPosition(text, pos);
    size_t column = 0;
    for (size_t i = LineStartOf(text, line); i < pos; i++)
        column += !utf8 || !IsContinuation(text[i]);
    return std::to_string(line + 1) + "x" + std::to_string(column + 1);
}

std::string SelectionText(const std::string& text, size_t anchor, size_t caret, bool utf8) {
    return CursorText(text, std::min(anchor, caret), utf8) + "x" +
           CursorText(text, std::max(anchor, caret), utf8);
}

std::string WordAt(const std::string& text, size_t pos) {
    auto isWord = [&](size_t i) {
        unsigned char c = (unsigned char)text[i];
        return isalnum(c) || c == '_' || c >= 0x80;
    };
    size_t start = std::min(pos, text.size()), end = start;
    while (start > 0 && isWord(start - 1))
        start--;
    while (end < text.size() && isWord(end))
        end++;
    return text.substr(start, end - start);
}

std::string InsertAtLine(const std::string& text, long line, const std::string& insert) {
    std::string out = text;
    return out.insert(LineStartOf(text, line), insert);
}

std::string DeleteLines(const std::string& text, long line, long count) {
    if (line < 0 || line >= LineCount(text)) return text;
    size_t start = LineStartOf(text, line);
    size_t end = count <= 0                        ? start
                 : line + count >= LineCount(text) ? text.size()
                                                   : LineStartOf(text, line + count);
    return text.substr(0, start) + text.substr(end);
}

std::string ExpandToolArguments(const std::string& arguments, const std::string& file,
                                const std::string& cursor) {
    static const std::string FileMark = "%FILE", CursorMark = "%CURSOR";
    std::string out;
    for (size_t i = 0; i < arguments.size();) {
        if (arguments.compare(i, FileMark.size(), FileMark) == 0) {
            out += file;
            i += FileMark.size();
        } else if (arguments.compare(i, CursorMark.size(), CursorMark) == 0) {
            out += cursor;
            i += CursorMark.size();
        } else {
            out += arguments[i++];
        }
    }
    return out;
}

void ChangeToolVariables(std::vector<std::pair<std::string, std::string>>& vars,
                         const std::vector<std::string>& changes) {
    for (const std::string& change : changes) {
        size_t eq = change.find('=');
        std::string name = change.substr(0, eq);
        auto same = [&](const std::pair<std::string, std::string>& var) {
            return EqualsNoCase(var.first, name);
        };
        vars.erase(std::remove_if(vars.begin(), vars.end(), same), vars.end());
        if (eq != std::string::npos) vars.push_back({name, change.substr(eq + 1)});
    }
}

std::string JoinFileList(const std::vector<std::string>& paths) {
    std::string list;
    for (size_t i = 0; i < paths.size(); i++) {
        if (i) list += '\n';
        list += paths[i];
    }
    return list;
}

std::string BuildEnvironment(const char* inherited,
                             const std::vector<std::pair<std::string, std::string>>& vars,
                             const std::vector<std::string>& dropped) {
    std::string block;
    for (const char* entry = inherited; entry && *entry; entry += strlen(entry) + 1) {
        // Skip the first character when looking for '=': the hidden per-drive
        // variables of Windows ("=C:=C:\...") begin with one.
        const char* eq = strchr(entry + 1, '=');
        std::string name(entry, eq ? size_t(eq - entry) : strlen(entry));
        bool replaced = false;
        for (const auto& var : vars)
            replaced = replaced || EqualsNoCase(name, var.first);
        for (const std::string& gone : dropped)
            replaced = replaced || EqualsNoCase(name, gone);
        if (!replaced) block.append(entry, strlen(entry) + 1);
    }
    for (const auto& var : vars)
        block += var.first + "=" + var.second + '\0';
    if (block.empty()) block += '\0'; // an empty block is still two NULs
    block += '\0';
    return block;
}

std::vector<std::string> SplitHostCommandLine(const std::string& commandLine) {
    std::vector<std::string> params;
    size_t i = 0, n = commandLine.size();
    for (;;) {
        while (i < n && (commandLine[i] == ' ' || commandLine[i] == '\t'))
            i++;
        if (i >= n) break;
        std::string param;
        bool quoted = false;
        for (; i < n && (quoted || (commandLine[i] != ' ' && commandLine[i] != '\t')); i++) {
            if (commandLine[i] == '"')
                quoted = !quoted;
            else
                param += commandLine[i];
        }
        params.push_back(param);
    }
    return params;
}

long LineCount(const std::string& text) {
    long lines = 1;
    for (const char* end = FindLineEnd(text, 0); end;
         end = FindLineEnd(text, end - text.data() + 1))
        lines++;
    return lines;
}

long PositionFromLine(const std::string& text, long line, size_t caret) {
    if (line < 0) line = LineOfPosition(text, caret);
    long count = LineCount(text);
    if (line > count) return -1;
    if (line == count) return (long)text.size();
    return (long)LineStartOf(text, line);
}

long LineEndPosition(const std::string& text, long line) {
    if (line < 0) return 0;
    if (line >= LineCount(text) - 1) return (long)text.size();
    return (long)LineEndOf(text, LineStartOf(text, line));
}

long PositionRelative(const std::string& text, long pos, long offset, bool utf8) {
    long long moved = (long long)pos + offset;
    if (!utf8 || pos < 0 || pos > (long)text.size())
        return moved < 0 || moved > (long long)text.size() ? 0 : (long)moved;
    long long at = pos;
    for (long step = offset > 0 ? 1 : -1; offset != 0 && at >= 0; offset -= step) {
        do
            at += step;
        while (at > 0 && at < (long long)text.size() && IsContinuation(text[at]));
        if (at > (long long)text.size()) return 0;
    }
    return at < 0 ? 0 : (long)at;
}

long CountCharacters(const std::string& text, long start, long end, bool utf8) {
    size_t from = (size_t)std::clamp<long>(start, 0, (long)text.size());
    size_t to = (size_t)std::clamp<long>(end, 0, (long)text.size());
    long count = 0;
    for (size_t i = from; i < to; i++)
        count += !utf8 || !IsContinuation(text[i]);
    return count;
}

unsigned long long PreferencesKey(const std::string& preferencesPath) {
    unsigned long long hash = 14695981039346656037ull;
    for (char c : preferencesPath) {
        if (c >= 'a' && c <= 'z') c -= 0x20;
        hash = (hash ^ (unsigned char)c) * 1099511628211ull;
    }
    return hash;
}

StartRequest ParseStartRequest(const std::vector<std::string>& params) {
    StartRequest request;
    for (size_t i = 1; i < params.size(); i++) {
        if ((params[i] == "/L" || params[i] == "/l") && i + 1 < params.size())
            request.Line = strtol(params[++i].c_str(), nullptr, 10);
        else
            request.Files.push_back(params[i]);
    }
    return request;
}

std::string OnceText(const OnceRequest& request) {
    std::string text = request.Ide + "\n" + std::to_string(request.Files.size()) + "\n" +
                       std::to_string(request.Line);
    for (const std::string& file : request.Files)
        text += "\n" + file;
    return text;
}

bool ParseOnceText(const std::string& text, OnceRequest& request) {
    std::vector<std::string> fields;
    for (size_t start = 0;;) {
        size_t lf = text.find('\n', start);
        fields.push_back(text.substr(start, lf - start));
        if (lf == std::string::npos) break;
        start = lf + 1;
    }
    if (fields.size() < 2) return false;
    request.Ide = fields[0];
    long count = strtol(fields[1].c_str(), nullptr, 10);
    request.Line = fields.size() > 2 ? strtol(fields[2].c_str(), nullptr, 10) : 0;
    request.Files.clear();
    for (size_t i = 3; i < fields.size() && (long)(i - 3) < count; i++)
        request.Files.push_back(fields[i]);
    return true;
}
