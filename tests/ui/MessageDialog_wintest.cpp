#include "ui/MessageDialog.h"

#include "platform/TextConv.h"
#include "ui/DriveUi.h"
#include "ui/Form.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tresorix {
namespace {

using test::childrenOfClass;
using test::postKey;
using test::whenIdle;

struct SetInUse {
    ButtonSet set;
    std::vector<std::pair<std::string, uint16_t>> buttons;  // left to right
    uint16_t enter, escape;
};

const SetInUse kSets[] = {
    {btnOK, {{"OK", 1}}, 1, 1},
    {btnYes | btnNo, {{"&Ja", 6}, {"&Nein", 7}}, 6, 7},
    {btnOK | btnCancel, {{"OK", 1}, {"Abbrechen", 2}}, 1, 2},
    {btnYes | btnNo | btnCancel, {{"&Ja", 6}, {"&Nein", 7}, {"Abbrechen", 2}}, 6, 2},
    {btnOK | btnCancel | btnRetry, {{"OK", 1}, {"Abbrechen", 2}, {"&Wiederholen", 4}}, 1, 2},
    {btnOK | btnCancel | btnAll, {{"OK", 1}, {"Abbrechen", 2}, {"&Alle", 8}}, 1, 2},
};

HWND dialog() { return test::threadWindow(kMessageDialogClass); }
std::vector<HWND> buttons() { return childrenOfClass(dialog(), L"Button"); }

// Runs the box with `action` done once it is up.
uint16_t ask(ButtonSet set, std::function<void()> action, const std::string& text = "Frage",
             PromptKind kind = PromptKind::confirm)
{
    whenIdle(std::move(action));
    return ShowMessageDialog(kind, text, set);
}

TEST(MessageDialog, ShowsEachSetInDisplayOrderAndClosingGivesCancel)
{
    for (const SetInUse& s : kSets) {
        std::vector<std::string> shown;
        std::string title, focused;
        uint16_t result = ask(s.set, [&] {
            for (HWND b : buttons())
                shown.push_back(Window(b).text());
            title = Window(dialog()).text();
            focused = Window(GetFocus()).text();
            PostMessageW(dialog(), WM_CLOSE, 0, 0);
        });
        EXPECT_EQ(result, mrCancel) << s.set;
        ASSERT_EQ(shown.size(), s.buttons.size());
        for (size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(shown[i], s.buttons[i].first) << s.set;
            if (s.buttons[i].second == s.enter) {
                EXPECT_EQ(focused, shown[i]) << "the focus starts on the button Enter presses";
            }
        }
        EXPECT_EQ(title, "Bestätigung");
        EXPECT_FALSE(dialog()) << "gone after it returned";
    }
}

TEST(MessageDialog, EveryButtonReturnsItsCode)
{
    for (const SetInUse& s : kSets)
        for (size_t i = 0; i < s.buttons.size(); ++i)
            EXPECT_EQ(ask(s.set, [i] { PostMessageW(buttons()[i], BM_CLICK, 0, 0); }), s.buttons[i].second)
                << s.buttons[i].first;
}

TEST(MessageDialog, KeysPressTheirButtons)
{
    for (const SetInUse& s : kSets) {
        EXPECT_EQ(ask(s.set, [] { postKey(GetFocus(), VK_RETURN); }), s.enter) << s.set;
        EXPECT_EQ(ask(s.set, [] { postKey(GetFocus(), VK_ESCAPE); }), s.escape) << s.set;
    }
    // Tab moves on to "Nein"; Enter then presses the focused button, as in
    // any Windows dialog.
    auto tabThenEnter = [] {
        postKey(GetFocus(), VK_TAB);
        postKey(GetFocus(), VK_RETURN);
    };
    EXPECT_EQ(ask(btnYes | btnNo | btnCancel, tabThenEnter), mrNo);
    // The underlined letters: Alt+A for "&Alle", N alone for "&Nein".
    EXPECT_EQ(ask(btnOK | btnCancel | btnAll, [] { PostMessageW(GetFocus(), WM_SYSCHAR, 'a', LPARAM(1u << 29)); }),
              mrAll);
    EXPECT_EQ(ask(btnYes | btnNo, [] { PostMessageW(GetFocus(), WM_CHAR, 'n', 1); }), mrNo);
}

TEST(MessageDialog, SizedToItsTextAndCentredOnTheScreen)
{
    auto boxFor = [](const std::string& text) {
        RECT box{};
        ask(btnOK | btnCancel | btnAll, [&] {
            box = Window(dialog()).rect();
            PostMessageW(dialog(), WM_CLOSE, 0, 0);
        }, text);
        return box;
    };
    RECT shortBox = boxFor("Kurz."), tallBox = boxFor("Backup beendet.\r\n12 Dateien\r\n\r\ngeprüft :\r\ngesichert :");
    EXPECT_GE(tallBox.bottom - tallBox.top, shortBox.bottom - shortBox.top + 2 * 13);

    const std::string text = "Die Datei \"C:\\Daten\\A&B.doc\" existiert bereits.\r\nSoll sie überschrieben werden ?";
    ask(btnOK | btnCancel | btnAll, [&] {
        HWND dlg = dialog();
        RECT box = Window(dlg).rect(), client = Window(dlg).clientRect();
        EXPECT_GT(box.right - box.left, shortBox.right - shortBox.left);

        std::vector<HWND> statics = childrenOfClass(dlg, L"Static");
        ASSERT_EQ(statics.size(), 2u);
        EXPECT_TRUE(Window(statics[0]).send(STM_GETICON)) << "icon left of the text";
        Window label(statics[1]);
        EXPECT_EQ(label.text(), text);
        // The label holds the text as it draws it, & included.
        HDC dc = GetDC(label);
        SelectObject(dc, label.font());
        RECT need{};
        DrawTextW(dc, Widen(text).c_str(), -1, &need, DT_CALCRECT | DT_NOPREFIX);
        ReleaseDC(label, dc);
        EXPECT_GE(label.clientRect().right, need.right);
        EXPECT_GE(label.clientRect().bottom, need.bottom);

        std::vector<HWND> bs = buttons();
        for (HWND b : bs) {
            RECT r = Window(b).rect();
            EXPECT_EQ(r.right - r.left, ScaleToDpi(75));
            EXPECT_EQ(r.bottom - r.top, ScaleToDpi(23));
            EXPECT_GE(r.top, label.rect().bottom);
            EXPECT_LE(r.bottom, client.bottom);
        }
        int left = Window(bs.front()).rect().left, right = client.right - Window(bs.back()).rect().right;
        EXPECT_LE(std::abs(left - right), 1) << "buttons centred";

        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        GetMonitorInfoW(MonitorFromWindow(dlg, MONITOR_DEFAULTTOPRIMARY), &mi);
        EXPECT_LE(std::abs(box.left + box.right - mi.rcMonitor.left - mi.rcMonitor.right), 1);
        EXPECT_LE(std::abs(box.top + box.bottom - mi.rcMonitor.top - mi.rcMonitor.bottom), 1);
        PostMessageW(dlg, WM_CLOSE, 0, 0);
    }, text);
}

class PlainForm : public Form {
public:
    explicit PlainForm(const wchar_t* cls) { create({cls, "Fenster", 300, 200}, {}); }
    int appMessages = 0;

private:
    bool onMessage(UINT msg, WPARAM, LPARAM, LRESULT&) override
    {
        appMessages += msg == WM_APP;
        // A form whose owner does not exist cannot be made.
        if (msg == WM_APP + 1)
            Form().create({L"TestUnmade", "Fenster", 100, 100}, {}, HWND(UINT_PTR(0xBAD0)));
        return false;
    }
};

TEST(MessageDialog, OwnedByTheActiveWindowWhileTheProgramsWindowsAreDisabled)
{
    PlainForm owner(L"TestOwner"), other(L"TestOther"), disabled(L"TestDisabled");
    for (Form* f : {&other, &disabled, &owner})
        f->show(true);
    disabled.enable(false);
    SetActiveWindow(owner);

    ask(btnOK, [&] {
        EXPECT_EQ(GetWindow(dialog(), GW_OWNER), owner.handle());
        EXPECT_FALSE(owner.enabled());
        EXPECT_FALSE(other.enabled());
        PostMessageW(dialog(), WM_CLOSE, 0, 0);
    });
    EXPECT_TRUE(owner.enabled());
    EXPECT_TRUE(other.enabled());
    EXPECT_FALSE(disabled.enabled()) << "only what the box disabled is enabled again";
    EXPECT_EQ(GetActiveWindow(), owner.handle());

    // In the background, with none of its windows active, the box belongs to
    // the program's highest window all the same.
    SetWindowPos(other.handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetActiveWindow(nullptr);
    ASSERT_EQ(GetActiveWindow(), nullptr);
    ask(btnOK, [&] {
        EXPECT_EQ(GetWindow(dialog(), GW_OWNER), other.handle());
        PostMessageW(dialog(), WM_CLOSE, 0, 0);
    });
}

TEST(MessageDialog, QuitEndsTheBoxAndReachesTheOuterLoop)
{
    EXPECT_EQ(ask(btnYes | btnNo, [] { PostQuitMessage(3); }), mrCancel);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST(MessageDialog, InstalledAsPromptHandlerWithPumpAfterwards)
{
    PromptHandler before = SetPromptHandler(nullptr);
    InstallMessageDialog();

    // Posted after the answer, so only the pump after the prompt delivers it.
    PlainForm target(L"TestTarget");
    std::string title;
    whenIdle([&] {
        title = Window(dialog()).text();
        PostMessageW(buttons()[0], BM_CLICK, 0, 0);
        target.post(WM_APP);
    });
    EXPECT_EQ(AskInfo("Hinweis", btnOK), mrOk);
    EXPECT_EQ(title, "Information");
    EXPECT_EQ(target.appMessages, 1);

    // A window that cannot be made, in a handler: the guard's report is a box.
    std::string reported;
    whenIdle([&] {
        for (HWND label : childrenOfClass(dialog(), L"Static"))
            reported += Window(label).text();
        PostMessageW(buttons()[0], BM_CLICK, 0, 0);
    });
    target.send(WM_APP + 1);
    EXPECT_EQ(reported.rfind("Das Fenster \"TestUnmade\" konnte nicht angelegt werden.\r\nFehlerMeldung: ", 0), 0u)
        << reported;

    SetPromptHandler(before);
    SetAfterPromptHook(nullptr);
    SetUiErrorHandler(nullptr);
}

}  // namespace
}  // namespace tresorix
