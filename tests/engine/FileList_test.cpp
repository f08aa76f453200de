#include "engine/FileList.h"
#include "support/FaultFileSystem.h"
#include "support/MemoryFileSystem.h"

#include <gtest/gtest.h>

namespace tresorix {
namespace {

using test::FaultOp;
using Names = std::vector<std::string>;

class FileListTest : public testing::Test {
protected:
    FileListTest()
    {
        memory.addDirectory("C:\\Daten");
        memory.addDirectory("C:\\Daten\\Unter.txt");  // a directory that matches *.txt
        memory.addFile("C:\\Daten\\b.txt");
        memory.addFile("C:\\Daten\\A.TXT", "", attrReadOnly | attrHidden | attrSystem);
        memory.addFile("C:\\Daten\\c.htm", "", 0);
        memory.addFile("C:\\Daten\\c.html");
        memory.addFile("C:\\Daten\\liesmich");
        memory.addFile("C:\\Daten\\VOLUME", "", attrVolumeLabel);
        memory.addFile("C:\\Daten\\ e.doc");
        memory.addFile("C:\\top.txt");
        list.OnChange = [this] { ++changes; };
    }

    test::MemoryFileSystem memory;
    test::FaultFileSystem fs{memory};
    MatchingFileList list;
    int changes = 0;
};

TEST_F(FileListTest, OnlyMatchingFilesSortedWithoutRegardToCase)
{
    EXPECT_EQ(list.mask(), "*.*");
    EXPECT_EQ(FillFileList(fs, list, "C:\\Daten\\", "*.txt"), 0u);
    EXPECT_EQ(list.names(), (Names{"A.TXT", "b.txt"}));
    EXPECT_EQ(list.directory(), "C:\\Daten\\");
    EXPECT_EQ(changes, 1);
    FillFileList(fs, list, "C:\\Daten\\", "*.*");
    EXPECT_EQ(list.names(), (Names{" e.doc", "A.TXT", "b.txt", "c.htm", "c.html", "liesmich"}));
}

TEST_F(FileListTest, MaskPiecesAreKeptAsTheyAreAndDuplicatesStay)
{
    FillFileList(fs, list, "C:\\Daten\\", "*.txt;*.TXT");
    EXPECT_EQ(list.names(), (Names{"A.TXT", "A.TXT", "b.txt", "b.txt"}));
    FillFileList(fs, list, "C:\\Daten\\", "*.htm*;*.htm");
    EXPECT_EQ(list.names(), (Names{"c.htm", "c.htm", "c.html"}));
    FillFileList(fs, list, "C:\\Daten\\", "*.txt;e.doc");
    EXPECT_EQ(list.names(), (Names{"A.TXT", "b.txt"}));
    FillFileList(fs, list, "C:\\Daten\\", "b.txt;;");
    EXPECT_EQ(list.names(), (Names{"b.txt"}));
    FillFileList(fs, list, "C:\\Daten\\", "");
    EXPECT_EQ(list.count(), 0u);
}

TEST_F(FileListTest, ReReadsOnlyWhenDirectoryOrMaskChanged)
{
    FillFileList(fs, list, "C:\\Daten\\", "*.txt");
    FillFileList(fs, list, "c:\\DATEN", "*.txt");
    EXPECT_EQ(fs.calls(FaultOp::list), 1);
    FillFileList(fs, list, "C:\\Daten\\", "*.TXT");
    EXPECT_EQ(fs.calls(FaultOp::list), 2);
    FillFileList(fs, list, "C:\\", "*.TXT");
    EXPECT_EQ(list.names(), (Names{"top.txt"}));
    EXPECT_EQ(changes, 3);
}

TEST_F(FileListTest, DirectoryTakenApartFromTheLastComponent)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "C:\\"},
        {"C:", "C:\\"},
        {"C:\\Daten\\*.htm", "C:\\Daten\\"},
        {"C:\\Daten\\b.txt", "C:\\Daten\\"},
        {"C:\\Daten\\Unter.txt", "C:\\Daten\\Unter.txt\\"},
        {"C:/Daten/", "C:\\Daten\\"},
    };
    for (auto [given, directory] : cases) {
        FillFileList(fs, list, given, "x");
        EXPECT_EQ(list.directory(), directory) << given;
    }
}

TEST_F(FileListTest, DirectoryThatCannotBeEnteredLeavesTheListAsItWas)
{
    FillFileList(fs, list, "C:\\Daten\\", "*.txt");
    EXPECT_EQ(FillFileList(fs, list, "C:\\Fehlt\\", "*.txt"), uint32_t(errPathNotFound));
    fs.inject({FaultOp::list, "Q:", errDriveNotReady});
    EXPECT_EQ(FillFileList(fs, list, "Q:\\", "*.*"), uint32_t(errDriveNotReady));
    EXPECT_EQ(list.directory(), "C:\\Daten\\");
    EXPECT_EQ(list.names(), (Names{"A.TXT", "b.txt"}));
    EXPECT_EQ(changes, 1);

    EXPECT_EQ(FillFileList(fs, list, "E:\\", "*.*"), 0u);  // an empty medium
    EXPECT_EQ(list.count(), 0u);
}

TEST_F(FileListTest, SelectionFiresOnChangeAndIsClearedByAReRead)
{
    FillFileList(fs, list, "C:\\Daten\\", "*.txt");
    list.select(1);
    list.select(1);
    EXPECT_EQ(list.selected(), 1u);
    EXPECT_EQ(changes, 2);
    list.select(7);
    EXPECT_EQ(list.selected(), MatchingFileList::npos);
    list.select(0);
    FillFileList(fs, list, "C:\\Daten\\", "*");
    EXPECT_EQ(list.selected(), MatchingFileList::npos);
}

}  // namespace
}  // namespace tresorix
