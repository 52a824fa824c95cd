// The vocabulary of a search: modes, option bits, result kinds, the result record and the notifications
// the engine sends to the search view.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

// Search modes (values as stored in the saved form state).
enum : DWORD {
    SM_FIND_STRING = 1,
    SM_WHOLE_STRING = 2,
    SM_WILDCARD = 4,
    SM_REGEX = 32,
    SM_HEX = 64,
    SM_ALL_ITEMS = 128,
    SM_INTEGER = 256,
};

// Option bits.
enum : DWORD {
    SO_KEYS = 0x01,
    SO_VALUES = 0x02,
    SO_DATA = 0x04,
    SO_MATCH_CASE = 0x08,
    SO_UNICODE_BINARY = 0x10,
};
inline constexpr DWORD SO_LOOK_AT_MASK = SO_KEYS | SO_VALUES | SO_DATA;

// Result kinds.
enum : DWORD {
    RK_KEY = 0x00100000,
    RK_KEY_NAME = 0x00800000,
    RK_VALUE_NAME = 0x00400000,
    RK_DATA = 0x01000000,
};

// Posted to the search view: wParam is one of SN_*, lParam the result index for SN_RESULT.
inline constexpr UINT WM_SEARCH_NOTIFY = WM_APP + 100;
enum : WPARAM {
    SN_STARTED = 1,
    SN_RESULT = 2,
    SN_FINISHED = 3,
};

// Text that records share instead of each holding a copy: the path of a key is kept once for all the
// results found in that key. Never changed once made.
using SharedText = std::shared_ptr<const std::wstring>;

// A match marked in a text: `length` characters from `position`. Unmarked when `marked` is false.
struct TextMark {
    std::uint32_t position = 0;
    std::uint32_t length = 0;
    bool marked = false;
};

// How the display of a value's data is made when the result is shown (result_markup.h, DataMarkup).
enum class DataDisplay : std::uint8_t {
    Text,         // dataText as it is
    MarkedText,   // dataText with the match at dataMark coloured, shortened around it
    Number,       // the number in `number`, rendered for its type
    BinaryNotice, // the notice that binary data is not shown
    Kept,         // the markup kept in keptMarkup (matched binary data, lists, renderings of data not kept)
};

// One result of a search. A record keeps the texts of its key and value and how their display markup is
// made; the markup itself is made when the result is shown (see result_markup.h), so a search of a whole
// registry does not hold every text twice.
struct SearchResult {
    SearchResult() = default;
    SearchResult(HKEY rootKey, std::wstring keyPath, std::wstring name = {}, std::wstring data = {})
        : root(rootKey), valueName(std::move(name)), dataText(std::move(data)) {
        SetKeyPath(std::move(keyPath));
    }

    HKEY root = nullptr;
    std::wstring valueName;
    std::wstring dataText;
    DWORD kind = 0;
    DWORD type = 0;
    DWORD dataSize = 0;
    bool removed = false;
    DataDisplay dataDisplay = DataDisplay::Text;
    // Keys: the match in the key's name (the last component of its path). Values: the match in the value's name.
    TextMark nameMark;
    TextMark dataMark;
    std::uint64_t number = 0;
    FILETIME lastWrite = {};
    SharedText keptMarkup;

    bool IsKey() const { return (kind & RK_KEY) != 0; }

    // The key's path below its root; "" for the root itself.
    const std::wstring& KeyPath() const { return keyPath_ ? *keyPath_ : EmptyText(); }
    void SetKeyPath(std::wstring path) { keyPath_ = std::make_shared<const std::wstring>(std::move(path)); }
    // Takes the path that the other results of the same key hold.
    void ShareKeyPath(SharedText path) { keyPath_ = std::move(path); }
    const SharedText& SharedKeyPath() const { return keyPath_; }

private:
    static const std::wstring& EmptyText() {
        static const std::wstring empty;
        return empty;
    }

    SharedText keyPath_;
};
