// A label for a value that changes often (a file name, a counter): its text
// is its window text, so screen readers read it, and setting it is one
// request. Unlike a static control it does not paint itself for a new text:
// its owner shows all new values at once with ShowValueLabels, through one
// device context, where a paint of each label would cost many requests.
// Drawn as a static label looks; with VLS_PATH a path too long for it keeps
// its start and its last part, with "..." in the middle.
#pragma once

#include <windows.h>

#include <span>

namespace tresorix {

inline constexpr wchar_t kValueLabelClass[] = L"TresorixValueLabel";
inline constexpr DWORD VLS_PATH = 0x0001;

// Registers the window class once per process.
void RegisterValueLabel();
// Draws the labels whose text changed since, into their places on `parent`
// (a window without WS_CLIPCHILDREN, whose children they are).
void ShowValueLabels(HWND parent, std::span<const HWND> labels);

}  // namespace tresorix
