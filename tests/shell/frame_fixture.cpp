#include "tests/shell/frame_fixture.h"

#include "tests/common/test_support.h"

void FrameTest::SetUp() {
    testsupport::ResetProgramKey();
    TakeQuitMessage();
    ASSERT_TRUE(AppModule().AddMessageLoop(&loop));
    frame = std::make_unique<TestFrame>();
    ASSERT_TRUE(frame->CreateFrame());
}

void FrameTest::TearDown() {
    DestroyFrame();
    frame.reset();
    AppModule().RemoveMessageLoop();
    testsupport::ResetProgramKey();
}

int FrameTest::DestroyFrame() {
    if (frame && frame->m_hWnd) {
        frame->DestroyWindow();
    }
    return TakeQuitMessage();
}

int TakeQuitMessage() {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        return static_cast<int>(msg.wParam);
    }
    return -1;
}

int PumpUntilQuit(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                return static_cast<int>(msg.wParam);
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return -1;
}
