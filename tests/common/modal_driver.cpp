#include "tests/common/modal_driver.h"

#include <cwchar>
#include <utility>

namespace testsupport {

namespace {

constexpr UINT kTickMs = 20;

thread_local ModalDriver* g_driver = nullptr;

struct DialogSearch {
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    wchar_t className[16] = {};
    wchar_t text[256] = {};
    ::GetClassNameW(window, className, 16);
    ::GetWindowTextW(window, text, 256);
    if (wcscmp(className, L"#32770") == 0 && ::IsWindowVisible(window) && *search->caption == text) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

ModalDriver::ModalDriver(std::wstring caption, std::function<void(HWND)> script, DWORD timeoutMs)
    : caption_(std::move(caption)), script_(std::move(script)), timeoutMs_(timeoutMs), start_(::GetTickCount()),
      previous_(g_driver) {
    g_driver = this;
    timer_ = ::SetTimer(nullptr, 0, kTickMs, &TimerProc);
}

ModalDriver::~ModalDriver() {
    Stop();
    g_driver = previous_;
}

void CALLBACK ModalDriver::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
    if (g_driver) {
        g_driver->Tick();
    }
}

HWND ModalDriver::FindDialog() const {
    DialogSearch search = {&caption_, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void ModalDriver::Tick() {
    // The script may open a nested modal loop (a dialog of the dialog), in which this timer fires too.
    if (running_) {
        return;
    }
    HWND dialog = FindDialog();
    if (!ran_ && dialog) {
        ran_ = true;
        running_ = true;
        script_(dialog);
        running_ = false;
        return;
    }
    if (ran_ && !dialog) {
        Stop();
        return;
    }
    if (::GetTickCount() - start_ > timeoutMs_) {
        timedOut_ = true;
        if (dialog) {
            ::EndDialog(dialog, IDCANCEL);
        }
        Stop();
    }
}

void ModalDriver::Stop() {
    if (timer_) {
        ::KillTimer(nullptr, timer_);
        timer_ = 0;
    }
}

} // namespace testsupport
