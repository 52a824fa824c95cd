// Closes message boxes (and other standard dialogs) that the code under test shows on this thread, so a
// modal box never blocks a test. Each box's caption and text are recorded, then the chosen button is
// pressed. Active for the object's lifetime.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

struct SeenBox {
    std::wstring caption;
    std::wstring text;
};

class MessageBoxCloser {
public:
    // button: the command to press (IDOK, IDYES, IDNO, IDCANCEL ...). With a caption, only dialogs with
    // exactly that caption are answered (for a standard dialog opened over another dialog of the test).
    explicit MessageBoxCloser(int button, std::wstring caption = {});
    // Answers the boxes in turn with the given buttons; the last one answers every box after them.
    explicit MessageBoxCloser(std::vector<int> buttons, std::wstring caption = {});
    MessageBoxCloser(const MessageBoxCloser&) = delete;
    MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;
    ~MessageBoxCloser();

    const std::vector<SeenBox>& Seen() const { return seen_; }

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);

    std::vector<int> buttons_;
    std::wstring caption_;
    HHOOK hook_ = nullptr;
    MessageBoxCloser* previous_ = nullptr;
    std::vector<SeenBox> seen_;
    std::vector<HWND> handled_; // activation may repeat; each box is answered once
};

} // namespace testsupport
