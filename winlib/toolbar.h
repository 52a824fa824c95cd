// Toolbars from a toolbar resource (type 241): the button size and the command of each button in order,
// 0 for a separator, with the button images in the bitmap of the same id.
#pragma once

#include "winlib/image_list.h"

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

struct ToolBarTemplate {
    int width = 0;
    int height = 0;
    std::vector<UINT> commands; // 0 = separator
};

// Reads both layouts of the resource: 16-bit fields after a version word of 1 (the Windows resource
// compiler), or 32-bit fields without a version (the GNU resource compiler). Nothing for malformed data.
std::optional<ToolBarTemplate> ParseToolBarResource(const void* data, size_t size);

// Creates a toolbar child from toolbar resource `resourceId` and its bitmap (the top-left pixel's colour is
// transparent). The images go into `images`, which must outlive the toolbar. Null when the resource is
// missing or the window cannot be created.
HWND CreateSimpleToolBar(HWND parent, UINT resourceId, ImageListHandle& images, UINT id,
                         DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TBSTYLE_FLAT |
                                       TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN);
