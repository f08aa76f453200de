// UTF-8 inside the program, UTF-16 at the Win32 boundary.
//
// File names on Windows are any sequence of 16-bit units, paired surrogates
// or not. A unit without its partner is carried in its three-byte form
// (ED A0..BF xx), as WTF-8 does, and comes back as the same unit: a name
// that is no valid UTF-16 is still opened, and never taken for a neighbour
// whose name has U+FFFD in its place.
#pragma once

#include <string>
#include <string_view>

namespace tresorix {

// Bytes that form no character become U+FFFD, one for each such byte.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace tresorix
