// A control's messages seen by a handler of ours before its own procedure.
#pragma once

#include <windows.h>

#include <functional>

namespace tresorix {

// Sets result and returns true when it took the message; otherwise the
// control's own procedure runs. CallControl runs that procedure early, for a
// handler that wants its effect first.
using SubclassHandler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT& result)>;

// One handler per control. It sees WM_NCDESTROY last and goes with the window; an exception stops here
// as at a form's window procedure, and the message counts as taken.
void SubclassControl(HWND control, SubclassHandler handler);
// For an owner that dies before its control.
void UnsubclassControl(HWND control);
LRESULT CallControl(HWND control, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace tresorix
