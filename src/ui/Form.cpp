#include "ui/Form.h"

#include "platform/TextConv.h"
#include "ui/Gauge.h"
#include "ui/ToolButton.h"
#include "ui/ValueLabel.h"

#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

namespace tresorix {

namespace {

void initControls()
{
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc{};
        icc.dwSize = sizeof icc;
        icc.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
        InitCommonControlsEx(&icc);
        RegisterGauge();
        RegisterToolButton();
        RegisterValueLabel();
        return true;
    }();
    (void)done;
}

struct KindInfo {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

KindInfo kindInfo(Kind kind)
{
    switch (kind) {
    case Kind::label: return {WC_STATICW, SS_LEFT, 0};
    case Kind::button: return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0};
    case Kind::edit: return {WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case Kind::checkBox: return {WC_BUTTONW, BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case Kind::radio: return {WC_BUTTONW, BS_AUTORADIOBUTTON, 0};
    case Kind::groupBox: return {WC_BUTTONW, BS_GROUPBOX, 0};
    case Kind::comboBox: return {WC_COMBOBOXW, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0};
    case Kind::listView: return {WC_LISTVIEWW, LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case Kind::progressBar: return {kGaugeClass, 0, WS_EX_STATICEDGE};
    case Kind::statusBar: return {STATUSCLASSNAMEW, 0, 0};
    case Kind::icon: return {WC_STATICW, SS_ICON, 0};
    case Kind::line: return {WC_STATICW, SS_ETCHEDHORZ, 0};
    case Kind::toolButton: return {kToolButtonClass, 0, 0};
    case Kind::valueLabel: return {kValueLabelClass, 0, 0};
    case Kind::treeView:
        return {WC_TREEVIEWW,
                TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP | WS_TABSTOP,
                WS_EX_CLIENTEDGE};
    case Kind::upDown:
        // The buddy is the window made just before, and the arrows keep its
        // number within their range.
        return {UPDOWN_CLASSW, UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0};
    }
    return {WC_STATICW, 0, 0};
}

// A label with width or height 0 takes the size of its text.
bool fitsText(const ControlRow& row)
{
    return row.kind == Kind::label && (row.width == 0 || row.height == 0);
}

// Up-down arrows at the right edge of their buddy take `width` of its room:
// the control itself makes them equally wide at every dpi.
void fitArrows(Window arrows, int width)
{
    Window buddy(HWND(arrows.send(UDM_GETBUDDY)));
    RECT a = arrows.rect(), b = buddy.rect();
    int grow = width - (a.right - a.left);
    if (!buddy || !grow)
        return;
    buddy.move(b.left, b.top, b.right - b.left - grow, b.bottom - b.top, false);
    arrows.move(a.left - grow, a.top, width, a.bottom - a.top, false);
}

}  // namespace

Form::~Form()
{
    destroy();
}

bool Form::create(const FormInfo& info, std::span<const ControlRow> layout, HWND owner)
{
    initControls();
    destroy();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(instance, info.className, &wc)) {
        wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        // Room for the dialog manager's data: DefDlgProc gives the form Tab
        // order, the default button and focus restore on activation.
        wc.cbWndExtra = DLGWINDOWEXTRA;
        wc.hInstance = instance;
        // The program's icon, except on dialog frames: there Wine would
        // draw it in the caption, where Windows draws none.
        // The small one is loaded at its own size: scaled down from the large
        // one, the title bar and Alt+Tab would show a blurred picture.
        if (!(info.exStyle & WS_EX_DLGMODALFRAME)) {
            wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
            wc.hIconSm = HICON(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                          GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR | LR_SHARED));
        }
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
        wc.lpszClassName = info.className;
        if (!RegisterClassExW(&wc))
            requireWindow(nullptr, "Die Fensterklasse \"" + Narrow(info.className) + "\"");
    }

    // Made at the dpi of the owner's monitor, or of the primary one; a
    // window that Windows puts on another one takes that one's at once.
    dpi_ = owner ? WindowDpi(owner) : SystemDpi();
    designWidth_ = info.clientWidth;
    designHeight_ = info.clientHeight;
    RECT r{0, 0, scale(info.clientWidth), scale(info.clientHeight)};
    if (!info.wholeWindow)
        AdjustWindowRectEx(&r, info.style, FALSE, info.exStyle);
    CreateWindowExW(info.exStyle, info.className, Widen(info.caption).c_str(), info.style & ~WS_VISIBLE,
                    CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, owner, nullptr, instance, this);
    requireWindow(hwnd_, "Das Fenster \"" + Narrow(info.className) + "\"");
    if (const int guess = std::exchange(dpi_, WindowDpi(hwnd_)); dpi_ != guess) {
        if (info.wholeWindow)
            setSize(MulDiv(r.right - r.left, dpi_, guess), MulDiv(r.bottom - r.top, dpi_, guess));
        else
            fitDesignSize();
    }
    if (dpi_ != SystemDpi())
        setDpiIcons();

    rows_.assign(layout.begin(), layout.end());
    controls_.assign(rows_.size(), nullptr);
    try {
        for (int i = 0; i < int(rows_.size()); ++i)
            createControl(i);
    } catch (...) {
        destroy();
        throw;
    }
    if (defaultRow_ >= 0)
        send(DM_SETDEFID, kFirstControlId + defaultRow_);
    return true;
}

void Form::createControl(int index)
{
    const ControlRow& row = rows_[size_t(index)];
    KindInfo kind = kindInfo(row.kind);
    DWORD style = WS_CHILD | kind.style | row.style;
    if (!(row.flags & rowHidden))
        style |= WS_VISIBLE;
    if (row.flags & rowDisabled)
        style |= WS_DISABLED;
    if (row.flags & rowGroup)
        style |= WS_GROUP | (row.kind == Kind::radio ? WS_TABSTOP : 0);
    if (fitsText(row))
        style = (style & ~SS_TYPEMASK) | SS_LEFTNOWORDWRAP;
    int height = scale(row.height);
    if (row.kind == Kind::comboBox)
        height += scale(200);  // a combo box's height includes its drop-down list

    // A tool button shows no caption; its hint is its accessible name.
    const char* caption = row.kind == Kind::toolButton && row.hint ? row.hint : row.caption;
    HWND hwnd = CreateWindowExW(kind.exStyle, kind.className, Widen(caption ? caption : "").c_str(), style,
                                scale(row.left), scale(row.top), scale(row.width), height, hwnd_,
                                HMENU(INT_PTR(kFirstControlId + index)), GetModuleHandleW(nullptr), nullptr);
    controls_[size_t(index)] = requireWindow(hwnd, std::string("Das Steuerelement \"") + (row.name ? row.name : "") + "\"");
    SendMessageW(hwnd, WM_SETFONT, WPARAM(FormFont(row.flags & rowBold, dpi_)), FALSE);
    if (row.kind == Kind::toolButton)
        ToolButton(hwnd).setDpi(dpi_);
    if (row.kind == Kind::upDown)
        fitArrows(hwnd, scale(16));
    if (fitsText(row))
        fitLabel(index);
    if (row.flags & rowDefault)
        defaultRow_ = index;
    if (row.flags & rowCancel)
        cancelRow_ = index;
}

// A control where its row puts it at the form's dpi, in the font of that dpi.
void Form::placeControl(int index)
{
    const ControlRow& row = rows_[size_t(index)];
    Window c(controls_[size_t(index)]);
    c.setFont(FormFont(row.flags & rowBold, dpi_), false);
    switch (row.kind) {
    case Kind::upDown:
        // Placed by its buddy, which stands where its own row says by now.
        c.send(UDM_SETBUDDY, c.send(UDM_GETBUDDY));
        fitArrows(c, scale(16));
        return;
    case Kind::statusBar:
        StatusBar(c).parentResized();
        return;
    case Kind::toolButton:
        ToolButton(c).setDpi(dpi_);
        break;
    default:
        break;
    }
    int height = scale(row.height) + (row.kind == Kind::comboBox ? scale(200) : 0);
    c.move(scale(row.left), scale(row.top), scale(row.width), height, false);
    if (fitsText(row))
        fitLabel(index);
}

void Form::setDpi(int dpi, const RECT* suggested)
{
    if (!hwnd_ || dpi <= 0)
        return;
    const int old = std::exchange(dpi_, dpi);
    for (int i = 0; i < int(controls_.size()); ++i)
        placeControl(i);
    if (hints_)
        hints_.setMaxWidth(scale(400));
    setDpiIcons();
    // Before the window's new size: what the form measures anew (its least
    // size, say) is in place when the size comes.
    onDpiChanged(old);
    const bool sizeable = style() & WS_THICKFRAME;
    if (suggested) {
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (sizeable) {
        RECT r = rect();
        setSize(MulDiv(r.right - r.left, dpi, old), MulDiv(r.bottom - r.top, dpi, old));
    }
    if (!sizeable)
        fitDesignSize();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

// The client takes the design's size at the form's dpi; the frame is measured,
// as it is on this monitor now.
void Form::fitDesignSize()
{
    RECT window = rect(), client = clientRect();
    setSize(scale(designWidth_) + (window.right - window.left) - client.right,
            scale(designHeight_) + (window.bottom - window.top) - client.bottom);
}

// The class's icons were loaded for the system's dpi; a form on another
// monitor shows its own size of them. Loaded once per size, never freed.
void Form::setDpiIcons()
{
    if (!GetClassLongPtrW(hwnd_, GCLP_HICON))
        return;
    static std::vector<std::pair<int, HICON>> icons;
    auto icon = [](int side) {
        for (auto [s, h] : icons)
            if (s == side)
                return h;
        HICON h = HICON(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
        if (h)
            icons.emplace_back(side, h);
        return h;
    };
    send(WM_SETICON, ICON_SMALL, LPARAM(icon(SystemMetric(SM_CXSMICON, dpi_))));
    send(WM_SETICON, ICON_BIG, LPARAM(icon(SystemMetric(SM_CXICON, dpi_))));
}

void Form::addHint(HWND tool, const char* text)
{
    extraHints_.emplace_back(tool, text);
    if (hints_)
        hints_.addTool(hwnd_, tool, text);
}

// Each tool subclasses its window, and under Wine every message to it then
// costs a round trip to the server: made at start, they were a fifth of the
// program's start-up.
ToolTip Form::hints()
{
    if (hints_ || !hwnd_)
        return hints_;
    bool any = !extraHints_.empty();
    for (const ControlRow& row : rows_)
        any = any || (row.hint && *row.hint);
    if (!any)
        return hints_;
    hints_ = ToolTip(requireWindow(
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr),
        "Das Hinweisfenster"));
    hints_.setMaxWidth(scale(400));
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].hint && *rows_[i].hint && controls_[i])
            hints_.addTool(hwnd_, controls_[i], rows_[i].hint);
    for (auto [tool, text] : extraHints_)
        hints_.addTool(hwnd_, tool, text);
    if (hintPopTime_)
        hints_.send(TTM_SETDELAYTIME, TTDT_AUTOPOP, hintPopTime_);
    return hints_;
}

void Form::prepareHints(const MSG& msg)
{
    if (hints_ || hintsFailed_ || msg.message != WM_MOUSEMOVE)
        return;
    // The tools watch the mouse from now on; this move they did not see.
    // Called from the pumps, outside any window procedure's guard; a failure
    // is reported once, not at every move of the mouse.
    hintsFailed_ = !guarded(
        [&] {
            if (ToolTip tips = hints())
                tips.send(TTM_RELAYEVENT, 0, LPARAM(&msg));
            return true;
        },
        false);
}

void Form::fitLabel(int index)
{
    const ControlRow& row = rows_[size_t(index)];
    HWND label = controls_[size_t(index)];
    std::wstring text = Widen(Window(label).text());
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, FormFont(row.flags & rowBold, dpi_));
    RECT r{};
    UINT format = DT_CALCRECT | DT_EXPANDTABS | ((row.style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    // An empty label keeps the height of a line, so it lines up once filled.
    DrawTextW(dc, text.empty() ? L" " : text.c_str(), -1, &r, format);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    int w = row.width ? scale(row.width) : (text.empty() ? 0 : r.right);
    int h = row.height ? scale(row.height) : r.bottom;
    Window(label).setSize(w, h);
}

void Form::setCaption(int index, std::string_view text)
{
    Window c(control(index));
    if (!c)
        return;
    c.setText(text);
    if (fitsText(rows_[size_t(index)]))
        fitLabel(index);
}

int Form::rowOf(HWND c) const
{
    for (size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i] == c)
            return int(i);
    return -1;
}

void Form::click(int index)
{
    HWND c = control(index);
    if (c && IsWindowEnabled(c))
        command(index, BN_CLICKED);
}

void Form::command(int index, int code)
{
    ButtonResult result = rows_[size_t(index)].modalResult;
    if (code == BN_CLICKED && result != mrNone && modal_)
        modalResult_ = result;
    onCommand(index, code);
}

void Form::centerOnScreen() const
{
    // The screen the user works on: the owner's, or before a modal run has
    // set the owner, the active window's.
    HWND nearby = GetWindow(hwnd_, GW_OWNER);
    if (!nearby)
        nearby = GetActiveWindow();
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(nearby ? nearby : hwnd_, MONITOR_DEFAULTTOPRIMARY), &mi);
    RECT r = rect();
    int x = (mi.rcMonitor.left + mi.rcMonitor.right - (r.right - r.left)) / 2;
    int y = (mi.rcMonitor.top + mi.rcMonitor.bottom - (r.bottom - r.top)) / 2;
    // Never under a taskbar at the top or left, never with the caption off screen.
    setPos(std::max(x, int(mi.rcWork.left)), std::max(y, int(mi.rcWork.top)));
}

Form* Form::fromHandle(HWND hwnd)
{
    if (!hwnd || ULONG_PTR(GetClassLongPtrW(hwnd, GCLP_WNDPROC)) != ULONG_PTR(&Form::proc))
        return nullptr;
    return reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void Form::destroy()
{
    if (HWND h = hwnd_) {
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        detach();
        DestroyWindow(h);
    }
}

void Form::detach()
{
    hwnd_ = nullptr;
    controls_.clear();
    hints_ = ToolTip();
    hintsFailed_ = false;
    extraHints_.clear();
    defaultRow_ = cancelRow_ = -1;
    lastSize_ = {~WPARAM(0), 0};
}

LRESULT CALLBACK Form::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    Form* form;
    if (msg == WM_NCCREATE) {
        form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(form));
    } else {
        form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!form)
        return DefDlgProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        // Destroyed from outside, e.g. with its owner: the object lives on
        // without a window.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->detach();
        return DefDlgProcW(hwnd, msg, wp, lp);
    }
    return guarded([&] { return form->handleMessage(msg, wp, lp); }, LRESULT(0));
}

LRESULT Form::handleMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    LRESULT result = 0;
    if (onMessage(msg, wp, lp, result))
        return result;
    switch (msg) {
    case WM_COMMAND: {
        int id = LOWORD(wp);
        // The dialog manager's Enter and Escape. Enter on a focused button
        // arrives as that button's own click.
        if (id == IDOK || id == IDCANCEL) {
            int target = id == IDOK ? defaultRow_ : cancelRow_;
            if (target >= 0)
                click(target);
            return 0;
        }
        int index = id - kFirstControlId;
        if (lp && index >= 0 && size_t(index) < controls_.size())
            command(index, HIWORD(wp));
        return 0;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lp);
        int index = rowOf(header->hwndFrom);
        return index >= 0 ? onNotify(index, *header) : 0;
    }
    case WM_SIZE:
        // Wine tells a window its size again when it is first shown; laid
        // out anew, each control would cost round trips for nothing.
        if (wp == lastSize_.first && lp == lastSize_.second)
            return 0;
        lastSize_ = {wp, lp};
        for (size_t i = 0; i < controls_.size(); ++i)
            if (rows_[i].kind == Kind::statusBar)
                StatusBar(controls_[i]).parentResized();
        onResize(LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_DPICHANGED:
        // Windows scales nothing of ours: the form lays itself out anew.
        setDpi(HIWORD(wp), reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_SYSCOLORCHANGE:
        // Only top-level windows hear of new colours; the common controls
        // take theirs from this message (list, tree, status bar, hints).
        for (HWND c : controls_)
            SendMessageW(c, WM_SYSCOLORCHANGE, wp, lp);
        if (hints_)
            hints_.send(WM_SYSCOLORCHANGE, wp, lp);
        invalidate();
        return 0;
    case WM_CLOSE:
        // Not to DefDlgProc: it would press IDCANCEL, and a box without a
        // Cancel button could not be closed.
        if (onCloseQuery()) {
            if (modal_)
                modalResult_ = mrCancel;
            else
                onClose();
        }
        return 0;
    }
    return DefDlgProcW(hwnd_, msg, wp, lp);
}

}  // namespace tresorix
