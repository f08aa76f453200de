// The form's modal run and what every message pump does for forms: the key
// preview and the dialog keys.
#include "ui/Form.h"

#include <vector>

namespace tresorix {

namespace {

unsigned shiftState(const MSG& msg)
{
    unsigned shift = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        shift |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0)
        shift |= ssCtrl;
    // Bit 29 is the context code: set while Alt is down, also for posted keys.
    if ((msg.lParam & (1 << 29)) || GetKeyState(VK_MENU) < 0)
        shift |= ssAlt;
    return shift;
}

struct ThreadWindows {
    HWND except;
    std::vector<HWND> disabled;
};

BOOL CALLBACK disableWindow(HWND hwnd, LPARAM lp)
{
    auto* windows = reinterpret_cast<ThreadWindows*>(lp);
    if (hwnd != windows->except && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
        EnableWindow(hwnd, FALSE);
        windows->disabled.push_back(hwnd);
    }
    return TRUE;
}

// Strg or Alt was down when the key came and is up now.
bool modifierReleased(const BYTE (&before)[256], const BYTE (&after)[256])
{
    for (int key : {VK_CONTROL, VK_MENU, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU})
        if ((before[key] & 0x80) && !(after[key] & 0x80))
            return true;
    return false;
}

// The window a modal form belongs to: the active one, or, while the program
// is in the background and none of its windows is active, the highest of
// its shown and enabled windows (the progress window during a run), so that
// a question never lies unowned behind other programs.
HWND modalOwner(HWND form)
{
    const HWND active = GetActiveWindow();
    if (active)
        return active == form ? nullptr : active;
    const DWORD thread = GetCurrentThreadId();
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        if (h != form && GetWindowThreadProcessId(h, nullptr) == thread && IsWindowVisible(h) &&
            IsWindowEnabled(h) && !(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST))
            return h;
    return nullptr;
}

// Windows keeps a program in the background from taking the foreground; its
// question then says so on the taskbar button, until the user comes, and
// with one sound.
void callUser(HWND form, HWND owner)
{
    DWORD foreground = 0;
    if (HWND h = GetForegroundWindow())
        GetWindowThreadProcessId(h, &foreground);
    if (foreground == GetCurrentProcessId())
        return;
    FLASHWINFO flash{};
    flash.cbSize = sizeof flash;
    flash.hwnd = GetAncestor(owner ? owner : form, GA_ROOTOWNER);
    flash.dwFlags = FLASHW_ALL | FLASHW_TIMERNOFG;
    FlashWindowEx(&flash);
    MessageBeep(MB_ICONEXCLAMATION);
}

}  // namespace

ButtonResult Form::showModal()
{
    if (!hwnd_ || modal_)
        return mrCancel;
    HWND owner = modalOwner(hwnd_);
    // For a top-level window this slot is its owner, which keeps the form above
    // it and out of the taskbar.
    SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, LONG_PTR(owner));
    ThreadWindows windows{hwnd_, {}};
    EnumThreadWindows(GetCurrentThreadId(), disableWindow, LPARAM(&windows));

    modal_ = true;
    modalResult_ = mrNone;
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    callUser(hwnd_, owner);
    HWND first = defaultRow_ >= 0 && IsWindowEnabled(control(defaultRow_)) ? control(defaultRow_)
                                                                            : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    // Through the dialog manager, so the default button's border follows.
    if (first)
        send(WM_NEXTDLGCTL, WPARAM(first), TRUE);

    MSG msg;
    while (hwnd_ && modalResult_ == mrNone) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                PostQuitMessage(int(msg.wParam));
            break;
        }
        DispatchFormMessage(msg);
    }
    modal_ = false;
    ButtonResult result = modalResult_ == mrNone ? mrCancel : modalResult_;

    // Enabled again before the form hides: otherwise Windows activates some
    // other program's window instead of the owner.
    for (HWND h : windows.disabled)
        if (IsWindow(h))
            EnableWindow(h, TRUE);
    if (hwnd_)
        SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (owner && IsWindow(owner))
        SetActiveWindow(owner);
    return result;
}

bool Form::previewKey(const MSG& msg)
{
    if (!keyPreview_ || (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN))
        return false;
    return guarded([&] { return onKeyDown(UINT(msg.wParam), shiftState(msg)); }, false);
}

void DispatchFormMessage(MSG& msg)
{
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (Form* form = Form::fromHandle(root)) {
        form->prepareHints(msg);
        bool key = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
        BYTE pressed[256] = {}, now[256] = {};
        if (key)
            GetKeyboardState(pressed);
        if (form->previewKey(msg))
            return;
        // The form may be gone after its key handler.
        if (!IsWindow(root))
            return;
        // The key handler ran a modal loop (a prompt, a whole backup), and
        // meanwhile the user let go of Strg or Alt: translated with the
        // keyboard as it is now, the key would become a plain letter, and
        // Strg+D would press the window's "&D" control. It goes on as it
        // was pressed, past the dialog manager, whose keys these are not.
        if (key && GetKeyboardState(now) && modifierReleased(pressed, now)) {
            SetKeyboardState(pressed);
            TranslateMessage(&msg);
            SetKeyboardState(now);
            DispatchMessageW(&msg);
            return;
        }
        if (IsDialogMessageW(root, &msg))
            return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

}  // namespace tresorix
