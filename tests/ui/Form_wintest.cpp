#include "ui/Form.h"

#include "platform/TextConv.h"
#include "ui/DriveUi.h"
#include "ui/ProcessMessages.h"
#include "ui/Subclass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tresorix {
namespace {

using test::postKey;
using test::whenIdle;

class TestForm : public Form {
public:
    enum Row { Caption, Value, Name, Ok, Cancel, Check, Bar, Status, Hidden, Tool };
    static constexpr ControlRow kLayout[] = {
        {"Caption", Kind::label, "kopiere:  ", nullptr, 8, 8, 0, 0},
        {"Value", Kind::label, "", nullptr, 56, 8, 0, 0, rowBold, mrNone, SS_NOPREFIX},
        {"Name", Kind::edit, "", "Name des Eintrags", 8, 30, 200, 21},
        {"Ok", Kind::button, "OK", nullptr, 8, 60, 75, 23, rowDefault, mrOk},
        {"Cancel", Kind::button, "&Abbrechen", nullptr, 90, 60, 75, 23, rowCancel},
        {"Check", Kind::checkBox, "&Prüfen", nullptr, 8, 90, 120, 17, rowDisabled},
        {"Bar", Kind::progressBar, "", nullptr, 8, 110, 200, 17, rowBold},
        {"Status", Kind::statusBar, "", nullptr, 0, 0, 0, 0},
        {"Hidden", Kind::button, "(versteckt)", nullptr, 200, 8, 75, 20, rowHidden | rowDisabled},
        {"Tool", Kind::toolButton, "", "Datensicherung starten", 220, 30, 32, 24},
    };

    explicit TestForm(HWND owner = nullptr) { create({L"TestForm", "Test", 300, 180}, kLayout, owner); }

    std::vector<int> clicked;
    std::vector<std::pair<UINT, unsigned>> keys;
    std::vector<UINT> messages;
    bool refuseClose = false, throwing = false;
    using Form::setKeyPreview;

private:
    void onCommand(int row, int code) override
    {
        if (code != BN_CLICKED)
            return;  // the edit field's notifications
        if (throwing)
            throw std::runtime_error("Klick");
        clicked.push_back(row);
        if (row == Cancel)
            setModalResult(mrAbort);
    }
    bool onKeyDown(UINT key, unsigned shift) override
    {
        if (throwing)
            throw std::runtime_error("Taste");
        keys.emplace_back(key, shift);
        return key == 'B';
    }
    bool onCloseQuery() override { return !refuseClose; }
    bool onMessage(UINT msg, WPARAM, LPARAM, LRESULT&) override
    {
        messages.push_back(msg);
        return false;
    }
};

int textWidth(HFONT font, const std::string& text)
{
    HDC dc = GetDC(nullptr);
    SelectObject(dc, font);
    RECT r{};
    DrawTextW(dc, Widen(text).c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX);
    ReleaseDC(nullptr, dc);
    return r.right;
}

TEST(Form, LayoutTableBuildsTheControls)
{
    TestForm form;
    Window ok(form.control(TestForm::Ok));
    EXPECT_EQ(ok.id(), Form::kFirstControlId + TestForm::Ok);
    RECT r = ok.rect(), want{ScaleToDpi(8), ScaleToDpi(60), ScaleToDpi(83), ScaleToDpi(83)};
    EXPECT_TRUE(EqualRect(&r, &want));
    EXPECT_EQ(form.clientRect().right, ScaleToDpi(300));
    EXPECT_EQ(form.clientRect().bottom, ScaleToDpi(180));
    EXPECT_FALSE(Window(form.control(TestForm::Check)).enabled());
    EXPECT_FALSE(Window(form.control(TestForm::Hidden)).style() & WS_VISIBLE);
    EXPECT_EQ(Window(form.control(TestForm::Caption)).font(), FormFont(false));
    EXPECT_EQ(Window(form.control(TestForm::Value)).font(), FormFont(true));

    // A label without a width is as wide as its text, also after a change,
    // measured in its own bold font and without mnemonics.
    EXPECT_EQ(Window(form.control(TestForm::Caption)).clientRect().right, textWidth(FormFont(), "kopiere:  "));
    const std::string file = "C:\\A&B\\Brief an Müller.doc";
    form.setCaption(TestForm::Value, file);
    EXPECT_EQ(Window(form.control(TestForm::Value)).clientRect().right, textWidth(FormFont(true), file));
    EXPECT_GT(textWidth(FormFont(true), file), textWidth(FormFont(), file));

    // The status bar keeps to the bottom edge, whatever the table says.
    for (int grow : {0, 100}) {
        if (grow)
            form.setSize(ScaleToDpi(300 + grow), ScaleToDpi(180 + grow));
        RECT bar = Window(form.control(TestForm::Status)).rect();
        EXPECT_EQ(bar.bottom, form.clientRect().bottom) << grow;
        EXPECT_EQ(bar.right, form.clientRect().right) << grow;
    }

    // The hints come with the first mouse move over the form, through any pump.
    auto formTips = [&] {
        HWND tips = nullptr;
        do
            tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr);
        while (tips && GetWindow(tips, GW_OWNER) != form.handle());
        return tips;
    };
    form.addHint(form.control(TestForm::Ok), "Übernehmen");
    EXPECT_EQ(formTips(), nullptr) << "no hints before the mouse comes";
    PostMessageW(form.control(TestForm::Ok), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    ProcessMessages();
    HWND tips = formTips();
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 3) << "the table's hints and the added one";
    // A tool button has no caption to read; its hint is its name to a screen reader.
    EXPECT_EQ(Window(form.control(TestForm::Tool)).text(), "Datensicherung starten");
    EXPECT_EQ(form.hints().handle(), tips);
}

TEST(Form, ModalRunEndsByButtonResultDialogKeysOrClosing)
{
    TestForm form;
    HWND edit = form.control(TestForm::Name);
    // Enter in the edit field presses the default button, which carries mrOk.
    whenIdle([&] {
        form.send(WM_NEXTDLGCTL, WPARAM(edit), TRUE);
        postKey(edit, VK_RETURN);
    });
    EXPECT_EQ(form.showModal(), mrOk);
    EXPECT_FALSE(form.visible());
    EXPECT_EQ(form.clicked, std::vector<int>{TestForm::Ok});

    // Escape presses the cancel button, whose handler sets the result.
    whenIdle([&] { postKey(GetFocus(), VK_ESCAPE); });
    EXPECT_EQ(form.showModal(), mrAbort);

    // A refused close keeps the form up; Alt+F4 allowed gives mrCancel.
    form.refuseClose = true;
    whenIdle([&] {
        form.post(WM_CLOSE);
        whenIdle([&] {
            EXPECT_TRUE(form.visible());
            form.refuseClose = false;
            form.post(WM_SYSCOMMAND, SC_CLOSE);
        });
    });
    EXPECT_EQ(form.showModal(), mrCancel);

    // Destroyed while modal: the run ends instead of waiting for ever.
    whenIdle([&] { form.destroy(); });
    EXPECT_EQ(form.showModal(), mrCancel);
}

TEST(Form, KeyPreviewSeesKeysBeforeTheFocusedControl)
{
    TestForm form;
    form.show(true);
    Window edit(form.control(TestForm::Name));
    edit.focus();
    postKey(edit, 'A');
    postKey(edit, 'B');
    ProcessMessages();
    EXPECT_TRUE(form.keys.empty()) << "only when the form asks for it";
    EXPECT_EQ(edit.text(), "ab");

    form.setKeyPreview(true);
    edit.setText("");
    postKey(edit, 'A');
    postKey(edit, 'B');  // consumed by the form
    PostMessageW(edit, WM_SYSKEYDOWN, 'X', LPARAM(1u << 29));
    ProcessMessages();
    EXPECT_EQ(edit.text(), "a");
    using Key = std::pair<UINT, unsigned>;
    EXPECT_EQ(form.keys, (std::vector<Key>{{'A', 0}, {'B', 0}, {'X', ssAlt}}));
}

TEST(Form, ProcessMessagesStopsAtQuitAndLeavesItForTheMainLoop)
{
    TestForm form;
    form.post(WM_APP);
    PostQuitMessage(7);
    form.post(WM_APP + 1);
    ProcessMessages();
    EXPECT_EQ(std::count(form.messages.begin(), form.messages.end(), UINT(WM_APP)), 1);
    EXPECT_EQ(std::count(form.messages.begin(), form.messages.end(), UINT(WM_APP + 1)), 1);
    EXPECT_EQ(RunMessageLoop(), 7);
}

TEST(Form, ExceptionsStopAtTheWindowProcedureAndTheKeyPreview)
{
    std::vector<std::string> reported;
    UiErrorHandler before = SetUiErrorHandler([&](const std::string& what) { reported.push_back(what); });
    TestForm form;
    form.throwing = true;
    PostMessageW(form.control(TestForm::Ok), BM_CLICK, 0, 0);
    form.setKeyPreview(true);
    form.show(true);
    postKey(form.control(TestForm::Name), 'A');
    ProcessMessages();
    EXPECT_EQ(reported, (std::vector<std::string>{"Klick", "Taste"}));

    // A subclassed control: its handler's exception stops the same way, and
    // the handler goes with the control.
    auto alive = std::make_shared<int>();
    HWND name = form.control(TestForm::Name);
    SubclassControl(name, [alive](HWND, UINT msg, WPARAM, LPARAM, LRESULT&) -> bool {
        if (msg == WM_APP)
            throw std::runtime_error("Unterklasse");
        return false;
    });
    EXPECT_EQ(SendMessageW(name, WM_APP, 0, 0), 0);
    EXPECT_EQ(reported.back(), "Unterklasse");
    EXPECT_EQ(alive.use_count(), 2);
    form.destroy();
    EXPECT_EQ(alive.use_count(), 1);
    SetUiErrorHandler(before);
}

TEST(Form, AWindowThatCannotBeMadeThrowsAndLeavesNone)
{
    Form form;
    EXPECT_THROW(form.create({L"TestForm", "Test", 300, 180}, TestForm::kLayout, HWND(UINT_PTR(0xBAD0))), UiCreateError);
    EXPECT_FALSE(form.handle());
    EXPECT_FALSE(form.control(TestForm::Ok));
}

TEST(Form, NoMessageReachesTheObjectOnceItsWindowIsGoing)
{
    TestForm form;
    HWND hwnd = form.handle();
    form.messages.clear();
    form.destroy();  // as the destructor does
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_TRUE(form.messages.empty());

    // Destroyed from outside, here with its owner: the object outlives its
    // window and knows it has none.
    TestForm owner, owned(owner.handle());
    owner.destroy();
    EXPECT_EQ(std::count(owned.messages.begin(), owned.messages.end(), UINT(WM_DESTROY)), 1);
    EXPECT_FALSE(owned.handle());
    EXPECT_FALSE(owned.control(TestForm::Ok));
}

// Pixels of one colour in columns [from, to) of the gauge painted into a bitmap.
int countPixels(HWND gauge, COLORREF color, int from, int to)
{
    RECT r = Window(gauge).clientRect();
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    ReleaseDC(nullptr, screen);
    SelectObject(dc, bitmap);
    SendMessageW(gauge, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);
    int n = 0;
    for (int y = 0; y < r.bottom; ++y)
        for (int x = from; x < to; ++x)
            n += GetPixel(dc, x, y) == color;
    DeleteDC(dc);
    DeleteObject(bitmap);
    return n;
}

TEST(Form, GaugeKeepsItsPositionInRangeAndShowsThePercentage)
{
    TestForm form;
    ProgressBar bar(form.control(TestForm::Bar));
    bar.setRange(0, 200);
    EXPECT_EQ(bar.setPos(50), 0);
    EXPECT_EQ(bar.setPos(500), 50);
    EXPECT_EQ(bar.pos(), 200);
    bar.setPos(-5);
    EXPECT_EQ(bar.pos(), 0);

    const COLORREF navy = RGB(0, 0, 128), white = RGB(255, 255, 255), red = RGB(255, 0, 0);
    bar.setBarColor(navy);
    bar.setBackColor(white);
    bar.setTextColor(red);
    int w = bar.clientRect().right, h = bar.clientRect().bottom;
    EXPECT_EQ(countPixels(bar, navy, 0, w), 0);
    EXPECT_GT(countPixels(bar, red, 0, w), 10) << "0% is written";
    bar.setPos(100);
    EXPECT_EQ(countPixels(bar, navy, 0, w / 4), h * (w / 4)) << "left quarter filled";
    EXPECT_EQ(countPixels(bar, white, w - w / 4, w), h * (w / 4)) << "right quarter empty";
    EXPECT_GT(countPixels(bar, red, w / 4, w - w / 4), 10) << "50% is written across both";
    // Its value is its text, after its name once it has one.
    EXPECT_EQ(bar.text(), "50 %");
    SetWindowTextW(bar.handle(), L"Datei");
    bar.setPos(50);
    EXPECT_EQ(bar.text(), "Datei: 25 %");
}

}  // namespace
}  // namespace tresorix
