// A cursor made from a colour bitmap and a monochrome mask with a hot spot,
// owned and destroyed with the object. The bitmaps stay the caller's: the
// system copies them into the cursor.
#pragma once

#include <windows.h>

#include <utility>

class BitmapCursor {
public:
    BitmapCursor() = default;
    // Empty when the system refuses (a missing mask, a bad bitmap).
    BitmapCursor(HBITMAP colour, HBITMAP mask, int hotX, int hotY);
    ~BitmapCursor() { Reset(); }
    BitmapCursor(BitmapCursor&& other) noexcept : cursor_(std::exchange(other.cursor_, nullptr)) {}
    BitmapCursor& operator=(BitmapCursor&& other) noexcept
    {
        if (this != &other) {
            Reset();
            cursor_ = std::exchange(other.cursor_, nullptr);
        }
        return *this;
    }
    BitmapCursor(const BitmapCursor&) = delete;
    BitmapCursor& operator=(const BitmapCursor&) = delete;

    HCURSOR Get() const { return cursor_; }
    explicit operator bool() const { return cursor_ != nullptr; }
    void Reset();

private:
    HCURSOR cursor_ = nullptr;
};
