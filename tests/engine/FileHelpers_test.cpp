#include "engine/FileHelpers.h"
#include "support/FaultFileSystem.h"
#include "support/MemoryFileSystem.h"

#include <gtest/gtest.h>

namespace tresorix {
namespace {

using Paths = std::vector<std::string>;

// Which levels count as the root, which is never created.
TEST(ForceDirectory, CreatesOnlyTheLevelsBelowTheRoot)
{
    test::MemoryFileSystem fs;
    EXPECT_EQ(ForceDirectory(fs, "D:\\Backup\\Neu"), 0u);
    EXPECT_EQ(ForceDirectory(fs, "rel\\sub"), 0u);
    EXPECT_EQ(ForceDirectory(fs, "\\\\"), 0u);
    fs.addDirectory("\\\\server\\share");
    EXPECT_EQ(ForceDirectory(fs, "\\\\server\\share\\a\\"), 0u);
    EXPECT_EQ(ForceDirectory(fs, "\\\\server\\other"), 0u);
    EXPECT_EQ(fs.created(),
              (Paths{"D:\\Backup", "D:\\Backup\\Neu", "rel", "rel\\sub", "\\\\server\\share\\a", "\\\\server\\other"}));
}

// The run asks this for every file it copies; listing a big target
// directory each time would cost milliseconds per file.
TEST(DirectoryPresent, AnswersForAnExistingDirectoryWithoutListingIt)
{
    test::MemoryFileSystem memory;
    memory.addDirectory("C:\\big");
    test::FaultFileSystem fs(memory);
    uint32_t code = 1;
    EXPECT_TRUE(DirectoryPresent(fs, "C:\\big", code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(fs.calls(test::FaultOp::list), 0);
}

}  // namespace

// What a typed name means once the working directory no longer follows the
// directory the user looks at.
TEST(ResolveAgainst, TypedNamesLieWhereTheUserLooks)
{
    EXPECT_EQ(ResolveAgainst("c:\\daten", "neu"), "c:\\daten\\neu");
    EXPECT_EQ(ResolveAgainst("c:\\daten\\", "alt\\neu"), "c:\\daten\\alt\\neu");
    EXPECT_EQ(ResolveAgainst("c:\\daten", "\\neu"), "c:\\neu");
    EXPECT_EQ(ResolveAgainst("\\\\nas\\teil\\daten", "\\neu"), "\\\\nas\\teil\\neu");
    EXPECT_EQ(ResolveAgainst("c:\\daten", "C:neu"), "c:\\daten\\neu");
    EXPECT_EQ(ResolveAgainst("c:\\daten", "d:neu"), "d:\\neu");
    EXPECT_EQ(ResolveAgainst("c:\\daten", "d:\\neu"), "d:\\neu");
    EXPECT_EQ(ResolveAgainst("c:\\daten", "\\\\nas\\teil"), "\\\\nas\\teil");
}

}  // namespace tresorix
