// The forms' measures: layout pixels scaled to the screen and the forms'
// font. Apart from Form.h, so that controls below the forms (the tool
// button) can size themselves without knowing about forms.
#pragma once

#include <windows.h>

namespace tresorix {

// Pixels at 96 dpi to pixels at the system dpi.
int ScaleToDpi(int pixels);
// The forms' font, an 8-point Tahoma, and its bold variant; shared, never freed.
HFONT FormFont(bool bold = false);
// The screen's logical pixels per inch are exactly 120.
bool IsLargeFonts();

}  // namespace tresorix
