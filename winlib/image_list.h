// RAII for image lists.
#pragma once

#include <windows.h>
#include <commctrl.h>

// An image list that is destroyed with its owner.
class ImageListHandle {
public:
    ImageListHandle() = default;
    explicit ImageListHandle(HIMAGELIST list) : list_(list) {}
    ImageListHandle(const ImageListHandle&) = delete;
    ImageListHandle& operator=(const ImageListHandle&) = delete;
    ~ImageListHandle() { Reset(); }
    HIMAGELIST Get() const { return list_; }
    void Reset(HIMAGELIST list = nullptr) {
        if (list_) {
            ImageList_Destroy(list_);
        }
        list_ = list;
    }

private:
    HIMAGELIST list_ = nullptr;
};

// A list of 16x16 images from a bitmap resource of this program, `mask` being the transparent colour.
// Null when the list cannot be created; empty when the bitmap is missing.
HIMAGELIST LoadMaskedImageList(int bitmapId, COLORREF mask);
