#include "ui/Window.h"

#include "platform/TextConv.h"

namespace tresorix {

void Window::setText(std::string_view text) const
{
    SetWindowTextW(hwnd_, Widen(text).c_str());
}

std::string Window::text() const
{
    std::wstring buffer(size_t(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
    buffer.resize(size_t(GetWindowTextW(hwnd_, buffer.data(), int(buffer.size()))));
    return Narrow(buffer);
}

void Window::move(int x, int y, int w, int h, bool repaint) const
{
    RECT r = rect();
    if (r.left != x || r.top != y || r.right - r.left != w || r.bottom - r.top != h)
        MoveWindow(hwnd_, x, y, w, h, repaint);
}

RECT Window::rect() const
{
    RECT r{};
    GetWindowRect(hwnd_, &r);
    if (HWND p = GetParent(hwnd_); p && (style() & WS_CHILD))
        MapWindowPoints(HWND_DESKTOP, p, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace tresorix
