#include "ui/Gauge.h"

#include "ui/Accessible.h"
#include "ui/OwnerDrawn.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <optional>
#include <string>

namespace tresorix {

namespace {

struct Gauge {
    int min = 0, max = 100, pos = 0;
    COLORREF bar = CLR_DEFAULT, back = CLR_DEFAULT, text = CLR_DEFAULT;
    HFONT font = nullptr;
    std::wstring name;  // what the bar counts: "Datei"

    // Where the bar is drawn before it goes to the screen, kept from one
    // paint to the next: under Wine each new bitmap for the screen asks
    // after the displays, several requests to the server each time.
    struct Buffer {
        HDC dc = nullptr;
        HBITMAP bitmap = nullptr;
        HGDIOBJ old = nullptr;
        SIZE size{};

        Buffer() = default;
        Buffer(const Buffer&) = delete;
        Buffer& operator=(const Buffer&) = delete;
        ~Buffer() { release(); }
        void release()
        {
            if (dc)
                SelectObject(dc, old);
            if (bitmap)
                DeleteObject(bitmap);
            if (dc)
                DeleteDC(dc);
            dc = nullptr;
            bitmap = nullptr;
            size = {};
        }
        // A DC holding a bitmap of at least w x h for `target`; null if the
        // system has none.
        HDC get(HDC target, int w, int h)
        {
            if (dc && size.cx >= w && size.cy >= h)
                return dc;
            release();
            dc = CreateCompatibleDC(target);
            bitmap = dc ? CreateCompatibleBitmap(target, w, h) : nullptr;
            if (!bitmap) {
                release();
                return nullptr;
            }
            old = SelectObject(dc, bitmap);
            size = {w, h};
            return dc;
        }
    };
    mutable Buffer buffer;

    int64_t span() const { return std::max<int64_t>(int64_t(max) - min, 1); }
    int percent() const { return int(100 * (int64_t(pos) - min) / span()); }
    int filled(int width) const { return int(width * (int64_t(pos) - min) / span()); }
};

COLORREF pick(COLORREF c, int sysColor)
{
    return c == CLR_DEFAULT ? GetSysColor(sysColor) : c;
}

void paint(HWND hwnd, const Gauge& g, HDC target)
{
    RECT client;
    GetClientRect(hwnd, &client);
    int w = client.right, h = client.bottom;
    if (w <= 0 || h <= 0)
        return;
    // Drawn off screen: the bar, then the text twice, each clipped to its
    // side, would flicker on the screen.
    HDC dc = g.buffer.get(target, w, h);
    if (!dc)
        return;

    int split = g.filled(w);
    RECT done{0, 0, split, h}, rest{split, 0, w, h};
    SetBkColor(dc, pick(g.bar, COLOR_HIGHLIGHT));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &done, nullptr, 0, nullptr);
    SetBkColor(dc, pick(g.back, COLOR_WINDOW));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rest, nullptr, 0, nullptr);

    wchar_t label[16];
    swprintf(label, 16, L"%d%%", g.percent());
    HGDIOBJ oldFont = SelectObject(dc, g.font ? HGDIOBJ(g.font) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    const struct {
        RECT clip;
        COLORREF color;
    } parts[] = {{done, pick(g.text, COLOR_HIGHLIGHTTEXT)}, {rest, pick(g.text, COLOR_WINDOWTEXT)}};
    for (const auto& part : parts) {
        int saved = SaveDC(dc);
        IntersectClipRect(dc, part.clip.left, part.clip.top, part.clip.right, part.clip.bottom);
        SetTextColor(dc, part.color);
        DrawTextW(dc, label, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        RestoreDC(dc, saved);
    }

    BitBlt(target, 0, 0, w, h, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldFont);
}

// The window text is what a screen reader says of the bar: "Datei: 40 %".
void setValueText(HWND hwnd, const Gauge& g)
{
    std::wstring text = std::to_wstring(g.percent()) + L" %";
    if (!g.name.empty())
        text = g.name + L": " + text;
    DefWindowProcW(hwnd, WM_SETTEXT, 0, LPARAM(text.c_str()));
}

// Repaints only when what is shown changes; a run sets the position far more
// often than the bar moves by a pixel.
void update(HWND hwnd, Gauge& g, int min, int max, int pos)
{
    RECT client;
    GetClientRect(hwnd, &client);
    int oldPercent = g.percent(), oldFilled = g.filled(client.right);
    g.min = min;
    g.max = max;
    g.pos = std::clamp(pos, min, std::max(min, max));
    if (g.percent() != oldPercent) {
        setValueText(hwnd, g);
        // As the system's bar does: a screen reader says the new value.
        NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
    }
    if (g.percent() != oldPercent || g.filled(client.right) != oldFilled)
        InvalidateRect(hwnd, nullptr, FALSE);
}

COLORREF setColor(HWND hwnd, COLORREF& slot, COLORREF value)
{
    COLORREF old = slot;
    slot = value;
    InvalidateRect(hwnd, nullptr, FALSE);
    return old;
}

std::optional<LRESULT> gaugeMessage(HWND hwnd, Gauge* g, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE: {
        const wchar_t* name = reinterpret_cast<const CREATESTRUCTW*>(lp)->lpszName;
        g->name = name ? name : L"";
        setValueText(hwnd, *g);
        return 0;
    }
    case WM_SETTEXT:
        // Names the bar; its value follows the name.
        g->name = lp ? reinterpret_cast<const wchar_t*>(lp) : L"";
        setValueText(hwnd, *g);
        return TRUE;
    case WM_SETFONT:
        g->font = HFONT(wp);
        if (lp)
            InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return LRESULT(g->font);
    case WM_GETOBJECT: {
        // Read as the system's bar, which asks PBM_GETPOS and PBM_GETRANGE.
        LRESULT result = 0;
        if (AnswerAccessibleAs(hwnd, wp, lp, L"msctls_progress32", result))
            return result;
        return std::nullopt;
    }
    case PBM_SETRANGE:
    case PBM_SETRANGE32: {
        LRESULT old = MAKELONG(g->min, g->max);
        if (msg == PBM_SETRANGE)
            update(hwnd, *g, LOWORD(lp), HIWORD(lp), g->pos);
        else
            update(hwnd, *g, int(wp), int(lp), g->pos);
        return old;
    }
    case PBM_GETRANGE:
        if (lp) {
            auto* range = reinterpret_cast<PBRANGE*>(lp);
            range->iLow = g->min;
            range->iHigh = g->max;
        }
        return wp ? g->min : g->max;
    case PBM_SETPOS: {
        int old = g->pos;
        update(hwnd, *g, g->min, g->max, int(wp));
        return old;
    }
    case PBM_DELTAPOS: {
        int old = g->pos;
        update(hwnd, *g, g->min, g->max, int(int64_t(g->pos) + int(wp)));
        return old;
    }
    case PBM_GETPOS:
        return g->pos;
    case PBM_SETBARCOLOR:
        return setColor(hwnd, g->bar, COLORREF(lp));
    case PBM_SETBKCOLOR:
        return setColor(hwnd, g->back, COLORREF(lp));
    case GBM_SETTEXTCOLOR:
        return setColor(hwnd, g->text, COLORREF(lp));
    }
    return std::nullopt;
}

}  // namespace

void RegisterGauge()
{
    RegisterOwnerDrawn<Gauge, paint, gaugeMessage>(kGaugeClass, CS_HREDRAW | CS_VREDRAW);
}

}  // namespace tresorix
