// Owners for icons and GDI objects (fonts, brushes, bitmaps), each released
// the way Windows wants it, and for images that may be either.
#pragma once
#include <windows.h>

#include <utility>

// A GDI object of type T (HFONT, HBRUSH, HBITMAP ...) deleted with
// DeleteObject. It must not be selected into a device context by then.
template <class T> class AutoGdiObject {
  public:
    AutoGdiObject() = default;
    explicit AutoGdiObject(T object) : object_(object) {}
    AutoGdiObject(const AutoGdiObject&) = delete;
    AutoGdiObject& operator=(const AutoGdiObject&) = delete;
    AutoGdiObject(AutoGdiObject&& o) noexcept : object_(std::exchange(o.object_, nullptr)) {}
    AutoGdiObject& operator=(AutoGdiObject&& o) noexcept {
        if (this != &o) Reset(std::exchange(o.object_, nullptr));
        return *this;
    }
    ~AutoGdiObject() { Reset(); }

    T Get() const { return object_; }
    void Reset(T object = nullptr) {
        if (object_) DeleteObject(object_);
        object_ = object;
    }

  private:
    T object_ = nullptr;
};

// An icon destroyed with DestroyIcon.
class AutoIcon {
  public:
    AutoIcon() = default;
    explicit AutoIcon(HICON icon) : icon_(icon) {}
    AutoIcon(const AutoIcon&) = delete;
    AutoIcon& operator=(const AutoIcon&) = delete;
    AutoIcon(AutoIcon&& o) noexcept : icon_(std::exchange(o.icon_, nullptr)) {}
    AutoIcon& operator=(AutoIcon&& o) noexcept {
        if (this != &o) Reset(std::exchange(o.icon_, nullptr));
        return *this;
    }
    ~AutoIcon() { Reset(); }

    HICON Get() const { return icon_; }
    void Reset(HICON icon = nullptr) {
        if (icon_) DestroyIcon(icon_);
        icon_ = icon;
    }

  private:
    HICON icon_ = nullptr;
};

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
