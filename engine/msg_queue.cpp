#include "engine/msg_queue.h"

#include "base/win_handles.h"
#include "engine/search_types.h"

#include <new>

namespace {

UniqueHandle g_queue;

} // namespace

bool MsgQueueCreate() {
    if (g_queue) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    g_queue.Reset(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    return static_cast<bool>(g_queue);
}

void MsgQueueClose() {
    if (g_queue) {
        MsgQueueDrain();
        g_queue.Reset();
    }
}

bool MsgQueuePost(HWND window, size_t index) {
    if (!g_queue) {
        return false;
    }
    // A record that cannot be allocated is not queued; the final sweep still lists its result.
    auto* record = new (std::nothrow) QueuedMessage{};
    if (!record) {
        return false;
    }
    record->window = window;
    record->message = WM_SEARCH_NOTIFY;
    record->wParam = SN_RESULT;
    record->lParam = static_cast<LPARAM>(index);
    if (!PostQueuedCompletionStatus(g_queue.Get(), 0, 0, &record->header)) {
        delete record;
        return false;
    }
    return true;
}

QueuedMessagePtr MsgQueueGet() {
    if (!g_queue) {
        return nullptr;
    }
    DWORD bytes = 0;
    ULONG_PTR key = 0;
    OVERLAPPED* overlapped = nullptr;
    if (!GetQueuedCompletionStatus(g_queue.Get(), &bytes, &key, &overlapped, 0) || !overlapped) {
        return nullptr;
    }
    return QueuedMessagePtr(reinterpret_cast<QueuedMessage*>(overlapped));
}

void MsgQueueDrain() {
    while (MsgQueueGet()) {
    }
}

bool MsgQueueForwardOne(HANDLE workerThread) {
    QueuedMessagePtr record = MsgQueueGet();
    if (!record) {
        return false;
    }
    DWORD code = 0;
    if (workerThread && GetExitCodeThread(workerThread, &code) && code == STILL_ACTIVE) {
        PostMessageW(record->window, record->message, record->wParam, record->lParam);
    }
    return true;
}
