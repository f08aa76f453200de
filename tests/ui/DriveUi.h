// Drives modal windows from inside the test's own thread. A thread timer's
// WM_TIMER comes only when the queue is otherwise empty, after the paints, so
// the action runs once the next modal loop is up and idle: no sleeps, and
// nothing but that loop can run it.
#pragma once

#include "ui/Window.h"

#include <algorithm>
#include <cwchar>
#include <functional>
#include <utility>
#include <vector>

namespace tresorix::test {

inline std::function<void()> pendingUiAction;

inline void CALLBACK runPendingUiAction(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (auto action = std::exchange(pendingUiAction, nullptr))
        action();
}

inline void whenIdle(std::function<void()> action)
{
    pendingUiAction = std::move(action);
    SetTimer(nullptr, 0, 0, runPendingUiAction);
}

struct WindowsOfClass {
    const wchar_t* className;
    std::vector<HWND> found;

    static BOOL CALLBACK visit(HWND hwnd, LPARAM lp)
    {
        auto* self = reinterpret_cast<WindowsOfClass*>(lp);
        wchar_t name[64];
        if (GetClassNameW(hwnd, name, 64) && _wcsicmp(name, self->className) == 0)
            self->found.push_back(hwnd);
        return TRUE;
    }
};

// The visible top-level window of this thread with the given class.
inline HWND threadWindow(const wchar_t* className)
{
    WindowsOfClass search{className, {}};
    EnumThreadWindows(GetCurrentThreadId(), WindowsOfClass::visit, LPARAM(&search));
    auto it = std::find_if(search.found.begin(), search.found.end(), IsWindowVisible);
    return it == search.found.end() ? nullptr : *it;
}

// Child windows of one class, left to right.
inline std::vector<HWND> childrenOfClass(HWND parent, const wchar_t* className)
{
    WindowsOfClass search{className, {}};
    EnumChildWindows(parent, WindowsOfClass::visit, LPARAM(&search));
    std::stable_sort(search.found.begin(), search.found.end(),
                     [](HWND a, HWND b) { return Window(a).rect().left < Window(b).rect().left; });
    return search.found;
}

// The label a screen reader takes for an input without a caption of its own,
// found as the system's accessibility layer finds it: the nearest static
// before the input in z-order, the search ending at a control that starts a
// tab group. Nullptr when there is none.
inline HWND readerLabel(HWND input)
{
    for (HWND w = GetWindow(input, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
        wchar_t name[16];
        if (GetClassNameW(w, name, 16) && _wcsicmp(name, L"Static") == 0)
            return w;
        if ((GetWindowLongW(w, GWL_STYLE) & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP))
            break;
    }
    return nullptr;
}

inline void postKey(HWND target, UINT key)
{
    LPARAM scan = LPARAM(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(target, WM_KEYDOWN, key, 1 | scan);
    PostMessageW(target, WM_KEYUP, key, 1 | scan | LPARAM(3u << 30));
}

}  // namespace tresorix::test
