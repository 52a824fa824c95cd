#include "form/search_rules.h"

#include "base/system_message.h"

#include "engine/key_paths.h"
#include "engine/search_types.h"

#include <array>
#include <cwchar>

namespace {

constexpr const wchar_t* kFindStringCue = L"Enter search string";

constexpr std::array<SearchModeInfo, 7> kModes = {{
    {L" Find string", SM_FIND_STRING, L"Search String", kFindStringCue},
    {L" Find string (matches whole string only)", SM_WHOLE_STRING, L"Search String", kFindStringCue},
    {L" Wildcards (*,?) search", SM_WILDCARD, L"Find with wildcards",
     L"Enter search string. You can use wildcards * and ?"},
    {L" Regular expression search", SM_REGEX, L"Regular Expression", L"Enter regular expression"},
    {L" Binary data search using hex string", SM_HEX, L"Hex String", L"Enter search string in hex format"},
    {L" DWORD/QWORD data search", SM_INTEGER, L"Integer Value",
     L"Enter a decimal or hexadecimal value. (Prefix '0x' for hexadecimal)"},
    {L" All items", SM_ALL_ITEMS, L"", L""},
}};

} // namespace

std::span<const SearchModeInfo> SearchModes() {
    return kModes;
}

const SearchModeInfo& SearchModeOf(DWORD mode) {
    for (const SearchModeInfo& info : kModes) {
        if (info.mode == mode) {
            return info;
        }
    }
    return kModes.front();
}

bool ModeClearsSearchText(DWORD mode) {
    return mode == SM_INTEGER || mode == SM_ALL_ITEMS;
}

bool SearchButtonEnabled(DWORD mode, const std::wstring& searchText, const std::wstring& lookInText) {
    if (mode == SM_ALL_ITEMS) {
        return !lookInText.empty();
    }
    return !searchText.empty() && !lookInText.empty();
}

std::wstring TotalsText(DWORD keysSearched, size_t resultCount) {
    wchar_t text[96] = {};
    swprintf(text, std::size(text), L"Keys Searched: %lu, Total Item(s): %lu", static_cast<unsigned long>(keysSearched),
             static_cast<unsigned long>(resultCount));
    return text;
}

std::wstring MatchSummary(DWORD options, DWORD keyMatches, DWORD valueNameMatches, DWORD dataMatches) {
    std::wstring summary;
    wchar_t part[48] = {};
    if (options & SO_KEYS) {
        swprintf(part, std::size(part), L"Keys: %d ", static_cast<int>(keyMatches));
        summary += part;
    }
    if (options & SO_VALUES) {
        swprintf(part, std::size(part), L"Values: %d ", static_cast<int>(valueNameMatches));
        summary += part;
    }
    if (options & SO_DATA) {
        swprintf(part, std::size(part), L"Data: %d ", static_cast<int>(dataMatches));
        summary += part;
    }
    return summary;
}

std::wstring ModifiedText(const FILETIME& lastWrite) {
    if (lastWrite.dwLowDateTime == 0 && lastWrite.dwHighDateTime == 0) {
        return {};
    }
    SYSTEMTIME utc = {};
    SYSTEMTIME local = {};
    if (!::FileTimeToSystemTime(&lastWrite, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        return {};
    }
    wchar_t date[100] = {};
    wchar_t time[100] = {};
    ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 100);
    ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &local, nullptr, time, 100);
    return std::wstring(L"Modified: ") + date + L", " + time;
}

std::wstring ConnectFailureText(const std::wstring& computer, DWORD error) {
    const std::wstring reason = SystemMessage(error);
    wchar_t code[16] = {};
    swprintf(code, 16, L"%08lX", static_cast<unsigned long>(error));
    std::wstring text = L"Unable to connect to the registry of " + computer + L".\n\n";
    if (!reason.empty()) {
        text += reason + L"\n";
    }
    return text + L"Error " + code;
}

bool ListingProgress::Next(int& percent) {
    ++count_;
    accumulated_ += 100;
    if (step_ == 0 || count_ % step_ != 0) {
        return false;
    }
    percent = static_cast<int>(accumulated_ / remaining_);
    return true;
}
