// A run over names that Win32 would take for devices outside the \\?\ form.
// Such a name in the source is a file like any other: it is listed, read,
// written under its temporary name, renamed and compared, all through the
// real file system. Read as a device, nul.txt would come out empty, com1.log
// would wait for a serial line, and a directory CON could not be made.
#include "engine/Backup.h"
#include "platform/Win32FileSystem.h"
#include "support/ScriptedAnswerer.h"
#include "support/win/TempTree.h"

#include <gtest/gtest.h>

namespace tresorix {
namespace {

using test::ReadAll;
using test::ListNames;

TEST(DeviceNames, FilesNamedLikeDevicesAreBackedUpByteForByte)
{
    test::TempTree tree;
    const std::string names[] = {"nul.txt", "aux.c", "com1.log", "prn.txt", "lpt1.dat", "plain.txt", "nul", "CON"};
    for (const std::string& name : names) {
        tree.write("src\\" + name, "<" + name + ">");
        tree.write("src\\AUX\\" + name, "[" + name + "]");
    }
    const std::string src = tree.path("src\\"), dst = tree.path("dst\\");

    Win32FileSystem fs;
    RunView view;
    RunState state;
    BackupRun run(fs, view, state);
    test::ScriptedAnswerer answers;  // any prompt fails the test
    RunSettings settings;
    settings.entries.push_back({src, " ja", "*.*", dst});
    settings.showSummary = false;
    ASSERT_EQ(run.BackUpStart(settings), RunOutcome::finished);

    EXPECT_EQ(ListNames(dst), ListNames(src));
    EXPECT_EQ(ListNames(dst + "AUX\\"), ListNames(src + "AUX\\"));
    for (const std::string& name : names) {
        EXPECT_EQ(ReadAll(dst + name), "<" + name + ">") << name;
        EXPECT_EQ(ReadAll(dst + "AUX\\" + name), "[" + name + "]") << name;
    }
    EXPECT_EQ(state.savedFiles, 2 * std::size(names));

    // A second run finds every copy as its own file and passes all of them over.
    RunState again;
    BackupRun second(fs, view, again);
    ASSERT_EQ(second.BackUpStart(settings), RunOutcome::finished);
    EXPECT_EQ(again.savedFiles, 0u);
}

}  // namespace
}  // namespace tresorix
