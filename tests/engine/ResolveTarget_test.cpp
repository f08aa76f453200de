#include "engine/Backup.h"

#include <gtest/gtest.h>

namespace tresorix {
namespace {

TEST(ResolveTarget, PlaceholdersBecomeDirectoryLevels)
{
    const std::string source = "C:\\Daten\\Briefe\\";
    const std::string stdZiel = "D:\\SICHERUNG";
    struct {
        const char* text;
        const char* resolved;
    } cases[] = {
        {"<Standardziel>", "D:\\SICHERUNG\\"},
        {"<Standardziel><Quellpfad>", "D:\\SICHERUNG\\Daten\\Briefe\\"},
        {"<Standardziel>\\Archiv", "D:\\SICHERUNG\\Archiv\\"},
        {"<Standardziel><Lw><Quellpfad>", "D:\\SICHERUNG\\C\\Daten\\Briefe\\"},
        {"C:\\BACKUP\\<Lw><Quellpfad>", "C:\\BACKUP\\C\\Daten\\Briefe\\"},
        {"C:\\BACKUP\\<Lw>\\<Quellpfad>\\", "C:\\BACKUP\\C\\Daten\\Briefe\\"},
        {"E:\\Kopie", "E:\\Kopie\\"},
        {"E:\\Kopie\\\\\\x", "E:\\Kopie\\x\\"},
        // A share keeps its leading pair.
        {"\\\\server\\share\\<Quellpfad>", "\\\\server\\share\\Daten\\Briefe\\"},
        // Placeholders in other letter case are left as written.
        {"E:\\<lw>", "E:\\<lw>\\"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveTarget(c.text, source, stdZiel), c.resolved) << c.text;

    EXPECT_EQ(ResolveTarget("<Standardziel><Quellpfad>", "C:\\", "D:\\S\\"), "D:\\S\\");
    EXPECT_EQ(ResolveTarget("<Standardziel>", source, "\\\\nas\\backup"), "\\\\nas\\backup\\");
}

TEST(SourceIsNewer, ComparesTwoSecondSteps)
{
    FileEntry a, b;
    a.dosTime = 0x58A15000;
    b.dosTime = 0x58A15000;
    EXPECT_FALSE(SourceIsNewer(a, b));
    a.dosTime += 1;
    EXPECT_TRUE(SourceIsNewer(a, b));
    EXPECT_FALSE(SourceIsNewer(b, a));
    // From 2044 on the packed value has its top bit set and is still later.
    a.dosTime = int32_t(0x88210000u);
    EXPECT_TRUE(SourceIsNewer(a, b));
    // Beyond the packed range the full time counts, in two-second steps.
    a.dosTime = 0;
    a.lastWrite = 400'000'000'010'000'000ull;
    b.lastWrite = a.lastWrite - 10'000'000;
    EXPECT_FALSE(SourceIsNewer(a, b));
    b.lastWrite = a.lastWrite - 20'000'000;
    EXPECT_TRUE(SourceIsNewer(a, b));
}

}  // namespace
}  // namespace tresorix
