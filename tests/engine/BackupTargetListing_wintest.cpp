// The conflict check reads the target directory from one listing after the
// first missing name: the answers must stay those of a look at each name,
// also after the run's own copies, after a prompt and for names whose case
// only the system can fold.
#include "engine/BackupTest.h"
#include "support/ScriptedAnswerer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tresorix {
namespace {

using test::BackupTest;
using test::kNew;
using test::kOld;
using test::ListNames;
using test::ReadAll;
using test::RunUnixShell;
using test::ScriptedAnswerer;
using test::UnixPath;

using BackupTargetListingTest = BackupTest;

TEST_F(BackupTargetListingTest, TheRunsOwnCopyIsSeenByTheNextFileOfTheSameName)
{
    // Two source names that differ only in case, as a Unix directory under
    // Wine may hold, share one name in the target: the second must find the
    // first's copy, neither take the name for free nor put its bytes under
    // the first's name. The target refuses it.
    tree.write("src\\x.txt", "x");
    std::string unixSource = UnixPath(src());
    ASSERT_EQ(RunUnixShell("printf first > '" + unixSource + "/a.txt' && printf second > '" + unixSource +
                           "/A.txt'"),
              0);
    ScriptedAnswerer answers;
    answers.then(mrNo, "Konnte Zieldatei \"" + dst());
    EXPECT_EQ(runEntry("*.txt", ConflictMode::always), RunOutcome::finished);
    EXPECT_EQ(state.savedFiles, 2u);
    std::string names = ListNames(dst());
    ASSERT_TRUE(names == "a.txt x.txt" || names == "A.txt x.txt") << names;
    EXPECT_EQ(ReadAll(dst() + names.substr(0, 5)), names[0] == 'a' ? "first" : "second");
    EXPECT_EQ(answers.pending(), 0u);
}

TEST_F(BackupTargetListingTest, AFileThatAppearsDuringAPromptIsSeen)
{
    tree.write("src\\a.txt", "a", kNew);  // missing in the target: the directory is listed
    tree.write("src\\b.txt", "b", kNew);
    tree.write("src\\c.txt", "c", kNew);
    tree.write("dst\\b.txt", "old b", kOld);
    ScriptedAnswerer answers;
    answers.thenDo(mrNo, [&] { tree.write("dst\\c.txt", "made meanwhile", kOld); });
    answers.then(mrNo, "Zieldatei  " + dst() + "c.txt  überschreiben ?");
    EXPECT_EQ(runEntry("*.txt", ConflictMode::ask), RunOutcome::finished);
    ASSERT_EQ(answers.asked().size(), 2u);
    EXPECT_EQ(answers.asked()[0].text.rfind("Zieldatei  " + dst() + "b.txt  überschreiben ?", 0), 0u);
    EXPECT_EQ(ReadAll(dst() + "c.txt"), "made meanwhile");
    EXPECT_EQ(state.savedFiles, 1u);
}

TEST_F(BackupTargetListingTest, NamesBeyondAsciiAreLookedUpByTheSystem)
{
    // The listing holds "ÄRGER.txt"; only the system knows that "ärger.txt"
    // names it. A missing answer would send the copy to a rename that fails.
    tree.write("src\\a.txt", "a", kNew);
    tree.write("src\\\xC3\xA4rger.txt", "new", kNew);
    tree.write("dst\\\xC3\x84RGER.txt", "old", kOld);
    ScriptedAnswerer answers;
    EXPECT_EQ(runEntry("*.txt"), RunOutcome::finished);
    EXPECT_EQ(state.savedFiles, 2u);
    std::string names = ListNames(dst());
    EXPECT_EQ(std::count(names.begin(), names.end(), ' '), 1) << names;
    EXPECT_EQ(ReadAll(dst() + "\xC3\xA4rger.txt"), "new");
}

}  // namespace
}  // namespace tresorix
