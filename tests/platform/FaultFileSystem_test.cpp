#include "support/FaultFileSystem.h"
#include "support/MemoryFileSystem.h"

#include <gtest/gtest.h>

namespace tresorix::test {
namespace {

class FaultFileSystemTest : public testing::Test {
protected:
    FaultFileSystemTest() { memory.addFile("C:\\src.bin", std::string(100, 's')); }

    // Copies src.bin to `target` in blocks of 30 bytes; the bytes that went
    // through and the first error.
    std::pair<size_t, uint32_t> copy(const std::string& target)
    {
        std::unique_ptr<OpenFile> in, out;
        uint32_t error = fs.openRead("C:\\src.bin", in);
        if (error == 0)
            error = fs.createWrite(target, out);
        size_t total = 0;
        char buffer[30];
        uint32_t got = 0, put = 0;
        while (error == 0 && (error = in->read(buffer, sizeof buffer, got)) == 0 && got > 0 &&
               (error = out->write(buffer, got, put)) == 0 && put == got)
            total += put;
        return {total + (put < got ? put : 0), error};
    }

    MemoryFileSystem memory;
    FaultFileSystem fs{memory};
};

TEST_F(FaultFileSystemTest, CallFaultsMatchPathPartsAndWearOff)
{
    std::unique_ptr<OpenFile> file;
    fs.inject({FaultOp::openRead, "SRC", errAccessDenied, 0, 2});
    EXPECT_EQ(fs.openRead("C:\\src.bin", file), uint32_t(errAccessDenied));
    EXPECT_EQ(fs.openRead("C:\\src.bin", file), uint32_t(errAccessDenied));
    EXPECT_EQ(fs.openRead("C:\\src.bin", file), 0u);
    EXPECT_EQ(fs.calls(FaultOp::openRead), 3);

    uint32_t error = 0;
    fs.inject({FaultOp::list, "c:\\", errDriveNotReady, 0, -1, true});
    EXPECT_EQ(fs.list("C:\\", error), nullptr);
    EXPECT_EQ(error, uint32_t(errDriveNotReady));
    fs.list("C:\\src.bin", error);
    EXPECT_EQ(error, uint32_t(errPathNotFound));  // passed through

    uint64_t free = 0;
    fs.setFreeSpace(5000);
    EXPECT_EQ(fs.freeSpace("C:\\", free), 0u);
    EXPECT_EQ(free, 5000u);
    fs.driveNotReady("C:");
    EXPECT_EQ(fs.freeSpace("C:\\", free), uint32_t(errDriveNotReady));
    EXPECT_EQ(fs.deleteFile("C:\\src.bin"), uint32_t(errDriveNotReady));

    fs.clear();
    EXPECT_EQ(fs.deleteFile("C:\\src.bin"), 0u);
    EXPECT_EQ(fs.calls(FaultOp::deleteFile), 1);
}

TEST_F(FaultFileSystemTest, FaultsInTheMiddleOfAFile)
{
    fs.inject({FaultOp::read, "src", 23, 45});
    EXPECT_EQ(copy("C:\\a"), std::make_pair(size_t(45), 23u));
    fs.clear();

    fs.inject({FaultOp::write, "\\b", errDiskFull, 60});
    EXPECT_EQ(copy("C:\\b"), std::make_pair(size_t(60), uint32_t(errDiskFull)));
    EXPECT_EQ(memory.contents("C:\\b").size(), 60u);

    fs.inject({FaultOp::shortWrite, "\\c", 0, 70});
    EXPECT_EQ(copy("C:\\c"), std::make_pair(size_t(70), 0u));
    EXPECT_EQ(memory.contents("C:\\c").size(), 70u);

    EXPECT_EQ(copy("C:\\d"), std::make_pair(size_t(100), 0u));
}

}  // namespace
}  // namespace tresorix::test
