// Walks arbitrary bytes backwards as a history file and checks the result
// against a plain forward split.
#include "history/history_line.h"
#include "history/reverse_line_reader.h"

#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);

    std::vector<std::string> forward;
    std::string current;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!current.empty()) forward.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) forward.push_back(current);

    ReverseLineReader reader(
        [&](uint64_t offset, char* buffer, size_t count) {
            text.copy(buffer, count, size_t(offset));
            return count;
        },
        text.size());
    std::string line;
    uint64_t start;
    size_t index = forward.size();
    while (reader.Previous(&line, &start)) {
        if (index == 0 || line != forward[--index]) abort();
        if (text.compare(size_t(start), line.size(), line) != 0) abort();
        if (start > 0 && text[size_t(start) - 1] != '\r' && text[size_t(start) - 1] != '\n')
            abort();
        HistoryEntry entry;
        if (ParseHistoryEntry(line, &entry) && entry.File + "|" + entry.Cursor != line) abort();
        int32_t cursorLine;
        if (ParseCursorLine(entry.Cursor, &cursorLine) && cursorLine < 1) abort();
        int32_t positionLine, column;
        if (ParseCursorPosition(entry.Cursor, &positionLine, &column) &&
            (positionLine != cursorLine || column < 1))
            abort();
    }
    if (index != 0) abort();
    return 0;
}
