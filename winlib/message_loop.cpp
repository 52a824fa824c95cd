#include "winlib/message_loop.h"

#include <algorithm>

namespace {

template <class T> BOOL AddUnique(std::vector<T*>& list, T* item) {
    if (!item || std::find(list.begin(), list.end(), item) != list.end()) {
        return FALSE;
    }
    list.push_back(item);
    return TRUE;
}

template <class T> BOOL RemoveItem(std::vector<T*>& list, T* item) {
    auto found = std::find(list.begin(), list.end(), item);
    if (found == list.end()) {
        return FALSE;
    }
    list.erase(found);
    return TRUE;
}

} // namespace

BOOL CMessageLoop::AddMessageFilter(CMessageFilter* filter) {
    return AddUnique(m_filters, filter);
}
BOOL CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) {
    return RemoveItem(m_filters, filter);
}
BOOL CMessageLoop::AddIdleHandler(CIdleHandler* handler) {
    return AddUnique(m_idleHandlers, handler);
}
BOOL CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) {
    return RemoveItem(m_idleHandlers, handler);
}

int CMessageLoop::Run() {
    bool idleArmed = true;
    int idleCount = 0;
    for (;;) {
        while (idleArmed && !::PeekMessageW(&m_msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++)) {
                idleArmed = false;
            }
        }
        BOOL got = ::GetMessageW(&m_msg, nullptr, 0, 0);
        if (got == -1) {
            continue;
        }
        if (!got) {
            return static_cast<int>(m_msg.wParam);
        }
        if (!PreTranslateMessage(&m_msg)) {
            ::TranslateMessage(&m_msg);
            ::DispatchMessageW(&m_msg);
        }
        if (IsIdleMessage(&m_msg)) {
            idleArmed = true;
            idleCount = 0;
        }
    }
}

BOOL CMessageLoop::PreTranslateMessage(MSG* pMsg) {
    // A filter may remove itself (a dialog ending) while it is asked, so walk a copy.
    const std::vector<CMessageFilter*> filters = m_filters;
    for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
        if ((*it)->PreTranslateMessage(pMsg)) {
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CMessageLoop::OnIdle(int /*idleCount*/) {
    const std::vector<CIdleHandler*> handlers = m_idleHandlers;
    for (CIdleHandler* handler : handlers) {
        handler->OnIdle();
    }
    return FALSE;
}

BOOL CMessageLoop::IsIdleMessage(const MSG* pMsg) {
    switch (pMsg->message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case 0x0118: // the system timer that drives caret blinking
        return FALSE;
    default:
        return TRUE;
    }
}

bool CAppModule::Init() {
    CriticalSectionLock hold(m_lock);
    if (m_mainThreadId) {
        return false;
    }
    m_mainThreadId = ::GetCurrentThreadId();
    return true;
}

void CAppModule::Term() {
    CriticalSectionLock hold(m_lock);
    m_loops.clear();
    m_mainThreadId = 0;
}

BOOL CAppModule::AddMessageLoop(CMessageLoop* loop) {
    CriticalSectionLock hold(m_lock);
    return loop && m_loops.emplace(::GetCurrentThreadId(), loop).second;
}

BOOL CAppModule::RemoveMessageLoop() {
    CriticalSectionLock hold(m_lock);
    return m_loops.erase(::GetCurrentThreadId()) != 0;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD threadId) {
    CriticalSectionLock hold(m_lock);
    auto found = m_loops.find(threadId);
    return found == m_loops.end() ? nullptr : found->second;
}

CAppModule& AppModule() {
    static CAppModule module;
    return module;
}
