// The progress window around real runs, driven as the program drives it:
// what it shows at the end, how the run locks and unlocks the main window,
// how the user cancels, and the pacing.
#include "dialogs/ProgressWindow.h"

#include "run/RunController.h"

#include "engine/Format.h"
#include "support/RecordingView.h"
#include "support/ScriptedAnswerer.h"
#include "support/SlowFileSystem.h"
#include "support/win/TempTree.h"
#include "ui/DriveUi.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tresorix {
namespace {

using test::ScriptedAnswerer;

// Lets a test act at the run's event-processing points and counts raises.
class HookedProgress : public TProgress {
public:
    void processMessages() override
    {
        if (onPump)
            onPump();
        TProgress::processMessages();
    }
    void setFileProgress(int percent) override
    {
        TProgress::setFileProgress(percent);
        if (onFileProgress)
            onFileProgress(percent);
    }
    std::function<void()> onPump;
    std::function<void(int)> onFileProgress;
    int raises = 0;
    int appMessages = 0;

protected:
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override
    {
        if (msg == WM_WINDOWPOSCHANGING && !(reinterpret_cast<WINDOWPOS*>(lp)->flags & SWP_NOZORDER))
            ++raises;
        if (msg == WM_APP)
            ++appMessages;
        return TProgress::onMessage(msg, wp, lp, result);
    }
};

class ProgressTest : public ::testing::Test {
protected:
    // A clock that moves on at every look makes every paint and every
    // pump due, so each event-processing point really processes events.
    ProgressTest()
    {
        progress.setTickSource([this] { return clock += TProgress::kPaintInterval; });
        controller.setMainWindow(nullptr, main, [this](bool on) { locks.push_back(on); });
        controller.setProgressWindow(progress);
    }

    std::string src() const { return tree.path("src\\"); }
    std::string dst() const { return tree.path("dst\\"); }

    RunOutcome run(std::string source = {}, bool skipErrors = false)
    {
        RunSettings settings;
        settings.entries.push_back({source.empty() ? src() : source, "ja", "*.txt", dst()});
        settings.showSummary = false;
        RunSwitches switches;
        switches.skipErrors = skipErrors;
        controller.takeSwitches(switches);
        return controller.start(settings);
    }
    std::string text(TProgress::Text value) const { return progress.shownText(value); }
    // The pixels of a value's place as the screen shows them, or as the
    // window draws them now.
    std::vector<COLORREF> look(TProgress::Text value, bool onScreen) const
    {
        HWND label = progress.valueLabel(value);
        RECT client = Window(label).clientRect(), r = client;
        HDC window = GetDC(label);
        HDC dc = CreateCompatibleDC(window);
        HBITMAP bitmap = CreateCompatibleBitmap(window, client.right, client.bottom);
        HGDIOBJ old = SelectObject(dc, bitmap);
        if (onScreen)
            BitBlt(dc, 0, 0, client.right, client.bottom, window, 0, 0, SRCCOPY);
        else
            SendMessageW(label, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);
        std::vector<COLORREF> pixels;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                pixels.push_back(GetPixel(dc, x, y));
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(label, window);
        return pixels;
    }
    int pos(TProgress::Row row) const { return ProgressBar(progress.control(row)).pos(); }
    void postCancelClick() const
    {
        HWND button = progress.control(TProgress::BtnCancel);
        progress.post(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), LPARAM(button));
    }

    test::TempTree tree;
    uint32_t clock = 0;
    HookedProgress progress;
    test::RecordingView main;  // the main window's side: its status-bar values
    std::vector<bool> locks;
    RunController controller;
};

TEST_F(ProgressTest, RunEndsWithItsFinalValuesShownAndTheMainWindowUnlocked)
{
    tree.write("src\\a.txt", std::string(100, 'a'));
    tree.write("src\\b.txt", std::string(2000, 'b'), test::FileTimeOf(2020, 1, 1, 0, 0, 0));
    tree.write("src\\skip.doc", "x");
    tree.write("src\\sub\\c & d.txt", std::string(5000, 'c'));
    tree.write("dst\\b.txt", "newer", test::FileTimeOf(2024, 1, 1, 0, 0, 0));
    // A frozen clock lets almost nothing through while the run goes on, so
    // what shows at the end comes from the final flush.
    progress.setTickSource([] { return 5u; });
    bool shownAndLocked = false;
    progress.onPump = [&] { shownAndLocked = progress.visible() && locks == std::vector<bool>{false}; };

    EXPECT_EQ(run(), RunOutcome::finished);
    EXPECT_TRUE(shownAndLocked);
    EXPECT_EQ(text(TProgress::LbFileCtr), "3");
    EXPECT_EQ(text(TProgress::lbCheckedBytes), FormatBytes(7100));
    EXPECT_EQ(text(TProgress::LbCopyFileCtr), "2");
    EXPECT_EQ(text(TProgress::lbBUpBytes), FormatBytes(5100));
    EXPECT_EQ(text(TProgress::LbFile), "c & d.txt");
    EXPECT_EQ(text(TProgress::LbQuelle), src() + "sub\\*.txt");
    EXPECT_EQ(text(TProgress::LbZiel), dst() + "sub\\");
    EXPECT_EQ(pos(TProgress::FileProg), 100);
    EXPECT_EQ(pos(TProgress::DirProg), 100);
    EXPECT_EQ(main.saved, std::make_pair(uint64_t(2), uint64_t(5100)));
    ASSERT_FALSE(main.status.empty());
    EXPECT_EQ(main.status.back(),
              "Backup beendet.   " + FormatBytes(5100) + " von " + FormatBytes(7100) + " wurden gesichert.");
    EXPECT_EQ(locks, (std::vector<bool>{false, true}));
    EXPECT_FALSE(progress.visible());
    EXPECT_FALSE(controller.running());
}

// The block loop lets no event through, so what shows during a large file
// is only what the window paints by itself.
TEST_F(ProgressTest, ALargeFileIsShownWhileItIsCopiedWithoutLettingEventsThrough)
{
    tree.write("src\\klein.txt", "a");
    tree.write("src\\riesig.txt", std::string(4 * 65536 + 100, 'r'));
    tree.write("src\\zuletzt.txt", "z");
    struct Seen {
        int percent, bar;
        bool barPainted;
        std::string checked, saved;
        bool valuesOnScreen;
        int appMessages;
        bool nameReadable;
    };
    // What a screen reader finds: a child window whose text is the file's
    // name, read without a message to the busy window.
    auto readable = [&](const std::wstring& name) {
        for (HWND child = GetWindow(progress.handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t text[64] = {};
            InternalGetWindowText(child, text, 64);
            if (name == text)
                return true;
        }
        return false;
    };
    std::vector<Seen> seen;
    auto painted = [&](TProgress::Row row) { return !GetUpdateRect(progress.control(row), nullptr, FALSE); };
    auto onScreen = [&](TProgress::Text value) { return look(value, true) == look(value, false); };
    progress.onFileProgress = [&](int percent) {
        // 0 comes before each file; the blocks of a file bring the rest.
        if (percent == 0 || text(TProgress::LbFile) != "riesig.txt")
            return;
        if (seen.empty())
            progress.post(WM_APP, 0, 0);
        seen.push_back({percent, pos(TProgress::FileProg), painted(TProgress::FileProg) && painted(TProgress::DirProg),
                        text(TProgress::LbFileCtr), text(TProgress::LbCopyFileCtr),
                        onScreen(TProgress::LbFile) && onScreen(TProgress::LbFileCtr) &&
                            onScreen(TProgress::LbCopyFileCtr),
                        progress.appMessages, readable(L"riesig.txt")});
    };
    EXPECT_EQ(run(), RunOutcome::finished);
    ASSERT_EQ(seen.size(), 5u);
    for (const Seen& s : seen) {
        EXPECT_EQ(s.bar, s.percent);
        EXPECT_TRUE(s.barPainted) << s.percent;
        EXPECT_EQ(s.checked, "2");
        // The small file waits in the batch for its name: not saved yet.
        EXPECT_EQ(s.saved, "0");
        EXPECT_TRUE(s.valuesOnScreen) << s.percent;
        EXPECT_EQ(s.appMessages, 0) << "no event inside the block loop";
        EXPECT_TRUE(s.nameReadable) << s.percent;
    }
    EXPECT_EQ(seen.back().percent, 100);
    EXPECT_EQ(Window(progress.control(TProgress::FileProg)).text(), "Datei: 100 %");
    EXPECT_EQ(progress.appMessages, 1) << "the event waited for the next file";
}

// A path too long for its label shows its end: two paths that differ only
// in their last part look different.
TEST_F(ProgressTest, LongPathsKeepTheirEndInTheLabels)
{
    auto render = [&](TProgress::Text value, const std::string& path) {
        if (value == TProgress::LbQuelle)
            progress.setSource(path);
        else
            progress.setTarget(path);
        progress.flush();
        return look(value, false);
    };
    std::string middle = "C:\\" + std::string(120, 'x') + "\\";
    for (TProgress::Text value : {TProgress::LbQuelle, TProgress::LbZiel}) {
        std::vector<COLORREF> eins = render(value, middle + "eins\\*.txt");
        std::vector<COLORREF> zwei = render(value, middle + "zwei\\*.doc");
        EXPECT_NE(eins, zwei) << value;
        EXPECT_NE(render(value, middle + "eins\\"), render(value, middle + "zwei\\")) << value;
        EXPECT_NE(eins, render(value, "")) << value;
    }
}

TEST_F(ProgressTest, CancelButtonAsksNoGoesOnYesStops)
{
    for (const char* dir : {"1", "2", "3"})
        tree.write(std::string("src\\") + dir + "\\f.txt", dir);
    ScriptedAnswerer answers;
    answers.then(mrNo, "Backup abbrechen ?");
    bool posted = false;
    progress.onPump = [&] {
        if (!std::exchange(posted, true))
            postCancelClick();
    };
    EXPECT_EQ(run(), RunOutcome::finished);
    ASSERT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(answers.asked()[0].text, "Backup abbrechen ?");
    EXPECT_EQ(answers.asked()[0].buttons, ButtonSet(btnYes | btnNo));
    EXPECT_EQ(controller.state().savedFiles, 3u);

    // Yes after the first copy: the main window is unlocked at once (the
    // middle "true"), and the directories not yet begun are never started.
    test::RemoveTree(dst());
    locks.clear();
    answers.then(mrYes, "Backup abbrechen ?");
    posted = false;
    progress.onPump = [&] {
        if (controller.state().savedFiles == 1 && !std::exchange(posted, true))
            postCancelClick();
    };
    EXPECT_EQ(run(), RunOutcome::cancelled);
    EXPECT_TRUE(controller.state().cancelled());
    int copies = 0;
    for (const char* dir : {"1", "2", "3"})
        copies += test::Exists(dst() + dir + "\\f.txt");
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(main.status.back(), "Backup wurde durch Nutzer abgebrochen.");
    EXPECT_EQ(locks, (std::vector<bool>{false, true, true}));
}

TEST_F(ProgressTest, EscapeAsksOnceLikeTheCancelButton)
{
    tree.write("src\\a.txt", "a");
    tree.write("src\\b\\b.txt", "b");
    bool posted = false;
    // Posted to the button: the key preview must take it before the dialog
    // manager turns it into a second press of BtnCancel, an unplanned prompt.
    progress.onPump = [&] {
        if (!std::exchange(posted, true))
            test::postKey(progress.control(TProgress::BtnCancel), VK_ESCAPE);
    };
    {
        ScriptedAnswerer answers;
        answers.then(mrNo, "Backup abbrechen ?");
        EXPECT_EQ(run(), RunOutcome::finished);
        EXPECT_EQ(controller.state().savedFiles, 2u);
    }
    posted = false;
    ScriptedAnswerer answers;
    answers.then(mrYes, "Backup abbrechen ?");
    EXPECT_EQ(run(), RunOutcome::cancelled);
    EXPECT_EQ(controller.state().savedFiles, 0u);

    // With /SKIPERRORS nobody is asked: the key cancels at once.
    posted = false;
    EXPECT_EQ(run({}, true), RunOutcome::cancelled);
    EXPECT_EQ(answers.asked().size(), 1u);
}

// Escape during a large file's copy is seen before the file ends: the copy
// stops and lets go of its files before the question comes. No goes on
// where it stopped, reading only the rest of an unchanged source, and
// starts again when the source changed meanwhile; Yes leaves the old copy
// as it was.
TEST_F(ProgressTest, EscapeDuringACopyStopsItBeforeTheQuestion)
{
    const std::string bytes(4 * 65536 + 100, 'n');  // five reads
    const uint64_t sourceTime = test::FileTimeOf(2024, 1, 1, 0, 0, 0);
    tree.write("src\\gross.txt", bytes, sourceTime);
    tree.write("dst\\gross.txt", "alt", test::FileTimeOf(2020, 1, 1, 0, 0, 0));
    const std::string temporary = TemporaryName(dst() + "gross.txt", 0);
    Win32FileSystem real;
    test::SlowFileSystem slow(real);
    int reads = 0;
    slow.beforeRead = [&](const std::string&) {
        if (++reads == 2)
            test::postKey(progress.control(TProgress::BtnCancel), VK_ESCAPE);
    };
    // Nobody but the asking program may hold a file open without sharing it.
    auto heldByNobody = [](const std::string& path) {
        HANDLE h = CreateFileW(LongPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                               nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(h);
        return true;
    };
    bool released = false;
    std::function<void()> meanwhile;
    auto runWith = [&](ButtonResult answer) {
        reads = 0;
        released = false;
        controller.state() = {};
        ScriptedAnswerer answers;
        answers.thenDo(answer, [&] {
            released = test::ReadAll(temporary) == bytes.substr(0, 2 * 65536) && heldByNobody(temporary) &&
                       heldByNobody(src() + "gross.txt");
            if (meanwhile)
                meanwhile();
        });
        BackupRun backup(slow, progress, controller.state());
        RunOutcome outcome = test::RunOneEntry(backup, {src(), "nein", "*.txt", dst()});
        EXPECT_EQ(answers.asked().size(), 1u);
        return outcome;
    };

    EXPECT_EQ(runWith(mrNo), RunOutcome::finished);
    EXPECT_TRUE(released) << "the temporary kept, closed, and the source let go while asking";
    EXPECT_EQ(reads, 2 + 3) << "only the rest read";
    EXPECT_TRUE(test::ReadAll(dst() + "gross.txt") == bytes);
    EXPECT_EQ(test::LastWrite(dst() + "gross.txt"), sourceTime);
    EXPECT_EQ(test::ListNames(dst()), test::ListNames(src()));
    EXPECT_EQ(controller.state().savedFiles, 1u);

    // Changed while the question was open, in the same size: read whole again.
    const std::string changed(bytes.size(), 'c');
    tree.write("dst\\gross.txt", "alt", test::FileTimeOf(2020, 1, 1, 0, 0, 0));
    meanwhile = [&] { tree.write("src\\gross.txt", changed, test::FileTimeOf(2024, 2, 1, 0, 0, 0)); };
    EXPECT_EQ(runWith(mrNo), RunOutcome::finished);
    EXPECT_EQ(reads, 2 + 5);
    EXPECT_TRUE(test::ReadAll(dst() + "gross.txt") == changed) << "no mix of old and new bytes";
    EXPECT_EQ(test::ListNames(dst()), test::ListNames(src()));

    meanwhile = nullptr;
    tree.write("src\\gross.txt", bytes, sourceTime);
    tree.write("dst\\gross.txt", "alt", test::FileTimeOf(2020, 1, 1, 0, 0, 0));
    EXPECT_EQ(runWith(mrYes), RunOutcome::cancelled);
    EXPECT_TRUE(released);
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(test::ReadAll(dst() + "gross.txt"), "alt");
    EXPECT_EQ(test::ListNames(dst()), test::ListNames(src()));
    EXPECT_EQ(controller.state().savedFiles, 0u);
}

TEST_F(ProgressTest, ControlsArePacedAndFlushShowsTheLatestValues)
{
    uint32_t now = 0xFFFFFFF0u;  // the tick count wraps on the way
    progress.setTickSource([&] { return now; });
    progress.setFile("a.txt");  // the first change after creation goes through
    progress.setFile("b.txt");
    progress.setChecked(5, 2048);
    now += TProgress::kPaintInterval - 1;
    progress.setFileProgress(30);
    EXPECT_EQ(text(TProgress::LbFile), "a.txt");
    EXPECT_EQ(text(TProgress::LbFileCtr), "");

    now += 1;
    progress.setDirProgress(10);
    EXPECT_EQ(text(TProgress::LbFile), "b.txt");
    EXPECT_EQ(text(TProgress::lbCheckedBytes), FormatBytes(2048));
    EXPECT_EQ(pos(TProgress::FileProg), 30);

    progress.setTarget("D:\\ZIEL\\");
    EXPECT_EQ(text(TProgress::LbZiel), "");
    progress.flush();
    EXPECT_EQ(text(TProgress::LbZiel), "D:\\ZIEL\\");
}

TEST_F(ProgressTest, TheQueueIsLookedAtAtMostEveryPumpInterval)
{
    uint32_t now = 1000;
    progress.setTickSource([&] { return now; });
    progress.post(WM_APP, 0, 0);
    progress.processMessages();  // the first look of a run is never held back
    EXPECT_EQ(progress.appMessages, 1);
    progress.post(WM_APP, 0, 0);
    now += TProgress::kPumpInterval - 1;
    progress.processMessages();
    EXPECT_EQ(progress.appMessages, 1);
    now += 1;
    progress.processMessages();
    EXPECT_EQ(progress.appMessages, 2);
}

TEST_F(ProgressTest, BringToFrontRaisesOnlyAWindowThatIsCovered)
{
    uint32_t now = 0;
    progress.setTickSource([&] { return now; });
    progress.show(true);
    HWND cover = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                 nullptr, nullptr);
    SetWindowPos(cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    progress.raises = 0;
    progress.bringToFront();
    EXPECT_EQ(progress.raises, 1);
    // On top now: looked at again after each interval, and left alone.
    for (int i = 0; i < 3; ++i) {
        now += TProgress::kPaintInterval;
        progress.bringToFront();
    }
    EXPECT_EQ(progress.raises, 1);

    // Another program's window is the user's work: the progress window
    // goes above the program's own window only, below the other one.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION other{};
    wchar_t command[] = L"notepad.exe";
    ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &other));
    WaitForInputIdle(other.hProcess, 30000);
    HWND foreign = nullptr;
    for (int tries = 0; !foreign && tries < 300; ++tries) {
        for (HWND h = GetTopWindow(nullptr); h && !foreign; h = GetWindow(h, GW_HWNDNEXT)) {
            DWORD process = 0;
            GetWindowThreadProcessId(h, &process);
            if (process == other.dwProcessId && IsWindowVisible(h))
                foreign = h;
        }
        if (!foreign)
            Sleep(100);  // until its window shows, however long that takes
    }
    ASSERT_TRUE(foreign) << "notepad showed no window";
    SetWindowPos(cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(foreign, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    now += TProgress::kPaintInterval;
    progress.bringToFront();
    auto above = [](HWND upper, HWND lower) {
        for (HWND h = GetWindow(lower, GW_HWNDPREV); h; h = GetWindow(h, GW_HWNDPREV))
            if (h == upper)
                return true;
        return false;
    };
    EXPECT_TRUE(above(progress.handle(), cover));
    EXPECT_TRUE(above(foreign, progress.handle()));
    TerminateProcess(other.hProcess, 0);
    WaitForSingleObject(other.hProcess, 30000);
    CloseHandle(other.hThread);
    CloseHandle(other.hProcess);

    // Hidden by a cancel, it stays hidden.
    progress.show(false);
    now += TProgress::kPaintInterval;
    progress.bringToFront();
    EXPECT_FALSE(progress.visible());
    DestroyWindow(cover);
}

}  // namespace
}  // namespace tresorix
