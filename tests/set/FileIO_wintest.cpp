// Whole-file reading and the fail-safe replacement of set and settings files.
#include "set/FileIO.h"

#include "platform/TextConv.h"
#include "platform/Win32FileSystem.h"
#include "platform/Win32Files.h"
#include "support/FaultFileSystem.h"
#include "support/win/TempTree.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace tresorix {
namespace {

using test::TempTree;

TEST(FileIO, ReplacesCompletelyAndReadsBackEveryByte)
{
    TempTree tree;
    // Outside code page 1252 and beyond 260 characters.
    const std::string dir = tree.path(std::string(120, 'd') + "\\Ελληνικά " + std::string(120, 'e') + "\\");
    tree.mkdir(dir.substr(tree.root().size(), dir.size() - tree.root().size() - 1));
    const std::string path = dir + "Sätze.tsi";
    ASSERT_GT(path.size(), 260u);

    const std::string first = "[Eintrag]\r\n" + std::string(100000, 'x') + std::string("\0\xe4\r\n", 4);
    EXPECT_EQ(ReplaceFileBytes(path, first), 0u);
    std::string read;
    EXPECT_EQ(ReadFileBytes(path, read), 0u);
    EXPECT_EQ(read, first);
    EXPECT_TRUE(FileExists(path));

    // Shorter: no tail of the old file survives.
    EXPECT_EQ(ReplaceFileBytes(path, "kurz\r\n"), 0u);
    EXPECT_EQ(ReadFileBytes(path, read), 0u);
    EXPECT_EQ(read, "kurz\r\n");
    EXPECT_EQ(test::ListNames(dir), "Sätze.tsi") << "no temporary file left";

    // A hidden set file stays hidden.
    test::SetAttributes(path, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(ReplaceFileBytes(path, "neu"), 0u);
    EXPECT_TRUE(test::Attributes(path) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(test::ReadAll(path), "neu");
}

TEST(FileIO, FailedReplaceKeepsTheOldFile)
{
    TempTree tree;
    EXPECT_EQ(ReplaceFileBytes(tree.path("fehlt\\a.tsi"), "neu"), uint32_t(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(test::Exists(tree.path("fehlt")));

    tree.write("alt.tsi", "alter Inhalt", 0, FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(ReplaceFileBytes(tree.path("alt.tsi"), "neu"), uint32_t(ERROR_ACCESS_DENIED));
    EXPECT_EQ(test::ReadAll(tree.path("alt.tsi")), "alter Inhalt");

    // Held open by someone else: the rename fails at the very end.
    tree.write("offen.tsi", "alter Inhalt");
    HANDLE held =
        CreateFileW(Widen(tree.path("offen.tsi")).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(ReplaceFileBytes(tree.path("offen.tsi"), "neu"), 0u);
    CloseHandle(held);
    EXPECT_EQ(test::ReadAll(tree.path("offen.tsi")), "alter Inhalt");
    EXPECT_EQ(test::ListNames(tree.root()), "alt.tsi offen.tsi") << "no temporary file left";
}

// Whatever step of a save fails, from the first byte to the rename at the
// end, the failure is reported and the set file stays as it was, with no
// temporary file left beside it.
TEST(FileIO, SaveFailingHalfwayKeepsTheOldFileWhole)
{
    using test::FaultOp;
    TempTree tree;
    Win32FileSystem real;
    const std::string old = "[Eintrag]\r\nC:\\Daten\\*.*\r\n";
    tree.write("Sätze.tsi", old);
    const std::string path = tree.path("Sätze.tsi");
    const std::string next = "[Eintrag]\r\n" + std::string(50000, 'n') + "\r\n";
    const struct {
        test::Fault fault;
        uint32_t reported;
    } cases[] = {
        {{FaultOp::shortWrite, ".tmp", 0, 20000}, errDiskFull},  // the medium fills up mid-file
        {{FaultOp::write, ".tmp", ERROR_WRITE_FAULT, 4096}, ERROR_WRITE_FAULT},
        {{FaultOp::flush, ".tmp", errDiskFull}, errDiskFull},
        {{FaultOp::close, ".tmp", ERROR_NETNAME_DELETED}, ERROR_NETNAME_DELETED},
        {{FaultOp::renameFile, ".tmp", errAccessDenied}, errAccessDenied},
    };
    for (const auto& c : cases) {
        test::FaultFileSystem fs(real);
        fs.inject(c.fault);
        EXPECT_EQ(ReplaceFileBytes(fs, path, next), c.reported) << int(c.fault.op);
        EXPECT_EQ(test::ReadAll(path), old) << int(c.fault.op);
        EXPECT_EQ(test::ListNames(tree.root()), "Sätze.tsi") << int(c.fault.op);
    }

    // A scanner that holds the new file for a moment only delays the swap.
    test::FaultFileSystem scanned(real);
    scanned.inject({FaultOp::renameFile, ".tmp", errSharingViolation, 0, 3});
    EXPECT_EQ(ReplaceFileBytes(scanned, path, next), 0u);
    EXPECT_EQ(test::ReadAll(path), next);
    EXPECT_EQ(test::ListNames(tree.root()), "Sätze.tsi");
}

TEST(FileIO, MissingFilesDirectoriesAndTheProgramsOwnPath)
{
    TempTree tree;
    std::string bytes = "vorher";
    EXPECT_EQ(ReadFileBytes(tree.path("fehlt.tsi"), bytes), uint32_t(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(bytes, "");
    EXPECT_FALSE(FileExists(tree.path("fehlt.tsi")));
    EXPECT_FALSE(FileExists(tree.root())) << "a directory is no file";

    std::string program = ProgramPath();
    EXPECT_TRUE(program.ends_with("\\win_tests.exe")) << program;
    EXPECT_TRUE(FileExists(program));
}

}  // namespace
}  // namespace tresorix
