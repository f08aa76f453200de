#include "engine/Mask.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tresorix {
namespace {

TEST(MatchesMask, StarAndQuestionMark)
{
    EXPECT_TRUE(MatchesMask("brief.doc", "*.doc"));
    EXPECT_TRUE(MatchesMask(".doc", "*.doc"));
    EXPECT_FALSE(MatchesMask("x.html", "*.htm"));  // no 8.3 short-name match
    EXPECT_FALSE(MatchesMask("x.txt2", "*.txt"));
    EXPECT_TRUE(MatchesMask("x.html", "*.htm*"));
    EXPECT_TRUE(MatchesMask("a.b.c", "*.c"));
    EXPECT_TRUE(MatchesMask("abc", "a?c"));
    EXPECT_FALSE(MatchesMask("ac", "a?c"));
    EXPECT_TRUE(MatchesMask("report-2024-final.txt", "report*2024*"));
    EXPECT_TRUE(MatchesMask("Brief.Doc", "BRIEF.DOC"));
    EXPECT_FALSE(MatchesMask("brief.doc", "brief"));
}

TEST(MatchesMask, TrailingDotStarAlsoMatchesNamesWithoutDot)
{
    EXPECT_TRUE(MatchesMask("README", "*.*"));
    EXPECT_TRUE(MatchesMask("brief", "brief.*"));
    EXPECT_TRUE(MatchesMask("brief.txt", "brief.*"));
    EXPECT_FALSE(MatchesMask("briefe", "brief.*"));
}

TEST(MatchesMask, BlanksAndEmptyMasksAreTakenLiterally)
{
    EXPECT_FALSE(MatchesMask("a.txt", " *.txt"));
    EXPECT_TRUE(MatchesMask(" a.txt", " *.txt"));
    EXPECT_FALSE(MatchesMask("a.txt", "*.txt "));
    EXPECT_FALSE(MatchesMask("a.txt", ""));
}

TEST(MatchesMask, LettersOutsideAsciiIgnoreCaseAndCountAsOneCharacter)
{
    EXPECT_TRUE(MatchesMask("ÄRGER.TXT", "ärger.txt"));
    EXPECT_TRUE(MatchesMask("öl.txt", "?l.txt"));
    EXPECT_FALSE(MatchesMask("öl.txt", "??l.txt"));
    EXPECT_TRUE(MatchesMask("日本.doc", "??.doc"));
    EXPECT_TRUE(MatchesMask("😀.png", "?.png"));
    EXPECT_TRUE(MatchesMask("ΩΜΕΓΑ.txt", "ωμεγα.*"));
    EXPECT_TRUE(MatchesMask("Москва", "москва"));
    EXPECT_TRUE(MatchesMask("ŁÓDŹ", "łódź"));
    EXPECT_FALSE(MatchesMask("ß", "SS"));
}

TEST(MatchesMask, BrokenUtf8MatchesOnlyItself)
{
    const std::string broken = "a\xC3z\xFF";
    EXPECT_TRUE(MatchesMask(broken, broken));
    EXPECT_TRUE(MatchesMask(broken, "a?z?"));
    EXPECT_FALSE(MatchesMask("\xC3", "\xE3"));
    EXPECT_TRUE(MatchesMask("x\xE2\x82", "x*"));  // cut short at the end
    EXPECT_FALSE(MatchesMask("\xE0\x81\x81", "a"));              // "A" spelt too long
    EXPECT_FALSE(EqualsIgnoreCase("\xF4\x90\x83\x83", "\xC3"));  // above U+10FFFF
}

TEST(MatchesMask, ManyStarsAgainstALongNameFinish)
{
    std::string name(5000, 'a');
    EXPECT_FALSE(MatchesMask(name, "*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(MatchesMask(name + "b", "*a*a*a*a*a*a*a*a*a*a*b"));
}

TEST(CompareIgnoreCase, FoldsCaseAndSortsAccentsBesideTheirLetters)
{
    EXPECT_EQ(CompareIgnoreCase("apfel", "APFEL"), 0);
    EXPECT_LT(CompareIgnoreCase("a", "B"), 0);
    EXPECT_LT(CompareIgnoreCase("ab", "ABC"), 0);
    EXPECT_LT(CompareIgnoreCase("Apfel", "ärger"), 0);
    EXPECT_LT(CompareIgnoreCase("Ärger", "birne"), 0);
    EXPECT_LT(CompareIgnoreCase("arger", "Ärger"), 0);
    EXPECT_LT(CompareIgnoreCase("Ärger", "argerlich"), 0);
    EXPECT_TRUE(EqualsIgnoreCase("C:\\Daten\\Öl\\", "c:\\DATEN\\öL\\"));
    EXPECT_FALSE(EqualsIgnoreCase("Öl", "Ol"));
    EXPECT_FALSE(EqualsIgnoreCase("C:\\Daten", "C:\\Daten\\"));
    EXPECT_LT(CompareIgnoreCase("zebra", "_alt"), 0);
    EXPECT_LT(CompareIgnoreCase("Ÿa", "yb"), 0);
}

// Each group is one name in its cases and no two groups are: the comparison,
// the hash key and the mask must say so alike. Folding is one letter for one
// letter, without the Turkic i and without widths.
TEST(EqualsIgnoreCase, FoldsTheLettersOfEveryScript)
{
    const std::vector<std::vector<std::string>> groups = {
        {"ả", "Ả"},
        {"σ", "ς", "Σ"},
        {"ǅ", "ǆ", "Ǆ"},
        {"ґанок", "ҐАНОК", "Ґанок"},
        {"а", "А"},
        {"հայաստան", "ՀԱՅԱՍՏԱՆ"},
        {"თბილისი", "ᲗᲑᲘᲚᲘᲡᲘ"},
        {"ⴀ", "Ⴀ"},
        {"ａｂｃ", "ＡＢＣ"},
        {"abc", "ABC"},
        {"ß", "ẞ"},
        {"ss", "SS"},
        {"k", "K", "\xE2\x84\xAA"},  // the Kelvin sign
        {"µ", "μ", "Μ"},  // micro sign and Greek mu
        {"ꭰ", "Ꭰ"},      // Cherokee folds to its upper case
        {"𐐰", "𐐈"},      // Deseret, beyond the first plane: not "а"
        {"i", "I"},
        {"ı"},
        {"İ"},
    };
    for (size_t g = 0; g < groups.size(); ++g)
        for (size_t h = 0; h < groups.size(); ++h)
            for (const std::string& a : groups[g])
                for (const std::string& b : groups[h]) {
                    EXPECT_EQ(EqualsIgnoreCase(a, b), g == h) << "\"" << a << "\" / \"" << b << "\"";
                    EXPECT_EQ(FoldedKey(a) == FoldedKey(b), g == h) << "\"" << a << "\" / \"" << b << "\"";
                    EXPECT_EQ(MatchesMask(a, b), g == h) << "\"" << a << "\" / \"" << b << "\"";
                }
}

// The hash key stands in for the comparison: the same verdict on every pair,
// broken and unusual byte sequences included.
TEST(FoldedKey, AgreesWithEqualsIgnoreCaseOnEveryPair)
{
    const std::vector<std::string> names = {
        "", "a", "A", "ab", "AB", "ä", "Ä", "ÿ", "Ÿ", "ς", "σ", "Σ", "ѐ", "Ѐ", "ı", "I", "ſ", "S", "ĳ", "Ĳ",
        "ĺ", "Ĺ", "ž", "Ž", "€", "😀", "\xC3", "\xC3\x41", "\xC3" "A", "\xE2\x82", "\xFF", "\xFF\xFF",
        "\xF4\x90\x80\x80", "\xF4\x90\x83\x83", "\xC3\x83", "x\xC3", "X\xC3", "C:\\Öl\\", "c:\\öL\\"};
    for (const std::string& a : names)
        for (const std::string& b : names)
            EXPECT_EQ(FoldedKey(a) == FoldedKey(b), EqualsIgnoreCase(a, b)) << "\"" << a << "\" / \"" << b << "\"";
}

}  // namespace
}  // namespace tresorix
