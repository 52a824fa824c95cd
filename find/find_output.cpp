#include "find/find_output.h"

#include "engine/key_paths.h"
#include "engine/result_markup.h"
#include "find/system_text.h"
#include "output/list_save.h"
#include "output/reg_export.h"
#include "output/reg_export_entries.h"
#include "output/text_file_writer.h"
#include "base/win_handles.h"

#include <new>

namespace {

std::wstring Field(const std::wstring& text) {
    std::wstring field = text;
    for (wchar_t& c : field) {
        if (c == L'\t' || c == L'\n' || c == L'\r' || c == L'\0') {
            c = L' ';
        }
    }
    return field;
}

// A value's data display without its markup: the colour and italic tags go, the text between them stays (the
// notices "<more data...>" and "<binary data not shown>" are text inside italic tags).
std::wstring DataShown(const SearchResult& record) {
    const std::wstring markup = DataMarkup(record);
    std::wstring shown;
    shown.reserve(markup.size());
    const std::wstring_view fontOpen = L"<font color=#";
    for (size_t at = 0; at < markup.size();) {
        const std::wstring_view rest(markup.data() + at, markup.size() - at);
        if (rest.rfind(fontOpen, 0) == 0 && rest.size() >= kOpenTagLength) {
            at += kOpenTagLength;
        } else if (rest.rfind(kCloseTag, 0) == 0) {
            at += kCloseTagLength;
        } else if (rest.rfind(L"<i>", 0) == 0) {
            at += 3;
        } else if (rest.rfind(L"</i>", 0) == 0) {
            at += 4;
        } else {
            shown += markup[at++];
        }
    }
    return shown;
}

ListLayout LayoutOf(OutputFormat format) {
    switch (format) {
    case OutputFormat::Txt:
        return ListLayout::TextReport;
    case OutputFormat::Csv:
        return ListLayout::CommaSeparated;
    default:
        return ListLayout::TabSeparated;
    }
}

DWORD WriteUtf8File(const std::wstring& path, const std::wstring& text) {
    const std::string bytes = ToUtf8(ToCrLf(text));
    UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return GetLastError();
    }
    DWORD written = 0;
    if (!bytes.empty() && (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
                           written != bytes.size())) {
        return GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT;
    }
    return ERROR_SUCCESS;
}

} // namespace

std::wstring ListFormatLine(const SearchResult& record, const std::wstring* computer) {
    std::wstring line;
    if (computer) {
        line = Field(*computer) + L"\t";
    }
    std::wstring keyPath = RootKeyName(record.root);
    if (!record.KeyPath().empty()) {
        keyPath += L"\\" + record.KeyPath();
    }
    line += Field(keyPath) + L"\t" + Field(record.valueName) + L"\t" +
            (record.IsKey() ? std::wstring(L"<KEY>") : std::wstring(TypeName(record.type).name)) + L"\t" +
            Field(record.IsKey() ? std::wstring() : DataShown(record)) + L"\n";
    return line;
}

std::wstring OutputText(OutputFormat format, const std::vector<ListedRow>& rows, bool computerColumn,
                        size_t& keysWritten, const RegistryApi& registry) {
    keysWritten = 0;
    if (format == OutputFormat::List) {
        std::wstring text;
        for (const ListedRow& row : rows) {
            if (row.record && !row.record->removed) {
                text += ListFormatLine(*row.record, computerColumn ? row.computer : nullptr);
            }
        }
        return text;
    }
    if (format == OutputFormat::Reg) {
        return RegExportText(ExportEntriesFromRows(rows), keysWritten, registry);
    }
    size_t rowsWritten = 0;
    return ListSaveText(LayoutOf(format), rows, computerColumn, rowsWritten);
}

DWORD WriteOutputFile(OutputFormat format, const std::vector<ListedRow>& rows, bool computerColumn,
                      const std::wstring& path, const RegistryApi& registry) {
    try {
        size_t keysWritten = 0;
        const std::wstring text = OutputText(format, rows, computerColumn, keysWritten, registry);
        return format == OutputFormat::List ? WriteUtf8File(path, text) : WriteUtf16File(path, text);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
