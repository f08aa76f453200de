// A label for a value that changes often (a file name, a counter): its text
// is its window text, so screen readers read it, and setting it is one
// request that marks the label for the next paint instead of painting at
// once as a static control does. Drawn as a static label looks; with
// VLS_PATH a path too long for it keeps its start and its last part, with
// "..." in the middle.
#pragma once

#include <windows.h>

namespace tresorix {

inline constexpr wchar_t kValueLabelClass[] = L"TresorixValueLabel";
inline constexpr DWORD VLS_PATH = 0x0001;

// Registers the window class once per process.
void RegisterValueLabel();

}  // namespace tresorix
