#include "dialogs/InfoForm.h"

#include "dialogs/ProgramVersion.h"
#include "platform/TextConv.h"
#include "ui/Subclass.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <exception>

namespace tresorix {

namespace {

constexpr const char* kWebHint = "Homepage besuchen";

// Every label notifies, so that the mouse over a plain label stays with the
// label and does not reach the form's background handler.
constexpr DWORD kText = SS_NOTIFY | SS_NOPREFIX;
// The links are tab stops too, so the keyboard reaches them.
constexpr DWORD kLink = kText | WS_TABSTOP;

constexpr ControlRow kLayout[] = {
    {"Image1", Kind::label, "", kWebHint, 8, 8, 75, 200, 0, mrNone, SS_OWNERDRAW | SS_NOTIFY},
    {"Label1", Kind::label, TRESORIX_NAME, nullptr, 94, 10, 0, 0, rowBold, mrNone, kText},
    {"Label2", Kind::label, "Version " TRESORIX_VERSION, nullptr, 94, 42, 0, 0, rowBold, mrNone, kText},
    {"Label11", Kind::label, "vom " TRESORIX_RELEASE_DATE, nullptr, 94, 58, 140, 14, 0, mrNone, kText},
    {"Label3", Kind::label, "Freeware", nullptr, 94, 78, 0, 0, rowBold, mrNone, kText},
    {"Label4", Kind::label, "Autor :", nullptr, 88, 104, 50, 14, 0, mrNone, kText | SS_RIGHT},
    {"Label10", Kind::label, "Das Tresorix-Team", nullptr, 142, 104, 0, 0, 0, mrNone, kText},
    {"Label7", Kind::label, "mail :", nullptr, 88, 122, 50, 14, 0, mrNone, kText | SS_RIGHT},
    {"Label5", Kind::label, kInfoMail, "email senden", 142, 122, 0, 0, 0, mrNone, kLink},
    {"Label8", Kind::label, "internet :", nullptr, 88, 140, 50, 14, 0, mrNone, kText | SS_RIGHT},
    {"Label6", Kind::label, "www.example.org", kWebHint, 142, 140, 0, 0, 0, mrNone, kLink},
    {"Label9", Kind::label, "Mit Dank an alle Tester.", nullptr, 94, 162, 0, 0, 0, mrNone, kText},
    {"BtnSchliessen", Kind::button, "&OK", nullptr, 166, 188, 75, 23, rowDefault | rowCancel, mrOk},
};

constexpr FontLook kTitleLook{14, FW_BOLD};
constexpr FontLook kLinkLook{8, FW_NORMAL, false, true};
constexpr FontLook kBandLook{20, FW_BOLD, true, false, 900};

void fill(HDC dc, RECT r, COLORREF color)
{
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

}  // namespace

Tinfo::Tinfo()
{
    openLink = [this](const std::string& link) {
        // Whatever the shell says, there is nothing to tell the user.
        ShellExecuteW(handle(), L"open", Widen(link).c_str(), nullptr, nullptr, SW_SHOW);
    };
    create({kInfoClass, " Programminformation", 249, 217, WS_POPUP | WS_CAPTION}, kLayout);
    setFonts();
    for (int row : {Image1, Label5, Label6})
        SubclassControl(control(row), [this](HWND link, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
            return linkMessage(link, msg, wp, lp, result);
        });
    centerOnScreen();
}

void Tinfo::onDpiChanged(int)
{
    setFonts();
}

void Tinfo::setFonts()
{
    setFont(Label1, TahomaFont(kTitleLook, dpi()));
    setFont(Label5, TahomaFont(kLinkLook, dpi()));
    setFont(Label6, TahomaFont(kLinkLook, dpi()));
}

// A label in a font of its own, sized to its text in that font.
void Tinfo::setFont(int row, HFONT font)
{
    Label label = item<Label>(row);
    label.setFont(font);
    std::wstring text = Widen(label.text());
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{};
    DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    label.setSize(r.right, r.bottom);
}

void Tinfo::Label5Click()
{
    openLink(std::string("mailto:") + kInfoMail);
}

void Tinfo::Label6Click()
{
    openLink(kInfoWeb);
}

COLORREF LinkColor()
{
    // Wine's light scheme makes its link colour almost the dialog's own grey;
    // there the links keep the colour of the logo.
    auto luma = [](COLORREF c) { return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000; };
    COLORREF link = GetSysColor(COLOR_HOTLIGHT);
    return std::abs(luma(link) - luma(GetSysColor(COLOR_BTNFACE))) >= 64 ? link : RGB(0, 128, 128);
}

void Tinfo::Label5MouseMove()
{
    setLinksLit(true, false);
}

void Tinfo::Label6MouseMove()
{
    setLinksLit(false, true);
}

void Tinfo::FormMouseMove()
{
    setLinksLit(false, false);
}

void Tinfo::setLinksLit(bool mail, bool web)
{
    if (mail != mailLit_) {
        mailLit_ = mail;
        item<Label>(Label5).invalidate();
    }
    if (web != webLit_) {
        webLit_ = web;
        item<Label>(Label6).invalidate();
    }
}

void Tinfo::onCommand(int row, int code)
{
    if (code != STN_CLICKED)
        return;
    if (row == Label5)
        Label5Click();
    else if (row == Label6 || row == Image1)
        Label6Click();
}

bool Tinfo::onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_MOUSEMOVE:
        FormMouseMove();
        return false;
    case WM_CTLCOLORSTATIC: {
        int row = rowOf(HWND(lp));
        if (row != Label5 && row != Label6)
            return false;
        HDC dc = HDC(wp);
        SetTextColor(dc, row == Label5 ? mailColor() : webColor());
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        result = LRESULT(GetSysColorBrush(COLOR_BTNFACE));
        return true;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (rowOf(item->hwndItem) != Image1)
            return false;
        drawPicture(*item);
        result = TRUE;
        return true;
    }
    }
    return false;
}

bool Tinfo::linkMessage(HWND link, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_GETDLGCODE: {
        // Enter and Space belong to the focused link, not to the dialog's
        // default button.
        auto* key = reinterpret_cast<const MSG*>(lp);
        result = CallControl(link, msg, wp, lp);
        if (key && key->message == WM_KEYDOWN && (key->wParam == VK_RETURN || key->wParam == VK_SPACE))
            result |= DLGC_WANTMESSAGE;
        return true;
    }
    case WM_KEYDOWN:
        if (wp != VK_RETURN && wp != VK_SPACE)
            return false;
        // A key held down opens the link once, not once per repeat.
        if (!(lp & (1 << 30)))
            onCommand(rowOf(link), STN_CLICKED);
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(link, nullptr, TRUE);
        return false;
    case WM_PAINT: {
        // A static draws no focus; the link shows it as a button would,
        // unless the keyboard has not been used in this window yet.
        result = CallControl(link, msg, wp, lp);
        if (GetFocus() == link && !(SendMessageW(link, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
            RECT r = Window(link).clientRect();
            HDC dc = GetDC(link);
            DrawFocusRect(dc, &r);
            ReleaseDC(link, dc);
        }
        return true;
    }
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        result = TRUE;
        return true;
    case WM_MOUSEMOVE:
        if (rowOf(link) == Label5)
            Label5MouseMove();
        else
            Label6MouseMove();
        return false;
    }
    return false;
}

// A band in the colours of the logo: teal running darker downwards, the
// icon's red cross on a white tile, the name written upwards.
void Tinfo::drawPicture(const DRAWITEMSTRUCT& item) const
{
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    int height = r.bottom - r.top, width = r.right - r.left;
    for (int y = 0; y < height; y += 2) {
        int shade = 128 - 72 * y / std::max(height, 1);
        fill(dc, {r.left, r.top + y, r.right, r.top + y + 2}, RGB(0, shade, shade));
    }

    int tile = width * 3 / 5, left = r.left + (width - tile) / 2, top = r.top + (width - tile) / 2;
    fill(dc, {left, top, left + tile, top + tile}, RGB(255, 255, 255));
    int bar = tile / 4, inset = tile / 6;
    COLORREF red = RGB(204, 0, 0);
    fill(dc, {left + (tile - bar) / 2, top + inset, left + (tile + bar) / 2, top + tile - inset}, red);
    fill(dc, {left + inset, top + (tile - bar) / 2, left + tile - inset, top + (tile + bar) / 2}, red);

    HGDIOBJ old = SelectObject(dc, TahomaFont(kBandLook, dpi()));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    std::wstring name = Widen(TRESORIX_NAME);
    SIZE extent{};
    GetTextExtentPoint32W(dc, name.c_str(), int(name.size()), &extent);
    // Written upwards: the text's top lies to the left, its start at the bottom.
    int x = r.left + (width - extent.cy) / 2;
    int y = r.bottom - scale(10);
    TextOutW(dc, x, y, name.c_str(), int(name.size()));
    SelectObject(dc, old);
}

}  // namespace tresorix
