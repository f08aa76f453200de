#include "ui/Metrics.h"

#include <cwchar>

namespace tresorix {

namespace {

int systemDpi()
{
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        int value = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

}  // namespace

int ScaleToDpi(int pixels)
{
    return MulDiv(pixels, systemDpi(), 96);
}

HFONT FormFont(bool bold)
{
    static HFONT fonts[2] = {};
    HFONT& font = fonts[bold];
    if (!font) {
        LOGFONTW lf{};
        lf.lfHeight = -MulDiv(8, systemDpi(), 72);
        lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = DEFAULT_QUALITY;
        wcscpy(lf.lfFaceName, L"Tahoma");
        font = CreateFontIndirectW(&lf);
    }
    return font;
}

bool IsLargeFonts()
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi == 120;
}

}  // namespace tresorix
