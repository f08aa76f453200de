// The versions dialog of the main window's system menu, driven as a user
// would: tick, type, OK or Abbrechen.
#include "dialogs/VersionenForm.h"

#include "ui/Controls.h"
#include "ui/DriveUi.h"

#include <gtest/gtest.h>

#include <functional>

namespace tresorix {
namespace {

using test::whenIdle;

// As the mouse does: the box changes, then tells the dialog.
void tick(TVersionenForm& form)
{
    SendMessageW(form.control(TVersionenForm::CbKeep), BM_CLICK, 0, 0);
}

std::optional<int> pick(TVersionenForm& form, int days, std::function<void()> user)
{
    whenIdle(std::move(user));
    return form.Pick(days);
}

TEST(VersionenForm, TickTypeAndConfirm)
{
    TVersionenForm form;
    Window field(form.control(TVersionenForm::EdDays));
    // Off: the field waits, greyed, with the days offered when ticked.
    EXPECT_EQ(pick(form, 0,
                   [&] {
                       EXPECT_FALSE(field.enabled());
                       tick(form);
                       EXPECT_TRUE(field.enabled());
                       EXPECT_EQ(field.text(), "30");
                       form.click(TVersionenForm::BtnOk);
                   }),
              30);
    EXPECT_EQ(pick(form, 45,
                   [&] {
                       EXPECT_EQ(field.text(), "45");
                       field.setText("400");
                       form.click(TVersionenForm::BtnOk);
                   }),
              400);
    EXPECT_EQ(pick(form, 45, [&] { tick(form), form.click(TVersionenForm::BtnOk); }), 0);
    EXPECT_EQ(pick(form, 45, [&] { form.click(TVersionenForm::BtnCancel); }), std::nullopt);
}

// The mirroring box belongs to the current set: greyed for a set without a
// file and while versions are off, and only a box that could be changed
// gives a choice back.
TEST(VersionenForm, MirroringBoxOnlyForASavedSetWithVersions)
{
    TVersionenForm form;
    Window box(form.control(TVersionenForm::CbMirror));
    EXPECT_EQ(box.text(), "Was in der Quelle fehlt, aus dem Ziel in die Versionen verschieben");
    {
        // The whole sentence is readable: box, gap and text fit the control.
        HDC dc = GetDC(box);
        HGDIOBJ old = SelectObject(dc, HGDIOBJ(SendMessageW(box, WM_GETFONT, 0, 0)));
        const std::wstring text = L"Was in der Quelle fehlt, aus dem Ziel in die Versionen verschieben";
        SIZE extent{};
        GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &extent);
        SelectObject(dc, old);
        ReleaseDC(box, dc);
        RECT client{};
        GetClientRect(box, &client);
        EXPECT_LE(extent.cx + GetSystemMetrics(SM_CXMENUCHECK) + 6, client.right);
    }
    EXPECT_EQ(pick(form, 30,
                   [&] {
                       EXPECT_FALSE(box.enabled());
                       form.click(TVersionenForm::BtnOk);
                   }),
              30);
    EXPECT_EQ(form.mirror(), std::nullopt) << "a set without a file";

    form.setMirror(false);
    pick(form, 0, [&] {
        EXPECT_FALSE(box.enabled()) << "versions off";
        tick(form);
        EXPECT_TRUE(box.enabled());
        SendMessageW(box.handle(), BM_CLICK, 0, 0);
        form.click(TVersionenForm::BtnOk);
    });
    EXPECT_EQ(form.mirror(), true);

    form.setMirror(true);
    pick(form, 30, [&] {
        EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
        tick(form);
        EXPECT_FALSE(box.enabled());
        form.click(TVersionenForm::BtnOk);
    });
    EXPECT_EQ(form.mirror(), std::nullopt) << "versions turned off: the choice stays as it was";
}

// A field that holds no day count of 1 to 3650 is never taken: OK waits,
// also for Enter, until the field holds one or the box is unticked.
TEST(VersionenForm, OkWaitsForADayCount)
{
    TVersionenForm form;
    Window field(form.control(TVersionenForm::EdDays));
    Window ok(form.control(TVersionenForm::BtnOk));
    EXPECT_EQ(pick(form, 45,
                   [&] {
                       for (const char* text : {"", "0", "9999", "3651"}) {
                           field.setText(text);
                           EXPECT_FALSE(ok.enabled()) << text;
                           form.send(WM_COMMAND, IDOK, 0);
                       }
                       field.setText("3650");
                       EXPECT_TRUE(ok.enabled());
                       form.click(TVersionenForm::BtnOk);
                   }),
              3650);
    // Unticked, the field does not matter: off is always a choice.
    EXPECT_EQ(pick(form, 45,
                   [&] {
                       field.setText("");
                       tick(form);
                       EXPECT_TRUE(ok.enabled());
                       form.send(WM_COMMAND, IDOK, 0);
                   }),
              0);
}

// The arrow keys in the field go to the up-down beside it, which writes
// plain numbers (no thousands dot the field could not read back) and stops
// at the ends of the range.
TEST(VersionenForm, ArrowKeysCountWithinTheRange)
{
    TVersionenForm form;
    HWND field = form.control(TVersionenForm::EdDays);
    auto press = [&](UINT key) {
        SendMessageW(field, WM_KEYDOWN, key, 1);
        SendMessageW(field, WM_KEYUP, key, 0xC0000001);
    };
    EXPECT_EQ(pick(form, 998, [&] { press(VK_UP), press(VK_UP), form.click(TVersionenForm::BtnOk); }), 1000);
    EXPECT_EQ(pick(form, 3649, [&] { press(VK_UP), press(VK_UP), form.click(TVersionenForm::BtnOk); }), 3650);
    EXPECT_EQ(pick(form, 2, [&] { press(VK_DOWN), press(VK_DOWN), form.click(TVersionenForm::BtnOk); }), 1);
}

}  // namespace
}  // namespace tresorix
