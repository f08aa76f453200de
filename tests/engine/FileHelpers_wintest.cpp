#include "engine/FileHelpers.h"
#include "engine/FileList.h"
#include "platform/Win32FileSystem.h"
#include "support/FaultFileSystem.h"
#include "support/win/TempTree.h"

#include <gtest/gtest.h>

#include <string>

namespace tresorix {
namespace {

using test::FaultOp;

class FileHelpersTest : public testing::Test {
protected:
    void touch(const std::string& name, uint32_t attributes = 0) { temp.write(name, "", 0, attributes); }
    bool exists(const std::string& path) { return test::Exists(path); }

    test::TempTree temp;
    const std::string& dir = temp.root();
    Win32FileSystem real;
    test::FaultFileSystem fs{real};
};

TEST_F(FileHelpersTest, ForceDirectoryCreatesEveryMissingLevel)
{
    ASSERT_EQ(real.createDirectory(dir + "a"), 0u);
    EXPECT_EQ(ForceDirectory(fs, dir + "a\\b\\c\\d"), 0u);
    EXPECT_TRUE(exists(dir + "a\\b\\c\\d"));
    EXPECT_EQ(fs.calls(FaultOp::createDirectory), 3);
    EXPECT_EQ(ForceDirectory(fs, dir + "a\\b\\c\\d\\"), 0u);
    EXPECT_EQ(ForceDirectory(fs, dir.substr(0, 3)), 0u);
    EXPECT_EQ(fs.calls(FaultOp::createDirectory), 3);

    // Another program was quicker: the name is taken by a directory.
    ASSERT_EQ(real.createDirectory(dir + "x"), 0u);
    fs.inject({FaultOp::getAttributes, "\\x", errFileNotFound, 0, 1});
    fs.inject({FaultOp::createDirectory, "\\x", errAlreadyExists});
    EXPECT_EQ(ForceDirectory(fs, dir + "x"), 0u);
    // A file in the way is no directory.
    std::unique_ptr<OpenFile> file;
    ASSERT_EQ(real.createWrite(dir + "y", file), 0u);
    file->close();
    EXPECT_EQ(ForceDirectory(fs, dir + "y\\z"), uint32_t(errAlreadyExists));
    EXPECT_FALSE(exists(dir + "y\\z"));
}

// A run makes one new level after another deep in a tree: asking every
// level from the root for each of them made the walk quadratic in depth.
TEST_F(FileHelpersTest, ForceDirectoryLooksOnlyBelowTheDeepestExistingLevel)
{
    std::string deep = dir;
    for (int i = 0; i < 20; ++i) {
        deep += "ebene" + std::to_string(i) + "\\";
        ASSERT_EQ(real.createDirectory(deep), 0u);
    }
    EXPECT_EQ(DeepestExistingLevel(fs, deep + "neu\\tiefer\\"), deep);
    EXPECT_EQ(DeepestExistingLevel(fs, deep), deep);
    const int asked = fs.calls(FaultOp::getAttributes) + fs.calls(FaultOp::list);
    EXPECT_EQ(ForceDirectory(fs, deep + "neu\\tiefer"), 0u);
    EXPECT_TRUE(exists(deep + "neu\\tiefer"));
    EXPECT_LE(fs.calls(FaultOp::getAttributes) + fs.calls(FaultOp::list) - asked, 3);

    fs.driveNotReady("Q:");
    EXPECT_EQ(DeepestExistingLevel(fs, "Q:\\a\\b\\"), "");
    EXPECT_EQ(ForceDirectory(fs, "Q:\\a\\b"), uint32_t(errDriveNotReady));
}

TEST_F(FileHelpersTest, ForceDirectoryRefusesPlaceholdersAndReportsTheFailedLevel)
{
    EXPECT_EQ(ForceDirectory(fs, dir + "<Standardziel>\\x"), uint32_t(errEntryNotPossible));
    EXPECT_EQ(ForceDirectory(fs, dir + "a>b"), uint32_t(errEntryNotPossible));
    EXPECT_EQ(fs.calls(FaultOp::createDirectory), 0);

    touch("file");
    EXPECT_NE(ForceDirectory(fs, dir + "file\\sub"), 0u);

    fs.inject({FaultOp::createDirectory, "\\c", errAccessDenied});
    EXPECT_EQ(ForceDirectory(fs, dir + "b\\c\\d"), uint32_t(errAccessDenied));
    EXPECT_TRUE(exists(dir + "b"));
    EXPECT_FALSE(exists(dir + "b\\c"));
}

TEST_F(FileHelpersTest, DirectoryPresent)
{
    uint32_t code = 99;
    ASSERT_EQ(real.createDirectory(dir + "empty"), 0u);
    EXPECT_TRUE(DirectoryPresent(fs, dir + "empty", code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(DirectoryPresent(fs, dir + "missing", code));
    EXPECT_EQ(code, uint32_t(errPathNotFound));
    touch("file");
    EXPECT_FALSE(DirectoryPresent(fs, dir + "file", code));
    EXPECT_NE(code, 0u);
}

TEST_F(FileHelpersTest, DriveNotReady)
{
    fs.driveNotReady("Q:");
    uint32_t code = 0;
    EXPECT_FALSE(DirectoryPresent(fs, "Q:\\", code));
    EXPECT_EQ(code, uint32_t(errDriveNotReady));
    EXPECT_FALSE(DriveReady(fs, "q:\\daten\\"));
    EXPECT_EQ(ForceDirectory(fs, "Q:\\a\\b"), uint32_t(errDriveNotReady));
    EXPECT_EQ(fs.calls(FaultOp::createDirectory), 0);

    // An existing directory on a drive that has just stopped being ready.
    fs.driveNotReady(dir);
    EXPECT_FALSE(DirectoryPresent(fs, dir, code));
    EXPECT_EQ(code, uint32_t(errDriveNotReady));

    // Every other failure counts as ready.
    EXPECT_TRUE(DriveReady(fs, "C:\\"));
    EXPECT_TRUE(DriveReady(fs, ""));
    fs.inject({FaultOp::list, "R:", errPathNotFound});
    EXPECT_TRUE(DriveReady(fs, "R:\\"));
}

TEST_F(FileHelpersTest, DeleteFileForced)
{
    touch("ro.txt", attrReadOnly);
    touch("all.txt", attrReadOnly | attrHidden | attrSystem);
    EXPECT_TRUE(DeleteFileForced(fs, dir + "ro.txt"));
    EXPECT_TRUE(DeleteFileForced(fs, dir + "all.txt"));
    EXPECT_FALSE(exists(dir + "ro.txt"));
    EXPECT_FALSE(exists(dir + "all.txt"));
    EXPECT_FALSE(DeleteFileForced(fs, dir + "missing.txt"));
    ASSERT_EQ(real.createDirectory(dir + "d"), 0u);
    EXPECT_FALSE(DeleteFileForced(fs, dir + "d"));

    touch("locked.txt", attrReadOnly | attrHidden);
    fs.inject({FaultOp::deleteFile, "locked", errAccessDenied});
    EXPECT_FALSE(DeleteFileForced(fs, dir + "locked.txt"));
    EXPECT_EQ(test::Attributes(dir + "locked.txt") & (attrReadOnly | attrHidden), attrReadOnly | attrHidden);
}

// Windows and Wine match patterns differently; the list must not depend on it.
TEST_F(FileHelpersTest, FileListOnRealFiles)
{
    for (const char* name : {"x.htm", "x.html", "y.txt", "y.txt2", "Ärger.TXT", "noext", "ärger.txt2"})
        touch(name);
    touch("h.txt", attrHidden | attrSystem | attrReadOnly);
    temp.mkdir("sub.txt");

    MatchingFileList list;
    ASSERT_EQ(FillFileList(fs, list, dir, "*.htm;*.txt"), 0u);
    EXPECT_EQ(list.names(), (std::vector<std::string>{"Ärger.TXT", "h.txt", "x.htm", "y.txt"}));
    ASSERT_EQ(FillFileList(fs, list, dir, "*.*"), 0u);
    EXPECT_EQ(list.count(), 8u);
    EXPECT_EQ(FillFileList(fs, list, dir + "missing", "*.*"), uint32_t(errPathNotFound));
}

}  // namespace
}  // namespace tresorix
