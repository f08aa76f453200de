#include "set/BackupSet.h"

#include <gtest/gtest.h>

namespace tresorix {
namespace {

const BackupEntry kDocs{"C:\\Daten", " ja", "*.doc", "<Standardziel><Quellpfad>"};
const BackupEntry kMail{"D:\\Post", "", "*.eml", "E:\\Sicherung"};

// A set saved to bytes and loaded back into a fresh set is the same set:
// what the window writes is what a later start shows.
TEST(BackupSet, SetFileRoundTripsThroughALoad)
{
    BackupSet saved;
    saved.entries = {kDocs, kMail};
    saved.targets = {"c:\\backup", "D:\\Ziel"};
    saved.selectedTarget = 1;
    saved.mode = ConflictMode::ask;
    SetFileContent content = ReadSetFile(saved.setFileBytes());
    EXPECT_EQ(content.defaultTarget, "D:\\Ziel");

    BackupSet loaded;
    loaded.modified = true;
    loaded.takeSetFile(content, true, "C:\\Sets\\daten.tsi");
    EXPECT_EQ(loaded.entries, saved.entries);
    EXPECT_EQ(loaded.mode, ConflictMode::ask);
    EXPECT_EQ(loaded.fileName, "C:\\Sets\\daten.tsi");
    EXPECT_FALSE(loaded.modified);

    // No button selected is written as -1, which a load leaves alone.
    saved.mode = ConflictMode::none;
    saved.selectedTarget = -1;
    content = ReadSetFile(saved.setFileBytes());
    EXPECT_EQ(content.defaultTarget, "");
    loaded.takeSetFile(content, true, "x.tsi");
    EXPECT_EQ(loaded.mode, ConflictMode::ask);
}

// Appended rows keep the set's own name and leave it to be saved.
TEST(BackupSet, AppendedFileKeepsTheNameAndMarksTheSetModified)
{
    BackupSet set;
    set.entries = {kDocs};
    set.fileName = "C:\\eins.tsi";
    set.takeSetFile({std::nullopt, 2, {kMail}, {}, {}}, false, "C:\\zwei.tsi");
    EXPECT_EQ(set.entries, (std::vector<BackupEntry>{kDocs, kMail}));
    EXPECT_EQ(set.fileName, "C:\\eins.tsi");
    EXPECT_EQ(set.mode, ConflictMode::skip);
    EXPECT_TRUE(set.modified);

    // Lines the load passed over would be lost by a save: changed too.
    set.takeSetFile({std::nullopt, 2, {kMail}, {}, {{9, "C:\\Vergessen"}}}, true, "C:\\zwei.tsi");
    EXPECT_TRUE(set.modified);
}

TEST(BackupSet, EntriesAndTargetOutsideTheListAreNone)
{
    BackupSet set;
    set.entries = {kDocs, kMail};
    EXPECT_FALSE(set.removeEntry(2));
    EXPECT_FALSE(set.removeEntry(-1));
    EXPECT_TRUE(set.removeEntry(0));
    EXPECT_EQ(set.entries, std::vector<BackupEntry>{kMail});

    set.targets = {"c:\\backup"};
    set.selectedTarget = 1;
    EXPECT_EQ(set.defaultTarget(), "");
}

// The settings file keeps the set's part; the window's own values stay.
TEST(BackupSet, SettingsKeepTheSetAndLeaveTheWindowsValues)
{
    Settings read;
    read.backupMode = -1;
    read.fileName = "C:\\daten.tsi";
    read.autoStart = false;
    read.autoClose = true;
    read.filterList = "Texte|*.txt";
    BackupSet set;
    set.takeSettings(read);
    EXPECT_EQ(set.mode, ConflictMode::none);
    EXPECT_FALSE(set.autoStart);
    EXPECT_TRUE(set.autoClose);
    EXPECT_EQ(set.filterList, "Texte|*.txt");

    set.targets = {"D:\\Eins", "D:\\Zwei"};
    set.selectedTarget = 0;
    Settings written = read;
    written.width = 700;
    written.columns[0] = 250;
    set.putSettings(written);
    EXPECT_EQ(written.backupDirList, set.targets);
    EXPECT_EQ(written.backupDir, "D:\\Eins");
    EXPECT_EQ(written.width, 700);
    EXPECT_EQ(written.columns[0], 250);
    read.backupDirList = set.targets;
    read.backupDir = "D:\\Eins";
    read.width = 700;
    read.columns[0] = 250;
    EXPECT_EQ(written, read);
}

// The history's rule: a known target is only selected where it stands
// (exact match, the later of two), a new one is appended tidied, and the
// oldest go once nine are kept.
TEST(BackupSet, TargetHistoryKeepsNineAndMatchesExactly)
{
    BackupSet set;
    for (int i = 0; i < 9; ++i)
        set.addTarget("D:\\Ziel" + std::to_string(i));
    set.addTarget("  D:\\Neu\t ");
    ASSERT_EQ(set.targets.size(), 9u);
    EXPECT_EQ(set.targets.front(), "D:\\Ziel1");
    EXPECT_EQ(set.defaultTarget(), "D:\\Neu\t");

    const std::vector<std::string> before = set.targets;
    set.addTarget("D:\\Ziel3");
    EXPECT_EQ(set.targets, before);
    EXPECT_EQ(set.selectedTarget, 2);
    set.addTarget("d:\\ziel3");
    EXPECT_EQ(set.targets.back(), "d:\\ziel3");
    EXPECT_EQ(set.targets.front(), "D:\\Ziel2");

    set.targets = {"C:\\BACKUP", "E:\\X", "C:\\BACKUP"};
    set.addTarget("   ");
    EXPECT_EQ(set.selectedTarget, 2);
}

}  // namespace
}  // namespace tresorix
