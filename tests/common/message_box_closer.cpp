#include "tests/common/message_box_closer.h"

#include <algorithm>
#include <cwchar>
#include <utility>

namespace testsupport {

namespace {

thread_local MessageBoxCloser* g_active = nullptr;

bool IsDialogWindow(HWND window) {
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    return wcscmp(className, L"#32770") == 0;
}

std::wstring TextOf(HWND window) {
    wchar_t buffer[1024] = {};
    ::GetWindowTextW(window, buffer, 1024);
    return buffer;
}

// A message box's text is its static control with text (the icon's static has none).
std::wstring BoxText(HWND box) {
    std::wstring text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        ::GetClassNameW(child, className, 16);
        if (_wcsicmp(className, L"Static") == 0) {
            std::wstring candidate = TextOf(child);
            if (!candidate.empty()) {
                text = candidate;
            }
        }
    }
    return text;
}

} // namespace

MessageBoxCloser::MessageBoxCloser(int button, std::wstring caption)
    : MessageBoxCloser(std::vector<int>{button}, std::move(caption)) {}

MessageBoxCloser::MessageBoxCloser(std::vector<int> buttons, std::wstring caption)
    : buttons_(std::move(buttons)), caption_(std::move(caption)), previous_(g_active) {
    g_active = this;
    hook_ = ::SetWindowsHookExW(WH_CBT, &HookProc, nullptr, ::GetCurrentThreadId());
}

MessageBoxCloser::~MessageBoxCloser() {
    if (hook_) {
        ::UnhookWindowsHookEx(hook_);
    }
    g_active = previous_;
}

LRESULT CALLBACK MessageBoxCloser::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    MessageBoxCloser* self = g_active;
    if (self && code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        bool answered = false;
        for (HWND handled : self->handled_) {
            answered = answered || handled == window;
        }
        if (!answered && IsDialogWindow(window) && (self->caption_.empty() || TextOf(window) == self->caption_)) {
            const int button = self->buttons_[std::min(self->seen_.size(), self->buttons_.size() - 1)];
            self->handled_.push_back(window);
            // The box is complete when it is activated; the press is posted so that it lands in the box's
            // own modal loop.
            self->seen_.push_back({TextOf(window), BoxText(window)});
            ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(window, button)));
        }
    }
    return ::CallNextHookEx(self ? self->hook_ : nullptr, code, wParam, lParam);
}

} // namespace testsupport
