#include "winlib/toolbar.h"

#include <cstring>

namespace {

constexpr WORD kToolBarResourceType = 241;

template <class Field>
std::optional<ToolBarTemplate> ParseFields(const unsigned char* bytes, size_t size, size_t headerFields) {
    const size_t header = headerFields * sizeof(Field);
    if (size < header) {
        return std::nullopt;
    }
    Field fields[4] = {};
    std::memcpy(fields, bytes, header);
    const Field* values = fields + (headerFields - 3);
    const size_t count = values[2];
    if (count > (size - header) / sizeof(Field) || values[0] == 0 || values[1] == 0) {
        return std::nullopt;
    }
    ToolBarTemplate result;
    result.width = static_cast<int>(values[0]);
    result.height = static_cast<int>(values[1]);
    for (size_t i = 0; i < count; ++i) {
        Field command = 0;
        std::memcpy(&command, bytes + header + i * sizeof(Field), sizeof(Field));
        result.commands.push_back(static_cast<UINT>(command));
    }
    return result;
}

} // namespace

std::optional<ToolBarTemplate> ParseToolBarResource(const void* data, size_t size) {
    if (!data || size < sizeof(WORD)) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    WORD version = 0;
    std::memcpy(&version, bytes, sizeof version);
    if (version == 1) {
        return ParseFields<WORD>(bytes, size, 4);
    }
    return ParseFields<DWORD>(bytes, size, 3);
}

HWND CreateSimpleToolBar(HWND parent, UINT resourceId, ImageListHandle& images, UINT id, DWORD style) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(kToolBarResourceType));
    HGLOBAL loaded = found ? ::LoadResource(instance, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    std::optional<ToolBarTemplate> layout = ParseToolBarResource(data, found ? ::SizeofResource(instance, found) : 0);
    if (!layout) {
        return nullptr;
    }
    HWND toolbar = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, style, 0, 0, 100, 100, parent,
                                     reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, nullptr);
    if (!toolbar) {
        return nullptr;
    }
    ::SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    images.Reset(ImageList_LoadImageW(instance, MAKEINTRESOURCEW(resourceId), layout->width, 0, CLR_DEFAULT,
                                      IMAGE_BITMAP, LR_CREATEDIBSECTION));
    ::SendMessageW(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(layout->width, layout->height));
    if (images.Get()) {
        ::SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.Get()));
    }
    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (UINT command : layout->commands) {
        TBBUTTON button = {};
        if (command == 0) {
            button.fsStyle = BTNS_SEP;
        } else {
            button.iBitmap = image++;
            button.idCommand = static_cast<int>(command);
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(button);
    }
    ::SendMessageW(toolbar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    ::SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
    return toolbar;
}
