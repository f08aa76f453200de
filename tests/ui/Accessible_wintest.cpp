// What a screen reader is told about the controls we draw ourselves. Wine
// has no proxies of its own (it describes every window as a plain client),
// so a maker of the test's stands in for the system's: what is checked is
// which standard control each window says it is and that the reader gets
// the answer. That the proxies then read roles, values and default actions
// as the system's controls do only Windows can show.
#include "ui/Accessible.h"

#include "ui/Controls.h"
#include "ui/DriveUi.h"
#include "ui/Form.h"
#include "ui/MessageDialog.h"
#include "ui/ProcessMessages.h"

#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tresorix {
namespace {

class ReaderForm : public Form {
public:
    enum Row { Bar, Tool, Caption };
    static constexpr ControlRow kLayout[] = {
        {"Bar", Kind::progressBar, "Datei", nullptr, 8, 8, 200, 17},
        {"Tool", Kind::toolButton, "", "Datensicherung starten (Strg+D)", 8, 32, 32, 24},
        {"Caption", Kind::label, "kopiere:", nullptr, 8, 64, 0, 0},
    };
    ReaderForm() { create({L"ReaderForm", "Leser", 220, 90}, kLayout); }
};

// Value changes of the program's windows, as a reader hears of them.
std::vector<HWND> valueChanges;
void CALLBACK onValueChange(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD)
{
    if (object == OBJID_CLIENT && child == CHILDID_SELF)
        valueChanges.push_back(hwnd);
}

class ScreenReaders : public ::testing::Test {
protected:
    ScreenReaders()
    {
        before = SetAccessibleProxyMaker([this](HWND hwnd, const wchar_t* standardClass, IUnknown** object) {
            asked.emplace_back(hwnd, standardClass);
            return CreateStdAccessibleObject(hwnd, OBJID_CLIENT, IID_IUnknown, reinterpret_cast<void**>(object));
        });
    }
    ~ScreenReaders() override { SetAccessibleProxyMaker(std::move(before)); }

    // What a reader gets for the window's client, after it asked.
    bool readerGets(HWND hwnd)
    {
        IAccessible* object = nullptr;
        HRESULT hr = AccessibleObjectFromWindow(hwnd, DWORD(OBJID_CLIENT), IID_IAccessible,
                                                reinterpret_cast<void**>(&object));
        if (object)
            object->Release();
        return SUCCEEDED(hr) && object;
    }

    AccessibleProxyMaker before;
    std::vector<std::pair<HWND, std::wstring>> asked;
};

TEST_F(ScreenReaders, OwnControlsAnswerAsTheStandardOnesAndTheGaugeTellsItsValue)
{
    ReaderForm form;
    const HWND bar = form.control(ReaderForm::Bar), tool = form.control(ReaderForm::Tool);
    ASSERT_TRUE(readerGets(bar));
    ASSERT_TRUE(readerGets(tool));
    ASSERT_TRUE(readerGets(form.control(ReaderForm::Caption)));
    const std::vector<std::pair<HWND, std::wstring>> expected = {{bar, L"msctls_progress32"}, {tool, L"Button"}};
    EXPECT_EQ(asked, expected) << "the label is the system's own and answers for itself";

    // Only the client is answered for: the frame stays the system's.
    IAccessible* frame = nullptr;
    AccessibleObjectFromWindow(bar, DWORD(OBJID_WINDOW), IID_IAccessible, reinterpret_cast<void**>(&frame));
    if (frame)
        frame->Release();
    EXPECT_EQ(asked.size(), 2u);

    // The message box reads as a dialog; asked while it is up.
    HWND box = nullptr;
    bool boxAnswered = false;
    test::whenIdle([&] {
        box = test::threadWindow(kMessageDialogClass);
        boxAnswered = readerGets(box);
        PostMessageW(box, WM_CLOSE, 0, 0);
    });
    ShowMessageDialog(PromptKind::confirm, "Backup abbrechen ?", btnYes | btnNo);
    EXPECT_TRUE(boxAnswered);
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked.back(), std::make_pair(box, std::wstring(L"#32770")));

    // A new value is told, once per value the bar shows: not for a
    // position that leaves the percentage as it is.
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, onValueChange,
                                         GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
    valueChanges.clear();
    ProgressBar gauge(bar);
    for (auto step : {std::make_pair(0, 40), {0, 40}, {1000, 40}, {1000, 404}, {1000, 409}}) {
        if (step.first)
            gauge.setRange(0, step.first);
        gauge.setPos(step.second);
        ProcessMessages();
    }
    UnhookWinEvent(hook);
    EXPECT_EQ(valueChanges, (std::vector<HWND>{bar, bar, bar})) << "40 %, 4 % of the new range, 40 % again";
}

}  // namespace
}  // namespace tresorix
