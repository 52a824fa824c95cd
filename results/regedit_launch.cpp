#include "results/regedit_launch.h"

#include "results/regedit_keys.h"
#include "base/win_handles.h"
#include "winlib/gdi.h"

#include <shellapi.h>

#include <cwchar>
#include <optional>
#include <vector>

namespace {

constexpr DWORD kWindowPollMs = 50;
// The value list fills after the tree's selection changed; typing before that would select nothing.
constexpr DWORD kValueListDelayMs = 1000;
// A keystroke to a hung editor must not hang this program with it.
constexpr UINT kSendTimeoutMs = 5000;
// Longer remembered keys are not worth reading: only their first part is used.
constexpr DWORD kLastKeyReadLimit = 32767;

HWND FindEditorWindow() {
    return ::FindWindowW(kRegEditWindowClass, nullptr);
}

struct DescendantSearch {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchDescendant(HWND child, LPARAM lParam) {
    auto* search = reinterpret_cast<DescendantSearch*>(lParam);
    wchar_t name[64] = {};
    ::GetClassNameW(child, name, 64);
    if (_wcsicmp(name, search->className) == 0) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

// The editor's tree and value list sit below intermediate windows, so the whole window tree is searched.
HWND FindDescendant(HWND parent, const wchar_t* className) {
    DescendantSearch search = {className, nullptr};
    ::EnumChildWindows(parent, &MatchDescendant, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::optional<std::wstring> ReadLastKey(HKEY key) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key, kRegEditLastKey, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > kLastKeyReadLimit * sizeof(wchar_t)) {
        return std::nullopt;
    }
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, kRegEditLastKey, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text.data());
}

// Points the editor's remembered key at the target, keeping the editor's own (localised) name of its top
// item. The settings key is created when missing: a profile in which the editor never ran has none.
bool RememberKey(const std::wstring& rootName, const std::wstring& keyPath) {
    KeyHandle key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRegEditSettingsKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                          nullptr, key.Receive(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const std::wstring lastKey = MakeLastKey(LastKeyTopItem(ReadLastKey(key.Get())), rootName, keyPath);
    return ::RegSetValueExW(key.Get(), kRegEditLastKey, 0, REG_SZ, reinterpret_cast<const BYTE*>(lastKey.c_str()),
                            static_cast<DWORD>((lastKey.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

int ColourDepth() {
    const WindowDC screen(nullptr);
    if (!screen.Get()) {
        return 0;
    }
    return ::GetDeviceCaps(screen, BITSPIXEL) * ::GetDeviceCaps(screen, PLANES);
}

// Starts the editor and waits, bounded, until it is ready: its main window exists and it has either
// reported that it is idle for input or already built its value list. Some systems never report the idle
// state, so it is waited for in short slices rather than once without a limit. Null when the editor does
// not start or shows no window in time.
HWND StartEditorAndWait() {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = L"regedit.exe";
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info)) {
        return nullptr;
    }
    UniqueHandle process(info.hProcess);
    const DWORD start = ::GetTickCount();
    bool idle = false;
    for (;;) {
        if (!idle) {
            const DWORD waited = process ? ::WaitForInputIdle(process.Get(), kWindowPollMs) : WAIT_FAILED;
            idle = waited == 0;
            if (waited == WAIT_FAILED) {
                ::Sleep(kWindowPollMs);
            }
        }
        HWND editor = FindEditorWindow();
        if (editor && (idle || FindDescendant(editor, L"SysListView32"))) {
            return editor;
        }
        const bool ended = process && ::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
        if (ended || ::GetTickCount() - start >= kRegEditStartTimeoutMs) {
            return editor;
        }
        if (idle) {
            ::Sleep(kWindowPollMs);
        }
    }
}

// Keyboard focus can only be given to another program's window while our input is attached to its thread.
class AttachedInput {
public:
    explicit AttachedInput(HWND window)
        : self_(::GetCurrentThreadId()), other_(::GetWindowThreadProcessId(window, nullptr)) {
        attached_ = other_ && other_ != self_ && ::AttachThreadInput(self_, other_, TRUE);
    }
    AttachedInput(const AttachedInput&) = delete;
    AttachedInput& operator=(const AttachedInput&) = delete;
    ~AttachedInput() {
        if (attached_) {
            ::AttachThreadInput(self_, other_, FALSE);
        }
    }

private:
    DWORD self_;
    DWORD other_;
    bool attached_ = false;
};

void BringForwardAndFocus(HWND window) {
    AttachedInput attached(window);
    ::SetForegroundWindow(window);
    ::SetFocus(window);
}

// The key data a real key press carries: a repeat count of 1 and the key's scan code. The tree and list
// controls ignore typed characters whose key data is zero.
LPARAM KeyData(const KeyStroke& stroke) {
    UINT virtualKey = static_cast<UINT>(stroke.key);
    if (stroke.message == WM_CHAR) {
        const SHORT scan = ::VkKeyScanW(static_cast<wchar_t>(stroke.key));
        virtualKey = scan == -1 ? 0 : static_cast<UINT>(scan & 0xFF);
    }
    const UINT scanCode = virtualKey ? ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC) : 0;
    return static_cast<LPARAM>(1 | ((scanCode & 0xFF) << 16));
}

void Send(HWND control, const std::vector<KeyStroke>& strokes) {
    for (const KeyStroke& stroke : strokes) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(control, stroke.message, stroke.key, KeyData(stroke), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                              &ignored);
        if (stroke.pauseMs) {
            ::Sleep(stroke.pauseMs);
        }
    }
}

} // namespace

bool OpenRegEditAt(const std::wstring& rootName, const std::wstring& keyPath, const std::wstring& valueName) {
    const std::wstring treePath = RegEditTreePath(rootName, keyPath);
    const bool withPauses = ColourDepth() > 8;

    bool opensThereItself = false;
    HWND editor = FindEditorWindow();
    if (!editor) {
        opensThereItself = RememberKey(rootName, keyPath);
        editor = StartEditorAndWait();
        if (!editor) {
            return false;
        }
    }
    ::ShowWindow(editor, ::IsIconic(editor) ? SW_RESTORE : SW_SHOW);
    BringForwardAndFocus(editor);

    if (!opensThereItself) {
        if (HWND tree = FindDescendant(editor, L"SysTreeView32")) {
            BringForwardAndFocus(tree);
            Send(tree, TreeKeystrokes(treePath, withPauses));
        }
    }
    if (HWND list = FindDescendant(editor, L"SysListView32")) {
        BringForwardAndFocus(list);
        ::Sleep(kValueListDelayMs);
        Send(list, ValueListKeystrokes(valueName));
    }
    BringForwardAndFocus(editor);
    return true;
}

bool StartRegEdit(HWND owner) {
    const auto result =
        reinterpret_cast<INT_PTR>(::ShellExecuteW(owner, L"open", L"regedit.exe", nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}
