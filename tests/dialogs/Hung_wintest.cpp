// Windows takes a thread that has not looked at its queue for five seconds
// for hung (and offers to end it); a copy whose blocks come slowly must
// never look like that, to the shell or to a screen reader.
#include "dialogs/ProgressWindow.h"
#include "platform/AnsweringFileSystem.h"
#include "platform/Win32FileSystem.h"

#include "support/RecordingView.h"
#include "support/SlowFileSystem.h"
#include "support/win/TempTree.h"

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

}  // namespace
}  // namespace tresorix
