// A main frame created in-process for the frame tests, with a registered message loop so that the frame
// installs its filter and idle handler. Commands are recorded on their way to the frame's handlers and to
// the view.
#pragma once

#include "shell/main_frame.h"
#include "winlib/message_loop.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

class TestFrame : public CMainFrame {
public:
    std::vector<WORD> frameCommands;
    std::vector<WORD> viewCommands;
    bool runFrameCommands = true;
    // Routing tests only look where a command goes; the view's actions (dialogs, the registry editor) stay out.
    bool runViewCommands = true;
    int listFontReloads = 0;

protected:
    BOOL HandleFrameCommand(WORD id) override {
        frameCommands.push_back(id);
        return runFrameCommands ? CMainFrame::HandleFrameCommand(id) : TRUE;
    }
    BOOL ForwardCommandToView(WPARAM wParam, LPARAM lParam, LRESULT& lResult) override {
        viewCommands.push_back(LOWORD(wParam));
        return runViewCommands ? CMainFrame::ForwardCommandToView(wParam, lParam, lResult) : TRUE;
    }
    void ReloadListFont() override {
        ++listFontReloads;
        CMainFrame::ReloadListFont();
    }
};

class FrameTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Destroys the frame window and takes its quit message off the queue; returns the quit code (-1: none).
    int DestroyFrame();
    void Command(WORD id) { frame->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    std::wstring DefaultPaneText() { return frame->StatusBar().GetPaneText(0); }

    CMessageLoop loop;
    std::unique_ptr<TestFrame> frame;
};

// Takes a pending WM_QUIT off this thread's queue; returns its code or -1.
int TakeQuitMessage();
// Dispatches this thread's messages until WM_QUIT arrives (returns its code) or the time is up (-1).
int PumpUntilQuit(DWORD timeoutMs = 5000);
