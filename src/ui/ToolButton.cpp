#include "ui/ToolButton.h"

#include "ui/Metrics.h"
#include "ui/OwnerDrawn.h"

#include <array>
#include <cstdint>
#include <optional>

namespace tresorix {

namespace {

constexpr int kSide = 16;
constexpr uint32_t kTransparent = 0xFF000000u;  // never a palette colour: alpha set

uint32_t paletteColor(char c)
{
    switch (c) {
    case 'K': return 0x000000;
    case 'g': return 0x808080;
    case 'l': return 0xC0C0C0;
    case 'W': return 0xFFFFFF;
    case 'R': return 0xE00000;
    case 'r': return 0x800000;
    case 'G': return 0x00B000;
    case 'd': return 0x007000;
    case 'B': return 0x0040E0;
    case 'b': return 0x000080;
    case 'Y': return 0xFFE040;
    case 'y': return 0xC89600;
    case 'o': return 0x806000;
    case 'C': return 0x40C0FF;
    case 'c': return 0x008080;
    }
    return kTransparent;
}

uint32_t fade(uint32_t rgb)
{
    int r = int(rgb >> 16) & 0xFF, g = int(rgb >> 8) & 0xFF, b = int(rgb) & 0xFF;
    int luma = (299 * r + 587 * g + 114 * b) / 1000;
    uint32_t v = uint32_t(150 + luma * 2 / 5);
    return (v << 16) | (v << 8) | v;
}

// Pixels top-down, 0xRRGGBB (which is how a 32-bit DIB holds them),
// kTransparent where the picture has none.
std::array<uint32_t, kSide * kSide> pixels(const ToolPicture& picture, bool greyed)
{
    std::array<uint32_t, kSide * kSide> out{};
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            uint32_t c = paletteColor(picture.rows[y][x]);
            out[size_t(y * kSide + x)] = c == kTransparent || !greyed ? c : fade(c);
        }
    return out;
}

BITMAPINFO dibInfo()
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = kSide;
    bi.bmiHeader.biHeight = -kSide;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

struct ButtonState {
    const ToolPicture* picture = nullptr;
    bool hot = false;       // the mouse is over the button
    bool pressed = false;   // the left button went down here and is held
    bool inside = false;    // while pressed: the mouse is still over it
    bool tracking = false;  // a WM_MOUSELEAVE is requested
};

void paint(HWND hwnd, const ButtonState& s, HDC dc)
{
    RECT r;
    GetClientRect(hwnd, &r);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    HBRUSH brush = GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &r, brush);
    bool enabled = IsWindowEnabled(hwnd);
    bool down = enabled && s.pressed && s.inside;
    if (down)
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    else if (enabled && (s.hot || s.pressed))
        DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    if (!s.picture)
        return;
    int size = ScaleToDpi(kSide);
    int x = (r.right - size) / 2 + (down ? 1 : 0);
    int y = (r.bottom - size) / 2 + (down ? 1 : 0);
    DrawToolPicture(dc, x, y, size, *s.picture, !enabled, face);
}

void notifyClick(HWND hwnd)
{
    if (IsWindowEnabled(hwnd))
        SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED), LPARAM(hwnd));
}

bool cursorInside(HWND hwnd)
{
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(hwnd, &p);
    RECT r;
    GetClientRect(hwnd, &r);
    return PtInRect(&r, p);
}

std::optional<LRESULT> toolButtonMessage(HWND hwnd, ButtonState* s, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case TBM_SETPICTURE:
        s->picture = reinterpret_cast<const ToolPicture*>(lp);
        // A hidden button is painted whole when it shows; marking it costs a
        // round trip under Wine all the same.
        if (IsWindowVisible(hwnd))
            InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_MOUSEMOVE: {
        if (!s->tracking) {
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
            s->tracking = TrackMouseEvent(&tme);
        }
        RECT r;
        GetClientRect(hwnd, &r);
        POINT p{short(LOWORD(lp)), short(HIWORD(lp))};
        bool inside = PtInRect(&r, p);
        if (inside != s->hot || (s->pressed && inside != s->inside)) {
            s->hot = inside;
            s->inside = inside;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    }
    case WM_MOUSELEAVE:
        s->tracking = false;
        if (s->hot && !s->pressed) {
            s->hot = false;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONDOWN:
        // Deliberately no SetFocus: the focused control keeps its edit.
        s->pressed = s->inside = true;
        SetCapture(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP: {
        bool click = s->pressed && s->inside;
        s->pressed = false;
        if (GetCapture() == hwnd)
            ReleaseCapture();
        InvalidateRect(hwnd, nullptr, FALSE);
        // The command may run for a long time (a whole backup); the button
        // must already look released.
        if (click)
            notifyClick(hwnd);
        if (IsWindow(hwnd)) {
            s->hot = cursorInside(hwnd);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (s->pressed) {
            s->pressed = false;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_ENABLE:
        s->hot = s->pressed = false;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case BM_CLICK:
        notifyClick(hwnd);
        return 0;
    }
    return std::nullopt;
}

}  // namespace

void RegisterToolButton()
{
    RegisterOwnerDrawn<ButtonState, paint, toolButtonMessage>(kToolButtonClass, 0);
}

void DrawToolPicture(HDC dc, int x, int y, int size, const ToolPicture& picture, bool greyed, COLORREF background)
{
    uint32_t back = (uint32_t(GetRValue(background)) << 16) | (uint32_t(GetGValue(background)) << 8) |
                    GetBValue(background);
    std::array<uint32_t, kSide * kSide> dib = pixels(picture, greyed);
    for (uint32_t& p : dib)
        if (p == kTransparent)
            p = back;
    BITMAPINFO bi = dibInfo();
    // Whole pixels only: at 120 dpi a 20-pixel picture would smear a
    // 16-pixel drawing, so it is shown at the largest whole multiple.
    int factor = size >= 2 * kSide ? size / kSide : 1;
    int side = kSide * factor;
    StretchDIBits(dc, x + (size - side) / 2, y + (size - side) / 2, side, side, 0, 0, kSide, kSide, dib.data(), &bi,
                  DIB_RGB_COLORS, SRCCOPY);
}

HICON CreatePictureIcon(const ToolPicture& picture, bool greyed)
{
    std::array<uint32_t, kSide * kSide> px = pixels(picture, greyed);
    BITMAPINFO bi = dibInfo();
    void* bits = nullptr;
    HBITMAP color = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!color)
        return nullptr;
    // The mask: one bit per pixel, rows padded to 16 bits; set = transparent.
    std::array<uint8_t, kSide * 2> mask{};
    auto* out = static_cast<uint32_t*>(bits);
    for (int i = 0; i < kSide * kSide; ++i) {
        if (px[size_t(i)] == kTransparent) {
            out[i] = 0;
            mask[size_t(i / 8)] |= uint8_t(0x80 >> (i % 8));
        } else {
            out[i] = px[size_t(i)] | 0xFF000000u;
        }
    }
    HBITMAP maskBitmap = CreateBitmap(kSide, kSide, 1, 1, mask.data());
    ICONINFO info{TRUE, 0, 0, maskBitmap, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(maskBitmap);
    DeleteObject(color);
    return icon;
}

}  // namespace tresorix
