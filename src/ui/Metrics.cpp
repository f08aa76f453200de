#include "ui/Metrics.h"

#include <cwchar>
#include <tuple>
#include <vector>

namespace tresorix {

namespace {

// Windows 10's calls for a dpi per monitor, looked up once: the program
// also runs where they do not exist.
struct DpiCalls {
    UINT(WINAPI* dpiForWindow)(HWND) = nullptr;
    int(WINAPI* metricForDpi)(int, UINT) = nullptr;
};

const DpiCalls& dpiCalls()
{
    static const DpiCalls calls = [] {
        DpiCalls c;
        if (HMODULE user = GetModuleHandleW(L"user32.dll")) {
            c.dpiForWindow = reinterpret_cast<decltype(c.dpiForWindow)>(
                reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForWindow")));
            c.metricForDpi = reinterpret_cast<decltype(c.metricForDpi)>(
                reinterpret_cast<void*>(GetProcAddress(user, "GetSystemMetricsForDpi")));
        }
        return c;
    }();
    return calls;
}

}  // namespace

int SystemDpi()
{
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        int value = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int WindowDpi(HWND hwnd)
{
    if (hwnd && dpiCalls().dpiForWindow)
        if (UINT dpi = dpiCalls().dpiForWindow(hwnd))
            return int(dpi);
    return SystemDpi();
}

int ScaleToDpi(int pixels)
{
    return ScaleTo(pixels, SystemDpi());
}

int SystemMetric(int index, int dpi)
{
    if (dpiCalls().metricForDpi)
        return dpiCalls().metricForDpi(index, UINT(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

HFONT TahomaFont(const FontLook& look, int dpi)
{
    struct Made {
        FontLook look;
        int dpi;
        HFONT font;
    };
    static std::vector<Made> made;
    auto key = [](const FontLook& l) { return std::tie(l.points, l.weight, l.italic, l.underline, l.escapement); };
    for (const Made& m : made)
        if (m.dpi == dpi && key(m.look) == key(look))
            return m.font;
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(look.points, dpi, 72);
    lf.lfWeight = look.weight;
    lf.lfItalic = look.italic;
    lf.lfUnderline = look.underline;
    lf.lfEscapement = lf.lfOrientation = look.escapement;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    wcscpy(lf.lfFaceName, L"Tahoma");
    HFONT font = CreateFontIndirectW(&lf);
    if (font)
        made.push_back({look, dpi, font});
    return font;
}

HFONT FormFont(bool bold, int dpi)
{
    return TahomaFont({8, bold ? FW_BOLD : FW_NORMAL}, dpi ? dpi : SystemDpi());
}

}  // namespace tresorix
