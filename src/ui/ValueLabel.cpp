#include "ui/ValueLabel.h"

#include "ui/OwnerDrawn.h"

#include <optional>
#include <string>
#include <vector>

namespace tresorix {

namespace {

struct ValueLabel {
    HFONT font = nullptr;
    bool stale = false;  // a text set since ShowValueLabels last drew it
};

std::wstring windowText(HWND hwnd)
{
    std::wstring text(size_t(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(hwnd, text.data(), int(text.size()))));
    return text;
}

// `path`, shortened to fit `width` in the DC's font: its last name stays
// whole, the start keeps the room that is left. What DT_PATH_ELLIPSIS does,
// done here because Wine's leaves the text wider than the rectangle.
std::wstring fitPath(HDC dc, const std::wstring& path, int width)
{
    auto fits = [&](const std::wstring& text) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
        return size.cx <= width;
    };
    if (fits(path))
        return path;
    // A directory's path ends in a backslash: its last name is what stays.
    size_t slash = path.size() > 1 ? path.rfind(L'\\', path.size() - 2) : std::wstring::npos;
    std::wstring tail = L"..." + (slash == std::wstring::npos ? std::wstring() : path.substr(slash));
    // The longest start that fits with the tail: `low` fits, `high` is the
    // most there is.
    size_t low = 0, high = slash == std::wstring::npos ? path.size() : slash;
    while (low < high) {
        size_t middle = (low + high + 1) / 2;
        if (fits(path.substr(0, middle) + tail))
            low = middle;
        else
            high = middle - 1;
    }
    return path.substr(0, low) + tail;
}

void paint(HWND hwnd, const ValueLabel& label, HDC dc)
{
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ font = SelectObject(dc, label.font ? HGDIOBJ(label.font) : GetStockObject(DEFAULT_GUI_FONT));
    std::wstring text = windowText(hwnd);
    if (!(GetWindowLongPtrW(hwnd, GWL_STYLE) & VLS_PATH)) {
        // In the colours and the way a static label draws itself, so it
        // looks as the captions beside it: "&" is no mnemonic, and
        // without word breaks a long name is cut at the edge.
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_LEFT | DT_EXPANDTABS | DT_NOPREFIX);
    } else if (!text.empty()) {
        text = fitPath(dc, text, r.right - r.left);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        // Each character at the place the measuring gave it: Wine draws
        // some glyphs wider than it measures them, which would push the
        // end out.
        std::vector<int> ends(text.size()), steps(text.size());
        SIZE size{};
        GetTextExtentExPointW(dc, text.c_str(), int(text.size()), 0, nullptr, ends.data(), &size);
        for (size_t c = 0; c < text.size(); ++c)
            steps[c] = ends[c] - (c ? ends[c - 1] : 0);
        ExtTextOutW(dc, r.left, r.top, ETO_CLIPPED, &r, text.c_str(), UINT(text.size()), steps.data());
    }
    SelectObject(dc, font);
}

std::optional<LRESULT> valueLabelMessage(HWND hwnd, ValueLabel* label, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_SETFONT:
        label->font = HFONT(wp);
        if (lp)
            InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return LRESULT(label->font);
    case WM_SETTEXT:
        // Kept, and drawn by ShowValueLabels: a paint of its own for every
        // label would cost the window's owner many requests each time.
        label->stale = true;
        return DefWindowProcW(hwnd, msg, wp, lp);
    case WM_NCHITTEST:
        // Clicks go to the window below, as on a static label.
        return HTTRANSPARENT;
    }
    return std::nullopt;
}

}  // namespace

void ShowValueLabels(HWND parent, std::span<const HWND> labels)
{
    HDC dc = GetDC(parent);
    if (!dc)
        return;
    for (HWND hwnd : labels) {
        auto* label = reinterpret_cast<ValueLabel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!label || !label->stale || !IsWindowVisible(hwnd))
            continue;
        label->stale = false;
        RECT r;
        GetWindowRect(hwnd, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        SetViewportOrgEx(dc, r.left, r.top, nullptr);
        paint(hwnd, *label, dc);
        RestoreDC(dc, saved);
    }
    ReleaseDC(parent, dc);
}

void RegisterValueLabel()
{
    RegisterOwnerDrawn<ValueLabel, paint, valueLabelMessage>(kValueLabelClass, CS_HREDRAW | CS_VREDRAW);
}

}  // namespace tresorix
