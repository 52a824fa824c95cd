#include "output/reg_export.h"

#include "engine/key_paths.h"
#include "engine/registry_view.h"
#include "output/reg_value_text.h"
#include "output/text_file_writer.h"
#include "base/log_file.h"
#include "base/system_message.h"
#include "base/win_handles.h"

#include <algorithm>
#include <new>

namespace {

// Longest value name the registry allows, plus its terminator.
constexpr DWORD kMaxValueNameChars = 16384;
constexpr DWORD kSubKeyNameChars = 1024;

std::wstring FullKeyName(const std::wstring& rootName, const std::wstring& path) {
    return path.empty() ? rootName : rootName + L"\\" + path;
}

void NoteKeyFailure(RegExportCounts& counts, DWORD error, const std::wstring& rootName, const std::wstring& path) {
    ++counts.keysFailed;
    std::wstring text = SystemMessage(error);
    if (text.empty()) {
        text = L"error " + std::to_wstring(error);
    }
    counts.problems.push_back(L"Export Error: " + text + L", " + FullKeyName(rootName, path));
}

// The name as the log can show it: NUL, CR and LF as \0, \r and \n.
std::wstring VisibleName(const std::wstring& name) {
    std::wstring visible;
    for (wchar_t c : name) {
        visible += c == L'\0'   ? std::wstring(L"\\0")
                   : c == L'\r' ? std::wstring(L"\\r")
                   : c == L'\n' ? std::wstring(L"\\n")
                                : std::wstring(1, c);
    }
    return visible;
}

// Appends the key line, the values (all, or only `onlyValue`) and the closing blank line of one open key.
// Returns ERROR_SUCCESS, or the error that ended the value enumeration early.
DWORD AppendKeyBlock(const RegistryApi& registry, HKEY key, const std::wstring& rootName, const std::wstring& path,
                     const std::wstring* onlyValue, std::wstring& out, RegExportCounts& counts) {
    out += RegKeyLine(rootName, path);
    DWORD longestName = 0;
    DWORD largestData = 0;
    registry.queryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName, &largestData,
                     nullptr, nullptr);
    std::wstring name;
    std::vector<BYTE> data;
    DWORD result = ERROR_SUCCESS;
    try {
        name.resize(static_cast<size_t>(longestName) + 1);
        data.resize(std::max<DWORD>(largestData, 1));
        for (DWORD index = 0;; ++index) {
            DWORD nameChars = static_cast<DWORD>(name.size());
            DWORD type = 0;
            DWORD size = static_cast<DWORD>(data.size());
            LONG status = registry.enumValue(key, index, name.data(), &nameChars, nullptr, &type, data.data(), &size);
            // A value that grew since the key was queried is read again with room for it, not cut off.
            for (int retry = 0; status == ERROR_MORE_DATA && retry < 3; ++retry) {
                name.resize(kMaxValueNameChars);
                data.resize(std::max<size_t>(size, data.size() * 2));
                nameChars = static_cast<DWORD>(name.size());
                size = static_cast<DWORD>(data.size());
                status = registry.enumValue(key, index, name.data(), &nameChars, nullptr, &type, data.data(), &size);
            }
            if (status == ERROR_NO_MORE_ITEMS) {
                break;
            }
            if (status != ERROR_SUCCESS) {
                result = static_cast<DWORD>(status);
                break;
            }
            const std::wstring valueName(name.data(), nameChars);
            if (onlyValue && valueName != *onlyValue) {
                continue;
            }
            if (!AppendRegValueItem(out, valueName, type, data.data(), std::min<size_t>(size, data.size()))) {
                ++counts.valuesLeftOut;
                counts.problems.push_back(L"Value left out, a .reg file cannot hold its name: " +
                                          FullKeyName(rootName, path) + L", \"" + VisibleName(valueName) + L"\"");
            }
        }
    } catch (const std::bad_alloc&) {
        result = ERROR_NOT_ENOUGH_MEMORY;
    }
    out += L'\n';
    if (result != ERROR_SUCCESS) {
        NoteKeyFailure(counts, result, rootName, path);
    }
    return result;
}

std::wstring ChildPath(const std::wstring& parent, const wchar_t* name) {
    return parent.empty() ? std::wstring(name) : parent + L"\\" + name;
}

} // namespace

std::wstring ExportRootName(HKEY root) {
    if (root == HKEY_PERFORMANCE_DATA) {
        return L"HKEY_PERFORMANCE_DATA";
    }
    if (root == HKEY_DYN_DATA) {
        return L"HKEY_DYN_DATA";
    }
    return RootKeyName(root);
}

DWORD ExportKeyText(HKEY root, const std::wstring& rootName, const std::wstring& path, const std::wstring& valueName,
                    bool valueOnly, std::wstring& out, RegExportCounts& counts, const RegistryApi& registry) {
    ApiKey top(registry);
    HKEY opened = nullptr;
    const LONG openError = registry.openKeyEx(root, path.c_str(), 0, KEY_READ | NativeViewAccess(), &opened);
    if (openError != ERROR_SUCCESS) {
        // A key deleted since it was found is simply no longer there to export.
        if (openError != ERROR_FILE_NOT_FOUND) {
            NoteKeyFailure(counts, static_cast<DWORD>(openError), rootName, path);
        }
        return static_cast<DWORD>(openError);
    }
    top.Attach(opened);
    const DWORD result =
        AppendKeyBlock(registry, top.Get(), rootName, path, valueOnly ? &valueName : nullptr, out, counts);
    ++counts.keysWritten;
    if (valueOnly) {
        return result;
    }
    // Depth first with a stack on the heap: a tree hundreds of levels deep must not exhaust the thread's stack.
    // Each level keeps its key open and enumerates its subkeys one at a time, like a recursive walk.
    struct Level {
        ApiKey key;
        std::wstring path;
        DWORD nextSubKey = 0;
    };
    std::vector<Level> stack;
    stack.push_back({std::move(top), path});
    wchar_t name[kSubKeyNameChars + 1];
    while (!stack.empty()) {
        Level& level = stack.back();
        DWORD chars = kSubKeyNameChars + 1;
        const LONG status =
            registry.enumKeyEx(level.key.Get(), level.nextSubKey++, name, &chars, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) {
            continue;
        }
        if (status != ERROR_SUCCESS) {
            if (status != ERROR_NO_MORE_ITEMS) {
                NoteKeyFailure(counts, static_cast<DWORD>(status), rootName, level.path);
            }
            stack.pop_back();
            continue;
        }
        if (stack.size() > kMaxExportDepth) {
            continue;
        }
        ApiKey child(registry);
        std::wstring childPath = ChildPath(level.path, name);
        const LONG childOpened =
            registry.openKeyEx(level.key.Get(), name, 0, KEY_READ | NativeViewAccess(), &opened);
        if (childOpened != ERROR_SUCCESS) {
            if (childOpened != ERROR_FILE_NOT_FOUND) {
                NoteKeyFailure(counts, static_cast<DWORD>(childOpened), rootName, childPath);
            }
            continue;
        }
        child.Attach(opened);
        AppendKeyBlock(registry, child.Get(), rootName, childPath, nullptr, out, counts);
        ++counts.keysWritten;
        stack.push_back({std::move(child), std::move(childPath)});
    }
    return result;
}

std::wstring RegExportText(const std::vector<ExportEntry>& entries, RegExportCounts& counts,
                           const RegistryApi& registry) {
    counts = {};
    std::wstring text = kRegFileHeader;
    for (const ExportEntry& entry : entries) {
        const std::wstring rootName = ExportRootName(entry.root);
        if (!rootName.empty()) {
            ExportKeyText(entry.root, rootName, entry.keyPath, entry.valueName, entry.valueOnly, text, counts,
                          registry);
        }
    }
    return text;
}

std::wstring WriteExportLog(const std::vector<std::wstring>& problems) {
    LogFile log;
    const std::wstring path = log.OpenLogFile(kExportLogName);
    for (const std::wstring& line : problems) {
        log.LogWriteLine(line.c_str());
    }
    log.CloseLogFile();
    return path;
}

std::wstring ExportFailureText(size_t keysFailed, size_t valuesLeftOut, const std::wstring& logPath) {
    if (keysFailed == 0 && valuesLeftOut == 0) {
        return {};
    }
    std::wstring text = L"The export is incomplete: ";
    if (keysFailed > 0) {
        text += std::to_wstring(keysFailed) + L" key(s) could not be read";
        text += valuesLeftOut > 0 ? L", " : L".";
    }
    if (valuesLeftOut > 0) {
        text += std::to_wstring(valuesLeftOut) + L" value(s) were left out, since a .reg file cannot hold their names.";
    }
    text += logPath.empty() ? std::wstring(L"\nThe error log could not be written.")
                            : L"\nThe log " + logPath + L" lists them.";
    return text;
}

RegExportResult ExportToRegFile(const std::vector<ExportEntry>& entries, const std::wstring& path,
                                const RegistryApi& registry) {
    RegExportResult outcome;
    RegExportCounts counts;
    try {
        const std::wstring text = RegExportText(entries, counts, registry);
        outcome.keysWritten = counts.keysWritten;
        if (counts.keysWritten == 0) {
            outcome.status = RegExportStatus::NothingExported;
        } else {
            outcome.error = WriteUtf16File(path, text);
            outcome.status =
                outcome.error == ERROR_SUCCESS ? RegExportStatus::Written : RegExportStatus::FileNotWritten;
        }
    } catch (const std::bad_alloc&) {
        // A tree too big for memory: no partial file is written.
        outcome.error = ERROR_NOT_ENOUGH_MEMORY;
        outcome.status = RegExportStatus::FileNotWritten;
    }
    outcome.keysFailed = counts.keysFailed;
    outcome.valuesLeftOut = counts.valuesLeftOut;
    if (counts.Failures() > 0) {
        outcome.logPath = WriteExportLog(counts.problems);
    }
    return outcome;
}
