// The link between the look-in text and the options tree's hive check boxes, apart from any window. Hives
// are indexed as in kHiveTable: HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_USERS,
// HKEY_CURRENT_CONFIG.
//
// A hive counts as named when its full name or abbreviation, followed by ";", stands as an entry of its
// own: at the start of the text or after a separator or blank. A key path that merely ends in such a name
// ("HKLM\Software\MyHKU") is neither a hive entry nor rewritten when hives are checked or unchecked.
#pragma once

#include <array>
#include <string>

inline constexpr size_t kHiveCount = 5;
using HiveFlags = std::array<bool, kHiveCount>;

inline constexpr size_t kHiveLocalMachine = 0;
inline constexpr size_t kHiveUsers = 3;

// What a remote computer's registry offers: only these two hives.
inline constexpr bool IsRemoteHive(size_t hive) {
    return hive == kHiveLocalMachine || hive == kHiveUsers;
}

inline constexpr const wchar_t* kEntireRegistryLocal =
    L"HKEY_CLASSES_ROOT;HKEY_CURRENT_USER;HKEY_LOCAL_MACHINE;HKEY_USERS;HKEY_CURRENT_CONFIG";
inline constexpr const wchar_t* kEntireRegistryRemote = L"HKEY_LOCAL_MACHINE;HKEY_USERS";
// The look-in text of a first start, when the look-in history is empty.
inline constexpr const wchar_t* kDefaultLookIn = L"HKEY_CURRENT_USER;HKEY_LOCAL_MACHINE";

// Which hives the text names as entries.
HiveFlags NamedHives(const std::wstring& lookInText);

struct HiveChoice {
    HiveFlags checked = {}; // the hive check boxes
    bool entire = false;    // "Entire Registry" rather than "Selected Hives"
};
// The check boxes for a look-in text. Naming every hive the computer offers means the entire registry,
// and then no single hive is checked; a remote computer offers HKEY_LOCAL_MACHINE and HKEY_USERS only.
HiveChoice HivesFromLookIn(const std::wstring& lookInText, bool local);

// The look-in text after the hive check boxes changed: checked hives not yet named are appended in full,
// unchecked ones lose their entries (full name and abbreviation, any letter case); on a remote computer
// the three local-only hives always go. Other entries stay as they were. No ";" or blank at either end.
std::wstring LookInFromHives(const std::wstring& lookInText, const HiveFlags& checked, bool local);
