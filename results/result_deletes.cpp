#include "results/result_deletes.h"

#include "base/win_handles.h"
#include "engine/registry_view.h"

namespace {

// Opens the record's key for a delete, in the native view; the outcome notes whether it opened, or why not.
KeyHandle OpenForDelete(const SearchResult& record, DeleteOutcome& outcome) {
    KeyHandle key;
    const LONG opened =
        ::RegOpenKeyExW(record.root, record.keyPath.c_str(), 0, KEY_ALL_ACCESS | NativeViewAccess(), key.Receive());
    outcome.opened = opened == ERROR_SUCCESS;
    outcome.error = static_cast<DWORD>(opened);
    return key;
}

} // namespace

DeleteOutcome DeleteResultValue(const SearchResult& record) {
    DeleteOutcome outcome;
    if (record.IsKey()) {
        outcome.error = ERROR_INVALID_PARAMETER;
        return outcome;
    }
    const KeyHandle key = OpenForDelete(record, outcome);
    if (outcome.opened) {
        outcome.error = static_cast<DWORD>(::RegDeleteValueW(key.Get(), record.valueName.c_str()));
    }
    return outcome;
}

DeleteOutcome DeleteResultKey(const SearchResult& record) {
    DeleteOutcome outcome;
    if (record.keyPath.empty()) {
        outcome.error = ERROR_INVALID_PARAMETER;
        return outcome;
    }
    KeyHandle key = OpenForDelete(record, outcome);
    if (!outcome.opened) {
        return outcome;
    }
    // Subkeys and values first, then the key itself through its parent, in the same view.
    LONG status = ::RegDeleteTreeW(key.Get(), nullptr);
    key.Reset();
    if (status == ERROR_SUCCESS) {
        status = ::RegDeleteKeyExW(record.root, record.keyPath.c_str(), NativeViewAccess(), 0);
    }
    outcome.error = static_cast<DWORD>(status);
    return outcome;
}

ResultPresence CheckResultPresence(const SearchResult& record) {
    KeyHandle key;
    const LONG opened =
        ::RegOpenKeyExW(record.root, record.keyPath.c_str(), 0, KEY_READ | NativeViewAccess(), key.Receive());
    if (opened == ERROR_FILE_NOT_FOUND) {
        return ResultPresence::Gone;
    }
    if (opened != ERROR_SUCCESS) {
        return ResultPresence::Unknown;
    }
    if (record.IsKey()) {
        return ResultPresence::Present;
    }
    const LONG queried = ::RegQueryValueExW(key.Get(), record.valueName.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (queried == ERROR_FILE_NOT_FOUND) {
        return ResultPresence::Gone;
    }
    return queried == ERROR_SUCCESS ? ResultPresence::Present : ResultPresence::Unknown;
}

ResultPresence CheckKeyPresence(HKEY root, const std::wstring& path) {
    KeyHandle key;
    const LONG opened = ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | NativeViewAccess(), key.Receive());
    if (opened == ERROR_FILE_NOT_FOUND) {
        return ResultPresence::Gone;
    }
    return opened == ERROR_SUCCESS ? ResultPresence::Present : ResultPresence::Unknown;
}
