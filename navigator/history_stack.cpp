#include "history_stack.h"

#include "file_list.h"

#include <algorithm>

namespace {
constexpr size_t BlockSize = 4096;

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}
} // namespace

bool ParseHistoryEntry(const std::string& line, HistoryEntry* entry) {
    size_t bar = line.find('|');
    if (bar == std::string::npos) return false;
    entry->File = line.substr(0, bar);
    entry->Cursor = line.substr(bar + 1);
    return true;
}

bool ParseCursorLine(const std::string& cursor, int32_t* line) {
    size_t x = cursor.find('x');
    if (x == 0 || x == std::string::npos || x + 1 == cursor.size()) return false;
    auto allDigits = [](const std::string& s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    std::string lineText = cursor.substr(0, x);
    if (!allDigits(lineText) || !allDigits(cursor.substr(x + 1))) return false;
    int64_t value = 0;
    for (char c : lineText) {
        value = value * 10 + (c - '0');
        if (value > INT32_MAX) return false;
    }
    if (value < 1) return false;
    *line = int32_t(value);
    return true;
}

bool SamePosition(const HistoryEntry& a, const HistoryEntry& b) {
    if (UpperCasePath(a.File) != UpperCasePath(b.File)) return false;
    int32_t lineA = 0, lineB = 0;
    if (ParseCursorLine(a.Cursor, &lineA) && ParseCursorLine(b.Cursor, &lineB))
        return lineA == lineB;
    return a.Cursor == b.Cursor;
}

ReverseLineReader::ReverseLineReader(ReadAtFunction readAt, uint64_t size)
    : readAt_(std::move(readAt)), blockStart_(size) {}

// Prepends the block before what has been read; false at the file's start.
bool ReverseLineReader::Fill() {
    if (blockStart_ == 0) return false;
    // Grow the reads with what is held, so a very long line costs linear time.
    size_t want = std::max(BlockSize, block_.size());
    size_t count = size_t(std::min<uint64_t>(want, blockStart_));
    std::string more(count, '\0');
    if (readAt_(blockStart_ - count, &more[0], count) != count) return false;
    blockStart_ -= count;
    block_.insert(0, more);
    return true;
}

bool ReverseLineReader::Previous(std::string* line, uint64_t* start) {
    // Drop the line ends at the tail, reading further back while they run on.
    for (;;) {
        while (!block_.empty() && IsLineEnd(block_.back()))
            block_.pop_back();
        if (!block_.empty()) break;
        if (!Fill()) return false;
    }
    size_t end = block_.size();
    size_t begin;
    for (;;) {
        size_t cut = block_.find_last_of("\r\n", end - 1);
        if (cut != std::string::npos) {
            begin = cut + 1;
            break;
        }
        size_t before = block_.size();
        if (!Fill()) {
            if (blockStart_ != 0) return false; // a read failed
            begin = 0;
            break;
        }
        end += block_.size() - before;
    }
    *line = block_.substr(begin, end - begin);
    *start = blockStart_ + begin;
    block_.resize(begin);
    return true;
}
