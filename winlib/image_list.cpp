#include "winlib/image_list.h"

#include "winlib/gdi.h"

HIMAGELIST LoadMaskedImageList(int bitmapId, COLORREF mask) {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 4);
    BitmapHandle bitmap(::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId)));
    if (list && bitmap) {
        ImageList_AddMasked(list, bitmap, mask);
    }
    return list;
}
