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

// An entry's list: exclusions leave out, every other item is walked, split
// and stripped as the run always split its masks.
TEST(MaskList, ExclusionsAreTakenOutAndTheRestWalked)
{
    MaskList list = ParseMaskList("*.doc; -*.tmp ;-~$*;-node_modules\\;*.xls;");
    EXPECT_EQ(list.masks, (std::vector<std::string>{"*.doc", "*.xls"}));
    EXPECT_EQ(list.excluded.files, (std::vector<std::string>{"*.tmp", "~$*"}));
    EXPECT_EQ(list.excluded.directories, (std::vector<std::string>{"node_modules"}));

    // Without a wildcard a leading "-" belongs to the name, alone or not.
    EXPECT_EQ(ParseMaskList("-liesmich.txt").masks, (std::vector<std::string>{"-liesmich.txt"}));
    EXPECT_TRUE(ParseMaskList("-liesmich.txt").excluded.empty());
    EXPECT_EQ(ParseMaskList("*.doc;-a.txt").masks, (std::vector<std::string>{"*.doc", "-a.txt"}));
    EXPECT_EQ(ParseMaskList("-").masks, (std::vector<std::string>{"-"}));
    // Exclusions alone walk every file; an empty item is still a walk.
    EXPECT_EQ(ParseMaskList("-*.tmp;-Cache\\").masks, (std::vector<std::string>{"*.*"}));
    EXPECT_EQ(ParseMaskList(";;-*.tmp").masks, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(ParseMaskList("").masks, (std::vector<std::string>{""}));
}

// Written so that it reads back the same, and an older reader never finds
// a list that saves nothing.
TEST(MaskList, ExclusionsAloneAreWrittenWithTheirWalk)
{
    EXPECT_EQ(WrittenMasks("-*.tmp"), "*.*;-*.tmp");
    EXPECT_EQ(WrittenMasks("-*.tmp;-Cache\\"), "*.*;-*.tmp;-Cache\\");
    EXPECT_EQ(WrittenMasks("*.*;-*.tmp"), "*.*;-*.tmp");
    EXPECT_EQ(WrittenMasks("*.doc;-*.tmp"), "*.doc;-*.tmp");
    EXPECT_EQ(WrittenMasks("-liesmich.txt"), "-liesmich.txt");
    EXPECT_EQ(WrittenMasks(""), "*.*");
    for (const char* masks : {"-*.tmp", "-x\\;-?.b"})
        EXPECT_EQ(ParseMaskList(WrittenMasks(masks)).excluded, ParseMaskList(masks).excluded);
}

TEST(ExclusionList, EveryEntrysListAndWhatTheDialogRefuses)
{
    Exclusions excluded = ParseExclusionList(" ~$*;*.tmp;;Thumbs.db ; Cache\\;");
    EXPECT_EQ(excluded.files, (std::vector<std::string>{"~$*", "*.tmp", "Thumbs.db"}));
    EXPECT_EQ(excluded.directories, (std::vector<std::string>{"Cache"}));
    EXPECT_TRUE(ParseExclusionList("").empty());
    EXPECT_TRUE(ParseExclusionList(" ; \\").empty());

    EXPECT_EQ(ExclusionListFault("~$*;*.tmp;Thumbs.db;desktop.ini;Cache\\;.git\\"), std::nullopt);
    EXPECT_EQ(ExclusionListFault(""), std::nullopt);
    EXPECT_EQ(ExclusionListFault("*.tmp; *.* "), "Die Ausnahme \"*.*\" ließe alle Dateien aus.");
    EXPECT_EQ(ExclusionListFault("**"), "Die Ausnahme \"**\" ließe alle Dateien aus.");
    EXPECT_EQ(ExclusionListFault("?*.*"), "Die Ausnahme \"?*.*\" ließe alle Dateien aus.");
    EXPECT_EQ(ExclusionListFault("*\\"), "Die Ausnahme \"*\\\" ließe alle Unterverzeichnisse aus.");
    EXPECT_EQ(ExclusionListFault("*.tmp;C:\\Temp\\"),
              "Die Ausnahme \"C:\\Temp\\\" ist ein Pfad.\r\nEine Ausnahme nennt nur einen Namen oder eine "
              "Maske; ein Verzeichnis endet mit \"\\\".");
    EXPECT_NE(ExclusionListFault("Cache\\x"), std::nullopt);
    EXPECT_NE(ExclusionListFault("*.tmp;\\"), std::nullopt);
    EXPECT_EQ(ExclusionListFault("-*.tmp"),
              "Die Ausnahme \"-*.tmp\" beginnt mit \"-\".\r\nHier steht jede Ausnahme ohne \"-\": sie gilt für "
              "alle Einträge.");
    // Narrower masks leave some files in.
    for (const char* kept : {"*.*.*", "??*", "?.*", "*.t*", ".*"})
        EXPECT_EQ(ExclusionListFault(kept), std::nullopt) << kept;
}

}  // namespace
}  // namespace tresorix
