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

TEST(SearchThread, InitialState) {
    CKeldraThread engine;
    EXPECT_EQ(engine.GetHandle(), nullptr);
    EXPECT_EQ(engine.GetThreadId(), 0u);
    EXPECT_FALSE(engine.IsStopSet());
    EXPECT_EQ(engine.Results().Count(), 0u);
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
    ASSERT_TRUE(engine.Start(SearchRequest()));
    EXPECT_NE(engine.GetHandle(), nullptr);
    engine.Stop();
    EXPECT_EQ(engine.GetHandle(), nullptr);
    EXPECT_EQ(engine.GetThreadId(), 0u) << "the worker clears its id when it ends";
    EXPECT_TRUE(engine.IsStopSet());
    // A new start clears the stop event again.
    ASSERT_TRUE(engine.Start(SearchRequest()));
    EXPECT_FALSE(engine.IsStopSet());
    engine.Stop();
}

TEST(SearchThread, StartedThenFinishedReachTheWindowInOrder) {
    testsupport::ResetProgramKey();
    NotifySink sink;
    CKeldraThread engine;
    SearchRequest request;
    request.notifyWindow = sink.hwnd;
    ASSERT_TRUE(ParseKeyList(L"HKCU\\Software\\QuillonNoSuchKey", request.lookIn));
    ASSERT_TRUE(engine.Start(request));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return sink.codes.size() >= 2; }));
    engine.Stop();
    testsupport::PumpUntil([] { return false; }, 50);
    EXPECT_EQ(sink.codes, (std::vector<WPARAM>{SN_STARTED, SN_FINISHED}));
}

TEST(SearchThread, GoneWindowIsNotPosted) {
    CKeldraThread engine;
    SearchRequest request;
    {
        NotifySink sink;
        request.notifyWindow = sink.hwnd;
    }
    ASSERT_TRUE(engine.Start(request));
    engine.Stop();
    SUCCEED();
}

// The settings a search follows are taken when its request is built: the limit (raised to 100 when set
// lower, none when stopping at a limit is off) and the UTF-16 form in binary data.
TEST(SearchThread, RequestTakesTheSettingsOfItsTime) {
    testsupport::ResetProgramKey();
    SearchFormValues values;
    values.lookIn = L"HKCU";
    values.searchText = L"x";
    const auto built = [&] { return *BuildSearchRequest(values).request; };
    EXPECT_EQ(built().resultLimit, 10000u);
    EXPECT_TRUE(built().options & SO_UNICODE_BINARY);
    WriteSettingDword(kSettingsSubKey, kStopLimit, 50);
    EXPECT_EQ(built().resultLimit, 100u);
    WriteSettingDword(kSettingsSubKey, kStopSearchOnLimit, 0);
    WriteSettingDword(kSettingsSubKey, kUnicodeBinarySearch, 0);
    const SearchRequest request = built();
    EXPECT_EQ(request.resultLimit, 0u);
    EXPECT_FALSE(request.options & SO_UNICODE_BINARY);
    values.resultLimit = 7;
    EXPECT_EQ(built().resultLimit, 7u) << "the caller's own limit wins";
    testsupport::ResetProgramKey();
}

TEST(SearchThread, ManyStartStopCyclesLeakNoHandles) {
    NotifySink sink;
    CKeldraThread engine;
    SearchRequest request;
    request.notifyWindow = sink.hwnd;
    // Warm up once so that lazily created runtime objects are not counted as a leak.
    engine.Start(request);
    engine.Stop();
    testsupport::PumpUntil([] { return false; }, 20);

    DWORD before = 0, after = 0;
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &before));
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(engine.Start(request));
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
