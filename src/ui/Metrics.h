// The forms' measures: layout pixels scaled to a screen's dpi and the forms'
// fonts. Apart from Form.h, so that controls below the forms (the tool
// button) can size themselves without knowing about forms.
//
// The program is aware of each monitor's own dpi: a form lays itself out at
// the dpi of the monitor it stands on and again when it moves to another
// one (Form::setDpi). Layout tables stay in pixels at 96 dpi.
#pragma once

#include <windows.h>

namespace tresorix {

// The dpi of the primary screen, which a window has before it stands anywhere.
int SystemDpi();
// The dpi of the monitor the window stands on; SystemDpi where Windows
// knows no dpi per monitor (before Windows 10).
int WindowDpi(HWND hwnd);
// Pixels at 96 dpi to pixels at `dpi`, and back (rounded to the nearest).
inline int ScaleTo(int pixels, int dpi) { return MulDiv(pixels, dpi, 96); }
inline int UnscaleFrom(int pixels, int dpi) { return MulDiv(pixels, 96, dpi); }
// Pixels at 96 dpi to pixels at the system dpi.
int ScaleToDpi(int pixels);
// A system metric (SM_CXSMICON, SM_CXVSCROLL...) as it is at `dpi`.
int SystemMetric(int index, int dpi);

// A Tahoma of `points`, as every form's text is drawn. Shared per look and
// dpi, never freed: a program shows a handful of them.
struct FontLook {
    int points = 8;
    int weight = FW_NORMAL;
    bool italic = false, underline = false;
    int escapement = 0;  // tenths of a degree: 900 writes upwards
};
HFONT TahomaFont(const FontLook& look, int dpi);
// The forms' font, an 8-point Tahoma, and its bold variant, at `dpi` (the
// system's when 0).
HFONT FormFont(bool bold = false, int dpi = 0);

}  // namespace tresorix
