// An owned image list (ImageList_Create / ImageList_Destroy).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

class ImageList {
public:
    ImageList() = default;
    // ILC_COLOR with a mask, growing by `grow`.
    ImageList(int width, int height, int initial, int grow)
        : list_(ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, initial, grow)) {}
    // Takes ownership of a list made elsewhere (a drag image).
    explicit ImageList(HIMAGELIST adopt) : list_(adopt) {}
    ~ImageList() { Reset(); }
    ImageList(ImageList&& other) noexcept : list_(std::exchange(other.list_, nullptr)) {}
    ImageList& operator=(ImageList&& other) noexcept
    {
        if (this != &other) {
            Reset();
            list_ = std::exchange(other.list_, nullptr);
        }
        return *this;
    }
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;

    HIMAGELIST Get() const { return list_; }
    explicit operator bool() const { return list_ != nullptr; }
    // The new image's index, -1 on failure. The bitmaps stay the caller's.
    int Add(HBITMAP image, HBITMAP mask) const { return list_ ? ImageList_Add(list_, image, mask) : -1; }
    int Count() const { return list_ ? ImageList_GetImageCount(list_) : 0; }
    void Reset()
    {
        if (list_) ImageList_Destroy(list_);
        list_ = nullptr;
    }

private:
    HIMAGELIST list_ = nullptr;
};
