// Versions must never cost the user a copy: an old copy moved aside comes
// back when its new copy fails, and a source tree whose target lies in a
// versions folder is not copied where pruning would take it.
#include "engine/BackupTest.h"
#include "engine/DirectoryVisit.h"
#include "engine/Format.h"
#include "support/ScriptedAnswerer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace tresorix {
namespace {

using test::Exists;
using test::FaultOp;
using test::kNew;
using test::kOld;
using test::LastWrite;
using test::ListNames;
using test::ReadAll;
using test::ScriptedAnswerer;

constexpr uint32_t kSharingViolation = 32;

class StringLog : public LogFile {
public:
    uint64_t size() override { return text.size(); }
    bool rollOver() override { return true; }
    bool append(std::string_view bytes) override
    {
        text += bytes;
        return true;
    }
    std::string now() override { return "07.12.2026 08:00:00"; }
    std::string text;
};

class VersionsSafety : public test::BackupTest {
protected:
    RunOutcome runWith(std::vector<BackupEntry> entries)
    {
        RunSettings settings;
        settings.entries = std::move(entries);
        settings.mode = ConflictMode::always;
        settings.showSummary = false;
        settings.versionDays = 30;
        settings.startedAt = {2026, 12, 7, 8, 0, 0};
        settings.log = &log;
        return run.BackUpStart(settings);
    }
    std::string version() const { return dst() + "Tresorix-Versionen\\2026-12-07 08-00-00\\a.txt"; }
    // The new copy of a.txt is held under its temporary name by a scanner;
    // the user gives it up.
    void newCopyCannotTakeItsName()
    {
        tree.write("src\\a.txt", "neu", kNew);
        tree.write("dst\\a.txt", "alt", kOld, FILE_ATTRIBUTE_READONLY);
        fs.inject({FaultOp::renameFile, TemporaryName(dst() + "a.txt", 0), kSharingViolation, 0, -1, true});
        answers.then(mrNo, CreateFailedText(dst() + "a.txt", kSharingViolation));
    }

    StringLog file;
    RunLog log{file};
    ScriptedAnswerer answers;
};

TEST_F(VersionsSafety, AFailedNewCopyPutsTheOldOneBackWithItsBytesAndAttributes)
{
    newCopyCannotTakeItsName();
    EXPECT_EQ(runWith({entry("*.*")}), RunOutcome::finished);
    EXPECT_EQ(answers.pending(), 0u);

    EXPECT_EQ(ReadAll(dst() + "a.txt"), "alt");
    EXPECT_EQ(LastWrite(dst() + "a.txt"), kOld);
    EXPECT_TRUE(test::Attributes(dst() + "a.txt") & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(Exists(version()));
    EXPECT_EQ(ListNames(dst()), "Tresorix-Versionen\\ a.txt") << "no temporary left";
    EXPECT_EQ(state.failedFiles, 1u);
    EXPECT_NE(file.text.find("zurückgelegt: " + version() + "  ->  " + dst() + "a.txt"), std::string::npos)
        << file.text;
}

// Where the old copy cannot come back either, the log is the only place
// that says where it is, and the exit code points there.
TEST_F(VersionsSafety, AnOldCopyThatCannotComeBackIsNamedInTheLog)
{
    newCopyCannotTakeItsName();
    fs.inject({FaultOp::renameFile, version(), kSharingViolation, 0, -1, true});
    EXPECT_EQ(runWith({entry("*.*")}), RunOutcome::finished);

    EXPECT_FALSE(Exists(dst() + "a.txt"));
    EXPECT_EQ(ReadAll(version()), "alt");
    EXPECT_TRUE(state.passedOverAfterError);
    EXPECT_NE(file.text.find("nicht zurückgelegt: " + dst() + "a.txt  Die bisherige Zieldatei liegt in: " +
                             version() + "  Fehlernummer 32"),
              std::string::npos)
        << file.text;
}

// A backup tree put back into the source, under another case, and an
// entry whose target lies inside a versions folder: copied, the end of the
// run would prune an old stamp's folder along with what came from the user.
TEST_F(VersionsSafety, ASourceTreeWhoseTargetIsAVersionsFolderIsPassedOver)
{
    tree.write("src\\a.txt", "a", kNew);
    tree.write("src\\tresorix-versionen\\2026-10-01 00-00-00\\x.txt", "x", kOld);
    tree.write("src\\tresorix-versionen\\y.txt", "y", kOld);
    tree.write("src2\\z.txt", "z", kOld);
    BackupEntry second{tree.path("src2\\"), " ja", "*.*", dst() + "Tresorix-Versionen\\2026-10-01 00-00-00\\"};
    EXPECT_EQ(runWith({entry("*.*"), second}), RunOutcome::finished);

    EXPECT_EQ(ListNames(dst()), "a.txt");
    EXPECT_EQ(state.savedFiles, 1u);
    EXPECT_EQ(ReadAll(src() + "tresorix-versionen\\2026-10-01 00-00-00\\x.txt"), "x");
    EXPECT_EQ(ExitCode(RunOutcome::finished, state.passedOverAfterError), kExitPassedOver);
    EXPECT_NE(file.text.find("übergangen: " + src() + "tresorix-versionen\\"), std::string::npos) << file.text;
    EXPECT_NE(file.text.find("übergangen: " + tree.path("src2\\")), std::string::npos) << file.text;
}

}  // namespace
}  // namespace tresorix
