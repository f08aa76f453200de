#include "set/Filters.h"

#include <gtest/gtest.h>

namespace tresorix {
namespace {

TEST(FilterList, ReadsPairsLeftToRight)
{
    EXPECT_EQ(ParseFilterList("Alle (*.*)|*.*|Text|*.txt;*.doc"),
              (std::vector<Filter>{{"Alle (*.*)", "*.*"}, {"Text", "*.txt;*.doc"}}));
    // A description without masks at the end is dropped; empty masks are not.
    EXPECT_EQ(ParseFilterList("A|*.a|B"), (std::vector<Filter>{{"A", "*.a"}}));
    EXPECT_EQ(ParseFilterList("A|"), (std::vector<Filter>{{"A", ""}}));
    EXPECT_TRUE(ParseFilterList("").empty());
    EXPECT_TRUE(ParseFilterList("nur Text").empty());
}

TEST(FilterList, NewFilterFromTheDialogsFields)
{
    EXPECT_EQ(MakeNewFilter("Bilder", "*.bmp;*.gif;"), (Filter{"Bilder (*.bmp;*.gif)", "*.bmp;*.gif"}));
    EXPECT_EQ(MakeNewFilter("  Bilder ", "  *.bmp  "), (Filter{"Bilder (*.bmp)", "*.bmp"}));
    // Only one ";" goes; blanks go before it is looked for, tabs stay.
    EXPECT_EQ(MakeNewFilter("", "*.a;;"), (Filter{"*.a;", "*.a;"}));
    EXPECT_EQ(MakeNewFilter("", "*.a; "), (Filter{"*.a", "*.a"}));
    EXPECT_EQ(MakeNewFilter("\tX", "*.x\t"), (Filter{"\tX (*.x\t)", "*.x\t"}));
    EXPECT_EQ(MakeNewFilter("", "*.bmp;*.gif"), (Filter{"*.bmp;*.gif", "*.bmp;*.gif"}));

    EXPECT_FALSE(MakeNewFilter("Leer", ""));
    EXPECT_FALSE(MakeNewFilter("Leer", "   "));
    EXPECT_FALSE(MakeNewFilter("Leer", ";"));
    EXPECT_FALSE(MakeNewFilter("Leer", " ; "));
}

}  // namespace
}  // namespace tresorix
