// Where a restored window may stand: on a monitor that exists now.
#pragma once

#include <windows.h>

namespace tresorix {

// The rectangle moved (and first shrunk, where it is larger) into `area`.
RECT FitIntoArea(RECT window, const RECT& area);

// The rectangle fitted into the work area of the monitor nearest to it. A
// position saved on a second screen that is gone, or a size saved at a
// higher resolution, would otherwise put the window where nobody sees it.
RECT FitIntoWorkArea(const RECT& window);

}  // namespace tresorix
