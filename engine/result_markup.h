// The display markup of results: colour tags around matches, shortening of long marked text, renderings of
// data that was not marked, value-type names and the list line of a result record.
// Pure functions; the search worker and the main thread both use them.
#pragma once

#include "engine/search_types.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

enum class MarkColour { KeyName, ValueName, Data };

// "<font color=#......>" for the colour; every opening tag is kOpenTagLength characters long.
const wchar_t* OpeningTag(MarkColour colour);
inline constexpr size_t kOpenTagLength = 20;
inline constexpr wchar_t kCloseTag[] = L"</font>";
inline constexpr size_t kCloseTagLength = 7;

// Marked text longer than this is cut down to a window around the match.
inline constexpr size_t kShortenAbove = 128;
inline constexpr wchar_t kCutMarker[] = L"<...>";
inline constexpr wchar_t kMoreData[] = L"<i><more data...></i>";
inline constexpr wchar_t kBinaryNotShown[] = L"<i><binary data not shown></i>";

// text with the opening tag inserted at position and the closing tag after length characters.
std::wstring MarkText(std::wstring_view text, size_t position, size_t length, MarkColour colour);

// The part of marked text (tags already in, match at position with length) that is shown: the whole text
// up to kShortenAbove characters, else a window around the match with "<...>" where text was cut off.
std::wstring ShortenMarked(const std::wstring& marked, size_t position, size_t length);
std::string ShortenMarked(const std::string& marked, size_t position, size_t length);

// MarkText then ShortenMarked: value names, text data and hexadecimal text.
std::wstring MarkAndShorten(std::wstring_view text, size_t position, size_t length, MarkColour colour);

// A matched key's markup: the parent's path and a backslash (when the parent is not a hive root), then the
// key's name with the match coloured. Never shortened.
std::wstring KeyNameMarkup(std::wstring_view parentPath, std::wstring_view name, size_t position, size_t length);

// The display of binary data matched at position/length (bytes): unprintable bytes as ".", the match in the
// data colour, shortened like text, then read as text of the thread's ANSI code page.
std::wstring BinaryMarkup(const BYTE* data, size_t size, size_t position, size_t length);

// The rendering of data that was not itself marked (numbers, strings, or the binary notice).
void FormatData(DWORD type, const BYTE* data, DWORD size, std::wstring& display);

enum class SizeUnit { Bytes, Chars, None };
struct TypeInfo {
    const wchar_t* name;
    SizeUnit unit;
    int icon;
};
TypeInfo TypeName(DWORD type);

// ", 16 Bytes", ", 13 Chars" or "" for the value line.
std::wstring SizeSuffix(DWORD type, DWORD dataSize);

// The display markup of a record, made from what it keeps: a key's path with the match in its name
// coloured; a value's name with its match coloured and shortened; the value's data display.
std::wstring KeyMarkup(const SearchResult& record);
std::wstring NameMarkup(const SearchResult& record);
std::wstring DataMarkup(const SearchResult& record);

// Keeps in the record how to make the data display `markup` again (record's type, dataSize and dataText set;
// data/size are the value's data): as its dataText, the binary notice or its number when it is one of
// those, otherwise the markup itself.
void KeepDataMarkup(SearchResult& record, std::wstring markup, const BYTE* data, DWORD size);

struct ResultLine {
    std::wstring text;
    int icon;
    size_t index; // the row's user data
};

// The list line of a record; nothing for a record the user removed.
std::optional<ResultLine> ListResult(const SearchResult& record, size_t index);
// The type icon of a record's list line.
int ResultIcon(const SearchResult& record);
// The same line's markup written into `line` (emptied first): nothing for a removed record. The list makes
// a row's markup with it whenever the row is drawn.
void ListLineMarkup(const SearchResult& record, std::wstring& line);
