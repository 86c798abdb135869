#include "history/line_fingerprint.h"

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

// The hashes of a text's lines, each hashed when first asked for, so that a
// step hashes only the lines it compares. Numbers are 64-bit so that a
// window around any 32-bit line fits.
class LineHashes {
  public:
    LineHashes(SourceLines& lines, int64_t first) : lines_(lines), first_(first) {}

    // NoLine for a line before the start or after the end of the text.
    uint32_t Hash(int64_t line) {
        if (line < first_ || !lines_.Holds(line)) return NoLine;
        const size_t index = size_t(line - first_);
        if (index >= hashes_.size()) hashes_.resize(index + 1, NoLine);
        if (hashes_[index] == NoLine) hashes_[index] = HashLine(lines_.Line(line));
        return hashes_[index];
    }

  private:
    SourceLines& lines_;
    int64_t first_;                // the line of hashes_[0]
    std::vector<uint32_t> hashes_; // NoLine until hashed
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
    SourceLines lines(text);
    return FingerprintOfLine(lines, line);
}

int32_t RelocateLine(std::string_view text, int32_t rememberedLine, std::string_view fingerprint) {
    SourceLines lines(text);
    return int32_t(RelocateLine(lines, rememberedLine, fingerprint));
}

std::string FingerprintOfLine(SourceLines& text, int64_t line) {
    if (line < text.First()) return {};
    LineHashes lines(text, std::max<int64_t>(text.First(), line - FingerprintNeighbours));
    if (lines.Hash(line) == NoLine) return {};
    std::string fingerprint = Version;
    for (int64_t at = line - FingerprintNeighbours; at <= line + FingerprintNeighbours; ++at) {
        const uint32_t hash = lines.Hash(at);
        for (int shift = 28; shift >= 0; shift -= 4)
            fingerprint += HexDigits[hash >> shift & 0xF];
    }
    return fingerprint;
}

int64_t RelocateLine(SourceLines& text, int64_t remembered, std::string_view fingerprint) {
    Hashes wanted;
    if (remembered < 1 || !ParseFingerprint(fingerprint, wanted)) return remembered;
    LineHashes lines(text, std::max<int64_t>(text.First(), remembered - RelocationWindow -
                                                               FingerprintNeighbours));
    // A line whose own text matches but whose surroundings mostly do not is
    // another copy of a common line (EndIf, a blank line), not this one.
    int best = FingerprintNeighbours - 1;
    int64_t found = remembered;
    for (int64_t distance = 0; distance <= RelocationWindow; ++distance) {
        for (int64_t candidate : {remembered - distance, remembered + distance}) {
            if (candidate < text.First()) continue;
            const int matches = MatchingNeighbours(lines, candidate, wanted);
            if (matches > best) {
                best = matches;
                found = candidate;
            }
            if (distance == 0) break;
        }
        if (best == 2 * FingerprintNeighbours) break;
    }
    return found;
}
