#include "ui/ToolButton.h"

#include "ui/Accessible.h"
#include "ui/Metrics.h"
#include "ui/OwnerDrawn.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

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

int luma(uint32_t rgb)
{
    return (299 * int(rgb >> 16 & 0xFF) + 587 * int(rgb >> 8 & 0xFF) + 114 * int(rgb & 0xFF)) / 1000;
}

uint32_t fade(uint32_t rgb)
{
    uint32_t v = uint32_t(150 + luma(rgb) * 2 / 5);
    return (v << 16) | (v << 8) | v;
}

uint32_t rgbOf(COLORREF c)
{
    return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

// Black on a light face; on a dark one (high contrast) the scheme's button
// text, which the scheme keeps apart from its face, or white.
uint32_t outlineOn(uint32_t background)
{
    if (luma(background) >= 128)
        return 0x000000;
    uint32_t text = rgbOf(GetSysColor(COLOR_BTNTEXT));
    return luma(text) >= 128 ? text : 0xFFFFFF;
}

// Along one axis, the source pixel an output pixel begins in and that
// pixel's share of it, out of kSide; the rest belongs to the next source
// pixel. A share of a quarter or less goes to the other one: edges stay
// sharp, and only pixels split about evenly are blended.
struct Share {
    int source, weight;
};
Share shareOf(int out, int side)
{
    int start = kSide * out, source = start / side;
    int weight = std::min(side * (source + 1) - start, kSide);
    if (weight * 4 <= kSide)
        return {source + 1, kSide};
    if (weight * 4 >= 3 * kSide)
        return {source, kSide};
    return {source, weight};
}

// Pixels top-down, `side` square, 0xAARRGGBB with straight alpha (0 where
// the picture has none), the drawing resampled by the share of each source
// pixel in each output pixel.
std::vector<uint32_t> pixels(const ToolPicture& picture, bool greyed, int side, uint32_t outline)
{
    std::array<uint32_t, kSide * kSide> source{};
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            char letter = picture.rows[y][x];
            uint32_t c = letter == 'K' ? outline : paletteColor(letter);
            source[size_t(y * kSide + x)] = c == kTransparent ? 0 : 0xFF000000u | (greyed ? fade(c) : c);
        }
    std::vector<uint32_t> out(size_t(side) * size_t(side));
    for (int oy = 0; oy < side; ++oy) {
        Share sy = shareOf(oy, side);
        for (int ox = 0; ox < side; ++ox) {
            Share sx = shareOf(ox, side);
            uint32_t alpha = 0, sum[3] = {};
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    uint32_t wy = uint32_t(dy ? kSide - sy.weight : sy.weight);
                    uint32_t wx = uint32_t(dx ? kSide - sx.weight : sx.weight);
                    if (!wx || !wy)
                        continue;
                    uint32_t p = source[size_t((sy.source + dy) * kSide + sx.source + dx)];
                    uint32_t w = wx * wy * (p >> 24);
                    alpha += w;
                    for (int c = 0; c < 3; ++c)
                        sum[c] += w * (p >> (16 - 8 * c) & 0xFF);
                }
            uint32_t& o = out[size_t(oy * side + ox)];
            o = 0;
            if (alpha) {
                for (int c = 0; c < 3; ++c)
                    o |= (sum[c] / alpha) << (16 - 8 * c);
                o |= alpha / (kSide * kSide) << 24;
            }
        }
    }
    return out;
}

BITMAPINFO dibInfo(int side)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = side;
    bi.bmiHeader.biHeight = -side;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

struct ButtonState {
    const ToolPicture* picture = nullptr;
    int dpi = 0;            // the form's; the system's until it is told
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
    int side = ToolPictureSide(s.dpi ? s.dpi : SystemDpi());
    int x = (r.right - side) / 2 + (down ? 1 : 0);
    int y = (r.bottom - side) / 2 + (down ? 1 : 0);
    DrawToolPicture(dc, x, y, side, *s.picture, !enabled, face);
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
    case TBM_SETDPI:
        s->dpi = int(wp);
        if (IsWindowVisible(hwnd))
            InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETOBJECT: {
        // Read as a push button: named by its hint, pressed by its default action.
        LRESULT result = 0;
        if (AnswerAccessibleAs(hwnd, wp, lp, L"Button", result))
            return result;
        return std::nullopt;
    }
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

int ToolPictureSide(int dpi)
{
    int side = ScaleTo(kSide, dpi);
    if (side >= 2 * kSide)
        return side / kSide * kSide;
    return side >= 24 ? 24 : side >= 20 ? 20 : kSide;
}

void DrawToolPicture(HDC dc, int x, int y, int side, const ToolPicture& picture, bool greyed, COLORREF background)
{
    uint32_t back = rgbOf(background);
    std::vector<uint32_t> dib = pixels(picture, greyed, side, outlineOn(back));
    for (uint32_t& p : dib) {
        uint32_t a = p >> 24, mixed = 0;
        for (int shift : {16, 8, 0})
            mixed |= ((p >> shift & 0xFF) * a + (back >> shift & 0xFF) * (255 - a)) / 255 << shift;
        p = mixed;
    }
    BITMAPINFO bi = dibInfo(side);
    SetDIBitsToDevice(dc, x, y, DWORD(side), DWORD(side), 0, 0, 0, UINT(side), dib.data(), &bi, DIB_RGB_COLORS);
}

HICON CreatePictureIcon(const ToolPicture& picture, bool greyed, int side)
{
    std::vector<uint32_t> px = pixels(picture, greyed, side, outlineOn(rgbOf(GetSysColor(COLOR_BTNFACE))));
    BITMAPINFO bi = dibInfo(side);
    void* bits = nullptr;
    HBITMAP color = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!color)
        return nullptr;
    // The mask: one bit per pixel, rows padded to 16 bits; set = transparent.
    const int stride = (side + 15) / 16 * 2;
    std::vector<uint8_t> mask(size_t(stride * side));
    auto* out = static_cast<uint32_t*>(bits);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            uint32_t p = px[size_t(y * side + x)];
            out[y * side + x] = p;
            if (!(p >> 24))
                mask[size_t(y * stride + x / 8)] |= uint8_t(0x80 >> (x % 8));
        }
    HBITMAP maskBitmap = CreateBitmap(side, side, 1, 1, mask.data());
    ICONINFO info{TRUE, 0, 0, maskBitmap, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(maskBitmap);
    DeleteObject(color);
    return icon;
}

}  // namespace tresorix
