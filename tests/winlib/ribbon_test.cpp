#include "winlib/ribbon.h"

#include <gtest/gtest.h>

#include <objbase.h>

namespace {

// This program carries a markup resource that no framework can load. Wine's framework object can be
// created but cannot show a ribbon, so after the first attempt the ribbon must count as unavailable.
TEST(Ribbon, FrameworkThatCannotLoadTheMarkupCountsAsUnavailable) {
    CoInitialize(nullptr);
    HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    EXPECT_TRUE(RibbonAvailable()) << "the markup is there and the framework object can be created";
    {
        CRibbonHost host;
        EXPECT_FALSE(host.Show(frame, {}));
        EXPECT_FALSE(host.IsShown());
        EXPECT_EQ(host.Height(), 0u);
        host.InvalidateState(57601); // harmless while hidden
    }
    EXPECT_FALSE(RibbonAvailable());
    DestroyWindow(frame);
    CoUninitialize();
}

} // namespace
