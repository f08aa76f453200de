// Our progress bar: the system's one cannot show its percentage as text.
// It answers the PBM_ messages that ProgressBar (Controls.h) sends.
#pragma once

#include <windows.h>

namespace tresorix {

inline constexpr wchar_t kGaugeClass[] = L"TresorixGauge";
// wParam 0, lParam a COLORREF or CLR_DEFAULT. By default the percentage is
// drawn in the highlight text colour over the bar and in the window text
// colour beside it, so it stays readable at any position.
inline constexpr UINT GBM_SETTEXTCOLOR = WM_USER + 100;

// Registers the window class once per process.
void RegisterGauge();

}  // namespace tresorix
