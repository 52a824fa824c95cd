#include "winlib/message_loop.h"
#include "winlib/window_impl.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

namespace {

// A message-only window that counts what reaches it.
class Target : public CWindowImpl<Target> {
public:
    std::vector<UINT> received;
    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM, LPARAM, LRESULT&, DWORD) override {
        if (uMsg >= WM_USER || uMsg == WM_MOUSEMOVE || uMsg == WM_NCMOUSEMOVE || uMsg == WM_PAINT || uMsg == 0x0118) {
            received.push_back(uMsg);
        }
        return FALSE;
    }
};

// Runs an action on each idle pass and records the idle counts the loop hands out.
class ScriptedIdle : public CIdleHandler {
public:
    std::vector<std::function<void()>> script;
    int calls = 0;
    BOOL OnIdle() override {
        if (calls < static_cast<int>(script.size())) {
            script[static_cast<size_t>(calls)]();
        }
        ++calls;
        return TRUE; // asks for more; the loop still runs one pass per arming
    }
};

class CountingLoop : public CMessageLoop {
public:
    std::vector<int> counts;
    BOOL OnIdle(int idleCount) override {
        counts.push_back(idleCount);
        return CMessageLoop::OnIdle(idleCount);
    }
};

class RecordingFilter : public CMessageFilter {
public:
    RecordingFilter(std::vector<int>& order, int name, BOOL answer) : order_(order), name_(name), answer_(answer) {}
    CMessageLoop* removeFrom = nullptr;
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message != WM_APP + 5) {
            return FALSE;
        }
        order_.push_back(name_);
        if (removeFrom) {
            removeFrom->RemoveMessageFilter(this);
        }
        return answer_;
    }

private:
    std::vector<int>& order_;
    int name_;
    BOOL answer_;
};

void DrainQueue() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&msg);
    }
}

TEST(MessageLoop, IdlePassRunsOncePerArmingAndStreamMessagesDoNotRearm) {
    Target target;
    ASSERT_TRUE(target.Create(HWND_MESSAGE));
    DrainQueue();
    CountingLoop loop;
    ScriptedIdle idle;
    loop.AddIdleHandler(&idle);
    idle.script.push_back([&] {
        // Processed one after another; none of them may start another idle pass.
        target.PostMessage(WM_MOUSEMOVE);
        target.PostMessage(WM_NCMOUSEMOVE);
        target.PostMessage(WM_PAINT);
        target.PostMessage(0x0118);
        PostQuitMessage(5);
    });
    EXPECT_EQ(loop.Run(), 5);
    EXPECT_EQ(idle.calls, 1);
    EXPECT_EQ(target.received, (std::vector<UINT>{WM_MOUSEMOVE, WM_NCMOUSEMOVE, WM_PAINT, 0x0118}));
    target.DestroyWindow();
}

TEST(MessageLoop, OrdinaryMessageRearmsWithTheCountStartingAgain) {
    Target target;
    ASSERT_TRUE(target.Create(HWND_MESSAGE));
    DrainQueue();
    CountingLoop loop;
    ScriptedIdle idle;
    loop.AddIdleHandler(&idle);
    idle.script.push_back([&] { target.PostMessage(WM_USER + 1); });
    idle.script.push_back([&] { target.PostMessage(WM_USER + 2); });
    idle.script.push_back([] { PostQuitMessage(9); });
    EXPECT_EQ(loop.Run(), 9);
    EXPECT_EQ(idle.calls, 3);
    EXPECT_EQ(loop.counts, (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(target.received, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
    target.DestroyWindow();
}

TEST(MessageLoop, IdleHandlersRunInRegistrationOrderAndCanBeRemoved) {
    std::vector<int> order;
    struct Named : CIdleHandler {
        std::vector<int>* order;
        int name;
        BOOL OnIdle() override {
            order->push_back(name);
            return FALSE;
        }
    } first, second;
    first.order = second.order = &order;
    first.name = 1;
    second.name = 2;
    CMessageLoop loop;
    EXPECT_TRUE(loop.AddIdleHandler(&first));
    EXPECT_TRUE(loop.AddIdleHandler(&second));
    EXPECT_FALSE(loop.AddIdleHandler(&first)) << "a handler is registered once";
    loop.OnIdle(0);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_TRUE(loop.RemoveIdleHandler(&first));
    EXPECT_FALSE(loop.RemoveIdleHandler(&first));
    loop.OnIdle(0);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 2}));
}

TEST(MessageLoop, FiltersAreAskedNewestFirstAndAConsumedMessageIsNotDispatched) {
    Target target;
    ASSERT_TRUE(target.Create(HWND_MESSAGE));
    DrainQueue();
    std::vector<int> order;
    RecordingFilter older(order, 1, FALSE), newer(order, 2, FALSE);
    CMessageLoop loop;
    loop.AddMessageFilter(&older);
    loop.AddMessageFilter(&newer);
    target.PostMessage(WM_APP + 5);
    PostQuitMessage(0);
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_EQ(order, (std::vector<int>{2, 1}));
    EXPECT_EQ(target.received, (std::vector<UINT>{WM_APP + 5}));

    // The newest filter consumes it: the older one is not asked and the window never sees it.
    order.clear();
    target.received.clear();
    RecordingFilter consumer(order, 3, TRUE);
    loop.AddMessageFilter(&consumer);
    target.PostMessage(WM_APP + 5);
    PostQuitMessage(0);
    loop.Run();
    EXPECT_EQ(order, (std::vector<int>{3}));
    EXPECT_TRUE(target.received.empty());
    target.DestroyWindow();
}

// Fault guarded: a dialog that removes its filter while being asked (it ends) must not make the loop skip
// or repeat the other filters.
TEST(MessageLoop, FilterRemovingItselfWhileAskedLeavesTheOthersIntact) {
    std::vector<int> order;
    CMessageLoop loop;
    RecordingFilter older(order, 1, FALSE), leaving(order, 2, FALSE);
    leaving.removeFrom = &loop;
    loop.AddMessageFilter(&older);
    loop.AddMessageFilter(&leaving);
    MSG msg = {nullptr, WM_APP + 5};
    loop.PreTranslateMessage(&msg);
    loop.PreTranslateMessage(&msg);
    EXPECT_EQ(order, (std::vector<int>{2, 1, 1}));
}

TEST(AppModule, KeepsOneLoopPerThread) {
    CAppModule module;
    EXPECT_TRUE(module.Init());
    EXPECT_FALSE(module.Init()) << "the module is initialised once";
    EXPECT_EQ(module.MainThreadId(), GetCurrentThreadId());
    CMessageLoop loop, other;
    EXPECT_EQ(module.GetMessageLoop(), nullptr);
    EXPECT_TRUE(module.AddMessageLoop(&loop));
    EXPECT_FALSE(module.AddMessageLoop(&other)) << "a thread runs one loop";
    EXPECT_EQ(module.GetMessageLoop(), &loop);
    CMessageLoop* seenElsewhere = &loop;
    std::thread([&] { seenElsewhere = module.GetMessageLoop(); }).join();
    EXPECT_EQ(seenElsewhere, nullptr);
    EXPECT_TRUE(module.RemoveMessageLoop());
    EXPECT_EQ(module.GetMessageLoop(), nullptr);
    module.Term();
    EXPECT_TRUE(module.Init());
}

} // namespace
