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
}  // namespace tresorix
