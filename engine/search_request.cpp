#include "engine/search_request.h"

#include "engine/hive_registry.h"
#include "engine/matchers.h"
#include "base/settings.h"

#include <algorithm>
#include <cwchar>

namespace {

bool ContainsNoCase(const std::wstring& text, const wchar_t* upperNeedle) {
    std::wstring upper = text;
    for (wchar_t& c : upper) {
        c = static_cast<wchar_t>(::towupper(c));
    }
    return upper.find(upperNeedle) != std::wstring::npos;
}

RequestOutcome Refuse(RequestField field, std::wstring message) {
    RequestOutcome outcome;
    outcome.refusal = {field, std::move(message)};
    return outcome;
}

// The picked date with its time of day as a FILETIME taken unchanged (no time-zone conversion). A time that
// does not convert leaves the bound off rather than searching with a stale one.
BOOL TakeBound(const std::optional<SYSTEMTIME>& picked, FILETIME& out) {
    if (!picked) {
        return FALSE;
    }
    SYSTEMTIME time = *picked;
    time.wMilliseconds = 0;
    return ::SystemTimeToFileTime(&time, &out);
}

// Whether every location lies in the hive mounted as HKEY_LOCAL_MACHINE\name: the hive itself or keys below it.
bool WithinHive(const std::vector<KeyLocation>& lookIn, const std::wstring& name) {
    return std::all_of(lookIn.begin(), lookIn.end(), [&](const KeyLocation& location) {
        const std::wstring subKey = TrimChars(location.subKey, L"\\");
        return location.root == HKEY_LOCAL_MACHINE && !name.empty() && subKey.size() >= name.size() &&
               _wcsnicmp(subKey.c_str(), name.c_str(), name.size()) == 0 &&
               (subKey.size() == name.size() || subKey[name.size()] == L'\\');
    });
}

// The limit of the settings: 0 unless stopping at a limit is on.
DWORD ResultLimitSetting() {
    if (!ReadSettingFlag(kStopSearchOnLimitSetting)) {
        return 0;
    }
    const DWORD limit = ReadSetting(kStopLimitSetting);
    return limit > 0 ? ClampSetting(kStopLimitSetting, limit) : 0;
}

} // namespace

bool SetRequestPattern(SearchRequest& request, const std::wstring& text) {
    request.patterns.clear();
    if (!PrepareSearchText(text, request.mode, request.patterns, request.integerValue)) {
        return false;
    }
    request.matcher = std::make_shared<SearchMatcher>();
    return request.matcher->Configure(request.mode,
                                      request.patterns.empty() ? std::wstring() : request.patterns.front(),
                                      request.integerValue, request.options);
}

KeyLocation HistoryExclusion() {
    KeyLocation entry;
    entry.root = HKEY_CURRENT_USER;
    entry.subKey = std::wstring(kProgramKeyPath) + L"\\" + kHistorySubKey;
    entry.subKeyText = entry.subKey;
    entry.rootName = RootKeyName(HKEY_CURRENT_USER);
    return entry;
}

RequestOutcome BuildSearchRequest(const SearchFormValues& values) {
    SearchRequest request;
    if (values.remote) {
        request.remoteComputer = TrimComputerName(values.computer);
        if (request.remoteComputer.empty()) {
            return Refuse(RequestField::Computer, L"Please enter a remote computer name.");
        }
        if (NamesLocalOnlyHive(values.lookIn)) {
            return Refuse(RequestField::RemoteHive,
                          L"Only 'HKEY_LOCAL_MACHINE' and 'HKEY_USERS' are supported for remote registry search.");
        }
    }
    if (values.hive && values.hiveFile.empty()) {
        return Refuse(RequestField::HiveFile, L"Please enter the path of a hive file.");
    }
    if (!ParseKeyList(values.lookIn, request.lookIn)) {
        return Refuse(RequestField::LookIn, L"Error in the Look-In text.");
    }
    if (values.hive) {
        if (!WithinHive(request.lookIn, values.hiveName)) {
            return Refuse(RequestField::LookIn, L"A hive file is searched under HKEY_LOCAL_MACHINE\\" +
                                                    values.hiveName + L": look in it or in keys below it.");
        }
        request.registry = &kHiveRegistry;
        request.sourceDescription = values.hiveFile;
    }
    if (values.excludeOn) {
        ParseKeyList(values.exclude, request.excludeKeys);
    }
    request.excludeKeys.push_back(HistoryExclusion());
    request.keyTreeOn = values.keyTreeOn ? TRUE : FALSE;

    request.mode = values.mode;
    const DWORD lookAt = values.options & SO_LOOK_AT_MASK ? values.options : values.options | SO_LOOK_AT_MASK;
    request.options = OptionsForMode(values.mode, lookAt);
    request.typeMask = TypeMaskForMode(values.mode, values.typeMask ? values.typeMask : 0xFFFFFFFF);

    const bool unicodeBinary =
        values.unicodeBinary ? *values.unicodeBinary : ReadSettingFlag(kUnicodeBinarySearchSetting);
    if (unicodeBinary) {
        request.options |= SO_UNICODE_BINARY;
    } else {
        request.options &= ~SO_UNICODE_BINARY;
    }
    // The pattern must prepare and, in the expression modes, compile with the request's case rule.
    if (!SetRequestPattern(request, values.searchText)) {
        return Refuse(RequestField::SearchText, L"Empty or invalid search string");
    }

    request.modifiedAfterOn = TakeBound(values.modifiedAfter, request.modifiedAfter);
    request.modifiedBeforeOn = TakeBound(values.modifiedBefore, request.modifiedBefore);
    request.lengthFilterOn = values.lengthFilterOn ? TRUE : FALSE;
    const LengthRange range =
        values.lengthFilterOn ? MakeLengthRange(values.lengthFrom, values.lengthTo) : LengthRange{0, 0};
    request.minLength = range.minLength;
    request.maxLength = range.maxLength;
    request.resultLimit = values.resultLimit ? *values.resultLimit : ResultLimitSetting();
    RequestOutcome outcome;
    outcome.request = std::move(request);
    return outcome;
}

bool ModeIgnoresLookAt(DWORD mode) {
    return mode == SM_HEX || mode == SM_ALL_ITEMS || mode == SM_INTEGER;
}

DWORD OptionsForMode(DWORD mode, DWORD options) {
    return ModeIgnoresLookAt(mode) ? options & ~SO_LOOK_AT_MASK : options;
}

DWORD TypeMaskForMode(DWORD mode, DWORD typeMask) {
    if (mode == SM_HEX) {
        // Text types are searched as text, not as bytes.
        return typeMask & ~((1u << REG_SZ) | (1u << REG_EXPAND_SZ) | (1u << REG_MULTI_SZ));
    }
    if (mode == SM_INTEGER) {
        return typeMask & ((1u << REG_DWORD) | (1u << REG_QWORD));
    }
    return typeMask;
}

std::wstring TrimComputerName(const std::wstring& typed) {
    return TrimChars(typed, L"\\/ ");
}

bool NamesLocalOnlyHive(const std::wstring& lookInText) {
    return ContainsNoCase(lookInText, L"HKEY_CURRENT_USER") || ContainsNoCase(lookInText, L"HKEY_CLASSES_ROOT");
}

LengthRange MakeLengthRange(LONG from, LONG to) {
    LengthRange range = {from > 0 ? static_cast<DWORD>(from) : 0u, to > 0 ? static_cast<DWORD>(to) : 0u};
    if (range.maxLength != 0 && range.maxLength < range.minLength) {
        range.maxLength = 0;
    }
    return range;
}
