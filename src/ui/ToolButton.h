// Flat toolbar buttons with a 16 by 16 picture, and the pictures themselves:
// small pixel drawings in code, each row a string of palette letters.
//
//     {"BtnStart", Kind::toolButton, "", "Datensicherung starten (Strg+D)", 238, 2, 32, 24},
//     ToolButton(control(BtnStart)).setPicture(kPicturePlay);
//
// A tool button never takes the focus, so clicking it leaves an edit in
// progress alone. It reports clicks as BN_CLICKED like a push button and
// draws its picture greyed while disabled.
#pragma once

#include "ui/Window.h"

namespace tresorix {

inline constexpr wchar_t kToolButtonClass[] = L"TresorixToolButton";
// wParam 0, lParam a const ToolPicture* that outlives the button.
inline constexpr UINT TBM_SETPICTURE = WM_USER + 110;

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

// Paints the picture at (x, y), `size` pixels square, over `background`.
// Greyed: every colour faded to a light grey of its brightness, the way a
// disabled control looks.
void DrawToolPicture(HDC dc, int x, int y, int size, const ToolPicture& picture, bool greyed,
                     COLORREF background);

// An icon of the picture for a standard button (BM_SETIMAGE); the caller
// destroys it.
HICON CreatePictureIcon(const ToolPicture& picture, bool greyed);

class ToolButton : public Window {
public:
    using Window::Window;
    void setPicture(const ToolPicture& picture) const { send(TBM_SETPICTURE, 0, LPARAM(&picture)); }
    void click() const { send(BM_CLICK); }
};

}  // namespace tresorix
