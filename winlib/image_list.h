// RAII for image lists.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "base/unique_owner.h"

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static constexpr HIMAGELIST kNone = nullptr;
    bool IsSet(HIMAGELIST list) const { return list != nullptr; }
    void Close(HIMAGELIST list) const { ImageList_Destroy(list); }
};
// An image list that is destroyed with its owner.
using ImageListHandle = UniqueOwner<ImageListTraits>;

// A list of 16x16 images from a bitmap resource of this program, `mask` being the transparent colour.
// Null when the list cannot be created; empty when the bitmap is missing.
HIMAGELIST LoadMaskedImageList(int bitmapId, COLORREF mask);
