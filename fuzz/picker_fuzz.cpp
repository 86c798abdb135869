// Reads arbitrary bytes as a source in parts and checks that where a step
// lands and the line a row shows are what the whole text tells, with the
// remembered line's fingerprint whole and damaged; and cuts the bytes as a
// folder to a width.
#include "history/arrival.h"
#include "history/line_fingerprint.h"
#include "picker/picker_layout.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// The first bytes pick the line and column remembered, the size of each
// read and a width; the rest is the source, read from the fuzzer's own
// buffer so that the sanitizer sees any read past it.
void CheckPartialSource(const uint8_t* data, size_t size) {
    if (size < 4) return;
    const std::string_view text(reinterpret_cast<const char*>(data) + 4, size - 4);
    const int line = data[0] % 64 + 1, column = data[1] % 16 + 1;
    const size_t part = data[2] % 32 + 1;
    std::string fingerprint = FingerprintOfLine(text, line);
    if (data[3] & 1 && !fingerprint.empty()) fingerprint[3 + data[3] % 56] ^= 1;
    const HistoryEntry entry = {"a.pb", std::to_string(line) + "x" + std::to_string(column),
                                data[3] & 2 ? "" : fingerprint};
    PartialSource source(
        [&](uint64_t offset, char* buffer, size_t count) -> int64_t {
            if (offset >= text.size()) return 0;
            const size_t got = std::min({count, part, text.size() - size_t(offset)});
            text.copy(buffer, got, size_t(offset));
            return int64_t(got);
        },
        SIZE_MAX);
    SourceLines whole(text);
    const HistoryEntry arrival = ArrivalInSource(source, entry), expected = ArrivalIn(whole, entry);
    if (arrival.Cursor != expected.Cursor || arrival.Fingerprint != expected.Fingerprint) abort();
    int32_t landed = 0;
    SourceLines* lines =
        ParseCursorLine(arrival.Cursor, &landed) ? source.Through(landed) : nullptr;
    if (!lines || lines->Line(landed) != whole.Line(landed)) abort();
}

void CheckCut(const uint8_t* data, size_t size) {
    if (size < 1) return;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto measure = [](std::string_view part) { return int(part.size()); };
    const int width = data[0];
    const std::string cut = CutAtStart(text, width, measure);
    if (cut != text && (cut.compare(0, 3, u8"…") != 0 ||
                        text.substr(text.size() - (cut.size() - 3)) != cut.substr(3) ||
                        (cut.size() > 3 && measure(cut) > width)))
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckPartialSource(data, size);
    CheckCut(data, size);
    return 0;
}
