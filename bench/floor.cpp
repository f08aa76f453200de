// The floor under the program's start-up time: the two windows an
// unattended run shows, the main window and the progress window, with the
// same classes, styles, sizes, controls, fonts and theme, each shown and
// painted once, and nothing else: no settings, no set file, no copying.
// Whatever the program takes beyond this is its own doing.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>

namespace {

HINSTANCE instance;
int dpi = 96;
HFONT formFont, boldFont;
HWND logoName, logoMark;

int S(int pixels)
{
    return MulDiv(pixels, dpi, 96);
}

HFONT tahoma(int height, bool bold, bool italic)
{
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = italic;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy(lf.lfFaceName, L"Tahoma");
    return CreateFontIndirectW(&lf);
}

// Measured as the program measures its labels, "&" marking a mnemonic.
SIZE textSize(HFONT font, const wchar_t* text)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{};
    DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return {r.right, r.bottom};
}

LRESULT CALLBACK formProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CTLCOLORSTATIC:
        if (HWND(lp) != logoName && HWND(lp) != logoMark)
            break;
        SetTextColor(HDC(wp), RGB(0, 128, 128));
        SetBkColor(HDC(wp), GetSysColor(COLOR_BTNFACE));
        return LRESULT(GetSysColorBrush(COLOR_BTNFACE));
    case WM_DRAWITEM: {
        auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        wchar_t text[MAX_PATH];
        GetWindowTextW(item.hwndItem, text, MAX_PATH);
        FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
        HGDIOBJ old = SelectObject(item.hDC, formFont);
        SetBkMode(item.hDC, TRANSPARENT);
        DrawTextW(item.hDC, text, -1, &item.rcItem, DT_PATH_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE);
        SelectObject(item.hDC, old);
        return TRUE;
    }
    }
    return DefDlgProcW(hwnd, msg, wp, lp);
}

// The picture of a tool button: a 16 by 16 DIB, as the program's are.
void drawPicture(HDC dc, int x, int y)
{
    static DWORD pixels[16 * 16];
    for (int i = 0; i < 16 * 16; ++i)
        pixels[i] = (i / 16 + i % 16) % 5 ? 0xC0C0C0 : 0x008080;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = -16;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    StretchDIBits(dc, x, y, 16, 16, 0, 0, 16, 16, pixels, &bi, DIB_RGB_COLORS, SRCCOPY);
}

LRESULT CALLBACK toolButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_ERASEBKGND)
        return 1;
    if (msg != WM_PAINT)
        return DefWindowProcW(hwnd, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    drawPicture(dc, (r.right - 16) / 2, (r.bottom - 16) / 2);
    EndPaint(hwnd, &ps);
    return 0;
}

LRESULT CALLBACK gaugeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_SETFONT:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(wp));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
        HGDIOBJ old = SelectObject(dc, HFONT(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, L"0%", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, old);
        EndPaint(hwnd, &ps);
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void registerClass(const wchar_t* name, WNDPROC proc, UINT style, bool form)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    if (form) {
        wc.cbWndExtra = DLGWINDOWEXTRA;
        wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        wc.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
    }
    RegisterClassExW(&wc);
}

HWND form(const wchar_t* cls, const wchar_t* caption, DWORD style, DWORD exStyle, RECT r, HWND owner)
{
    return CreateWindowExW(exStyle, cls, caption, style, r.left, r.top, r.right - r.left, r.bottom - r.top, owner,
                           nullptr, instance, nullptr);
}

HWND child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int x, int y, int w,
           int h, HFONT font)
{
    static int id = 1000;
    HWND hwnd = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                HMENU(INT_PTR(id++)), instance, nullptr);
    SendMessageW(hwnd, WM_SETFONT, WPARAM(font), FALSE);
    return hwnd;
}

// A label as high as its text, and as wide unless a width is given.
HWND label(HWND parent, const wchar_t* text, int x, int y, int width = 0)
{
    SIZE size = textSize(formFont, text);
    return child(parent, WC_STATICW, text, SS_LEFTNOWORDWRAP, 0, S(x), S(y), width ? S(width) : size.cx, size.cy,
                 formFont);
}

HWND mainWindow()
{
    // Where the program puts its window when no settings say otherwise.
    int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    RECT frame{screenW / 16, screenH / 16, screenW / 16 + (9 * screenW + 5) / 10, screenH / 16 + (8 * screenH + 5) / 10};
    HWND hwnd = form(L"TmForm", L" Tresorix", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_APPWINDOW, frame, nullptr);
    RECT client;
    GetClientRect(hwnd, &client);
    int w = client.right, h = client.bottom;

    // First, as the layout below stands on its height.
    HWND bar = child(hwnd, STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, 0, 0, 0, 0, 0, formFont);
    RECT barRect;
    GetWindowRect(bar, &barRect);
    int p0 = S(140), p1 = int(frame.right - frame.left) - S(140) - S(100);
    const int edges[] = {p0, p0 + p1, -1};
    SendMessageW(bar, SB_SETPARTS, 3, LPARAM(edges));
    SendMessageW(bar, SB_SETTEXTW, 0, LPARAM(L"0 Dateien gesichert"));
    SendMessageW(bar, SB_SETTEXTW, 1, LPARAM(L"1 Eintrag"));
    SendMessageW(bar, SB_SETTEXTW, 2, LPARAM(L"Nicht geändert"));

    // Tool buttons, upright lines between the groups, a line below them.
    static const int kTools[] = {4, 36, 68, -103, 108, 140, 172, 204, -239, 244, -279, 284, 316, -351, 356, -391, 396};
    for (int x : kTools) {
        if (x > 0)
            child(hwnd, L"TresorixToolButton", L"", 0, 0, S(x), S(3), S(32), S(24), formFont);
        else
            child(hwnd, WC_STATICW, L"", SS_ETCHEDVERT, 0, S(-x), S(4), S(2), S(22), formFont);
    }
    child(hwnd, WC_STATICW, L"", SS_ETCHEDHORZ, 0, 0, S(30), w, S(2), formFont);

    HWND pick = child(hwnd, WC_BUTTONW, L" &Standardziel :", BS_PUSHBUTTON | WS_TABSTOP, 0, S(4), S(36), S(108),
                      S(24), formFont);
    SendMessageW(pick, BM_SETIMAGE, IMAGE_ICON, LPARAM(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, 0)));
    HWND targets = child(hwnd, WC_COMBOBOXW, L"", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0,
                         S(116), S(37), w - S(116) - S(4), S(221), formFont);
    SendMessageW(targets, CB_SETMINVISIBLE, 9, 0);
    SendMessageW(targets, CB_SETCURSEL, SendMessageW(targets, CB_ADDSTRING, 0, LPARAM(L"C:\\BACKUP")), 0);

    int groupTop = h - (barRect.bottom - barRect.top) - S(4) - S(92);
    int listW = w - 2 * S(4);
    HWND list = child(hwnd, WC_LISTVIEWW, L"", LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP,
                      WS_EX_CLIENTEDGE, S(4), S(64), listW, groupTop - S(4) - S(64), formFont);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    // The last column fills what the client edge leaves of the list.
    const wchar_t* headers[] = {L"Quellverzeichnis", L"Uv", L"Datei  bzw. Filter", L"Ziel"};
    const wchar_t* row[] = {L"C:\\Daten", L"ja", L"*.*", L"<Standardziel>"};
    int widths[] = {220, 32, 170, listW - 4 - 220 - 32 - 170};
    for (int i = 0; i < 4; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(headers[i]);
        column.cx = widths[i];
        column.iSubItem = i;
        SendMessageW(list, LVM_INSERTCOLUMNW, i, LPARAM(&column));
    }
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<wchar_t*>(row[0]);
    SendMessageW(list, LVM_INSERTITEMW, 0, LPARAM(&item));
    for (int i = 1; i < 4; ++i) {
        item.iSubItem = i;
        item.pszText = const_cast<wchar_t*>(row[i]);
        SendMessageW(list, LVM_SETITEMTEXTW, 0, LPARAM(&item));
    }

    child(hwnd, WC_BUTTONW, L" wenn die Zieldatei bereits vorhanden ist ... ", BS_GROUPBOX, WS_EX_TRANSPARENT, S(4),
          groupTop, S(241), S(92), formFont);
    const wchar_t* modes[] = {L"&nur Dateien mit neuerem Datum sichern", L"Zieldatei &immer überschreiben",
                              L"&Datei überspringen", L"nach&fragen "};
    for (int i = 0; i < 4; ++i) {
        HWND radio = child(hwnd, WC_BUTTONW, modes[i], BS_AUTORADIOBUTTON | (i ? 0 : WS_GROUP | WS_TABSTOP), 0,
                           S(14), groupTop + S(17 + i * 17), S(225), S(17), formFont);
        if (i == 0)
            SendMessageW(radio, BM_SETCHECK, BST_CHECKED, 0);
    }
    const wchar_t* checks[] = {L"Tresorix  bei jedem &Windows-Start laden ...",
                               L"... &und Datensicherung automatisch starten",
                               L"Programm nach dem Sichern automatisch &beenden"};
    int checkW = textSize(formFont, checks[2]).cx + S(20);
    for (int i = 0; i < 3; ++i) {
        // Autostart is off, so its follower is greyed; /START and /CLOSE tick both.
        DWORD style = BS_AUTOCHECKBOX | WS_TABSTOP | (i == 0 ? WS_GROUP : 0) | (i == 1 ? WS_DISABLED : 0);
        HWND box = child(hwnd, WC_BUTTONW, checks[i], style, 0, S(261), groupTop + S(5 + i * 19), checkW, S(17), formFont);
        if (i > 0)
            SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    }

    HFONT nameFont = tahoma(-S(19), true, false), markFont = tahoma(-S(19), true, true);
    SIZE name = textSize(nameFont, L"Tresorix"), mark = textSize(markFont, L" !");
    int logoTop = groupTop + S(92) - name.cy - S(2), logoLeft = S(261) + S(18);
    logoName = child(hwnd, WC_STATICW, L"Tresorix", SS_NOTIFY | SS_NOPREFIX, 0, logoLeft, logoTop, name.cx, name.cy,
                     nameFont);
    logoMark = child(hwnd, WC_STATICW, L" !", SS_NOTIFY | SS_NOPREFIX, 0, logoLeft + name.cx, logoTop,
                     mark.cx + S(2), mark.cy, markFont);
    return hwnd;
}

HWND progressWindow(HWND owner)
{
    RECT frame{0, 0, S(429), S(150)};
    DWORD style = WS_POPUP | WS_CAPTION;
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    int fw = frame.right - frame.left, fh = frame.bottom - frame.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - fw) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - fh) / 2;
    HWND hwnd = form(L"TProgress", L" Backup wird ausgeführt ...", style, 0, {x, y, x + fw, y + fh}, owner);

    // The changing values the window draws itself, into its own client area.
    label(hwnd, L"kopiere:  ", 8, 8);
    child(hwnd, L"TresorixGauge", L"", 0, WS_EX_STATICEDGE, S(8), S(24), S(409), S(17), boldFont);
    label(hwnd, L"von:", 8, 48);
    child(hwnd, L"TresorixGauge", L"", 0, WS_EX_STATICEDGE, S(8), S(64), S(409), S(17), boldFont);
    label(hwnd, L"nach:", 8, 88);
    label(hwnd, L"überprüfte Dateien :  ", 8, 112, 112);
    label(hwnd, L"gesicherte Dateien :  ", 8, 128, 112);
    child(hwnd, WC_BUTTONW, L"&Abbrechen", BS_PUSHBUTTON | WS_TABSTOP, 0, S(342), S(117), S(75), S(22), formFont);
    return hwnd;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hinstance, HINSTANCE, PWSTR, int)
{
    instance = hinstance;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    HDC screen = GetDC(nullptr);
    dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    formFont = tahoma(-MulDiv(8, dpi, 72), false, false);
    boldFont = tahoma(-MulDiv(8, dpi, 72), true, false);

    registerClass(L"TresorixGauge", gaugeProc, CS_HREDRAW | CS_VREDRAW, false);
    registerClass(L"TresorixToolButton", toolButtonProc, 0, false);
    registerClass(L"TmForm", formProc, 0, true);
    registerClass(L"TProgress", formProc, 0, true);

    HWND main = mainWindow();
    HWND progress = progressWindow(main);
    ShowWindow(main, SW_SHOW);
    UpdateWindow(main);
    ShowWindow(progress, SW_SHOW);
    UpdateWindow(progress);
    // The progress window is owned by the main window and goes with it.
    DestroyWindow(main);
    return 0;
}
