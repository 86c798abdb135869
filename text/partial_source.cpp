#include "text/partial_source.h"

#include <algorithm>

namespace {

// The first read; each further one reads as much again as the bytes so far.
constexpr size_t FirstRead = 16 * 1024;

} // namespace

PartialSource::PartialSource(ReadBytesAt read, uint64_t maxBytes, ColumnCounting counting)
    : read_(std::move(read)), maxBytes_(maxBytes), counting_(counting) {}

void PartialSource::CountLineEnds(size_t from) {
    for (size_t at = from; at < bytes_.size(); ++at) {
        const char c = bytes_[at];
        if (c == '\n' && endsInCr_) {
            endsInCr_ = false; // the LF of a CR LF counted at its CR
            continue;
        }
        endsInCr_ = c == '\r';
        if (c == '\r' || c == '\n') {
            ++lineEnds_;
            wholeLinesEnd_ = at;
        }
    }
}

bool PartialSource::ReadMore() {
    const size_t had = bytes_.size();
    // One byte past maxBytes tells a longer file.
    const uint64_t left = maxBytes_ - had;
    size_t want = std::max(FirstRead, had);
    if (left < want) want = size_t(left) + 1;
    bytes_.resize(had + want);
    const int64_t got = read_(had, &bytes_[had], want);
    bytes_.resize(had + size_t(std::max<int64_t>(got, 0)));
    if (got < 0 || bytes_.size() > maxBytes_) {
        failed_ = true;
        bytes_.clear();
        return false;
    }
    whole_ = got == 0;
    CountLineEnds(had);
    return true;
}

SourceLines* PartialSource::Through(int64_t line) {
    if (failed_) return nullptr;
    bool read = false;
    // Line `line` is whole once `line` line ends are found; line 1 is there
    // to be asked for in every source.
    for (; !whole_ && lineEnds_ < std::max<int64_t>(line, 1); read = true)
        if (!ReadMore()) return nullptr;
    // A read may have moved the bytes, even where it added none.
    if (!lines_ || read) {
        if (whole_)
            lines_.emplace(bytes_, 1, 0, 0, counting_);
        else // the lines before the last line end; at least one follows
            lines_.emplace(std::string_view(bytes_).substr(0, wholeLinesEnd_), 1, 0, lineEnds_ + 1,
                           counting_);
    }
    return &*lines_;
}
