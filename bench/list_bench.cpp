// Results list benchmark: adding 10,000 and 100,000 typical result rows, and one full paint with 100 and
// with 100,000 rows. Adding must grow linearly and a paint must not depend on the number of rows. Each pair
// runs in turn, and the ratios are ratios of medians with their spread (bench/alternate.h).
//
//   list_bench.exe [--rounds N]
#include "bench/alternate.h"
#include "results/html_list_ctrl.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency * 1000.0;
}

// Rows in the engine's line formats: a key result, then value results of several types, with matches
// marked in the key, value-name and data colours.
std::wstring TypicalRow(int index, int& icon) {
    const std::wstring path =
        L"SOFTWARE\\Vendor" + std::to_wstring(index % 97) + L"\\Product\\Settings" + std::to_wstring(index % 13);
    wchar_t line[1024];
    switch (index % 5) {
    case 0:
        icon = 0;
        swprintf(line, 1024, L"<p>%ls\\%ls\\<font color=#007f22>Micro</font>soft%d</p>", L"HKEY_LOCAL_MACHINE",
                 path.c_str(), index);
        break;
    case 1:
    case 2:
        icon = 1;
        swprintf(line, 1024,
                 L"%ls\\%ls<br><p><i><font color=#afafaf>Value </font></i>Install<font color=#df0000>Micro</font>"
                 L"Path%d<br><i><font color=#afafaf>Data </font><font color=#5f5f5f>{ %ls%ls }\u00A0</font></i> "
                 L"C:\\Program Files\\<font color=#0077ff>Micro</font>soft\\Office%d\\app.exe </p>",
                 L"HKEY_CURRENT_USER", path.c_str(), index, L"REG_SZ", L", 52 Chars", index % 17);
        break;
    case 3:
        icon = 2;
        swprintf(line, 1024,
                 L"%ls\\%ls<br><p><i><font color=#afafaf>Value </font></i><font color=#df0000>Micro</font>Flags<br>"
                 L"<i><font color=#afafaf>Data </font><font color=#5f5f5f>{ %ls%ls }\u00A0</font></i> "
                 L"0x%08x (%d) </p>",
                 L"HKEY_LOCAL_MACHINE", path.c_str(), L"REG_DWORD", L"", index, index);
        break;
    default:
        icon = 2;
        swprintf(line, 1024,
                 L"%ls\\%ls<br><p><i><font color=#afafaf>Value </font></i>Blob<font color=#df0000>Micro</font><br>"
                 L"<i><font color=#afafaf>Data </font><font color=#5f5f5f>{ %ls%ls }\u00A0</font></i> "
                 L"<i><binary data not shown></i> </p>",
                 L"HKEY_USERS", path.c_str(), L"REG_BINARY", L", 316 Bytes");
        break;
    }
    return line;
}

std::vector<std::pair<std::wstring, int>> MakeRows(int count) {
    std::vector<std::pair<std::wstring, int>> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        int icon = 0;
        std::wstring text = TypicalRow(i, icon);
        rows.emplace_back(std::move(text), icon);
    }
    return rows;
}

double AddRows(CHTMLListCtrl& list, const std::vector<std::pair<std::wstring, int>>& rows, int count) {
    list.DeleteAllItems();
    const double start = Now();
    for (int i = 0; i < count; ++i) {
        list.AddItem(rows[i].first, rows[i].second, i);
    }
    return Now() - start;
}

// Median of several full paints at the current scroll position.
double PaintTime(CHTMLListCtrl& list) {
    std::vector<double> times;
    for (int i = 0; i < 15; ++i) {
        list.Invalidate(FALSE);
        const double start = Now();
        list.UpdateWindow();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

HIMAGELIST MakeImages() {
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 3, 0);
    HDC screen = GetDC(nullptr);
    BitmapHandle strip(CreateCompatibleBitmap(screen, 48, 16));
    ReleaseDC(nullptr, screen);
    ImageList_AddMasked(images, strip, RGB(255, 0, 255));
    return images;
}

// A list window of its own, in a hidden-from-the-taskbar popup that is shown so that it paints.
struct ListWindow {
    ListWindow(HIMAGELIST images, int x) {
        parent = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, x, 0, 820, 640, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        window = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER, 0, 0,
                                 800, 600, parent, reinterpret_cast<HMENU>(1005), GetModuleHandleW(nullptr), nullptr);
        if (window) {
            ShowWindow(parent, SW_SHOWNOACTIVATE);
            list.SubclassWindow(window);
            list.SetStyle();
            list.SetImageList(images);
        }
    }
    ~ListWindow() {
        list.UnsubclassWindow();
        DestroyWindow(parent);
    }
    HWND parent = nullptr;
    HWND window = nullptr;
    CHTMLListCtrl list;
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = benchalt::RoundsArg(argc, argv);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HIMAGELIST images = MakeImages();
    const auto rows = MakeRows(100000);
    benchalt::Samples add, paint, paintMiddle;
    {
        ListWindow small(images, 0);
        ListWindow large(images, 40);
        if (!small.window || !large.window) {
            std::fprintf(stderr, "cannot create the list windows\n");
            return 1;
        }
        add = benchalt::Alternate(
            rounds, [&] { return AddRows(large.list, rows, 100000); },
            [&] { return AddRows(large.list, rows, 10000); });
        AddRows(large.list, rows, 100000);
        AddRows(small.list, rows, 100);
        paint = benchalt::Alternate(
            rounds, [&] { return PaintTime(large.list); }, [&] { return PaintTime(small.list); });
        // Half way down, where no row before the first visible one may be walked.
        SCROLLINFO info = {sizeof info, SIF_RANGE};
        GetScrollInfo(large.window, SB_VERT, &info);
        large.list.SendMessage(WM_VSCROLL, SB_TOP, 0);
        SetScrollPos(large.window, SB_VERT, info.nMax / 2, FALSE);
        paintMiddle = benchalt::Alternate(
            rounds, [&] { return PaintTime(large.list); }, [&] { return PaintTime(small.list); });
    }
    ImageList_Destroy(images);

    std::printf("name=add_10000_rows value=%.1f unit=ms\n", benchalt::Median(add.b));
    std::printf("name=add_100000_rows value=%.1f unit=ms\n", benchalt::Median(add.a));
    std::printf("name=paint_100_rows value=%.3f unit=ms\n", benchalt::Median(paint.b));
    std::printf("name=paint_100000_rows value=%.3f unit=ms\n", benchalt::Median(paint.a));
    std::printf("name=paint_100000_rows_middle value=%.3f unit=ms\n", benchalt::Median(paintMiddle.a));
    std::printf("add_100000/add_10000 %s (linear: 10)\n", benchalt::RatioText(add).c_str());
    std::printf("paint_100000/paint_100 %s (target at most 1.5)\n", benchalt::RatioText(paint).c_str());
    std::printf("paint_100000_middle/paint_100 %s\n", benchalt::RatioText(paintMiddle).c_str());
    return 0;
}
