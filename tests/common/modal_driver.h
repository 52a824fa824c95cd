// Drives a modal dialog from inside its own modal loop: once a dialog with the given caption shows on this
// thread, the script runs against it (reading controls, clicking, pressing OK or Cancel). A dialog that is
// still open when the time is up (the script did not close it) is ended with IDCANCEL, so a
// faulty test fails instead of hanging. Active for the object's lifetime.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace testsupport {

class ModalDriver {
public:
    ModalDriver(std::wstring caption, std::function<void(HWND)> script, DWORD timeoutMs = 10000);
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;
    ~ModalDriver();

    // The script ran against the dialog.
    bool Ran() const { return ran_; }
    // The dialog had to be cancelled by the time limit.
    bool TimedOut() const { return timedOut_; }

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);
    void Tick();
    void Stop();
    HWND FindDialog() const;

    std::wstring caption_;
    std::function<void(HWND)> script_;
    DWORD timeoutMs_;
    DWORD start_;
    UINT_PTR timer_ = 0;
    bool ran_ = false;
    bool running_ = false;
    bool timedOut_ = false;
    ModalDriver* previous_ = nullptr;
};

} // namespace testsupport
