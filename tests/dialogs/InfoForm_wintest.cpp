// The info dialog under a real mouse: which links light up where, what the
// clicks open, and that the colours outlive a showing.
#include "dialogs/InfoForm.h"

#include "ui/DriveUi.h"
#include "ui/ProcessMessages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tresorix {
namespace {

class InfoDialog : public ::testing::Test {
protected:
    InfoDialog()
    {
        info.openLink = [this](const std::string& link) { opened.push_back(link); };
        info.show(true);
        SetForegroundWindow(info.handle());
        ProcessMessages();
    }

    // The mouse to a point of the control (or of the form's client area).
    void moveTo(HWND target, int x = -1, int y = -1)
    {
        RECT r = Window(target).clientRect();
        POINT p{x < 0 ? r.right / 2 : x, y < 0 ? r.bottom / 2 : y};
        ClientToScreen(target, &p);
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = LONG(p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
        in.mi.dy = LONG(p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &in, sizeof in);
        ProcessMessages();
    }
    HWND control(Tinfo::Row row) const { return info.control(row); }

    Tinfo info;
    std::vector<std::string> opened;
};

TEST_F(InfoDialog, HighlightFollowsTheMouseAndStaysOverPlainLabels)
{
    EXPECT_EQ(info.mailColor(), LinkColor());
    EXPECT_EQ(info.webColor(), LinkColor());

    moveTo(control(Tinfo::Label5));
    EXPECT_EQ(info.mailColor(), kLinkHighlight);
    EXPECT_EQ(info.webColor(), LinkColor());

    // Over the name, the version or the author: nothing changes.
    for (Tinfo::Row row : {Tinfo::Label1, Tinfo::Label2, Tinfo::Label10, Tinfo::Label7})
        moveTo(control(row));
    EXPECT_EQ(info.mailColor(), kLinkHighlight);

    moveTo(control(Tinfo::Label6));
    EXPECT_EQ(info.mailColor(), LinkColor());
    EXPECT_EQ(info.webColor(), kLinkHighlight);

    moveTo(info.handle(), 4, 4);  // the background
    EXPECT_EQ(info.webColor(), LinkColor());

    // The picture lights the web link up, as the web link does.
    moveTo(control(Tinfo::Image1));
    EXPECT_EQ(info.webColor(), kLinkHighlight);
    EXPECT_EQ(info.mailColor(), LinkColor());
}

TEST_F(InfoDialog, LinksOpenMailAndWebPageAndTheColoursOutliveAShowing)
{
    info.click(Tinfo::Label5);
    info.click(Tinfo::Label6);
    info.click(Tinfo::Image1);
    EXPECT_EQ(opened, (std::vector<std::string>{std::string("mailto:") + kInfoMail, kInfoWeb, kInfoWeb}));

    moveTo(control(Tinfo::Label5));
    info.show(false);
    test::whenIdle([this] { info.click(Tinfo::BtnSchliessen); });
    info.showModal();
    EXPECT_EQ(info.mailColor(), kLinkHighlight);
    EXPECT_FALSE(info.visible());
}

// The links are reached with Tab, in their order before the button, and
// Enter or Space opens them as a click does instead of pressing the button.
TEST_F(InfoDialog, TabReachesTheLinksAndEnterOrSpaceOpensThem)
{
    SetFocus(control(Tinfo::BtnSchliessen));
    test::postKey(GetFocus(), VK_TAB);
    ProcessMessages();
    ASSERT_EQ(GetFocus(), control(Tinfo::Label5));
    test::postKey(GetFocus(), VK_RETURN);
    ProcessMessages();
    test::postKey(GetFocus(), VK_TAB);
    ProcessMessages();
    ASSERT_EQ(GetFocus(), control(Tinfo::Label6));
    test::postKey(GetFocus(), VK_SPACE);
    ProcessMessages();
    EXPECT_EQ(opened, (std::vector<std::string>{std::string("mailto:") + kInfoMail, kInfoWeb}));

    test::postKey(GetFocus(), VK_TAB);
    ProcessMessages();
    EXPECT_EQ(GetFocus(), control(Tinfo::BtnSchliessen));
}

}  // namespace
}  // namespace tresorix
