#include "testing/host_ide/host_text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

const char* FindLf(const std::string& text, size_t from) {
    if (from >= text.size()) return nullptr;
    return static_cast<const char*>(memchr(text.data() + from, '\n', text.size() - from));
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
        const char* lf = FindLf(text, start);
        if (!lf) break;
        start = lf - text.data() + 1;
    }
    return start;
}

long LineOfPosition(const std::string& text, size_t pos) {
    if (pos > text.size()) pos = text.size();
    long line = 0;
    for (const char* lf = FindLf(text, 0); lf && size_t(lf - text.data()) < pos;
         lf = FindLf(text, lf - text.data() + 1))
        line++;
    return line;
}

size_t LineEndOf(const std::string& text, size_t lineStart) {
    const char* lf = FindLf(text, lineStart);
    if (!lf) return text.size();
    size_t end = lf - text.data();
    if (end > lineStart && text[end - 1] == '\r') end--;
    return end;
}

size_t PositionOfLineColumn(const std::string& text, long line, long column) {
    size_t start = LineStartOf(text, line - 1);
    size_t end = LineEndOf(text, start);
    if (column < 1) column = 1;
    size_t pos = start + size_t(column - 1);
    return pos < end ? pos : end;
}

std::string CursorText(const std::string& text, size_t pos) {
    if (pos > text.size()) pos = text.size();
    long line = LineOfPosition(text, pos);
    size_t column = pos - LineStartOf(text, line);
    return std::to_string(line + 1) + "x" + std::to_string(column + 1);
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
                             const std::vector<std::pair<std::string, std::string>>& vars) {
    std::string block;
    for (const char* entry = inherited; entry && *entry; entry += strlen(entry) + 1) {
        // Skip the first character when looking for '=': the hidden per-drive
        // variables of Windows ("=C:=C:\...") begin with one.
        const char* eq = strchr(entry + 1, '=');
        std::string name(entry, eq ? size_t(eq - entry) : strlen(entry));
        bool replaced = false;
        for (const auto& var : vars)
            replaced = replaced || EqualsNoCase(name, var.first);
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
    for (const char* lf = FindLf(text, 0); lf; lf = FindLf(text, lf - text.data() + 1))
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

long PositionRelative(const std::string& text, long pos, long offset) {
    long long moved = (long long)pos + offset;
    return moved < 0 || moved > (long long)text.size() ? 0 : (long)moved;
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

std::string HandOverText(const std::string& path, long line) {
    return std::to_string(line) + "\n" + path;
}

bool ParseHandOverText(const std::string& text, std::string& path, long& line) {
    size_t lf = text.find('\n');
    if (lf == std::string::npos) return false;
    line = strtol(text.c_str(), nullptr, 10);
    path = text.substr(lf + 1);
    return !path.empty();
}
