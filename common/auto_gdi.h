// Owners for icons and GDI objects (fonts, brushes, bitmaps), each released
// the way Windows wants it, and for images that may be either.
#pragma once
#include <windows.h>

#include "common/auto_handle.h"

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct IconDestroyer {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};

// A GDI object of type T (HFONT, HBRUSH, HBITMAP ...) deleted with
// DeleteObject. It must not be selected into a device context by then.
template <class T> using AutoGdiObject = AutoResource<T, GdiObjectDeleter>;
// A device context of CreateCompatibleDC, deleted with DeleteDC.
using AutoMemoryDc = AutoResource<HDC, DcDeleter>;
// An icon destroyed with DestroyIcon.
using AutoIcon = AutoResource<HICON, IconDestroyer>;

// An image of LoadImage: an icon (IMAGE_ICON) or a bitmap (IMAGE_BITMAP).
class AutoImage {
  public:
    AutoImage() = default;
    AutoImage(HANDLE image, UINT type) { Reset(image, type); }

    HANDLE Get() const { return icon_.Get() ? HANDLE(icon_.Get()) : HANDLE(bitmap_.Get()); }
    UINT Type() const { return bitmap_.Get() ? IMAGE_BITMAP : IMAGE_ICON; }
    void Reset(HANDLE image = nullptr, UINT type = IMAGE_ICON) {
        icon_.Reset(type == IMAGE_ICON ? HICON(image) : nullptr);
        bitmap_.Reset(type == IMAGE_BITMAP ? HBITMAP(image) : nullptr);
    }

  private:
    AutoIcon icon_;
    AutoGdiObject<HBITMAP> bitmap_;
};
