#include "platform/DeviceName.h"

#include <gtest/gtest.h>

namespace tresorix {
namespace {

TEST(DeviceName, LastComponentAsWin32ReadsIt)
{
    for (const char* path : {"NUL", "nul", "C:\\Ziel\\nul.txt", "D:/x/Com1.log", "aux.c", "prn.tar.gz", "LPT9",
                             "con  ", "con.", "con .txt", "C:nul", "\\\\server\\share\\lpt1.dat", "COM\xC2\xB9",
                             "x\\nul:stream"})
        EXPECT_TRUE(IsDeviceName(path)) << path;
    for (const char* path : {"", "C:\\", "C:\\Ziel\\", "nul\\x", "C:\\nul\\x.txt", "nulx", "null.txt", "com0", "com10",
                             "lpt", "xcon", " con", "com\xC2\xB4", "conin"})
        EXPECT_FALSE(IsDeviceName(path)) << path;
}

}  // namespace
}  // namespace tresorix
