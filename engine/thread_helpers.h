// A worker-thread base: CThreadImpl<T, StopPolicy> runs T::Run on a C-runtime thread that is created
// suspended and then resumed; Stop signals the policy's event and waits for the worker to end.
// Start and Stop are called on the owning (main) thread only.
#pragma once

#include "base/win_handles.h"

#include <windows.h>
#include <process.h>

#include <atomic>

namespace ThreadHelpers {

// Thread handle, id and suspended flag. With tManaged = 1 the handle is closed on destruction.
template <int tManaged> class CThreadT {
public:
    CThreadT() = default;
    CThreadT(const CThreadT&) = delete;
    CThreadT& operator=(const CThreadT&) = delete;
    ~CThreadT() {
        if (!tManaged) {
            m_hThread.Release();
        }
    }

    HANDLE GetHandle() const { return m_hThread.Get(); }
    DWORD GetThreadId() const { return m_dwThreadId; }
    // True while the worker exists and has not ended (its exit code still reads STILL_ACTIVE).
    bool IsRunning() const {
        DWORD code = 0;
        return m_hThread && GetExitCodeThread(m_hThread.Get(), &code) && code == STILL_ACTIVE;
    }

protected:
    UniqueHandle m_hThread;
    volatile DWORD m_dwThreadId = 0;
    bool m_bSuspended = false;
};

// Stop policy: a manual-reset event, initially clear, that the worker polls. The poll reads a flag kept
// in step with the event: a zero wait on the event is a kernel round trip (under Wine a server request as
// costly as a registry call), and the search worker polls after every value.
class CThreadStopAtEvent {
public:
    CThreadStopAtEvent() : m_hStopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    CThreadStopAtEvent(const CThreadStopAtEvent&) = delete;
    CThreadStopAtEvent& operator=(const CThreadStopAtEvent&) = delete;

    bool ResetStopEvent() {
        if (!m_hStopEvent || !ResetEvent(m_hStopEvent.Get())) {
            return false;
        }
        m_stopRequested.store(false);
        return true;
    }
    bool SetStopEvent() {
        if (!m_hStopEvent || !SetEvent(m_hStopEvent.Get())) {
            return false;
        }
        m_stopRequested.store(true);
        return true;
    }
    // Zero-wait poll, for the worker.
    bool IsStopSet() const { return m_stopRequested.load(); }
    HANDLE GetStopEvent() const { return m_hStopEvent.Get(); }

protected:
    UniqueHandle m_hStopEvent;
    std::atomic<bool> m_stopRequested{false};
};

template <class T, class TStopPolicy> class CThreadImpl : public CThreadT<1>, public TStopPolicy {
public:
    CThreadImpl() = default;
    virtual ~CThreadImpl() {
        if (m_bStopOnDestroy) {
            Stop();
        }
    }

    bool Start() {
        if (!this->ResetStopEvent()) {
            return false;
        }
        unsigned id = 0;
        unsigned flags = CREATE_SUSPENDED | (m_stackReserve ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0);
        auto handle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, m_stackReserve, &ThreadProc, this, flags, &id));
        if (!handle) {
            return false;
        }
        m_hThread.Reset(handle);
        m_dwThreadId = id;
        m_bSuspended = true;
        if (ResumeThread(m_hThread.Get()) == static_cast<DWORD>(-1)) {
            return false;
        }
        m_bSuspended = false;
        return true;
    }

    // Signals the worker and blocks until it has ended. Safe to call when no worker was started.
    void Stop() {
        if (!m_hThread || !this->SetStopEvent()) {
            return;
        }
        if (m_bSuspended && ResumeThread(m_hThread.Get()) != static_cast<DWORD>(-1)) {
            m_bSuspended = false;
        }
        WaitForSingleObject(m_hThread.Get(), INFINITE);
        m_hThread.Reset();
    }

protected:
    bool m_bAutoDelete = false;
    bool m_bStopOnDestroy = true;
    // Address space reserved for the worker's stack; 0 takes the program's default.
    unsigned m_stackReserve = 0;

private:
    static unsigned __stdcall ThreadProc(void* parameter) {
        T* self = static_cast<T*>(parameter);
        DWORD result = self->Run();
        self->m_dwThreadId = 0;
        if (self->m_bAutoDelete) {
            delete self;
        }
        return result;
    }
};

} // namespace ThreadHelpers
