#include "text/source_text.h"

#include <algorithm>
#include <climits>

size_t LineEndAt(std::string_view text, size_t from) {
    const size_t end = text.find_first_of("\r\n", std::min(from, text.size()));
    return end == std::string_view::npos ? text.size() : end;
}

size_t NextLineStart(std::string_view text, size_t from) {
    const size_t end = LineEndAt(text, from);
    if (end == text.size()) return std::string_view::npos;
    return end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
}

bool StartsColumn(char byte, ColumnCounting counting) {
    return counting == ColumnCounting::Bytes || (uint8_t(byte) & 0xC0) != 0x80;
}

int64_t CountColumns(std::string_view bytes, ColumnCounting counting) {
    if (counting == ColumnCounting::Bytes) return int64_t(bytes.size());
    return std::count_if(bytes.begin(), bytes.end(),
                         [](char c) { return StartsColumn(c, ColumnCounting::Characters); });
}

int32_t ColumnOfOffset(std::string_view line, int64_t offset, ColumnCounting counting) {
    const int64_t at = std::max<int64_t>(offset, 0);
    const size_t within = size_t(std::min<int64_t>(at, int64_t(line.size())));
    const int64_t columns = CountColumns(line.substr(0, within), counting) + (at - int64_t(within));
    return int32_t(std::min<int64_t>(columns + 1, INT32_MAX));
}

size_t OffsetOfColumn(std::string_view line, int64_t column, ColumnCounting counting) {
    int64_t toPass = column - 1;
    for (size_t i = 0; i < line.size(); ++i) {
        if (!StartsColumn(line[i], counting)) continue;
        if (toPass-- <= 0) return i;
    }
    return line.size();
}

bool LandOn(LandingGround& ground, int64_t line, int64_t column, Landing* landing) {
    const int64_t count = ground.LineCount();
    if (count < 1) return false;
    int64_t target = std::clamp<int64_t>(line, 1, count);
    int64_t start = 0, end = 0;
    if (!ground.LineBounds(target, &start, &end)) return false;
    // A text that ends with a line end has an empty line after it, which no
    // position recorded beyond the end means.
    if (column > 0 && line > count && target > 1 && start == end) {
        --target;
        if (!ground.LineBounds(target, &start, &end)) return false;
    }
    landing->Line = target;
    landing->Position = column > 1 ? ground.ColumnPosition(start, end, column) : start;
    landing->Column = landing->Position == start ? 1 : ground.ColumnAt(start, landing->Position);
    return true;
}

SourceLines::SourceLines(std::string_view text, int64_t first, int64_t at, int64_t documentLines,
                         ColumnCounting counting)
    : text_(text), first_(first), at_(at), documentLines_(documentLines),
      counting_(counting), starts_{0} {}

bool SourceLines::Reach(int64_t line) {
    while (!complete_ && first_ + int64_t(starts_.size()) <= line) {
        const size_t next = NextLineStart(text_, starts_.back());
        complete_ = next == std::string_view::npos;
        if (!complete_) starts_.push_back(next);
    }
    return line >= first_ && line < first_ + int64_t(starts_.size());
}

int64_t SourceLines::Last() {
    Reach(INT64_MAX);
    return first_ + int64_t(starts_.size()) - 1;
}

bool SourceLines::Holds(int64_t line) {
    return Reach(line);
}

size_t SourceLines::Start(int64_t line) {
    return Reach(line) ? starts_[size_t(line - first_)] : std::string_view::npos;
}

std::string_view SourceLines::Line(int64_t line) {
    const size_t start = Start(line);
    if (start == std::string_view::npos) return {};
    return text_.substr(start, LineEndAt(text_, start) - start);
}

int64_t SourceLines::LineCount() {
    return documentLines_ > 0 ? documentLines_ : Last();
}

bool SourceLines::LineBounds(int64_t line, int64_t* start, int64_t* end) {
    const size_t from = Start(line);
    if (from == std::string_view::npos) return false;
    *start = at_ + int64_t(from);
    *end = at_ + int64_t(LineEndAt(text_, from));
    return true;
}

int64_t SourceLines::ColumnPosition(int64_t start, int64_t end, int64_t column) {
    const size_t from = size_t(start - at_);
    const std::string_view line = text_.substr(from, size_t(end - start));
    return start + int64_t(OffsetOfColumn(line, column, counting_));
}

int32_t SourceLines::ColumnAt(int64_t start, int64_t position) {
    const size_t from = size_t(std::clamp<int64_t>(start - at_, 0, int64_t(text_.size())));
    const std::string_view line = text_.substr(from, LineEndAt(text_, from) - from);
    return ColumnOfOffset(line, position - start, counting_);
}
