// Results list benchmark: adding 10,000 and 100,000 typical result rows, and one full paint with 100 and
// with 100,000 rows. Adding must grow linearly and a paint must not depend on the number of rows.
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

} // namespace

int wmain() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 820, 640, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    HWND listView =
        CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER, 0, 0, 800, 600,
                        parent, reinterpret_cast<HMENU>(1005), GetModuleHandleW(nullptr), nullptr);
    if (!listView) {
        std::fprintf(stderr, "cannot create the list window\n");
        return 1;
    }
    ShowWindow(parent, SW_SHOWNOACTIVATE);
    HIMAGELIST images = MakeImages();
    const auto rows = MakeRows(100000);
    double add10k = 0, add100k = 0, paint100 = 0, paint100k = 0, paint100kMiddle = 0;
    {
        CHTMLListCtrl list;
        list.SubclassWindow(listView);
        list.SetStyle();
        list.SetImageList(images);
        // As in the search view, rows keep no text: each row's markup is made when it is drawn.
        list.SetMarkupSource([&rows](DWORD_PTR data, std::wstring& markup) { markup = rows[data].first; });

        add10k = AddRows(list, rows, 10000);
        AddRows(list, rows, 100);
        paint100 = PaintTime(list);
        add100k = AddRows(list, rows, 100000);
        paint100k = PaintTime(list);
        // Half way down, where no row before the first visible one may be walked.
        SCROLLINFO info = {sizeof info, SIF_RANGE};
        GetScrollInfo(listView, SB_VERT, &info);
        list.SendMessage(WM_VSCROLL, SB_TOP, 0);
        SetScrollPos(listView, SB_VERT, info.nMax / 2, FALSE);
        paint100kMiddle = PaintTime(list);
    }
    DestroyWindow(parent);
    ImageList_Destroy(images);

    std::printf("name=add_10000_rows value=%.1f unit=ms\n", add10k);
    std::printf("name=add_100000_rows value=%.1f unit=ms\n", add100k);
    std::printf("name=paint_100_rows value=%.3f unit=ms\n", paint100);
    std::printf("name=paint_100000_rows value=%.3f unit=ms\n", paint100k);
    std::printf("name=paint_100000_rows_middle value=%.3f unit=ms\n", paint100kMiddle);
    std::printf("ratio_add=%.2f\n", add100k / add10k);
    std::printf("ratio_paint=%.2f\n", paint100k / paint100);
    return 0;
}
