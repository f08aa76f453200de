#include "ui/Placement.h"

#include <algorithm>

namespace tresorix {

RECT FitIntoArea(RECT window, const RECT& area)
{
    const LONG width = std::min(window.right - window.left, area.right - area.left);
    const LONG height = std::min(window.bottom - window.top, area.bottom - area.top);
    window.left = std::clamp(window.left, area.left, area.right - width);
    window.top = std::clamp(window.top, area.top, area.bottom - height);
    window.right = window.left + width;
    window.bottom = window.top + height;
    return window;
}

RECT FitIntoWorkArea(const RECT& window)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromRect(&window, MONITOR_DEFAULTTONEAREST), &info))
        return window;
    return FitIntoArea(window, info.rcWork);
}

}  // namespace tresorix
