#include "engine/Versions.h"

#include <gtest/gtest.h>

namespace tresorix {
namespace {

TEST(Versions, DaysFromSettingOrSwitch)
{
    EXPECT_EQ(ParseVersionDays("30"), 30);
    EXPECT_EQ(ParseVersionDays(" 7 "), 7);
    EXPECT_EQ(ParseVersionDays("0"), 0);
    EXPECT_EQ(ParseVersionDays("3650"), 3650);
    EXPECT_EQ(ParseVersionDays("3651"), 3650);
    EXPECT_EQ(ParseVersionDays("99999999999999999999"), 3650);
    for (const char* off : {"", "-5", "+5", "5.5", "1e3", "30 Tage", "ja", "0x10"})
        EXPECT_EQ(ParseVersionDays(off), 0) << off;
}

TEST(Versions, StampsReadBackExactlyAndNothingElseIsOne)
{
    const Stamp s{2026, 12, 7, 23, 5, 9};
    EXPECT_EQ(StampText(s), "2026-12-07 23-05-09");
    EXPECT_EQ(ParseStamp("2026-12-07 23-05-09"), s);
    EXPECT_EQ(ParseStamp("2024-02-29 00-00-00"), (Stamp{2024, 2, 29, 0, 0, 0}));
    for (const char* foreign : {"2023-02-29 00-00-00", "2026-13-01 00-00-00", "2026-12-07 24-00-00",
                                "2026-12-07 23-05-09 ", "2026-12-07_23-05-09", "2026-12-7 23-05-09", "Fotos",
                                "2026-12-07 23:05:09", "２026-12-07 23-05-09"})
        EXPECT_FALSE(ParseStamp(foreign)) << foreign;
}

TEST(Versions, ExpiryCountsWholeDaysBeforeTheRunsStart)
{
    const Stamp start{2027, 3, 1, 12, 0, 0};
    EXPECT_FALSE(VersionExpired({2027, 1, 30, 12, 0, 0}, start, 30)) << "exactly 30 days";
    EXPECT_TRUE(VersionExpired({2027, 1, 30, 11, 59, 59}, start, 30));
    EXPECT_TRUE(VersionExpired({2026, 12, 31, 23, 59, 59}, start, 30)) << "across a year";
    EXPECT_FALSE(VersionExpired({2028, 1, 1, 0, 0, 0}, start, 1)) << "a clock set back: a future folder stays";
    EXPECT_EQ(StampSeconds({1970, 1, 1, 0, 0, 0}), 0);
    EXPECT_EQ(StampSeconds({2000, 3, 1, 0, 0, 0}) - StampSeconds({2000, 2, 28, 0, 0, 0}), 2 * 86400);
}

TEST(Versions, PathBelowTheEntryTarget)
{
    const Stamp s{2026, 12, 7, 8, 0, 0};
    EXPECT_EQ(VersionPath("D:\\Sicherung\\", s, "D:\\Sicherung\\Briefe\\a.doc"),
              "D:\\Sicherung\\Tresorix-Versionen\\2026-12-07 08-00-00\\Briefe\\a.doc");
    EXPECT_EQ(VersionPath("D:\\Sicherung\\", s, "d:\\SICHERUNG\\a.doc"),
              "D:\\Sicherung\\Tresorix-Versionen\\2026-12-07 08-00-00\\a.doc");
    EXPECT_FALSE(VersionPath("D:\\Sicherung\\", s, "D:\\Andere\\a.doc"));
    EXPECT_FALSE(VersionPath("D:\\Sicherung", s, "D:\\Sicherung\\a.doc"));
}

}  // namespace
}  // namespace tresorix
