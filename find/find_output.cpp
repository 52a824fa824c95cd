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

// Appends a field with tabs and line ends turned into blanks.
void AppendField(std::wstring& out, std::wstring_view text) {
    const size_t start = out.size();
    out.append(text);
    for (size_t i = start; i < out.size(); ++i) {
        const wchar_t c = out[i];
        if (c == L'\t' || c == L'\n' || c == L'\r' || c == L'\0') {
            out[i] = L' ';
        }
    }
}

// The root's name, made once per root rather than once per line.
const std::wstring& RootName(HKEY root) {
    static const std::wstring kNames[] = {RootKeyName(HKEY_CLASSES_ROOT), RootKeyName(HKEY_CURRENT_USER),
                                          RootKeyName(HKEY_LOCAL_MACHINE), RootKeyName(HKEY_USERS),
                                          RootKeyName(HKEY_PERFORMANCE_DATA), RootKeyName(HKEY_CURRENT_CONFIG)};
    static const std::wstring kNone;
    const auto index = reinterpret_cast<ULONG_PTR>(root) - reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT);
    return index < std::size(kNames) ? kNames[index] : kNone;
}

// A value's data display without its markup: the colour and italic tags go, the text between them stays (the
// notices "<more data...>" and "<binary data not shown>" are text inside italic tags).
std::wstring DataShown(const SearchResult& record) {
    std::wstring markup = DataMarkup(record);
    if (markup.find(L'<') == std::wstring::npos) {
        return markup;
    }
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

namespace {

void AppendListLine(std::wstring& out, const SearchResult& record, const std::wstring* computer) {
    if (computer) {
        AppendField(out, *computer);
        out += L'\t';
    }
    AppendField(out, RootName(record.root));
    if (!record.KeyPath().empty()) {
        out += L'\\';
        AppendField(out, record.KeyPath());
    }
    out += L'\t';
    AppendField(out, record.valueName);
    out += L'\t';
    out += record.IsKey() ? L"<KEY>" : TypeName(record.type).name;
    out += L'\t';
    if (!record.IsKey()) {
        AppendField(out, DataShown(record));
    }
    out += L'\n';
}

} // namespace

std::wstring ListFormatLine(const SearchResult& record, const std::wstring* computer) {
    std::wstring line;
    AppendListLine(line, record, computer);
    return line;
}

void WriteListText(const std::vector<ListedRow>& rows, bool computerColumn,
                   const std::function<void(std::wstring_view)>& sink) {
    constexpr size_t kPieceChars = 1 << 18;
    std::wstring piece;
    piece.reserve(kPieceChars + 4096);
    for (const ListedRow& row : rows) {
        if (row.record && !row.record->removed) {
            AppendListLine(piece, *row.record, computerColumn ? row.computer : nullptr);
            if (piece.size() >= kPieceChars) {
                sink(piece);
                piece.clear();
            }
        }
    }
    if (!piece.empty()) {
        sink(piece);
    }
}

std::wstring OutputText(OutputFormat format, const std::vector<ListedRow>& rows, bool computerColumn,
                        RegExportCounts& exported, const RegistryApi& registry) {
    exported = {};
    if (format == OutputFormat::List) {
        std::wstring text;
        WriteListText(rows, computerColumn, [&](std::wstring_view piece) { text += piece; });
        return text;
    }
    if (format == OutputFormat::Reg) {
        return RegExportText(ExportEntriesFromRows(rows), exported, registry);
    }
    size_t rowsWritten = 0;
    return ListSaveText(LayoutOf(format), rows, computerColumn, rowsWritten);
}

DWORD WriteOutputFile(OutputFormat format, const std::vector<ListedRow>& rows, bool computerColumn,
                      const std::wstring& path, RegExportCounts& exported, const RegistryApi& registry) {
    try {
        const std::wstring text = OutputText(format, rows, computerColumn, exported, registry);
        return format == OutputFormat::List ? WriteUtf8File(path, text) : WriteUtf16File(path, text);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
