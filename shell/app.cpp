#include "shell/app.h"

#include "shell/main_frame.h"
#include "shell/window_placement.h"
#include "winlib/display_scale.h"
#include "winlib/message_loop.h"

#include <commctrl.h>
#include <objbase.h>

#include <memory>

int Run(int show) {
    CMessageLoop loop;
    AppModule().AddMessageLoop(&loop);
    int result = 0;
    {
        auto frame = std::make_unique<CMainFrame>();
        if (frame->CreateFrame()) {
            RestoreWindowPlacement(frame->m_hWnd, show);
            result = loop.Run();
        }
    }
    AppModule().RemoveMessageLoop();
    return result;
}

int QuillonMain(int show) {
    ::CoInitialize(nullptr);
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    ::InitCommonControlsEx(&classes);
    AppModule().Init();
    DisplayScale();
    const int result = Run(show);
    AppModule().Term();
    ::CoUninitialize();
    return result;
}
