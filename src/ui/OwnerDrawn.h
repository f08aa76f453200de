// The window procedure that every control drawn by us shares: its state
// object lives in GWLP_USERDATA from WM_NCCREATE to WM_NCDESTROY, painting
// goes through one function and never erases first (no flicker), and every
// other message goes to the control's own handler, which answers with a
// result or passes the message on.
#pragma once

#include <windows.h>

#include <new>
#include <optional>

namespace tresorix {

template <class State, void (*Paint)(HWND, const State&, HDC),
          std::optional<LRESULT> (*Handle)(HWND, State*, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK OwnerDrawnProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        state = new (std::nothrow) State;
        if (!state)
            return FALSE;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(state));
    }
    if (!state)
        return DefWindowProcW(hwnd, msg, wp, lp);

    switch (msg) {
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete state;
        return DefWindowProcW(hwnd, msg, wp, lp);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        Paint(hwnd, *state, dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(hwnd, *state, HDC(wp));
        return 0;
    }
    if (std::optional<LRESULT> result = Handle(hwnd, state, msg, wp, lp))
        return *result;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// Registers such a control's window class once per process.
template <class State, void (*Paint)(HWND, const State&, HDC),
          std::optional<LRESULT> (*Handle)(HWND, State*, UINT, WPARAM, LPARAM)>
void RegisterOwnerDrawn(const wchar_t* className, UINT classStyle)
{
    static const bool registered = [&] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = classStyle;
        wc.lpfnWndProc = OwnerDrawnProc<State, Paint, Handle>;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = className;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

}  // namespace tresorix
