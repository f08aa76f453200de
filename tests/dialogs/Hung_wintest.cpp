// Windows takes a thread that has not looked at its queue for five seconds
// for hung (and offers to end it); a copy whose blocks come slowly must
// never look like that, to the shell or to a screen reader.
#include "dialogs/ProgressWindow.h"
#include "dialogs/ZielWahl.h"
#include "platform/AnsweringFileSystem.h"
#include "platform/Win32FileSystem.h"
#include "ui/DialogFiles.h"

#include "support/RecordingView.h"
#include "support/SlowFileSystem.h"
#include "support/win/TempTree.h"
#include "ui/DriveUi.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace tresorix {
namespace {

TEST(HungTest, ASlowCopyNeverCountsAsHung)
{
    test::TempTree tree;
    // Seven whole blocks and one byte: eight reads, a second each.
    constexpr int kReads = 8;
    const std::string bytes(7 * 65536 + 1, 'l');
    tree.write("src\\langsam.txt", bytes);
    Win32FileSystem real;
    test::SlowFileSystem slow(real);
    TProgress progress;
    uint32_t clock = 0;
    progress.setTickSource([&] { return clock += TProgress::kPaintInterval; });
    progress.show(true);

    // The other thread lets a second pass, asks, and only then lets the
    // next block be read: the copy takes eight seconds, and every answer
    // comes while the run is inside a read.
    HANDLE asked = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::vector<int> hung;
    std::thread checker([&] {
        for (int i = 0; i < kReads; ++i) {
            Sleep(1000);
            hung.push_back(IsHungAppWindow(progress.handle()) ? 1 : 0);
            SetEvent(asked);
        }
    });
    int reads = 0;
    slow.beforeRead = [&](const std::string&) {
        if (reads++ < kReads)
            WaitForSingleObject(asked, INFINITE);
    };
    RunState state;
    BackupRun run(slow, progress, state);
    EXPECT_EQ(test::RunOneEntry(run, {tree.path("src\\"), "nein", "*.txt", tree.path("dst\\")}),
              RunOutcome::finished);
    checker.join();
    CloseHandle(asked);
    EXPECT_EQ(hung, std::vector<int>(kReads, 0));
    EXPECT_TRUE(test::ReadAll(tree.path("dst\\langsam.txt")) == bytes);
}

// A free-space question that waits for a disk to spin up runs beside the
// UI thread, which answers what is sent to it meanwhile. The question ends
// only once the message was answered: on the UI thread itself it would end
// only when the message had given up.
TEST(HungTest, AQuestionThatWaitsForTheMediumStillAnswers)
{
    test::TempTree tree;
    Win32FileSystem real;
    test::SlowFileSystem slow(real);
    AnsweringFileSystem answering(slow);
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HANDLE answered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD_PTR result = 0;
    LRESULT sent = 0;
    std::thread asker([&] {
        sent = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
        SetEvent(answered);
    });
    slow.beforeFreeSpace = [&](const std::string&) { WaitForSingleObject(answered, INFINITE); };
    uint64_t bytes = 0;
    EXPECT_EQ(answering.freeSpace(tree.root(), bytes), 0u);
    asker.join();
    EXPECT_NE(sent, 0) << "the UI thread answered while the disk was asked";
    EXPECT_GT(bytes, 0u);
    CloseHandle(answered);
    DestroyWindow(window);
}

// A level of the target dialog's tree on a medium that does not answer: the
// dialog goes on answering what is sent to it, and its Abbrechen, clicked
// through the system, closes it before the listing comes back, whose answer
// is then let go (the level stays unread).
TEST(HungTest, ADialogWhoseTreeWaitsForTheMediumAnswersAndItsCancelCloses)
{
    test::TempTree tree;
    tree.mkdir("langsam\\unten");
    Win32FileSystem real;
    test::SlowFileSystem slow(real);
    AnsweringFileSystem files(slow, 0);  // every call as the first after a pause
    AnswerForWindows(files);
    TZielwahl dialog;
    dialog.setFileSystem(files);

    HANDLE listing = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE picked = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const std::string waiting = LowerCaseName(tree.path("langsam\\"));
    slow.beforeList = [&](const std::string& directory) {
        if (LowerCaseName(directory) == waiting) {
            SetEvent(listing);
            WaitForSingleObject(release, INFINITE);
        }
    };
    LRESULT sent = 0;
    bool closedBeforeTheAnswer = false;
    std::thread user([&] {
        if (WaitForSingleObject(listing, 30000) == WAIT_OBJECT_0) {
            DWORD_PTR result = 0;
            sent = SendMessageTimeoutW(dialog.handle(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
            RECT r{};
            GetWindowRect(dialog.control(TZielwahl::BtnCancel), &r);
            SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            INPUT in[2] = {};
            in[0].type = in[1].type = INPUT_MOUSE;
            in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
            in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
            SendInput(2, in, sizeof in[0]);
            closedBeforeTheAnswer = WaitForSingleObject(picked, 10000) == WAIT_OBJECT_0;
        }
        SetEvent(release);
        if (!closedBeforeTheAnswer)
            PostMessageW(dialog.handle(), WM_CLOSE, 0, 0);
    });
    // "*" on the proposed directory, once the dialog is up, reads its level.
    test::whenIdle([&] { SendMessageW(dialog.DirView.handle(), WM_CHAR, '*', 0); });
    TZielwahl::Choice choice = dialog.Pick(tree.path("langsam"));
    SetEvent(picked);
    const bool read = dialog.DirView.IsRead(2);
    user.join();
    EXPECT_NE(sent, 0) << "the dialog answered while the medium was asked";
    EXPECT_TRUE(closedBeforeTheAnswer);
    EXPECT_EQ(choice.modalResult, mrCancel);
    EXPECT_FALSE(read) << "a dropped listing reads nothing";
    for (HANDLE h : {listing, release, picked})
        CloseHandle(h);
}

}  // namespace
}  // namespace tresorix
