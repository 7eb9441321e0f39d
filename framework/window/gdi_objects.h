// GDI objects and device contexts as owning handles. An object made from a
// stock or system handle is not owned and never deleted.
#pragma once

#include <windows.h>

#include <utility>

template <typename Handle>
class GdiObject {
public:
    GdiObject() = default;
    GdiObject(Handle handle, bool owned) : handle_(handle), owned_(owned) {}
    ~GdiObject() { Reset(); }
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)), owned_(other.owned_) {}
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
            owned_ = other.owned_;
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle Get() const { return handle_; }
    operator Handle() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset()
    {
        if (handle_ && owned_) DeleteObject(handle_);
        handle_ = nullptr;
    }

private:
    Handle handle_ = nullptr;
    bool owned_ = false;
};

class Brush : public GdiObject<HBRUSH> {
public:
    Brush() = default;
    explicit Brush(COLORREF colour) : GdiObject(CreateSolidBrush(colour), true), colour_(colour) {}
    // The system brush of a colour index: shared, never deleted.
    static Brush System(int index)
    {
        Brush b(GetSysColorBrush(index), false);
        b.colour_ = GetSysColor(index);
        return b;
    }
    COLORREF Colour() const { return colour_; }

private:
    Brush(HBRUSH handle, bool owned) : GdiObject(handle, owned) {}
    COLORREF colour_ = 0;
};

class Font : public GdiObject<HFONT> {
public:
    Font() = default;
    explicit Font(const LOGFONTA& logFont) : GdiObject(CreateFontIndirectA(&logFont), true) {}
    // A face name, a size in points and a weight, for the screen.
    Font(const char* face, int points, int weight);
    // A copy of `font` (any handle) made bold and/or underlined.
    static Font Derived(HFONT font, bool bold, bool underline);
};

class Pen : public GdiObject<HPEN> {
public:
    Pen() = default;
    Pen(COLORREF colour, int width = 1, int style = PS_SOLID) : GdiObject(CreatePen(style, width, colour), true) {}
};

class Bitmap : public GdiObject<HBITMAP> {
public:
    Bitmap() = default;
    // Takes ownership of `bitmap`.
    explicit Bitmap(HBITMAP bitmap) : GdiObject(bitmap, true) {}
    Bitmap(HDC compatible, int width, int height) : GdiObject(CreateCompatibleBitmap(compatible, width, height), true) {}
    SIZE Size() const
    {
        BITMAP info{};
        if (Get()) GetObjectA(Get(), sizeof info, &info);
        return SIZE{info.bmWidth, info.bmHeight};
    }
};

// Device contexts.
class ClientDC {
public:
    explicit ClientDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~ClientDC() { if (dc_) ReleaseDC(hwnd_, dc_); }
    ClientDC(const ClientDC&) = delete;
    ClientDC& operator=(const ClientDC&) = delete;
    operator HDC() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    ~PaintDC() { EndPaint(hwnd_, &ps_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    operator HDC() const { return dc_; }
    const PAINTSTRUCT& Paint() const { return ps_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

class ScreenDC {
public:
    ScreenDC() : dc_(GetDC(nullptr)) {}
    ~ScreenDC() { if (dc_) ReleaseDC(nullptr, dc_); }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    operator HDC() const { return dc_; }

private:
    HDC dc_;
};

class MemoryDC {
public:
    explicit MemoryDC(HDC compatible = nullptr) : dc_(CreateCompatibleDC(compatible)) {}
    ~MemoryDC() { if (dc_) DeleteDC(dc_); }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    operator HDC() const { return dc_; }

private:
    HDC dc_;
};

// Selects an object into a DC for the scope.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectObjectScope() { if (old_) SelectObject(dc_, old_); }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};
