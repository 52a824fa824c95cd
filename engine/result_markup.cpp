#include "engine/result_markup.h"

#include "engine/key_paths.h"
#include "engine/matchers.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr char kDataTagNarrow[] = "<font color=#0077ff>";
constexpr char kCloseTagNarrow[] = "</font>";

template <class Str>
Str InsertTags(Str text, size_t position, size_t length, const typename Str::value_type* open,
               const typename Str::value_type* close) {
    text.insert(position, open);
    text.insert(position + kOpenTagLength + length, close);
    return text;
}

template <class Str>
Str Shorten(const Str& marked, size_t position, size_t length, const typename Str::value_type* marker) {
    if (marked.size() <= kShortenAbove) {
        return marked;
    }
    // A window of 2W + 20 characters starting 10 before the centre of the tagged match, at least 84 wide.
    const long long half = static_cast<long long>(kOpenTagLength + length + 8) / 2;
    const long long width = std::max<long long>(half, 32);
    long long start = static_cast<long long>(position) + half - width - 10;
    const size_t count = static_cast<size_t>(2 * width + 20);
    if (start < 0) {
        start = 0;
    }
    const size_t begin = std::min(static_cast<size_t>(start), marked.size());
    Str part = marked.substr(begin, count);
    // The markers say where text was cut off. Comparing the part's first and last characters with the
    // text's would miss cuts in repetitive text (binary data shows long runs of dots), so the part's place
    // decides.
    Str display;
    if (begin > 0) {
        display = marker;
    }
    display += part;
    if (begin + part.size() < marked.size()) {
        display += marker;
    }
    return display;
}

void AppendHex(std::wstring& out, unsigned long long value, int digits) {
    static const wchar_t kDigits[] = L"0123456789abcdef";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
        out.push_back(kDigits[(value >> shift) & 0xF]);
    }
}

} // namespace

const wchar_t* OpeningTag(MarkColour colour) {
    switch (colour) {
    case MarkColour::KeyName:
        return L"<font color=#007f22>";
    case MarkColour::ValueName:
        return L"<font color=#df0000>";
    case MarkColour::Data:
        break;
    }
    return L"<font color=#0077ff>";
}

std::wstring MarkText(std::wstring_view text, size_t position, size_t length, MarkColour colour) {
    return InsertTags(std::wstring(text), position, length, OpeningTag(colour), kCloseTag);
}

std::wstring ShortenMarked(const std::wstring& marked, size_t position, size_t length) {
    return Shorten(marked, position, length, kCutMarker);
}

std::string ShortenMarked(const std::string& marked, size_t position, size_t length) {
    return Shorten(marked, position, length, "<...>");
}

std::wstring MarkAndShorten(std::wstring_view text, size_t position, size_t length, MarkColour colour) {
    return ShortenMarked(MarkText(text, position, length, colour), position, length);
}

std::wstring KeyNameMarkup(std::wstring_view parentPath, std::wstring_view name, size_t position, size_t length) {
    std::wstring markup;
    if (!parentPath.empty()) {
        markup.append(parentPath);
        markup.push_back(L'\\');
    }
    markup += MarkText(name, position, length, MarkColour::KeyName);
    return markup;
}

std::wstring BinaryMarkup(const BYTE* data, size_t size, size_t position, size_t length) {
    std::string text(reinterpret_cast<const char*>(data), size);
    // Printable in the C locale means 0x20 to 0x7E; everything else shows as a dot.
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) {
            c = '.';
        }
    }
    std::string shown =
        ShortenMarked(InsertTags(std::move(text), position, length, kDataTagNarrow, kCloseTagNarrow), position, length);
    std::wstring display;
    if (shown.empty()) {
        return display;
    }
    int count = MultiByteToWideChar(CP_THREAD_ACP, 0, shown.data(), static_cast<int>(shown.size()), nullptr, 0);
    if (count > 0) {
        display.resize(static_cast<size_t>(count));
        MultiByteToWideChar(CP_THREAD_ACP, 0, shown.data(), static_cast<int>(shown.size()), display.data(), count);
    }
    return display;
}

void FormatData(DWORD type, const BYTE* data, DWORD size, std::wstring& display) {
    display.clear();
    switch (type) {
    case REG_DWORD:
        // Data shorter than its type is shown as its bytes rather than read past its end.
        if (size < 4) {
            display = BytesToHex(data, size);
        } else {
            DWORD value = 0;
            std::memcpy(&value, data, sizeof value);
            display = L"0x";
            AppendHex(display, value, 8);
            display += L" (" + std::to_wstring(value) + L")";
        }
        break;
    case REG_QWORD:
        if (size < 8) {
            display = BytesToHex(data, size);
        } else {
            unsigned long long value = 0;
            std::memcpy(&value, data, sizeof value);
            display = L"0x";
            AppendHex(display, value, 16);
            display += L" (" + std::to_wstring(value) + L")";
        }
        break;
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ: {
        size_t chars = size / 2;
        display.resize(chars);
        if (chars) {
            std::memcpy(display.data(), data, chars * sizeof(wchar_t));
        }
        if (!display.empty() && display.back() == L'\0') {
            display.pop_back();
        }
        break;
    }
    default:
        display = kBinaryNotShown;
        break;
    }
}

TypeInfo TypeName(DWORD type) {
    switch (type) {
    case REG_NONE:
        return {L"REG_NONE", SizeUnit::Bytes, 2};
    case REG_SZ:
        return {L"REG_SZ", SizeUnit::Chars, 1};
    case REG_EXPAND_SZ:
        return {L"REG_EXPAND_SZ", SizeUnit::Chars, 1};
    case REG_BINARY:
        return {L"REG_BINARY", SizeUnit::Bytes, 2};
    case REG_DWORD:
        return {L"REG_DWORD", SizeUnit::None, 2};
    case REG_DWORD_BIG_ENDIAN:
        return {L"REG_DWORD_BE", SizeUnit::Bytes, 2};
    case REG_LINK:
        return {L"REG_LINK", SizeUnit::Bytes, 2};
    case REG_MULTI_SZ:
        return {L"REG_MULTI_SZ", SizeUnit::Chars, 1};
    case REG_RESOURCE_LIST:
        return {L"REG_RESOURCE_LIST", SizeUnit::Bytes, 2};
    case REG_FULL_RESOURCE_DESCRIPTOR:
        return {L"REG_FULL_RESOURCE_DESCRIPTOR", SizeUnit::Bytes, 2};
    case REG_RESOURCE_REQUIREMENTS_LIST:
        return {L"REG_RESOURCE_REQUIREMENTS_LIST", SizeUnit::Bytes, 2};
    case REG_QWORD:
        return {L"REG_QWORD", SizeUnit::None, 2};
    default:
        return {L"<UNKNOWN>", SizeUnit::Bytes, 2};
    }
}

std::wstring SizeSuffix(DWORD type, DWORD dataSize) {
    switch (TypeName(type).unit) {
    case SizeUnit::Bytes:
        return L", " + std::to_wstring(dataSize) + L" Bytes";
    case SizeUnit::Chars:
        return L", " + std::to_wstring(dataSize / 2) + L" Chars";
    case SizeUnit::None:
        break;
    }
    return {};
}

namespace {

// A DWORD or QWORD with data enough for its type: its rendering depends on the number alone.
bool ReadNumber(DWORD type, const BYTE* data, DWORD size, std::uint64_t& number) {
    number = 0;
    if (type == REG_DWORD && size >= 4) {
        std::memcpy(&number, data, 4);
        return true;
    }
    if (type == REG_QWORD && size >= 8) {
        std::memcpy(&number, data, 8);
        return true;
    }
    return false;
}

} // namespace

std::wstring KeyMarkup(const SearchResult& record) {
    const std::wstring& path = record.KeyPath();
    const TextMark& mark = record.nameMark;
    if (!mark.marked) {
        return path;
    }
    // A key's name holds no backslash: the last one ends its parent's path.
    const size_t slash = path.rfind(L'\\');
    const std::wstring_view parent =
        slash == std::wstring::npos ? std::wstring_view() : std::wstring_view(path).substr(0, slash);
    const std::wstring_view name = std::wstring_view(path).substr(slash == std::wstring::npos ? 0 : slash + 1);
    return KeyNameMarkup(parent, name, mark.position, mark.length);
}

std::wstring NameMarkup(const SearchResult& record) {
    const TextMark& mark = record.nameMark;
    return mark.marked ? MarkAndShorten(record.valueName, mark.position, mark.length, MarkColour::ValueName)
                       : record.valueName;
}

std::wstring DataMarkup(const SearchResult& record) {
    switch (record.dataDisplay) {
    case DataDisplay::Text:
        return record.dataText;
    case DataDisplay::MarkedText:
        return MarkAndShorten(record.dataText, record.dataMark.position, record.dataMark.length, MarkColour::Data);
    case DataDisplay::Number: {
        std::wstring display;
        FormatData(record.type, reinterpret_cast<const BYTE*>(&record.number), record.type == REG_DWORD ? 4 : 8,
                   display);
        return display;
    }
    case DataDisplay::BinaryNotice:
        return kBinaryNotShown;
    case DataDisplay::Kept:
        break;
    }
    return record.keptMarkup ? *record.keptMarkup : std::wstring();
}

void KeepDataMarkup(SearchResult& record, std::wstring markup, const BYTE* data, DWORD size) {
    record.keptMarkup.reset();
    record.number = 0;
    if (markup == record.dataText) {
        record.dataDisplay = DataDisplay::Text;
        return;
    }
    if (markup == kBinaryNotShown) {
        record.dataDisplay = DataDisplay::BinaryNotice;
        return;
    }
    std::uint64_t number = 0;
    if (ReadNumber(record.type, data, size, number)) {
        std::wstring rendered;
        FormatData(record.type, data, size, rendered);
        if (rendered == markup) {
            record.dataDisplay = DataDisplay::Number;
            record.number = number;
            return;
        }
    }
    record.dataDisplay = DataDisplay::Kept;
    record.keptMarkup = std::make_shared<const std::wstring>(std::move(markup));
}

std::optional<ResultLine> ListResult(const SearchResult& record, size_t index) {
    if (record.removed) {
        return std::nullopt;
    }
    ResultLine line{{}, ResultIcon(record), index};
    ListLineMarkup(record, line.text);
    return line;
}

int ResultIcon(const SearchResult& record) {
    return record.IsKey() ? 0 : TypeName(record.type).icon;
}

void ListLineMarkup(const SearchResult& record, std::wstring& line) {
    line.clear();
    if (record.removed) {
        return;
    }
    const std::wstring root = RootKeyName(record.root);
    if (record.IsKey()) {
        line += L"<p>";
        line += root;
        line += L"\\";
        line += KeyMarkup(record);
        line += L"</p>";
        return;
    }
    const TypeInfo info = TypeName(record.type);
    line += root;
    line += L"\\";
    line += record.KeyPath();
    line += L"<br><p><i><font color=#afafaf>Value </font></i>";
    line += NameMarkup(record);
    line += L"<br><i><font color=#afafaf>Data </font><font color=#5f5f5f>{ ";
    line += info.name;
    line += SizeSuffix(record.type, record.dataSize);
    line += L" }\u00A0</font></i> ";
    line += DataMarkup(record);
    line += L" </p>";
}
