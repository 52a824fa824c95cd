// The process-wide result-delivery queue: an I/O completion port used as a FIFO of QueuedMessage records.
// The search worker is the only producer; the main thread (the frame's idle drain and the view's final
// drain) the only consumer. Records change hands whole.
#pragma once

#include <windows.h>

#include <memory>

struct QueuedMessage {
    OVERLAPPED header; // first, so that the record's address is the completion's OVERLAPPED pointer
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

using QueuedMessagePtr = std::unique_ptr<QueuedMessage>;

// Creates the queue; false (last error ERROR_INVALID_HANDLE) when one exists already.
bool MsgQueueCreate();
void MsgQueueClose();
// Queues WM_SEARCH_NOTIFY / SN_RESULT with lParam = index for window. False without a queue.
bool MsgQueuePost(HWND window, size_t index);
// Takes one record without waiting; null when the queue is absent or empty.
QueuedMessagePtr MsgQueueGet();
// How many records wait in the queue now (a snapshot: the producer and the consumer run on their own).
size_t MsgQueueWaiting();
// Frees every queued record without posting it.
void MsgQueueDrain();
// Frees queued records without posting them, in batches, for about budgetMs milliseconds at most; true once
// the queue is empty (or absent). The main thread drains a large queue in slices and handles its window
// messages in between.
bool MsgQueueDrainFor(DWORD budgetMs);
// The idle drain: takes at most one record and posts it only while the worker thread is still running.
// Returns whether a record was taken.
bool MsgQueueForwardOne(HANDLE workerThread);
