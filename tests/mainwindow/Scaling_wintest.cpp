// Every window laid out at 100, 125, 150 and 200 %, as on monitors of those
// scales: nothing cut off by the window or by its own size, nothing lying on
// something else, everything where its place at 100 % puts it, scaled.
// Compared as rectangles, so fonts that draw a pixel differently do not
// matter.
#include "mainwindow/MainForm.h"

#include "dialogs/DirWahl.h"
#include "dialogs/FilterForm.h"
#include "dialogs/InfoForm.h"
#include "dialogs/MdForm.h"
#include "dialogs/ProgressWindow.h"
#include "dialogs/VersionenForm.h"
#include "dialogs/ZielWahl.h"
#include "platform/TextConv.h"
#include "platform/Win32FileSystem.h"
#include "ui/DriveUi.h"
#include "ui/MessageDialog.h"
#include "ui/ProcessMessages.h"
#include "ui/ToolButton.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace tresorix {
namespace {

constexpr int kScales[] = {96, 120, 144, 192};

struct Placed {
    int row;
    RECT rect;
};

bool shown(HWND c)
{
    return GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE;
}

std::vector<Placed> placesOf(const Form& form)
{
    std::vector<Placed> placed;
    for (int i = 0; form.control(i); ++i)
        if (shown(form.control(i)))
            placed.push_back({i, Window(form.control(i)).rect()});
    return placed;
}

bool contains(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::string describe(const RECT& r)
{
    char text[64];
    snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

// The room a control's text needs in its font, as it draws it.
SIZE textNeed(HWND c, UINT format, int wrapWidth = 0)
{
    // Blanks at the end take room nobody sees.
    std::wstring text = Widen(Window(c).text());
    text.erase(text.find_last_not_of(L' ') + 1);
    HDC dc = GetDC(c);
    HGDIOBJ old = SelectObject(dc, Window(c).font());
    RECT r{0, 0, wrapWidth, 0};
    DrawTextW(dc, text.empty() ? L"Ag" : text.c_str(), -1, &r, DT_CALCRECT | DT_EXPANDTABS | format);
    SelectObject(dc, old);
    ReleaseDC(c, dc);
    return {r.right, r.bottom};
}

// What a control shows fits inside it: its caption beside a check box's
// square or a button's picture, a label's lines, a painted value's line.
void expectTextFits(const Form& form, const Placed& p, const std::string& where)
{
    const ControlRow& row = form.row(p.row);
    HWND c = form.control(p.row);
    const int w = p.rect.right - p.rect.left, h = p.rect.bottom - p.rect.top;
    const LONG style = GetWindowLongW(c, GWL_STYLE);
    SIZE need{};
    int extra = 0;
    switch (row.kind) {
    case Kind::label:
        if ((style & SS_TYPEMASK) == SS_ICON || (style & SS_TYPEMASK) >= SS_ETCHEDHORZ || Window(c).text().empty() ||
            (style & SS_ELLIPSISMASK))
            return;
        if ((style & SS_TYPEMASK) == SS_LEFT)  // breaks its lines at its width
            need = textNeed(c, DT_WORDBREAK | DT_EDITCONTROL | (style & SS_NOPREFIX ? DT_NOPREFIX : 0), w);
        else
            need = textNeed(c, DT_SINGLELINE | (style & SS_NOPREFIX ? DT_NOPREFIX : 0));
        break;
    case Kind::button:
    case Kind::checkBox:
    case Kind::radio:
        need = textNeed(c, DT_SINGLELINE);
        // A check box's square and the gap to its caption; a button's edges
        // and the picture beside its caption.
        extra = row.kind == Kind::button ? form.scale(4) : form.scale(16);
        if (HICON icon = HICON(SendMessageW(c, BM_GETIMAGE, IMAGE_ICON, 0))) {
            ICONINFO info{};
            BITMAP bm{};
            GetIconInfo(icon, &info);
            GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
            extra += bm.bmWidth;
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
        break;
    case Kind::groupBox:
        need = textNeed(c, DT_SINGLELINE);
        extra = form.scale(8);
        need.cy = 0;
        break;
    case Kind::valueLabel:
    case Kind::progressBar:
        need = textNeed(c, DT_SINGLELINE);  // a line of it: "Ag"
        need.cx = 0;
        break;
    default:
        return;
    }
    EXPECT_LE(need.cx + extra, w) << where << row.name << " is narrower than its text";
    EXPECT_LE(need.cy, h) << where << row.name << " is lower than its text";
}

// The rows a control lies on, which may hold it: a group box its radios,
// an edit field the arrows beside it.
bool mayOverlap(const Form& form, const Placed& a, const Placed& b)
{
    auto holds = [&](const Placed& outer, const Placed& inner) {
        Kind k = form.row(outer.row).kind;
        return (k == Kind::groupBox && contains(outer.rect, inner.rect)) ||
               (form.row(inner.row).kind == Kind::upDown && inner.row == outer.row + 1);
    };
    return holds(a, b) || holds(b, a);
}

void expectSoundLayout(const Form& form, const std::string& where)
{
    const RECT client = form.clientRect();
    const std::vector<Placed> placed = placesOf(form);
    ASSERT_FALSE(placed.empty()) << where;
    for (const Placed& p : placed) {
        const char* name = form.row(p.row).name;
        EXPECT_TRUE(contains(client, p.rect)) << where << name << " " << describe(p.rect) << " is cut off by "
                                              << describe(client);
        EXPECT_GT(p.rect.right, p.rect.left) << where << name;
        expectTextFits(form, p, where);
    }
    for (size_t i = 0; i < placed.size(); ++i)
        for (size_t j = i + 1; j < placed.size(); ++j) {
            RECT both;
            if (IntersectRect(&both, &placed[i].rect, &placed[j].rect) && !mayOverlap(form, placed[i], placed[j]))
                ADD_FAILURE() << where << form.row(placed[i].row).name << " " << describe(placed[i].rect) << " lies on "
                              << form.row(placed[j].row).name << " " << describe(placed[j].rect);
        }
}

// Each edge where the 100 % layout scaled puts it. Text measured in a
// larger font grows less than the layout, and what stands after such a text
// moves with it: a tenth or so is allowed.
void expectScaledFrom(const Form& form, const std::vector<Placed>& at96, int dpi, const std::string& where)
{
    auto scaled = [&](int actual, int base) {
        int want = MulDiv(base, dpi, 96);
        return std::abs(actual - want) <= 2 + std::abs(want) * 12 / 100;
    };
    for (const Placed& before : at96) {
        const ControlRow& row = form.row(before.row);
        RECT now = Window(form.control(before.row)).rect();
        EXPECT_TRUE(scaled(now.left, before.rect.left) && scaled(now.top, before.rect.top))
            << where << row.name << " stands at " << describe(now) << ", was " << describe(before.rect);
        // A combo box is as high as its font, a label that fits its text as
        // wide; the arrows of an up-down control are the system's.
        bool fitted = row.kind == Kind::label && (row.width == 0 || row.height == 0);
        if (fitted || row.kind == Kind::upDown)
            continue;
        EXPECT_TRUE(scaled(now.right - now.left, before.rect.right - before.rect.left))
            << where << row.name << " is " << describe(now) << ", was " << describe(before.rect);
        if (row.kind != Kind::comboBox) {
            EXPECT_TRUE(scaled(now.bottom - now.top, before.rect.bottom - before.rect.top))
                << where << row.name << " is " << describe(now) << ", was " << describe(before.rect);
        }
    }
}

// A fixed window at each scale, against its own layout at 100 %.
void checkAtEveryScale(Form& form, const std::string& name)
{
    form.setDpi(96);
    const std::vector<Placed> at96 = placesOf(form);
    for (int dpi : kScales) {
        const std::string where = name + " at " + std::to_string(dpi * 100 / 96) + " %: ";
        form.setDpi(dpi);
        expectSoundLayout(form, where);
        expectScaledFrom(form, at96, dpi, where);
    }
}

// The extent of what a tool button paints other than its face.
SIZE paintedPicture(HWND button)
{
    RECT r = Window(button).clientRect();
    HDC screen = GetDC(button);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(button, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    RECT box{r.right, r.bottom, 0, 0};
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x)
            if (GetPixel(dc, x, y) != face) {
                box.left = std::min(box.left, LONG(x));
                box.top = std::min(box.top, LONG(y));
                box.right = std::max(box.right, LONG(x + 1));
                box.bottom = std::max(box.bottom, LONG(y + 1));
            }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(button, screen);
    return {box.right - box.left, box.bottom - box.top};
}

// As if moved from a monitor at 100 % onto one at each scale.
TEST(Scaling, TheMainWindowAtEveryScale)
{
    TmForm form;
    form.show(true);
    ProcessMessages();
    form.setDpi(96);
    ListView list = form.item<ListView>(TmForm::Liste);
    int columns96[3];
    for (int i = 0; i < 3; ++i)
        columns96[i] = list.columnWidth(i);
    const RECT window96 = form.rect();
    // The drawing of the information sign fills all of its 16 by 16 pixels.
    const int pictureSides[] = {16, 20, 24, 32};
    for (size_t k = 0; k < std::size(kScales); ++k) {
        const int dpi = kScales[k];
        const std::string where = "main window at " + std::to_string(dpi * 100 / 96) + " %: ";
        form.setDpi(96);
        form.setSize(window96.right - window96.left, window96.bottom - window96.top);
        form.setDpi(dpi);
        ProcessMessages();
        RECT r = form.rect();
        EXPECT_EQ(r.right - r.left, std::max(MulDiv(window96.right - window96.left, dpi, 96), form.minimumWidth()))
            << where;
        EXPECT_EQ(r.bottom - r.top, MulDiv(window96.bottom - window96.top, dpi, 96)) << where;
        expectSoundLayout(form, where);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(list.columnWidth(i), MulDiv(columns96[i], dpi, 96), 1) << where << "column " << i;
        SIZE picture = paintedPicture(form.control(TmForm::BtnInfo));
        EXPECT_EQ(picture.cx, pictureSides[k]) << where;
        EXPECT_EQ(picture.cy, pictureSides[k]) << where;
    }
}

TEST(Scaling, TheProgressWindowAndTheDialogsAtEveryScale)
{
    TmForm main;
    TProgress progress(main.handle());
    checkAtEveryScale(progress, "progress window");
    Win32FileSystem fs;
    TDirWahl dirWahl(fs);
    checkAtEveryScale(dirWahl, "source dialog");
    TZielwahl zielwahl;
    checkAtEveryScale(zielwahl, "target dialog");
    TFilterForm filterForm;
    checkAtEveryScale(filterForm, "filter dialog");
    Tinfo info;
    checkAtEveryScale(info, "information");
    TmdForm mdForm;
    mdForm.setDirectory("C:\\Daten\\Sicherung");
    checkAtEveryScale(mdForm, "new directory dialog");
    TVersionenForm versionen;
    checkAtEveryScale(versionen, "versions dialog");

    test::whenIdle([] {
        Form* box = Form::fromHandle(test::threadWindow(kMessageDialogClass));
        ASSERT_NE(box, nullptr);
        checkAtEveryScale(*box, "message box");
        box->post(WM_CLOSE);
    });
    ShowMessageDialog(PromptKind::confirm,
                      "Die Datei \"C:\\Daten\\Bericht.doc\" existiert bereits.\r\nSoll sie überschrieben werden ?",
                      btnYes | btnNo | btnCancel);
}

}  // namespace
}  // namespace tresorix
