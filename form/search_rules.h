// The search form's rules apart from any window: the mode table, when Search may be pressed, how the mode
// shapes the request, the remote checks, the length range and the status texts. Pure functions.
#pragma once

#include "engine/search_request.h" // the rules a request is built by, shared with the console program

#include <windows.h>

#include <span>
#include <string>

// One entry of the mode list, in display order.
struct SearchModeInfo {
    const wchar_t* item;  // text of the mode list's item
    DWORD mode;           // SM_* value, the item's data
    const wchar_t* label; // label in front of the search text
    const wchar_t* cue;   // cue banner of the search text
};

std::span<const SearchModeInfo> SearchModes();
// The entry of a mode; the first entry (find string) for a value that names no mode.
const SearchModeInfo& SearchModeOf(DWORD mode);

// Choosing these modes empties the search text (they do not search for a text, or for a number instead).
bool ModeClearsSearchText(DWORD mode);

// Search may be pressed with a look-in text and, outside "All items", a search text.
bool SearchButtonEnabled(DWORD mode, const std::wstring& searchText, const std::wstring& lookInText);

// "Keys Searched: %lu, Total Item(s): %lu".
std::wstring TotalsText(DWORD keysSearched, size_t resultCount);
// The match summary: "Keys: %d ", "Values: %d ", "Data: %d " for each look-at option searched.
std::wstring MatchSummary(DWORD options, DWORD keyMatches, DWORD valueNameMatches, DWORD dataMatches);
// The message for a remote computer whose registry could not be connected to: the name, the system's text
// for the error and the error as eight hexadecimal digits.
std::wstring ConnectFailureText(const std::wstring& computer, DWORD error);
// "Modified: <date>, <time>" for a last-write time, in local time and the user's formats; empty for a zero
// time.
std::wstring ModifiedText(const FILETIME& lastWrite);

// Progress of the final listing: every remaining / 100 rows (integer division) the bar moves, messages are
// pumped and the stop flag is consulted; with fewer than 100 rows left that never happens.
class ListingProgress {
public:
    explicit ListingProgress(size_t remaining) : remaining_(remaining), step_(remaining / 100) {}
    // Counts one row; true at a progress point, with the bar's position in percent.
    bool Next(int& percent);
    size_t Step() const { return step_; }

private:
    size_t remaining_;
    size_t step_;
    size_t count_ = 0;
    unsigned long long accumulated_ = 0;
};
