#include "engine/msg_queue.h"

#include "base/win_handles.h"
#include "engine/search_types.h"

#include <atomic>
#include <new>

namespace {

UniqueHandle g_queue;
// Records in the queue: counted up by the producer once a record is queued, down by whoever takes it out.
std::atomic<long> g_waiting{0};

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
    ++g_waiting;
    if (!PostQueuedCompletionStatus(g_queue.Get(), 0, 0, &record->header)) {
        --g_waiting;
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
    --g_waiting;
    return QueuedMessagePtr(reinterpret_cast<QueuedMessage*>(overlapped));
}

size_t MsgQueueWaiting() {
    const long waiting = g_waiting.load();
    return waiting > 0 ? static_cast<size_t>(waiting) : 0;
}

void MsgQueueDrain() {
    while (!MsgQueueDrainFor(INFINITE)) {
    }
}

bool MsgQueueDrainFor(DWORD budgetMs) {
    if (!g_queue) {
        return true;
    }
    // One call takes a whole batch: record by record, a queue of 100,000 results took seconds.
    constexpr ULONG kBatch = 256;
    OVERLAPPED_ENTRY entries[kBatch];
    const DWORD start = GetTickCount();
    for (;;) {
        ULONG taken = 0;
        if (!GetQueuedCompletionStatusEx(g_queue.Get(), entries, kBatch, &taken, 0, FALSE) || taken == 0) {
            return true;
        }
        for (ULONG i = 0; i < taken; ++i) {
            delete reinterpret_cast<QueuedMessage*>(entries[i].lpOverlapped);
        }
        g_waiting -= static_cast<long>(taken);
        if (taken < kBatch) {
            return true;
        }
        if (budgetMs != INFINITE && GetTickCount() - start >= budgetMs) {
            return false;
        }
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
