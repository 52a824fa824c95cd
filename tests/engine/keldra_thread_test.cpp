#include "engine/keldra_thread.h"
#include "engine/msg_queue.h"
#include "base/settings.h"
#include "tests/common/test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A message-only window that records the WM_SEARCH_NOTIFY codes it receives.
class NotifySink {
public:
    NotifySink() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuillonTestNotifySink";
        RegisterClassW(&wc);
        hwnd = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~NotifySink() { DestroyWindow(hwnd); }

    HWND hwnd;
    std::vector<WPARAM> codes;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_SEARCH_NOTIFY) {
            auto* self = reinterpret_cast<NotifySink*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            self->codes.push_back(wParam);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
};

TEST(SearchThread, InitialRequestValues) {
    CKeldraThread engine;
    EXPECT_EQ(engine.mode, static_cast<DWORD>(SM_FIND_STRING));
    EXPECT_EQ(engine.options, 7u);
    EXPECT_EQ(engine.typeMask, 0xFFFFFFFFu);
    EXPECT_EQ(engine.notifyWindow, nullptr);
    EXPECT_FALSE(engine.lengthFilterOn);
    EXPECT_FALSE(engine.keyTreeOn);
    EXPECT_EQ(engine.GetHandle(), nullptr);
    EXPECT_EQ(engine.GetThreadId(), 0u);
    EXPECT_FALSE(engine.IsStopSet());
}

TEST(SearchThread, StopWithoutWorkerReturnsAtOnce) {
    CKeldraThread engine;
    engine.Stop();
    engine.Stop();
    EXPECT_EQ(engine.GetHandle(), nullptr);
    EXPECT_FALSE(engine.IsStopSet()) << "no worker: the stop event is left alone";
}

TEST(SearchThread, StartThenStopEndsWorkerAndNullsHandle) {
    CKeldraThread engine;
    ASSERT_TRUE(engine.Start());
    EXPECT_NE(engine.GetHandle(), nullptr);
    engine.Stop();
    EXPECT_EQ(engine.GetHandle(), nullptr);
    EXPECT_EQ(engine.GetThreadId(), 0u) << "the worker clears its id when it ends";
    EXPECT_TRUE(engine.IsStopSet());
    // A new start clears the stop event again.
    ASSERT_TRUE(engine.Start());
    EXPECT_FALSE(engine.IsStopSet());
    engine.Stop();
}

TEST(SearchThread, StartedThenFinishedReachTheWindowInOrder) {
    testsupport::ResetProgramKey();
    NotifySink sink;
    CKeldraThread engine;
    engine.notifyWindow = sink.hwnd;
    ASSERT_TRUE(engine.SetLookIn(L"HKCU\\Software\\QuillonNoSuchKey", L""));
    ASSERT_TRUE(engine.Start());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return sink.codes.size() >= 2; }));
    engine.Stop();
    testsupport::PumpUntil([] { return false; }, 50);
    EXPECT_EQ(sink.codes, (std::vector<WPARAM>{SN_STARTED, SN_FINISHED}));
}

TEST(SearchThread, GoneWindowIsNotPosted) {
    CKeldraThread engine;
    {
        NotifySink sink;
        engine.notifyWindow = sink.hwnd;
    }
    ASSERT_TRUE(engine.Start());
    engine.Stop();
    SUCCEED();
}

TEST(SearchThread, RunResetsOutputAndReadsLimit) {
    testsupport::ResetProgramKey();
    CKeldraThread engine;
    engine.results.resize(3);
    engine.keyMatches = engine.valueNameMatches = engine.dataMatches = 9;
    engine.keysSearched = 9;
    engine.keyTree[L"HKEY_CURRENT_USER\\Old"] = 2;

    ASSERT_TRUE(engine.Start());
    engine.Stop();
    EXPECT_TRUE(engine.results.empty());
    EXPECT_EQ(engine.keyMatches + engine.valueNameMatches + engine.dataMatches, 0u);
    EXPECT_EQ(engine.keysSearched, 0);
    EXPECT_TRUE(engine.keyTree.empty());
    EXPECT_EQ(engine.stopLimit, 10000u);
    EXPECT_TRUE(engine.options & SO_UNICODE_BINARY);

    // A configured limit below 100 is raised; StopSearchOnLimit 0 means no limit at all.
    WriteSettingDword(kSettingsSubKey, kStopLimit, 50);
    ASSERT_TRUE(engine.Start());
    engine.Stop();
    EXPECT_EQ(engine.stopLimit, 100u);
    WriteSettingDword(kSettingsSubKey, kStopSearchOnLimit, 0);
    ASSERT_TRUE(engine.Start());
    engine.Stop();
    EXPECT_EQ(engine.stopLimit, 0u);

    WriteSettingDword(kSettingsSubKey, kUnicodeBinarySearch, 0);
    ASSERT_TRUE(engine.Start());
    engine.Stop();
    EXPECT_FALSE(engine.options & SO_UNICODE_BINARY);
    testsupport::ResetProgramKey();
}

TEST(SearchThread, ManyStartStopCyclesLeakNoHandles) {
    NotifySink sink;
    CKeldraThread engine;
    engine.notifyWindow = sink.hwnd;
    // Warm up once so that lazily created runtime objects are not counted as a leak.
    engine.Start();
    engine.Stop();
    testsupport::PumpUntil([] { return false; }, 20);

    DWORD before = 0, after = 0;
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &before));
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(engine.Start());
        engine.Stop();
    }
    testsupport::PumpUntil([] { return false; }, 20);
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
    EXPECT_LE(after, before + 2) << "before " << before << ", after " << after;
}

TEST(DeliveryQueue, SecondCreateFailsAndKeepsTheFirst) {
    ASSERT_TRUE(MsgQueueCreate());
    SetLastError(0);
    EXPECT_FALSE(MsgQueueCreate());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    NotifySink sink;
    EXPECT_TRUE(MsgQueuePost(sink.hwnd, 7));
    QueuedMessagePtr record = MsgQueueGet();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->window, sink.hwnd);
    EXPECT_EQ(record->message, WM_SEARCH_NOTIFY);
    EXPECT_EQ(record->wParam, static_cast<WPARAM>(SN_RESULT));
    EXPECT_EQ(record->lParam, 7);
    EXPECT_FALSE(MsgQueueGet());
    MsgQueueClose();
    EXPECT_FALSE(MsgQueuePost(sink.hwnd, 1));
    EXPECT_FALSE(MsgQueueGet());
}

DWORD WINAPI WaitForEvent(void* event) {
    return WaitForSingleObject(event, INFINITE);
}

TEST(DeliveryQueue, IdleDrainForwardsOnlyWhileWorkerIsAlive) {
    ASSERT_TRUE(MsgQueueCreate());
    NotifySink sink;
    // A thread that stays alive until told to end stands in for the search worker.
    UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle worker(CreateThread(nullptr, 0, &WaitForEvent, release.Get(), 0, nullptr));
    MsgQueuePost(sink.hwnd, 0);
    MsgQueuePost(sink.hwnd, 1);
    EXPECT_TRUE(MsgQueueForwardOne(worker.Get()));
    SetEvent(release.Get());
    WaitForSingleObject(worker.Get(), INFINITE);
    EXPECT_TRUE(MsgQueueForwardOne(worker.Get())) << "taken, but dropped: the worker has ended";
    EXPECT_FALSE(MsgQueueForwardOne(worker.Get()));
    testsupport::PumpUntil([] { return false; }, 50);
    EXPECT_EQ(sink.codes, (std::vector<WPARAM>{SN_RESULT}));
    MsgQueueClose();
}

} // namespace
