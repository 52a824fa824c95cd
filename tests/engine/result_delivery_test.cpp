// Result delivery with a real message loop: the worker queues each result, an idle pass forwards one
// SN_RESULT while the worker lives, and a view that follows the delivery rules lists each result once.
#include "registry_tree.h"

#include "engine/msg_queue.h"
#include "engine/result_markup.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace walktest;

// The view's side of delivery: list live results while the worker runs, sweep the rest after SN_FINISHED.
class ViewModel {
public:
    explicit ViewModel(CKeldraThread& engine) : engine_(engine) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuillonTestDeliveryView";
        RegisterClassW(&wc);
        hwnd = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ViewModel() { DestroyWindow(hwnd); }

    // The message loop with the frame's idle drain; returns once SN_FINISHED was handled.
    bool RunUntilFinished(DWORD timeoutMs = 60000) {
        DWORD start = GetTickCount();
        while (!finished && GetTickCount() - start < timeoutMs) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&msg);
            }
            if (!finished && !MsgQueueForwardOne(engine_.GetHandle())) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
            }
        }
        return finished;
    }

    HWND hwnd;
    std::vector<WPARAM> codes;
    std::vector<size_t> listed;
    size_t listedLive = 0;
    size_t stopAfter = 0; // Stop once this many rows are listed (0: never)
    bool stopped = false;
    size_t resultsAfterStop = 0;
    bool finished = false;

private:
    void List(size_t index) {
        SearchResult copy;
        ASSERT_TRUE(engine_.Results().Copy(index, copy));
        ASSERT_TRUE(ListResult(copy, index));
        listed.push_back(index);
    }

    void OnNotify(WPARAM code, LPARAM lParam) {
        codes.push_back(code);
        switch (code) {
        case SN_STARTED:
            listed.clear();
            break;
        case SN_RESULT: {
            resultsAfterStop += stopped ? 1 : 0;
            const size_t index = static_cast<size_t>(lParam);
            EXPECT_LT(index, engine_.Results().Count());
            // A record stands for every result up to its index: the worker queues one at a time.
            while (engine_.IsRunning() && index >= listed.size()) {
                List(listed.size());
                ++listedLive;
            }
            if (stopAfter && listed.size() >= stopAfter && !stopped) {
                engine_.Stop();
                stopped = true;
            }
            break;
        }
        case SN_FINISHED:
            MsgQueueDrain();
            for (size_t i = listed.size(), count = engine_.Results().Count(); i < count; ++i) {
                List(i);
            }
            finished = true;
            break;
        }
    }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_SEARCH_NOTIFY) {
            reinterpret_cast<ViewModel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))->OnNotify(wParam, lParam);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    CKeldraThread& engine_;
};

class Delivery : public testing::Test {
protected:
    static void SetUpTestSuite() {
        testsupport::ResetProgramKey();
        tree_ = new ScratchKey(L"Software\\QuillonTestDelivery");
        for (int i = 0; i < 10000; ++i) {
            SetDword(tree_->Get(), L"", L"v" + std::to_wstring(100000 + i), static_cast<DWORD>(i));
        }
    }
    static void TearDownTestSuite() {
        delete tree_;
        tree_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(MsgQueueCreate()); }
    void TearDown() override { MsgQueueClose(); }

    static ScratchKey* tree_;
    CKeldraThread engine;
    SearchRequest request;
};

ScratchKey* Delivery::tree_ = nullptr;

void ExpectEveryIndexOnceInOrder(const std::vector<size_t>& listed, size_t count) {
    ASSERT_EQ(listed.size(), count);
    for (size_t i = 0; i < count; ++i) {
        ASSERT_EQ(listed[i], i) << "row " << i;
    }
}

TEST_F(Delivery, TenThousandQuickResultsAreListedOnceInOrder) {
    ViewModel view(engine);
    Prepare(request, tree_->LookIn(), L"", SM_ALL_ITEMS, 0);
    request.notifyWindow = view.hwnd;
    ASSERT_TRUE(engine.Start(request));
    ASSERT_TRUE(view.RunUntilFinished());
    engine.Stop();
    // A result forwarded just before the worker ended can arrive after SN_FINISHED; it must not be listed.
    testsupport::PumpUntil([] { return false; }, 100);

    EXPECT_EQ(engine.Results().Count(), 10000u);
    ExpectEveryIndexOnceInOrder(view.listed, 10000);
    EXPECT_GT(view.listedLive, 0u) << "the list fills during the search";
    EXPECT_EQ(view.codes.front(), static_cast<WPARAM>(SN_STARTED));
    EXPECT_EQ(std::count(view.codes.begin(), view.codes.end(), SN_FINISHED), 1);
    EXPECT_FALSE(MsgQueueGet()) << "the final drain leaves nothing queued";
}

TEST_F(Delivery, StopMidSearchDeliversNothingAfterwardsAndTheSweepListsEverything) {
    ViewModel view(engine);
    view.stopAfter = 100;
    Prepare(request, tree_->LookIn(), L"", SM_ALL_ITEMS, 0);
    request.notifyWindow = view.hwnd;
    ASSERT_TRUE(engine.Start(request));
    ASSERT_TRUE(view.RunUntilFinished());

    testsupport::PumpUntil([] { return false; }, 100);
    EXPECT_TRUE(view.stopped);
    EXPECT_EQ(view.resultsAfterStop, 0u);
    EXPECT_GE(view.listedLive, 100u);
    EXPECT_LT(engine.Results().Count(), 10000u) << "the stop ended the walk early";
    ExpectEveryIndexOnceInOrder(view.listed, engine.Results().Count());
}

TEST_F(Delivery, ASearchThatFindsNothingOnlyStartsAndFinishes) {
    ViewModel view(engine);
    Prepare(request, tree_->LookIn(), L"no such value", SM_FIND_STRING);
    request.notifyWindow = view.hwnd;
    ASSERT_TRUE(engine.Start(request));
    ASSERT_TRUE(view.RunUntilFinished());
    engine.Stop();
    EXPECT_EQ(view.codes, (std::vector<WPARAM>{SN_STARTED, SN_FINISHED}));
}

// The end of a search empties the queue in slices; each slice takes whole batches and the last one leaves
// nothing behind, however the records fall into batches.
TEST_F(Delivery, TheQueueIsEmptiedInSlicesWithNothingLeftBehind) {
    const HWND nowhere = reinterpret_cast<HWND>(static_cast<LONG_PTR>(1));
    for (size_t count : {size_t{0}, size_t{1}, size_t{255}, size_t{256}, size_t{257}, size_t{20000}}) {
        for (size_t i = 0; i < count; ++i) {
            ASSERT_TRUE(MsgQueuePost(nowhere, i));
        }
        int slices = 1;
        while (!MsgQueueDrainFor(0)) {
            ++slices;
        }
        EXPECT_EQ(MsgQueueGet(), nullptr) << count;
        EXPECT_LE(static_cast<size_t>(slices), count / 256 + 1) << count;
    }
    MsgQueueClose();
    EXPECT_TRUE(MsgQueueDrainFor(0)) << "no queue: nothing to wait for";
    ASSERT_TRUE(MsgQueueCreate());
}

} // namespace
