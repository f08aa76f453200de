// A small value class around an HWND. It does not own the window: forms own
// theirs (Form.h), controls belong to their form.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace tresorix {

class Window {
public:
    Window(HWND hwnd = nullptr) : hwnd_(hwnd) {}

    HWND handle() const { return hwnd_; }
    operator HWND() const { return hwnd_; }
    explicit operator bool() const { return hwnd_ != nullptr; }

    LRESULT send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return SendMessageW(hwnd_, msg, wp, lp); }
    bool post(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return PostMessageW(hwnd_, msg, wp, lp); }

    // Texts are UTF-8 inside the program.
    void setText(std::string_view text) const;
    std::string text() const;

    bool enabled() const { return IsWindowEnabled(hwnd_); }
    void enable(bool on) const { EnableWindow(hwnd_, on); }
    bool visible() const { return IsWindowVisible(hwnd_); }
    void show(bool on) const { ShowWindow(hwnd_, on ? SW_SHOW : SW_HIDE); }
    void focus() const { SetFocus(hwnd_); }
    bool focused() const { return GetFocus() == hwnd_; }
    int id() const { return GetDlgCtrlID(hwnd_); }
    HWND parent() const { return GetParent(hwnd_); }

    void setFont(HFONT font, bool redraw = true) const { send(WM_SETFONT, WPARAM(font), redraw); }
    HFONT font() const { return HFONT(send(WM_GETFONT)); }

    // Window rectangle in the parent's client coordinates (screen ones for a
    // top-level window).
    RECT rect() const;
    RECT clientRect() const { RECT r{}; GetClientRect(hwnd_, &r); return r; }
    // Nothing when the window is there already: under Wine such a move still
    // costs round trips to the server, and layouts repeat most of theirs.
    void move(int x, int y, int w, int h, bool repaint = true) const;
    void setPos(int x, int y) const { SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); }
    void setSize(int w, int h) const { SetWindowPos(hwnd_, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE); }

    // Only marks the window for repainting; under Wine a forced paint per
    // change costs more than the work it reports.
    void invalidate(bool erase = true) const { InvalidateRect(hwnd_, nullptr, erase); }
    void setRedraw(bool on) const { send(WM_SETREDRAW, on); }

    LONG_PTR style() const { return GetWindowLongPtrW(hwnd_, GWL_STYLE); }
    LONG_PTR exStyle() const { return GetWindowLongPtrW(hwnd_, GWL_EXSTYLE); }

protected:
    HWND hwnd_;
};

}  // namespace tresorix
