// A source read from its start only as far as its lines are asked for, so
// that a row near the top of a large file reads a few kilobytes of it.
// Plain logic over a reader of the file's bytes.
#pragma once
#include "text/source_text.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Reads up to count bytes at offset into buffer: the bytes read, 0 at the
// file's end, below 0 when the read fails.
using ReadBytesAt = std::function<int64_t(uint64_t offset, char* buffer, size_t count)>;

class PartialSource {
  public:
    // At most maxBytes are read: a longer file is one that cannot be read.
    // Columns are counted as counting says.
    PartialSource(ReadBytesAt read, uint64_t maxBytes,
                  ColumnCounting counting = ColumnCounting::Characters);

    // The source's lines, read at least through `line` or to its end, and
    // numbered as the whole file numbers them; null when it cannot be read.
    // Valid until the next call.
    SourceLines* Through(int64_t line);

  private:
    bool ReadMore();
    void CountLineEnds(size_t from);

    ReadBytesAt read_;
    uint64_t maxBytes_;
    ColumnCounting counting_;
    std::string bytes_;
    bool whole_ = false, failed_ = false;
    // Line ends found in bytes_, and where the last of them starts: the
    // bytes before it are whole lines.
    int64_t lineEnds_ = 0;
    size_t wholeLinesEnd_ = 0;
    bool endsInCr_ = false; // a CR last, its LF perhaps still to come
    std::optional<SourceLines> lines_;
};
