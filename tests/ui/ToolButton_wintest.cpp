#include "ui/ToolButton.h"

#include "ui/Pictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace tresorix {
namespace {

int luma(COLORREF c)
{
    return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000;
}

// The left edge of the information sign, drawn at `side` pixels over `face`:
// the brightness of each of its pixels that the drawing's outline covers
// (rows 5 to 10 of the 16 are black there).
std::string leftEdge(int side, COLORREF face)
{
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, side, -side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DrawToolPicture(dc, 0, 0, side, kPictureInfo, false, face);
    std::string edge;
    for (int y = side * 5 / 16 + 1; y < side * 11 / 16 - 1; ++y)
        edge += luma(GetPixel(dc, 0, y)) >= 128 ? 'o' : '.';
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return edge;
}

// A high-contrast scheme makes the button face black: the pictures' black
// outline is then drawn light, so the shapes keep their edges. On the usual
// light face it stays black.
TEST(ToolPictures, KeepAVisibleOutlineOnABlackFace)
{
    for (int side : {16, 20, 24, 32}) {
        const std::string lit = leftEdge(side, RGB(0, 0, 0)), dark = leftEdge(side, RGB(240, 240, 240));
        ASSERT_FALSE(lit.empty());
        EXPECT_EQ(lit, std::string(lit.size(), 'o')) << side;
        EXPECT_EQ(dark, std::string(dark.size(), '.')) << side;
    }
}

}  // namespace
}  // namespace tresorix
