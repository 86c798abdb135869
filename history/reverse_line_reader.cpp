#include "history/reverse_line_reader.h"

#include <algorithm>

namespace {
constexpr size_t BlockSize = 4096;

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}
} // namespace

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
