// Flat toolbar buttons with a picture, and the pictures themselves: small
// pixel drawings in code, 16 by 16, each row a string of palette letters,
// drawn at 16, 20, 24 or 32 pixels as the dpi asks.
//
//     {"BtnStart", Kind::toolButton, "", "Datensicherung starten (Strg+D)", 238, 2, 32, 24},
//     ToolButton(control(BtnStart)).setPicture(kPicturePlay);
//
// A tool button never takes the focus, so clicking it leaves an edit in
// progress alone. It reports clicks as BN_CLICKED like a push button and
// draws its picture greyed while disabled. Screen readers take it for a push
// button named by its hint, which BM_CLICK presses.
#pragma once

#include "ui/Window.h"

namespace tresorix {

inline constexpr wchar_t kToolButtonClass[] = L"TresorixToolButton";
// wParam 0, lParam a const ToolPicture* that outlives the button.
inline constexpr UINT TBM_SETPICTURE = WM_USER + 110;
// wParam the dpi the button's form is laid out for.
inline constexpr UINT TBM_SETDPI = WM_USER + 111;

// Palette: '.' transparent, K black, g grey, l light grey, W white, R red,
// r dark red, G green, d dark green, B blue, b navy, Y yellow, y ochre,
// o brown, C light blue, c teal.
struct ToolPicture {
    const char* rows[16];
};

consteval bool ValidPicture(const ToolPicture& picture)
{
    constexpr char kLetters[] = ".KglWRrGdBbYyoCc";
    for (const char* row : picture.rows) {
        if (!row)
            return false;
        int n = 0;
        for (; row[n]; ++n) {
            bool known = false;
            for (char c : kLetters)
                known = known || (c && c == row[n]);
            if (!known)
                return false;
        }
        if (n != 16)
            return false;
    }
    return true;
}

// Registers the window class once per process.
void RegisterToolButton();

// The side a picture is drawn at for `dpi`: 16, 20, 24, 32, then whole
// multiples of 16.
int ToolPictureSide(int dpi);

// Paints the picture at (x, y), `side` pixels square, over `background`.
// Greyed: every colour faded to a light grey of its brightness, the way a
// disabled control looks. On a dark background (a high-contrast scheme) the
// black outline is drawn in the scheme's button text colour, so the shapes
// keep their edges.
void DrawToolPicture(HDC dc, int x, int y, int side, const ToolPicture& picture, bool greyed,
                     COLORREF background);

// An icon of the picture, `side` pixels square, for a standard button
// (BM_SETIMAGE), outlined for the button face's colour; the caller destroys it.
HICON CreatePictureIcon(const ToolPicture& picture, bool greyed, int side = 16);

class ToolButton : public Window {
public:
    using Window::Window;
    void setPicture(const ToolPicture& picture) const { send(TBM_SETPICTURE, 0, LPARAM(&picture)); }
    void setDpi(int dpi) const { send(TBM_SETDPI, WPARAM(dpi)); }
    void click() const { send(BM_CLICK); }
};

}  // namespace tresorix
