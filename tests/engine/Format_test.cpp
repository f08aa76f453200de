#include "engine/Format.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tresorix {
namespace {

TEST(ErrorText, SharedCodesLineBreaksAndUnknownNumbers)
{
    const std::string denied = " Zugriff verweigert \r\n  (schreibgeschütztes Medium oder fehlende Schreibrechte) ";
    EXPECT_EQ(ErrorText(5), denied);
    EXPECT_EQ(ErrorText(65), denied);
    EXPECT_EQ(ErrorText(112), " Schreibfehler auf Diskette bzw. Festplatte \r\n (Ziellaufwerk ist voll) ");
    EXPECT_EQ(ErrorText(101), ErrorText(112));
    EXPECT_EQ(ErrorText(152), " Laufwerk ist nicht bereit ");
    EXPECT_EQ(ErrorText(21), ErrorText(152));
    EXPECT_EQ(ErrorText(82), " Verzeichniseintrag nicht möglich ");
    EXPECT_EQ(ErrorText(17), " Umbenennen ist über Laufwerke hinweg nicht möglich.");
    EXPECT_EQ(ErrorText(9), " Fehlernummer: 9");
    EXPECT_EQ(ErrorText(183), " Fehlernummer: 183");
    EXPECT_EQ(ErrorText(65535), " Fehlernummer: 65535");
    for (uint16_t code : {0, 2, 3, 4, 6, 7, 8, 10, 11, 15, 16, 18, 19, 20, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31,
                          71, 80, 100, 102, 103, 104, 150, 151, 153, 154, 155, 156, 157, 158, 159, 160, 161, 162,
                          182, 250, 251, 252, 253, 254})
        EXPECT_NE(ErrorText(code).rfind(" Fehlernummer", 0), 0u) << code;
}

TEST(FormatBytes, UnitsThousandthsAndRounding)
{
    EXPECT_EQ(FormatBytes(0), "0 Bytes");
    EXPECT_EQ(FormatBytes(1023), "1023 Bytes");
    EXPECT_EQ(FormatBytes(1024), "1,000 KBytes");
    EXPECT_EQ(FormatBytes(1025), "1,001 KBytes");
    EXPECT_EQ(FormatBytes(1536), "1,500 KBytes");
    EXPECT_EQ(FormatBytes(1088), "1,062 KBytes");  // 62.5: ties go to even
    EXPECT_EQ(FormatBytes(1216), "1,188 KBytes");  // 187.5
    EXPECT_EQ(FormatBytes(1048575), "1023,999 KBytes");
    EXPECT_EQ(FormatBytes(3456789), "3,297 MBytes");
    EXPECT_EQ(FormatBytes(1048576), "1,000 MBytes");
    EXPECT_EQ(FormatBytes(1500000000), "1,397 GBytes");
}

TEST(FormatBytes, RoundingUpCarriesIntoTheWholePartAndTheUnit)
{
    EXPECT_EQ(FormatBytes(2097151), "2,000 MBytes");
    EXPECT_EQ(FormatBytes(1073741823), "1,000 GBytes");
    EXPECT_EQ(FormatBytes((uint64_t(3) << 30) - 1), "3,000 GBytes");
}

TEST(FormatBytes, CountsBeyondThirtyTwoBits)
{
    EXPECT_EQ(FormatBytes(uint64_t(1) << 32), "4,000 GBytes");
    EXPECT_EQ(FormatBytes(uint64_t(1) << 40), "1024,000 GBytes");
    EXPECT_EQ(FormatBytes(UINT64_MAX), "17179869184,000 GBytes");
}

TEST(GroupDigits, GroupsOfThreeFromTheRight)
{
    EXPECT_EQ(GroupDigits(0, " "), "0");
    EXPECT_EQ(GroupDigits(999, " "), "999");
    EXPECT_EQ(GroupDigits(1000, " "), "1 000");
    EXPECT_EQ(GroupDigits(1234567, " "), "1 234 567");
    EXPECT_EQ(GroupDigits(4294967296, "--"), "4--294--967--296");
    EXPECT_EQ(GroupDigits(1234567890123456789, " "), "1 234 567 890 123 456 789");
    EXPECT_EQ(GroupDigits(-123, " "), "-123");
    EXPECT_EQ(GroupDigits(INT64_MIN, " "), "-9 223 372 036 854 775 808");
}

TEST(AddBackslash, AppendsOnlyWhenMissing)
{
    EXPECT_EQ(AddBackslash(""), "\\");
    EXPECT_EQ(AddBackslash("C:"), "C:\\");
    EXPECT_EQ(AddBackslash("C:\\"), "C:\\");
}

int32_t pack(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second)
{
    return int32_t((year - 1980) << 25 | month << 21 | day << 16 | hour << 11 | minute << 5 | second / 2);
}

TEST(FormatDosDateTime, DayMonthYearFourBlanksHourMinute)
{
    EXPECT_EQ(FormatDosDateTime(pack(2024, 3, 7, 9, 5, 58)), "07.03.2024    09:05");
    EXPECT_EQ(FormatDosDateTime(pack(1980, 1, 1, 0, 0, 0)), "01.01.1980    00:00");
    // From 2044 on the packed value is negative.
    EXPECT_EQ(FormatDosDateTime(pack(2107, 12, 31, 23, 59, 58)), "31.12.2107    23:59");
}

}  // namespace
}  // namespace tresorix
