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

// A closed pipe (the reader has gone, as with "| more" quit early) is not an error of the search.
void Write(HANDLE handle, bool console, std::wstring_view text) {
    if (!handle || handle == INVALID_HANDLE_VALUE || text.empty()) {
        return;
    }
    const std::wstring converted = ToCrLf(text);
    if (console) {
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
    const std::string bytes = ToUtf8(converted);
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
