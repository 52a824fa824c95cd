// The main thread's message loop with message filters and idle handlers, and the per-thread registry of
// loops through which windows and dialogs find the loop they run in.
//
// Threads: a loop, its filters and its idle handlers belong to the thread that runs it; the registry may be
// asked from any thread and guards itself with a lock.
#pragma once

#include "base/win_handles.h"

#include <windows.h>

#include <map>
#include <vector>

class CMessageFilter {
public:
    // TRUE consumes the message: it is neither translated nor dispatched.
    virtual BOOL PreTranslateMessage(MSG* pMsg) = 0;

protected:
    ~CMessageFilter() = default;
};

class CIdleHandler {
public:
    // Called once per idle pass. The return value is ignored: one pass runs per arming.
    virtual BOOL OnIdle() = 0;

protected:
    ~CIdleHandler() = default;
};

class CMessageLoop {
public:
    CMessageLoop() = default;
    CMessageLoop(const CMessageLoop&) = delete;
    CMessageLoop& operator=(const CMessageLoop&) = delete;
    virtual ~CMessageLoop() = default;

    BOOL AddMessageFilter(CMessageFilter* filter);
    BOOL RemoveMessageFilter(CMessageFilter* filter);
    BOOL AddIdleHandler(CIdleHandler* handler);
    BOOL RemoveIdleHandler(CIdleHandler* handler);

    // Runs until WM_QUIT and returns its wParam.
    int Run();

    // Offers the message to the filters, the most recently added first.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Calls every idle handler in registration order; reports that no further idle work remains.
    virtual BOOL OnIdle(int idleCount);

    // Messages after which the loop does not run another idle pass: they arrive in streams and change
    // nothing that idle work would show.
    static BOOL IsIdleMessage(const MSG* pMsg);

    MSG m_msg = {};

private:
    std::vector<CMessageFilter*> m_filters;
    std::vector<CIdleHandler*> m_idleHandlers;
};

// The application module: the registry of message loops by thread id.
class CAppModule {
public:
    // Records the main thread. Returns whether the module was not initialised yet.
    bool Init();
    void Term();

    BOOL AddMessageLoop(CMessageLoop* loop);
    BOOL RemoveMessageLoop();
    // The loop registered for the calling thread (or the given one); null if none.
    CMessageLoop* GetMessageLoop(DWORD threadId = ::GetCurrentThreadId());

    DWORD MainThreadId() const { return m_mainThreadId; }

private:
    CriticalSection m_lock;
    std::map<DWORD, CMessageLoop*> m_loops;
    DWORD m_mainThreadId = 0;
};

// The process's one application module.
CAppModule& AppModule();
