// Mirroring into the versions over real files under Wine: a run moves what
// the source no longer has, with its bytes and times, into its run folder;
// every guard keeps everything where it is.
#include "engine/BackupTest.h"
#include "engine/MirrorMarker.h"
#include "engine/Versions.h"
#include "run/UnattendedAnswer.h"
#include "support/ScriptedAnswerer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

namespace tresorix {
namespace {

using test::Exists;
using test::FaultOp;
using test::kNew;
using test::kOld;
using test::LastWrite;
using test::OnExit;
using test::ReadAll;
using test::RunUnixShell;
using test::ScriptedAnswerer;
using test::UnixPath;

using test::StringLog;

constexpr Stamp kFirst{2026, 12, 7, 8, 0, 0};
constexpr Stamp kSecond{2026, 12, 8, 8, 0, 0};

class Mirroring : public test::BackupTest {
protected:
    // The exit code the run's log would name.
    int mirrorRun(const Stamp& start, std::vector<BackupEntry> entries = {}, int days = 30,
                  BackupRun* through = nullptr)
    {
        RunSettings settings;
        settings.entries = std::move(entries);
        if (settings.entries.empty())
            settings.entries.push_back(entry("*.txt;-~$*"));
        settings.showSummary = false;
        settings.versionDays = days;
        settings.startedAt = start;
        settings.mirror = true;
        settings.log = &log;
        state.clearCancel();
        log.flush();
        file.text.clear();
        return ExitCode((through ? *through : run).BackUpStart(settings), state);
    }
    std::string runFolder(const Stamp& stamp = kSecond) const
    {
        return dst() + "Tresorix-Versionen\\" + StampText(stamp) + "\\";
    }
    std::string marker() const { return dst() + "Tresorix-Versionen\\Tresorix-Spiegel.txt"; }
    bool logSays(const std::string& text) const { return file.text.find(text) != std::string::npos; }
    // A source of a kept file and of one gone since the first run, which
    // set the marker.
    void mirroredOnce()
    {
        tree.write("src\\keep.txt", "keep", kOld);
        tree.write("src\\gone.txt", "gone", kOld);
        ASSERT_EQ(mirrorRun(kFirst), kExitAllSaved) << file.text;
        ASSERT_TRUE(Exists(marker()));
        ASSERT_TRUE(DeleteFileA(src().append("gone.txt").c_str()));
    }

    StringLog file;
    RunLog log{file};
};

TEST_F(Mirroring, MovesExactlyWhatTheSourceNoLongerHasWithItsBytesAndTimes)
{
    tree.write("src\\keep.txt", "keep", kOld);
    tree.write("src\\gone.txt", "gone bytes", kOld);
    tree.write("src\\old\\c.txt", "c bytes", kNew);
    tree.write("src\\old\\deep\\d.txt", "d bytes", kOld);
    tree.write("src\\other.doc", "not a mask's", kOld);
    EXPECT_EQ(mirrorRun(kFirst), kExitAllSaved) << file.text;
    // The first mirroring run of a target moves nothing; it sets the marker.
    EXPECT_TRUE(logSays("erster Lauf")) << file.text;
    EXPECT_TRUE(Exists(marker()));
    EXPECT_FALSE(Exists(runFolder(kFirst)));

    tree.write("dst\\stray.doc", "matches no mask", kOld);
    tree.write("dst\\~$lock.txt", "excluded", kOld);
    tree.write("dst\\Tresorix-Versionen\\2026-12-01 08-00-00\\kept.txt", "a version", kOld);
    ASSERT_EQ(RunUnixShell("rm -r '" + UnixPath(src() + "old") + "' '" + UnixPath(src() + "gone.txt") + "'"), 0);

    const size_t callsBefore = fs.journal().size();
    EXPECT_EQ(mirrorRun(kSecond), kExitAllSaved) << file.text;
    EXPECT_EQ(ReadAll(runFolder() + "gone.txt"), "gone bytes");
    EXPECT_EQ(LastWrite(runFolder() + "gone.txt"), kOld);
    EXPECT_EQ(ReadAll(runFolder() + "old\\c.txt"), "c bytes");
    EXPECT_EQ(LastWrite(runFolder() + "old\\c.txt"), kNew);
    EXPECT_EQ(ReadAll(runFolder() + "old\\deep\\d.txt"), "d bytes");
    EXPECT_EQ(test::ListNames(runFolder()), "gone.txt old\\");
    EXPECT_FALSE(Exists(dst() + "gone.txt"));
    EXPECT_FALSE(Exists(dst() + "old")) << "left empty, it goes";
    EXPECT_EQ(ReadAll(dst() + "keep.txt"), "keep");
    EXPECT_EQ(ReadAll(dst() + "stray.doc"), "matches no mask");
    EXPECT_EQ(ReadAll(dst() + "~$lock.txt"), "excluded");
    EXPECT_EQ(ReadAll(dst() + "Tresorix-Versionen\\2026-12-01 08-00-00\\kept.txt"), "a version");
    EXPECT_TRUE(logSays("verschoben (fehlt in der Quelle): " + dst() + "gone.txt  ->  " + runFolder() + "gone.txt"))
        << file.text;
    EXPECT_TRUE(logSays("verschoben (fehlt in der Quelle): " + dst() + "old\\deep\\d.txt  ->  " + runFolder() +
                        "old\\deep\\d.txt"));
    EXPECT_TRUE(logSays("Eintrag 1 (" + src() + "): 3 Dateien in die Versionen verschoben.")) << file.text;
    // A directory the walk never saw is listed by the mirroring, once.
    const auto& journal = fs.journal();
    EXPECT_EQ(std::count(journal.begin() + callsBefore, journal.end(), std::make_pair(FaultOp::list, dst() + "old\\")),
              1);
}

// The marker decides: another volume, another source or a damaged marker
// moves nothing and says why; so do versions that are off. What moved is
// then spared by the pruning for room.
TEST_F(Mirroring, NothingMovesWithoutAMatchingMarkerOrWithoutVersions)
{
    mirroredOnce();
    std::optional<MirrorMarker> own = ParseMirrorMarker(ReadAll(marker()));
    ASSERT_TRUE(own);
    ASSERT_EQ(own->sources.size(), 1u);
    MirrorMarker otherVolume = *own;
    otherVolume.targetVolume ^= 1;
    MirrorMarker otherSourceVolume = *own;
    otherSourceVolume.sources[0].volume ^= 1;
    MirrorMarker otherSource = *own;
    otherSource.sources[0].path = "C:\\Woanders\\";
    for (const std::string& text : {MirrorMarkerText(otherVolume), MirrorMarkerText(otherSourceVolume),
                                    MirrorMarkerText(otherSource), std::string("Tresorix-Spiegel\r\nZiel=kaputt\r\n")}) {
        tree.write("dst\\Tresorix-Versionen\\Tresorix-Spiegel.txt", text);
        EXPECT_EQ(mirrorRun(kSecond), kExitPassedOver) << text;
        EXPECT_TRUE(logSays("nichts verschoben")) << file.text;
        EXPECT_EQ(ReadAll(dst() + "gone.txt"), "gone");
        EXPECT_EQ(ReadAll(marker()), text) << "a marker that does not match is left as it is";
    }
    tree.write("dst\\Tresorix-Versionen\\Tresorix-Spiegel.txt", MirrorMarkerText(*own));
    EXPECT_EQ(mirrorRun(kSecond, {}, 0), kExitAllSaved);
    EXPECT_TRUE(logSays("nichts verschoben, denn es werden keine Versionen aufbewahrt")) << file.text;
    EXPECT_TRUE(Exists(dst() + "gone.txt"));

    tree.write("dst\\gone.txt", test::pattern(100000), kOld);
    EXPECT_EQ(mirrorRun(kSecond), kExitAllSaved) << file.text;
    EXPECT_TRUE(ReadAll(runFolder() + "gone.txt") == test::pattern(100000))
        << "the same marker, written back, lets it move";

    // The moved file is the only copy there is: its run folder is not
    // removed to make room before its days are up.
    tree.write("src\\big.txt", test::pattern(60000), kNew);
    fs.setFreeSpace(10000, true);
    ScriptedAnswerer answers;
    answers.then(mrCancel, "Nicht genug Platz auf Ziellaufwerk ");
    EXPECT_EQ(mirrorRun({2026, 12, 9, 8, 0, 0}), kExitCancelled);
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_TRUE(Exists(runFolder() + "gone.txt"));
    EXPECT_FALSE(Exists(dst() + "big.txt"));
}

// A run that is not whole (a failed listing ends it by an error), or a
// source that gives no reason to trust it, moves nothing: each case is
// undone before the next, and the last run shows that the file was there
// to move all along.
TEST_F(Mirroring, NothingMovesAfterAnIncompleteRunOrFromASourceWithoutFiles)
{
    mirroredOnce();
    auto stays = [&](const char* why) {
        EXPECT_TRUE(Exists(dst() + "gone.txt")) << why << "\n" << file.text;
        EXPECT_FALSE(Exists(runFolder() + "gone.txt")) << why;
    };
    const Stamp setBack{2026, 12, 6, 8, 0, 0};
    tree.write("dst\\Tresorix-Versionen\\" + StampText(kFirst) + "\\x.txt", "a version");
    mirrorRun(setBack);
    stays("clock set back");
    EXPECT_TRUE(logSays("die Uhr steht vor dem jüngsten Versionsordner"));

    ASSERT_TRUE(MoveFileA(src().append("keep.txt").c_str(), src().append("keep.dat").c_str()));
    EXPECT_EQ(mirrorRun(kSecond), kExitAllSaved);
    stays("a source without a matching file");
    EXPECT_TRUE(logSays("denn die Quelle enthält keine passende Datei")) << file.text;
    ASSERT_TRUE(MoveFileA(src().append("keep.dat").c_str(), src().append("keep.txt").c_str()));

    tree.write("src\\sub\\b.txt", "b", kOld);
    {
        ScriptedAnswerer answers;
        fs.inject({FaultOp::list, src() + "sub\\", 5, 0, -1, true});
        answers.then(mrOk, "Fehler: Konnte nicht in das Quellverzeichnis");
        EXPECT_EQ(mirrorRun(kSecond), kExitEndedByError);
        stays("a listing that failed");
        fs.clear();
    }
    {
        ScriptedAnswerer answers;
        tree.write("src\\new.txt", "new", kNew);
        fs.inject({FaultOp::openRead, src() + "new.txt", 5, 0, -1, true});
        answers.then(mrCancel);
        EXPECT_EQ(mirrorRun(kSecond), kExitCancelled);
        stays("cancelled");
        fs.clear();
    }
    {
        ScriptedAnswerer answers;
        answers.then(mrOk, "Eintrag 2");
        EXPECT_EQ(mirrorRun(kSecond, {entry("*.txt"), {src(), "", "*.txt", "relativ"}}), kExitPassedOver);
        stays("an entry that was not walked");
    }
    {
        ScriptedAnswerer answers;
        answers.then(mrOk, "Fehler: Konnte nicht in das Quellverzeichnis");
        EXPECT_EQ(mirrorRun(kSecond, {entry("*.txt"), {tree.path("fehlt\\"), "", "*.txt", dst() + "b\\"}}),
                  kExitEndedByError);
        stays("a missing source root");
    }

    EXPECT_EQ(mirrorRun(kSecond), kExitAllSaved) << file.text;
    EXPECT_EQ(ReadAll(runFolder() + "gone.txt"), "gone");
}

// What another entry, a link or another backup holds in the target is
// never a candidate; a file gone from one of two sources sharing a target
// moves, and only that one.
TEST_F(Mirroring, OtherEntriesLinksAndVersionsFoldersInTheTargetStay)
{
    const std::string unixTarget = UnixPath(dst());
    if (unixTarget.empty())
        GTEST_SKIP() << "needs Wine's Unix side to make symbolic links";
    tree.write("src\\a.txt", "a", kOld);
    tree.write("src\\sub\\s.txt", "s", kOld);
    tree.write("src2\\b.txt", "b", kOld);
    tree.write("src2\\b2.txt", "b2", kOld);
    tree.write("src3\\n.txt", "n", kOld);
    tree.write("elsewhere\\l.txt", "behind a link", kOld);
    tree.write("dst\\sub\\other\\Tresorix-Versionen\\v.txt", "another backup's", kOld);
    tree.write("dst\\sub\\other\\o.txt", "another backup's", kOld);
    OnExit unlink{"rm -f '" + unixTarget + "link'"};
    ASSERT_EQ(RunUnixShell("ln -s ../elsewhere '" + unixTarget + "link'"), 0);
    const std::vector<BackupEntry> entries{entry("*.txt"), {tree.path("src2\\"), " ja", "*.txt", dst()},
                                           {tree.path("src3\\"), " ja", "*.txt", dst() + "sub\\nested\\"}};
    EXPECT_EQ(mirrorRun(kFirst, entries), kExitAllSaved) << file.text;
    EXPECT_EQ(mirrorRun(kSecond, entries), kExitAllSaved) << file.text;
    EXPECT_FALSE(Exists(runFolder())) << file.text;

    ASSERT_TRUE(DeleteFileA(tree.path("src2\\b2.txt").c_str()));
    const Stamp third{2026, 12, 9, 8, 0, 0};
    EXPECT_EQ(mirrorRun(third, entries), kExitAllSaved) << file.text;
    EXPECT_EQ(test::ListNames(runFolder(third)), "b2.txt");
    for (const char* stays : {"a.txt", "b.txt", "sub\\s.txt", "sub\\nested\\n.txt", "sub\\other\\o.txt",
                              "sub\\other\\Tresorix-Versionen\\v.txt", "link\\l.txt"})
        EXPECT_TRUE(Exists(dst() + stays)) << stays;
}

// More than half of an entry's files and more than ten is asked about; a
// move that fails leaves its file, and a second run in the same second
// takes the next one for its run folder.
TEST_F(Mirroring, MassMovesAreAskedFailedMovesStayAndRunFoldersNeverMix)
{
    auto name = [](int i) {
        std::string text = "f";
        text += std::to_string(i);
        return text;
    };
    for (int i = 0; i < 13; ++i)
        tree.write("src\\" + name(i) + ".txt", name(i), kOld);
    ASSERT_EQ(mirrorRun(kFirst), kExitAllSaved);
    for (int i = 1; i < 13; ++i)
        ASSERT_TRUE(DeleteFileA((src() + name(i) + ".txt").c_str()));
    const std::string question = "Spiegeln: Eintrag 1 (" + src() + ") würde 12 von 13 Dateien";
    {
        ScriptedAnswerer answers;
        answers.then(mrNo, question);
        EXPECT_EQ(mirrorRun(kSecond), kExitAllSaved);
        EXPECT_FALSE(Exists(runFolder()));
    }
    {
        UnattendedPrompts unattended;
        BackupRun unwatched(fs, view, state, &unattended);
        EXPECT_EQ(mirrorRun(kSecond, {}, 30, &unwatched), kExitPassedOver);
        EXPECT_TRUE(logSays(question)) << file.text;
        EXPECT_FALSE(Exists(runFolder()));
    }
    {
        ScriptedAnswerer answers;
        answers.then(mrYes, question);
        fs.inject({FaultOp::renameFile, dst() + "f5.txt", 5, 0, -1, true});
        answers.then(mrOk, "Spiegeln, Eintrag 1 (" + src() + "):\r\n1 Dateien konnten nicht");
        EXPECT_EQ(mirrorRun(kSecond), kExitPassedOver);
        EXPECT_EQ(answers.pending(), 0u);
        EXPECT_EQ(ReadAll(dst() + "f5.txt"), "f5");
        EXPECT_EQ(ReadAll(runFolder() + "f7.txt"), "f7");
        EXPECT_EQ(test::ListNames(dst()), "Tresorix-Versionen\\ f0.txt f5.txt");
        fs.clear();
    }
    // Again in the same second: f5 goes to the next second's run folder, the
    // first one's files stay as they were.
    EXPECT_EQ(mirrorRun(kSecond), kExitAllSaved) << file.text;
    const Stamp next{2026, 12, 8, 8, 0, 1};
    EXPECT_EQ(ReadAll(runFolder(next) + "f5.txt"), "f5");
    EXPECT_FALSE(Exists(runFolder() + "f5.txt"));
}

}  // namespace
}  // namespace tresorix
