// DOS device names, which Win32 finds in the last part of a path that is
// not in the \\?\ form: "C:\Ziel\nul.txt" is the NUL device there.
#pragma once

#include <string_view>

namespace tresorix {

// Whether the last component of a path as the user typed it (either slash,
// "C:" before it or not) names a device: CON, PRN, AUX, NUL, COM1 to COM9
// or LPT1 to LPT9 (also with the superscript digits 1 to 3), in any case,
// with any extension, with blanks before the extension or the end.
bool IsDeviceName(std::string_view path);

}  // namespace tresorix
