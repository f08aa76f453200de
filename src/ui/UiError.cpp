// What the guards of the window procedures stop, and windows that could not
// be made.
#include "ui/Form.h"

#include "platform/TextConv.h"

#include <utility>

namespace tresorix {

namespace {

UiErrorHandler uiErrorHandler;

}  // namespace

void reportUiError(const char* what)
{
    try {
        if (uiErrorHandler)
            uiErrorHandler(what);
        else
            OutputDebugStringW(Widen(std::string("Tresorix: ") + what + "\n").c_str());
    } catch (...) {
        // The handler itself failed; there is nobody left to tell.
    }
}

HWND requireWindow(HWND hwnd, const std::string& what)
{
    DWORD error = GetLastError();
    if (!hwnd)
        throw UiCreateError(what + " konnte nicht angelegt werden.\r\nFehlerMeldung: " + std::to_string(error));
    return hwnd;
}

UiErrorHandler SetUiErrorHandler(UiErrorHandler handler)
{
    return std::exchange(uiErrorHandler, std::move(handler));
}

}  // namespace tresorix
