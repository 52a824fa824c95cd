#include "output/reg_export_entries.h"

bool KeyPathCovers(const std::wstring& listed, const std::wstring& path) {
    if (path.size() < listed.size()) {
        return false;
    }
    if (!listed.empty() && CompareStringOrdinal(path.data(), static_cast<int>(listed.size()), listed.data(),
                                                static_cast<int>(listed.size()), TRUE) != CSTR_EQUAL) {
        return false;
    }
    // A plain prefix test would let Software\A swallow its sibling Software\AB and lose it from the file.
    return listed.empty() || path.size() == listed.size() || path[listed.size()] == L'\\';
}

bool AddExportEntry(std::vector<ExportEntry>& entries, const ExportEntry& entry) {
    for (auto it = entries.begin(); it != entries.end();) {
        if (it->root != entry.root || it->valueOnly) {
            ++it;
            continue;
        }
        if (KeyPathCovers(it->keyPath, entry.keyPath)) {
            return false;
        }
        if (!entry.valueOnly && KeyPathCovers(entry.keyPath, it->keyPath)) {
            it = entries.erase(it);
            continue;
        }
        ++it;
    }
    entries.push_back(entry);
    return true;
}

std::vector<ExportEntry> ExportEntriesFromRows(const std::vector<ListedRow>& rows) {
    std::vector<ExportEntry> entries;
    for (const ListedRow& row : rows) {
        if (row.checked && row.record && !row.record->removed) {
            const SearchResult& record = *row.record;
            AddExportEntry(entries, {record.root, record.KeyPath(), record.valueName, !record.IsKey()});
        }
    }
    return entries;
}
