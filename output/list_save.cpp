#include "output/list_save.h"

#include "engine/key_paths.h"
#include "engine/result_markup.h"
#include "output/text_file_writer.h"

#include <vector>
#include <new>

namespace {

constexpr wchar_t kCreatedBy[] = L"Created by Orvanta Software's Quillon\n";
constexpr wchar_t kKeyType[] = L"<KEY>";

std::wstring Quoted(const std::wstring& field) {
    std::wstring quoted;
    quoted.reserve(field.size());
    for (wchar_t c : field) {
        // The usual escape of comma-separated files: a quote inside a quoted field is written twice, so that
        // the field neither ends early nor swallows the separator after it.
        if (c == L'"') {
            quoted += L'"';
        }
        quoted += c;
    }
    return quoted;
}

} // namespace

bool WildcardMatch(std::wstring_view pattern, std::wstring_view text) {
    size_t p = 0;
    size_t t = 0;
    size_t starAt = std::wstring_view::npos;
    size_t resumeAt = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            starAt = p++;
            resumeAt = t;
        } else if (starAt != std::wstring_view::npos) {
            p = starAt + 1;
            t = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') {
        ++p;
    }
    return p == pattern.size();
}

ListLayout LayoutForFileName(const std::wstring& fileName) {
    if (WildcardMatch(L"*.txt", fileName)) {
        return ListLayout::TextReport;
    }
    if (WildcardMatch(L"*.csv", fileName)) {
        return ListLayout::CommaSeparated;
    }
    return ListLayout::TabSeparated;
}

std::wstring ListSaveHeading(ListLayout layout, bool computerColumn) {
    switch (layout) {
    case ListLayout::TextReport:
        return kCreatedBy + std::wstring(computerColumn ? L"Computer\n" : L"") + L"Hive\nSubKey\nValue\nData\nType\n" +
               std::wstring(50, L'=') + L"\n";
    case ListLayout::CommaSeparated:
        return kCreatedBy + std::wstring(computerColumn ? L" \"Computer\",\"Hive\"" : L" \"Hive\"") +
               L",\"SubKey\",\"Value\",\"Data\",\"Type\"\n\n";
    case ListLayout::TabSeparated:
        break;
    }
    return kCreatedBy + std::wstring(computerColumn ? L" \"Computer\"\t\"Hive\"" : L" \"Hive\"") +
           L"\t\"SubKey\"\t\"Value\"\t\"Data\"\t\"Type\"\n\n";
}

std::wstring ListSaveRow(ListLayout layout, const SearchResult& record, const std::wstring* computer) {
    std::vector<std::wstring> fields;
    if (computer) {
        fields.push_back(*computer);
    }
    fields.insert(fields.end(), {RootKeyName(record.root), record.KeyPath(), record.valueName, record.dataText,
                                 record.IsKey() ? kKeyType : TypeName(record.type).name});
    if (layout == ListLayout::TextReport) {
        std::wstring block;
        for (const std::wstring& field : fields) {
            block += field + L"\n";
        }
        return block + std::wstring(50, L'-') + L"\n";
    }
    const wchar_t* separator = layout == ListLayout::CommaSeparated ? L"\",\"" : L"\"\t\"";
    std::wstring line = L"\"";
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += separator;
        }
        line += Quoted(fields[i]);
    }
    return line + L"\"\n";
}

std::wstring ListSaveText(ListLayout layout, const std::vector<ListedRow>& rows, bool computerColumn,
                          size_t& rowsWritten) {
    static const std::wstring noComputer;
    rowsWritten = 0;
    std::wstring text = ListSaveHeading(layout, computerColumn);
    for (const ListedRow& row : rows) {
        if (row.record && !row.record->removed) {
            const std::wstring* computer = row.computer ? row.computer : &noComputer;
            text += ListSaveRow(layout, *row.record, computerColumn ? computer : nullptr);
            ++rowsWritten;
        }
    }
    return text;
}

ListSaveResult SaveListToFile(const std::vector<ListedRow>& rows, const std::wstring& path) {
    ListSaveResult result;
    try {
        const std::wstring text = ListSaveText(LayoutForFileName(path), rows, false, result.rowsWritten);
        result.error = WriteUtf16File(path, text);
    } catch (const std::bad_alloc&) {
        result.rowsWritten = 0;
        result.error = ERROR_NOT_ENOUGH_MEMORY;
    }
    return result;
}
