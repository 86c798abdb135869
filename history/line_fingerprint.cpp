#include "history/line_fingerprint.h"

#include "history/history_line.h"

#include <algorithm>
#include <vector>

namespace {

constexpr char Version[] = "v1:";
constexpr size_t VersionLength = sizeof Version - 1;
constexpr size_t HashDigits = 8;
constexpr int Slots = 2 * FingerprintNeighbours + 1;
constexpr size_t FingerprintLength = VersionLength + Slots * HashDigits;
constexpr uint32_t NoLine = 0;
constexpr char HexDigits[] = "0123456789abcdef";

using Hashes = uint32_t[Slots];

// FNV-1a of the line without its outer blanks and tabs, moved off the value
// that stands for no line.
uint32_t HashLine(std::string_view line) {
    size_t begin = 0, end = line.size();
    while (begin < end && (line[begin] == ' ' || line[begin] == '\t'))
        ++begin;
    while (end > begin && (line[end - 1] == ' ' || line[end - 1] == '\t'))
        --end;
    uint32_t hash = 2166136261u;
    for (size_t i = begin; i < end; ++i) {
        hash ^= uint8_t(line[i]);
        hash *= 16777619u;
    }
    return hash == NoLine ? 1 : hash;
}

// The start of the line after the one that starts at `from`; npos for the
// last line.
size_t NextLineStart(std::string_view text, size_t from) {
    for (size_t i = from; i < text.size(); ++i) {
        if (text[i] == '\n') return i + 1;
        if (text[i] == '\r') return i + 1 < text.size() && text[i + 1] == '\n' ? i + 2 : i + 1;
    }
    return std::string_view::npos;
}

// The hashes of a text's lines from one line on, each line found and hashed
// when first asked for, so that a step reads only the lines it compares.
// Numbers are 64-bit so that a window around any 32-bit line fits.
class LineHashes {
  public:
    LineHashes(std::string_view text, int64_t first) : text_(text), first_(first) {
        size_t at = 0;
        for (int64_t line = 1; line < first && at != std::string_view::npos; ++line)
            at = NextLineStart(text, at);
        ended_ = at == std::string_view::npos;
        if (!ended_) Add(at);
    }

    // NoLine for a line before the start or after the end of the text.
    uint32_t Hash(int64_t line) {
        if (line < first_ || !Reach(line)) return NoLine;
        const size_t index = size_t(line - first_);
        if (hashes_[index] == NoLine) {
            const size_t start = starts_[index];
            size_t end = text_.size();
            if (Reach(line + 1)) {
                end = starts_[index + 1] - 1;
                if (end > start && text_[end] == '\n' && text_[end - 1] == '\r') --end;
            }
            hashes_[index] = HashLine(text_.substr(start, end - start));
        }
        return hashes_[index];
    }

  private:
    bool Reach(int64_t line) {
        while (!ended_ && first_ + int64_t(starts_.size()) <= line) {
            const size_t next = NextLineStart(text_, starts_.back());
            ended_ = next == std::string_view::npos;
            if (!ended_) Add(next);
        }
        return line < first_ + int64_t(starts_.size());
    }

    void Add(size_t start) {
        starts_.push_back(start);
        hashes_.push_back(NoLine);
    }

    std::string_view text_;
    int64_t first_; // the line of starts_[0]
    std::vector<size_t> starts_;
    std::vector<uint32_t> hashes_; // NoLine until hashed
    bool ended_ = false;           // starts_ holds the text's last line
};

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool ParseFingerprint(std::string_view fingerprint, Hashes& hashes) {
    if (fingerprint.size() != FingerprintLength || fingerprint.substr(0, VersionLength) != Version)
        return false;
    for (int slot = 0; slot < Slots; ++slot) {
        uint32_t hash = 0;
        for (size_t i = 0; i < HashDigits; ++i) {
            const int digit = HexValue(fingerprint[VersionLength + slot * HashDigits + i]);
            if (digit < 0) return false;
            hash = hash << 4 | uint32_t(digit);
        }
        hashes[slot] = hash;
    }
    return hashes[FingerprintNeighbours] != NoLine;
}

// The number of the candidate's neighbours that match, or -1 when the line
// itself does not.
int MatchingNeighbours(LineHashes& lines, int64_t candidate, const Hashes& wanted) {
    if (lines.Hash(candidate) != wanted[FingerprintNeighbours]) return -1;
    int matches = 0;
    for (int offset = 1; offset <= FingerprintNeighbours; ++offset) {
        matches += lines.Hash(candidate - offset) == wanted[FingerprintNeighbours - offset];
        matches += lines.Hash(candidate + offset) == wanted[FingerprintNeighbours + offset];
    }
    return matches;
}

} // namespace

std::string FingerprintOfLine(std::string_view text, int32_t line) {
    if (line < 1) return {};
    LineHashes lines(text, std::max<int64_t>(1, int64_t(line) - FingerprintNeighbours));
    if (lines.Hash(line) == NoLine) return {};
    std::string fingerprint = Version;
    for (int64_t at = line - FingerprintNeighbours; at <= line + FingerprintNeighbours; ++at) {
        const uint32_t hash = lines.Hash(at);
        for (int shift = 28; shift >= 0; shift -= 4)
            fingerprint += HexDigits[hash >> shift & 0xF];
    }
    return fingerprint;
}

int32_t RelocateLine(std::string_view text, int32_t rememberedLine, std::string_view fingerprint) {
    Hashes wanted;
    if (rememberedLine < 1 || !ParseFingerprint(fingerprint, wanted)) return rememberedLine;
    const int64_t remembered = rememberedLine;
    LineHashes lines(text,
                     std::max<int64_t>(1, remembered - RelocationWindow - FingerprintNeighbours));
    // A line whose own text matches but whose surroundings mostly do not is
    // another copy of a common line (EndIf, a blank line), not this one.
    int best = FingerprintNeighbours - 1;
    int64_t found = remembered;
    for (int64_t distance = 0; distance <= RelocationWindow; ++distance) {
        for (int64_t candidate : {remembered - distance, remembered + distance}) {
            if (candidate < 1) continue;
            const int matches = MatchingNeighbours(lines, candidate, wanted);
            if (matches > best) {
                best = matches;
                found = candidate;
            }
            if (distance == 0) break;
        }
        if (best == 2 * FingerprintNeighbours) break;
    }
    return int32_t(found);
}

std::string FormatFingerprintedEntry(const std::string& file, const std::string& cursor,
                                     const std::string& fingerprint) {
    Hashes hashes;
    return FormatHistoryEntry(file, cursor,
                              ParseFingerprint(fingerprint, hashes) ? fingerprint : "");
}
