#include "set/Text.h"

#include <gtest/gtest.h>

namespace tresorix {
namespace {

std::string trimmed(std::string text, bool left, bool right)
{
    TrimSpaces(text, left, right);
    return text;
}

TEST(TextFunctions, TrimAndUpperCase)
{
    EXPECT_EQ(trimmed("  a  b  ", true, false), "a  b  ");
    EXPECT_EQ(trimmed("  a  b  ", false, true), "  a  b");
    EXPECT_EQ(trimmed("\t a \t", true, true), "\t a \t");
    EXPECT_EQ(trimmed("    ", true, true), "");

    EXPECT_EQ(UpperCaseUmlaut("äöü ÄÖÜ ß é abz 1"), "ÄÖÜ ÄÖÜ ß é ABZ 1");
    EXPECT_EQ(UpCaseUmlaut(U'ü'), U'Ü');
    EXPECT_EQ(UpCaseUmlaut(U'ß'), U'ß');
    // Invalid UTF-8 passes through byte for byte.
    EXPECT_EQ(UpperCaseUmlaut("a\xFF\xC3"), "A\xFF\xC3");
    EXPECT_EQ(UpperCaseUmlaut("\xE0\xC3\xA4"), "\xE0\xC3\x84");
}

TEST(TargetText, PlaceholdersAndBase)
{
    EXPECT_FALSE(UsesStdZiel(" <Standardziel>"));
    EXPECT_FALSE(UsesStdZiel("<STANDARDZIEL>"));
    EXPECT_TRUE(UsesLw("<Standardziel><Lw>"));
    EXPECT_EQ(GetZielBasis("C:\\<Quellpfad>"), "C:\\");
    EXPECT_EQ(GetZielBasis("  D:\\X\\\\  "), "D:\\X\\");
    EXPECT_EQ(GetZielBasis("C:\\A<Quellpfad><Quellpfad>"), "C:\\A<Quellpfad>");

    // Every form a dialog can build comes back as base and two choices.
    for (std::string base : {"<Standardziel>", "C:\\BACKUP", "C:\\"})
        for (bool lw : {false, true})
            for (bool path : {false, true}) {
                std::string target = MakeTargetText(base, lw, path);
                EXPECT_EQ(GetZielBasis(target), base) << target;
                EXPECT_EQ(UsesLw(target), lw) << target;
                EXPECT_EQ(UsesQuellpfad(target), path) << target;
            }
    EXPECT_EQ(MakeTargetText("<Standardziel>", true, true), "<Standardziel><Lw><Quellpfad>");
    EXPECT_EQ(MakeTargetText("C:\\BACKUP", true, true), "C:\\BACKUP\\<Lw><Quellpfad>");
}

TEST(SetValues, SubdirsModeNonameAndTitle)
{
    EXPECT_TRUE(HasSubdirs("naja"));
    EXPECT_FALSE(HasSubdirs("JA"));
    EXPECT_EQ(ClampBackupMode(1LL << 40), 3);
    EXPECT_EQ(ClampBackupMode(-7), -1);

    EXPECT_TRUE(IsNonameFile("C:\\Sets\\noname.tsi"));
    EXPECT_TRUE(IsNonameFile("C:NoName.Tsi"));
    EXPECT_FALSE(IsNonameFile("C:\\NONAME.TSI\\a.tsi"));
    EXPECT_EQ(WindowTitle("C:\\SETS\\A.TSI", false), " Tresorix");
    EXPECT_EQ(WindowTitle("C:\\SETS\\A.TSI", true), " Tresorix  -  A.TSI");
}

TEST(FilterToFront, MovesTheMatchingMaskPartOrAppends)
{
    const std::string list = "Alle Dateien (*.*)|*.*|Textdateien (*.txt)|*.txt";
    EXPECT_EQ(FilterToFront(list, "*.txt"), "Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*");
    EXPECT_EQ(FilterToFront(list, "*.bak"), list + "|*.bak|*.bak");
    EXPECT_EQ(FilterToFront(list, "*.*"), list);
    EXPECT_EQ(FilterToFront("*.x|*.y|A|*.z", "*.x"), "*.x|*.y|A|*.z|*.x|*.x");
    EXPECT_EQ(FilterToFront("", "*.c"), "*.c|*.c");
    // A dangling description keeps its place and matches nothing.
    EXPECT_EQ(FilterToFront("A|*.a|B", "*.a"), "A|*.a|B");
}

TEST(Cp1252, EveryByteRoundTripsAndNothingElseFits)
{
    std::string all, back;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    ASSERT_TRUE(Utf8ToCp1252(Cp1252ToUtf8(all), back));
    EXPECT_EQ(back, all);
    EXPECT_EQ(Cp1252ToUtf8("\x80\x81\xE4\x9F"), "€\u0081äŸ");

    for (const char* bad : {"C:\\Ωmega", "\u0080", "a\xC3", "\xC0\xAF", "\xED\xA0\x80"})
        EXPECT_FALSE(Utf8ToCp1252(bad, back)) << bad;

    EXPECT_EQ(EncodeFileText("Größe\r\n"), "Gr\xF6\xDF" "e\r\n");
    EXPECT_EQ(EncodeFileText("Ω"), "\xEF\xBB\xBFΩ");
    EXPECT_EQ(EncodeFileText("\xFF"), "\xEF\xBB\xBF\xFF"); // kept as it came
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBFΩ\xFF"), "Ω\xFF");
    EXPECT_EQ(DecodeFileText("\xE4"), "ä");
}

} // namespace
} // namespace tresorix
