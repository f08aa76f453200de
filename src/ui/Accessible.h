// What screen readers are told about the controls we draw ourselves. They
// ask a window with WM_GETOBJECT; an own control answers with the system's
// proxy for the standard control it stands for, and is read as that one: a
// gauge as a progress bar with its value, the message box as a dialog, a
// tool button as a button that can be pressed.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <functional>

namespace tresorix {

// Answers WM_GETOBJECT for the window's client with the proxy of
// `standardClass` ("msctls_progress32", "#32770", "Button"). False when the
// message asks for another object or no proxy can be made: then it goes on
// to the default handling, which describes a plain window.
bool AnswerAccessibleAs(HWND hwnd, WPARAM wp, LPARAM lp, const wchar_t* standardClass, LRESULT& result);

// Makes the proxy (an IAccessible) for a window; tests put a maker of their
// own in place. Returns the one before.
using AccessibleProxyMaker = std::function<HRESULT(HWND hwnd, const wchar_t* standardClass, IUnknown** object)>;
AccessibleProxyMaker SetAccessibleProxyMaker(AccessibleProxyMaker maker);

}  // namespace tresorix
