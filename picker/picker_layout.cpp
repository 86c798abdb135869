#include "picker/picker_layout.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

constexpr char Ellipsis[] = u8"\u2026";

bool StartsCharacter(char byte) {
    return (uint8_t(byte) & 0xC0) != 0x80;
}

} // namespace

ScreenBox PlacePicker(const ScreenBox& over, const ScreenBox& area, int width, int minWidth,
                      int height) {
    width = std::min(width, std::max(minWidth, over.Width()));
    width = std::max(0, std::min(width, area.Width()));
    height = std::max(0, std::min(height, area.Height()));
    const int left = std::clamp((over.Left + over.Right - width) / 2, area.Left,
                                std::max(area.Left, area.Right - width));
    const int top = std::clamp((over.Top + over.Bottom - height) / 2, area.Top,
                               std::max(area.Top, area.Bottom - height));
    return {left, top, left + width, top + height};
}

std::string CutAtStart(std::string_view text, int width, const MeasureText& measure) {
    if (measure(text) <= width) return std::string(text);
    // The character starts from which the end is kept; the longer the end
    // the wider, so the first start that fits is found by halving.
    std::vector<size_t> starts;
    for (size_t i = 1; i < text.size(); ++i)
        if (StartsCharacter(text[i])) starts.push_back(i);
    const auto fits = [&](size_t start) {
        return measure(Ellipsis + std::string(text.substr(start))) <= width;
    };
    const auto first = std::partition_point(starts.begin(), starts.end(),
                                            [&](size_t start) { return !fits(start); });
    return first == starts.end() ? Ellipsis : Ellipsis + std::string(text.substr(*first));
}
