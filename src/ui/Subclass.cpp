#include "ui/Subclass.h"

#include "ui/Form.h"

#include <commctrl.h>

namespace tresorix {

namespace {

constexpr UINT_PTR kSubclassId = 1;

LRESULT CALLBACK subclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data)
{
    auto* handler = reinterpret_cast<SubclassHandler*>(data);
    if (msg == WM_NCDESTROY) {
        guarded([&] {
            LRESULT ignored = 0;
            (*handler)(hwnd, msg, wp, lp, ignored);
        });
        UnsubclassControl(hwnd);
        return DefSubclassProc(hwnd, msg, wp, lp);
    }
    return guarded(
        [&] {
            LRESULT result = 0;
            return (*handler)(hwnd, msg, wp, lp, result) ? result : DefSubclassProc(hwnd, msg, wp, lp);
        },
        LRESULT(0));
}

}  // namespace

void SubclassControl(HWND control, SubclassHandler handler)
{
    UnsubclassControl(control);
    auto* owned = new SubclassHandler(std::move(handler));
    if (!SetWindowSubclass(control, subclassProc, kSubclassId, DWORD_PTR(owned))) {
        delete owned;
        throw UiCreateError("Ein Steuerelement konnte nicht eingerichtet werden.");
    }
}

void UnsubclassControl(HWND control)
{
    DWORD_PTR data = 0;
    if (!GetWindowSubclass(control, subclassProc, kSubclassId, &data))
        return;
    RemoveWindowSubclass(control, subclassProc, kSubclassId);
    delete reinterpret_cast<SubclassHandler*>(data);
}

LRESULT CallControl(HWND control, UINT msg, WPARAM wp, LPARAM lp)
{
    return DefSubclassProc(control, msg, wp, lp);
}

}  // namespace tresorix
