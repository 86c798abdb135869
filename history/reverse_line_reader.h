// A history file is a stack whose newest entry is its last line. Taking an
// entry reads the file backwards from its end, so its cost does not grow with
// the length of the history.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

// Reads count bytes at offset into buffer; returns the number read.
using ReadAtFunction = std::function<size_t(uint64_t offset, char* buffer, size_t count)>;

// Walks the lines of a file of the given size from the last to the first.
// Line ends (CR, LF) are not part of a line, and empty lines are passed over.
class ReverseLineReader {
  public:
    ReverseLineReader(ReadAtFunction readAt, uint64_t size);
    // The next line towards the start, and the offset where it begins (the
    // file cut there loses this line and all after it). False at the start of
    // the file or when a read fails.
    bool Previous(std::string* line, uint64_t* start);

  private:
    bool Fill();

    ReadAtFunction readAt_;
    uint64_t blockStart_; // file offset of block_[0]
    std::string block_;   // bytes read so far, ending where the unread tail begins
};
