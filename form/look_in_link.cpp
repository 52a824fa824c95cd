#include "form/look_in_link.h"

#include "engine/key_paths.h"

#include <cwctype>

namespace {

std::wstring Upper(const std::wstring& text) {
    std::wstring upper = text;
    for (wchar_t& c : upper) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    return upper;
}

// The text without ";" and blanks at its end, then one ";", so that every entry ends in ";".
std::wstring WithClosingSeparator(const std::wstring& text) {
    size_t end = text.find_last_not_of(L"; ");
    std::wstring closed = end == std::wstring::npos ? std::wstring() : text.substr(0, end + 1);
    closed += L';';
    return closed;
}

bool StartsEntry(const std::wstring& text, size_t position) {
    if (position == 0) {
        return true;
    }
    const wchar_t before = text[position - 1];
    return before == L';' || before == L',' || before == L'|' || std::iswspace(before);
}

// Position of entry (upper case, ending in ";") in upper, from `from` on; npos when it is not there.
size_t FindEntry(const std::wstring& upper, const std::wstring& entry, size_t from = 0) {
    for (size_t at = upper.find(entry, from); at != std::wstring::npos; at = upper.find(entry, at + 1)) {
        if (StartsEntry(upper, at)) {
            return at;
        }
    }
    return std::wstring::npos;
}

std::wstring Entry(const wchar_t* name) {
    return std::wstring(name) + L';';
}

bool Names(const std::wstring& upper, const HiveName& hive) {
    return FindEntry(upper, Entry(hive.fullName)) != std::wstring::npos ||
           FindEntry(upper, Entry(hive.abbreviation)) != std::wstring::npos;
}

// Removes every entry `entry` from text, keeping upper (its upper-case copy) in step.
void RemoveEntry(std::wstring& text, std::wstring& upper, const std::wstring& entry) {
    for (size_t at = FindEntry(upper, entry); at != std::wstring::npos; at = FindEntry(upper, entry, at)) {
        text.erase(at, entry.size());
        upper.erase(at, entry.size());
    }
}

} // namespace

HiveFlags NamedHives(const std::wstring& lookInText) {
    const std::wstring upper = Upper(WithClosingSeparator(lookInText));
    HiveFlags named = {};
    for (size_t hive = 0; hive < kHiveCount; ++hive) {
        named[hive] = Names(upper, kHiveTable[hive]);
    }
    return named;
}

HiveChoice HivesFromLookIn(const std::wstring& lookInText, bool local) {
    const HiveFlags named = NamedHives(lookInText);
    HiveChoice choice;
    choice.entire = true;
    for (size_t hive = 0; hive < kHiveCount; ++hive) {
        if ((local || IsRemoteHive(hive)) && !named[hive]) {
            choice.entire = false;
        }
    }
    for (size_t hive = 0; hive < kHiveCount; ++hive) {
        choice.checked[hive] = (local || IsRemoteHive(hive)) && named[hive] && !choice.entire;
    }
    return choice;
}

std::wstring LookInFromHives(const std::wstring& lookInText, const HiveFlags& checked, bool local) {
    std::wstring text = WithClosingSeparator(lookInText);
    std::wstring upper = Upper(text);
    const HiveFlags named = NamedHives(text);
    for (size_t hive = 0; hive < kHiveCount; ++hive) {
        const HiveName& names = kHiveTable[hive];
        const bool offered = local || IsRemoteHive(hive);
        if (offered && checked[hive]) {
            if (!named[hive]) {
                text += Entry(names.fullName);
                upper += Entry(names.fullName);
            }
        } else {
            RemoveEntry(text, upper, Entry(names.fullName));
            RemoveEntry(text, upper, Entry(names.abbreviation));
        }
    }
    const size_t first = text.find_first_not_of(L"; ");
    if (first == std::wstring::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(L"; ");
    return text.substr(first, last - first + 1);
}
