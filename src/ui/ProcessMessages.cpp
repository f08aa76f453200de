#include "ui/ProcessMessages.h"

#include "ui/Form.h"

namespace tresorix {

void ProcessMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            return;
        }
        DispatchFormMessage(msg);
    }
}

int RunMessageLoop()
{
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0)
        DispatchFormMessage(msg);
    return got == 0 ? int(msg.wParam) : 1;
}

}  // namespace tresorix
