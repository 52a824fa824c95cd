#include "find/find_console.h"

#include "find/system_text.h"
#include "output/text_file_writer.h"

#include <algorithm>
#include <string>

namespace {

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_CHAR &&
           GetConsoleMode(handle, &mode);
}

// text as UTF-8 with CR LF line ends, in one pass (an unpaired surrogate becomes U+FFFD, as the system's
// conversion makes it).
void AppendUtf8CrLf(std::string& out, std::wstring_view text) {
    out.reserve(out.size() + text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned code = text[i];
        if (code < 0x80) {
            if (code == L'\n') {
                out += '\r';
            }
            out += static_cast<char>(code);
            continue;
        }
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00u);
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        }
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// A closed pipe (the reader has gone, as with "| more" quit early) is not an error of the search.
void Write(HANDLE handle, bool console, std::wstring_view text) {
    if (!handle || handle == INVALID_HANDLE_VALUE || text.empty()) {
        return;
    }
    if (console) {
        const std::wstring converted = ToCrLf(text);
        for (size_t done = 0; done < converted.size();) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(converted.size() - done, 8192));
            if (!WriteConsoleW(handle, converted.data() + done, chunk, &written, nullptr) || written == 0) {
                return;
            }
            done += written;
        }
        return;
    }
    std::string bytes;
    AppendUtf8CrLf(bytes, text);
    for (size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(handle, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            return;
        }
        done += written;
    }
}

} // namespace

StdConsole::StdConsole()
    : out_(GetStdHandle(STD_OUTPUT_HANDLE)), err_(GetStdHandle(STD_ERROR_HANDLE)), outConsole_(IsConsole(out_)),
      errConsole_(IsConsole(err_)) {}

void StdConsole::Out(std::wstring_view text) {
    Write(out_, outConsole_, text);
}

void StdConsole::Err(std::wstring_view text) {
    Write(err_, errConsole_, text);
}
