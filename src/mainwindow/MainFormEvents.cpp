// How the main window's messages reach its handlers: control notices,
// the list's notices, keys, close, and the window's own messages (logo,
// session end, the system menu's item, posted work).
#include "mainwindow/MainForm.h"

#include <algorithm>
#include <utility>

namespace tresorix {

namespace {

constexpr COLORREF kTeal = RGB(0, 128, 128);
constexpr COLORREF kWhite = RGB(255, 255, 255);

}  // namespace

// Leaving the box means going to another control of this window; a switch
// to another program or a dialog opening above is no end of the edit.
bool TmForm::focusStaysInWindow(HWND next) const
{
    HWND box = control(StdZielBox);
    return next && next != box && !IsChild(box, next) && GetAncestor(next, GA_ROOT) == handle();
}

void TmForm::setLogoColor(COLORREF color)
{
    if (logoColor_ == color)
        return;
    logoColor_ = color;
    item<Window>(Label1).invalidate();
    item<Window>(Label2).invalidate();
}

void TmForm::onCommand(int row, int code)
{
    switch (row) {
    case StdZielBox:
        if (code == CBN_SETFOCUS)
            StdZielBoxEnter();
        else if (code == CBN_KILLFOCUS && focusStaysInWindow(stdZielNextFocus_))
            StdZielBoxExit();
        else if (code == CBN_EDITCHANGE || code == CBN_SELCHANGE)
            StdZielBoxChange();
        return;
    case Label1:
    case Label2:
        if (code == STN_CLICKED && links.openWebPage)
            links.openWebPage(kWebPage);
        return;
    }
    if (code != BN_CLICKED)
        return;
    switch (row) {
    case BtnFileOpen: BtnFileOpenClick(); break;
    case BtnFileSave: BtnFileSaveClick(); break;
    case BtnFileSaveAs: BtnFileSaveAsClick(); break;
    case BtnNeu: ListeBearbeiten(true); break;
    case BtnBearbeiten: ListeBearbeiten(false); break;
    case BtnEntfernen: BtnEntfernenClick(); break;
    case BtnAllesLoeschen: BtnAllesLoeschenClick(); break;
    case BtnStart: BtnStartClick(); break;
    case BtnConnect: BtnConnectClick(); break;
    case BtnDisconnect: BtnDisconnectClick(); break;
    case BtnInfo: BtnInfoClick(); break;
    case BtnEnde: BtnEndeClick(); break;
    case BtnStdZiel: BtnStdZielClick(); break;
    case Mode0:
    case Mode1:
    case Mode2:
    case Mode3:
        // A radio reports every click, also on the button already selected.
        if (checkedMode() != set_.mode) {
            set_.mode = checkedMode();
            BackUpModeClick();
        }
        break;
    case WinAutoLoad:
    case AutoStart:
    case AutoClose: AutoSettingsClick(); break;
    }
}

LRESULT TmForm::onNotify(int row, NMHDR& header)
{
    if (row != Liste)
        return 0;
    switch (header.code) {
    case LVN_ITEMCHANGED:
    case LVN_INSERTITEM:
        ListeChange();
        break;
    case LVN_DELETEALLITEMS:
        return TRUE;  // no LVN_DELETEITEM per row
    case NM_DBLCLK:
        ListeBearbeiten(false);
        break;
    }
    return 0;
}

bool TmForm::onKeyDown(UINT key, unsigned shift)
{
    FormKeyDown(key, shift);
    return false;  // the focused control still gets the key
}

bool TmForm::onCloseQuery()
{
    return FormCloseQuery();
}

void TmForm::onClose()
{
    FormClose();
    // Told first: a program that ends here at once spares Wine hiding the
    // window control by control.
    if (links.closed)
        links.closed();
    show(false);
}

bool TmForm::onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_QUERYENDSESSION:
        result = FormQueryEndSession();
        return true;
    case WM_ENDSESSION:
        FormEndSession(wp != 0);
        result = 0;
        return true;
    case WM_CTLCOLORSTATIC:
        if (HWND(lp) == control(Label1) || HWND(lp) == control(Label2)) {
            HDC dc = HDC(wp);
            SetTextColor(dc, logoColor_);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            result = LRESULT(GetSysColorBrush(COLOR_BTNFACE));
            return true;
        }
        return false;
    case WM_SETCURSOR:
        // A label passes the cursor question up to us: that is the moment
        // the mouse is over it (Label1MouseMove).
        if (HWND(wp) == control(Label1) || HWND(wp) == control(Label2)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            setLogoColor(kWhite);
            result = TRUE;
            return true;
        }
        return false;
    case WM_MOUSEMOVE:  // FormMouseMove: over the window's free area
        setLogoColor(kTeal);
        return false;
    case WM_SHOWWINDOW:
        // Still hidden here. FormResize may widen the window, which asks for
        // one more layout.
        if (wp)
            while (std::exchange(layoutPending_, false)) {
                layoutControls();
                FormResize();
            }
        return false;
    case WM_GETMINMAXINFO: {
        // Asked while the window is being made too, before its controls.
        if (!control(AutoClose))
            return false;
        // A drag stops at the least size, and so does every SetWindowPos.
        // Never beyond the maximised size, which would leave the window no
        // size at all that fits on the screen.
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize.x = std::min(minimumWidth(), int(info->ptMaxSize.x));
        info->ptMinTrackSize.y = std::min(minimumHeight(), int(info->ptMaxSize.y));
        return false;
    }
    case WM_SYSCOLORCHANGE:
        // The button's picture is outlined for the face's colour; the form
        // passes the message on to the common controls.
        makeStdZielIcons();
        return false;
    case WM_NOTIFY: {
        // The list's header reports a changed column width: clamp it once
        // the header is done with it.
        auto* nm = reinterpret_cast<NMHDR*>(lp);
        HWND header = HWND(liste().send(LVM_GETHEADER));
        if (nm->hwndFrom == header && !clampPending_ &&
            (nm->code == HDN_ENDTRACKW || nm->code == HDN_ENDTRACKA || nm->code == HDN_ITEMCHANGEDW ||
             nm->code == HDN_ITEMCHANGEDA)) {
            clampPending_ = true;
            post(kClampColumns);
        }
        return false;
    }
    case WM_INITMENUPOPUP:
        // The system menu gets its item when first opened: made at start-up,
        // it would cost every start, mostly for nothing.
        if (HIWORD(lp) && !versionsItemAdded_)
            addVersionsItem(HMENU(wp));
        return false;
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == kExclusionsCommand)
            editExclusions();
        else if ((wp & 0xFFF0) == kVersionsCommand)
            keepReplacedFiles();
        else
            return false;
        result = 0;
        return true;
    case kClampColumns:
        clampColumns();
        return true;
    case kFocusStdZielButton: {
        Window button = item<Window>(BtnStdZiel);
        if (button.enabled() && button.visible() && GetActiveWindow() == handle())
            button.focus();
        return true;
    }
    }
    return false;
}

}  // namespace tresorix
