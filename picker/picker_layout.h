// Where the window of "Recent positions" goes and how its texts fit their
// columns, as plain logic over numbers and texts; the window measures with
// its own font.
#pragma once
#include <functional>
#include <string>
#include <string_view>

// A rectangle of the screen, right and bottom outside it.
struct ScreenBox {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const ScreenBox& o) const {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
};

// Centred on over (the IDE's main window; the work area without one):
// `width` wide, but no wider than over where that is narrower, down to
// minWidth; `height` high; and always within area, the work area of over's
// screen, moved into it as far as needed.
ScreenBox PlacePicker(const ScreenBox& over, const ScreenBox& area, int width, int minWidth,
                      int height);

// How wide a text is drawn, in pixels.
using MeasureText = std::function<int(std::string_view utf8)>;

// The text as it fits into `width`: whole when it fits, else its end after
// "…", as much of it as fits (the end of a folder is what tells folders
// apart); "…" alone when nothing more fits. Cut between UTF-8 characters.
std::string CutAtStart(std::string_view text, int width, const MeasureText& measure);
