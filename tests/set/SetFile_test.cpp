#include "set/SetFile.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tresorix {
namespace {

BackupEntry entry(std::string source, bool subdirs, std::string masks, std::string target)
{
    return {std::move(source), SubdirText(subdirs), std::move(masks), std::move(target)};
}

TEST(SetFileWriter, HeaderIsByteExactInCp1252)
{
    std::string bytes = WriteSetFile("", 0, {});
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 34);
    for (const char* line : {"\n; Sie enth\xE4lt eine Liste der zu sichernden Dateien.\r\n",
                             "\n;   ja   -> alle Unterverzeichnisse einschlie\xDF" "en\r\n",
                             "\n;   Beispiel:  *.htm;*.html;*.shtml\r\n",
                             "\n;              C:\\BACKUP\\<Lw><Quellpfad>\r\n;\r\n"
                             "STANDARDZIEL=\r\nBACKUPMODE=0\r\n"})
        EXPECT_NE(bytes.find(line), std::string::npos) << line;
}

TEST(SetFileWriter, EntriesFollowTheTwoValueLines)
{
    std::string bytes = WriteSetFile("c:\\backup", -1,
                                     {entry("C:\\DATA", true, "*.*", "<Standardziel><Quellpfad>"),
                                      entry(" D:\\X ", false, "a.txt", "")});
    std::string header = EncodeFileText(WriteSetHeader());
    EXPECT_EQ(bytes.substr(header.size()),
              "STANDARDZIEL=c:\\backup\r\nBACKUPMODE=-1\r\n"
              "###\r\nC:\\DATA\r\nja\r\n*.*\r\n<Standardziel><Quellpfad>\r\n"
              "###\r\n D:\\X \r\nnein\r\na.txt\r\n\\\r\n");
}

TEST(SetFileWriter, WrittenSetReadsBack)
{
    std::vector<BackupEntry> entries = {
        entry("C:\\Daten\\Größe", true, "*.htm;*.html", "C:\\BACKUP\\<Lw><Quellpfad>"),
        entry("D:\\", false, "brief.doc", "<Standardziel>"),
    };
    SetFileContent content = ReadSetFile(WriteSetFile("e:\\sicher", 3, entries));
    EXPECT_EQ(content.defaultTarget, "e:\\sicher");
    EXPECT_EQ(content.mode, 3);
    EXPECT_EQ(content.entries, entries);
    EXPECT_EQ(NotLoadedText(content, "x.tsi"), "");

    // A name outside code page 1252 switches the whole file to UTF-8.
    entries[1].source = "D:\\Ωmega";
    std::string bytes = WriteSetFile("e:\\sicher", 0, entries);
    EXPECT_TRUE(bytes.starts_with("\xEF\xBB\xBF; Diese"));
    EXPECT_EQ(ReadSetFile(bytes).entries, entries);
}

std::vector<BackupEntry> entriesOf(std::string text)
{
    return ReadSetFile(text).entries;
}

// The program's own file always reads back entry by entry: a field it
// holds empty is written as a line the reader takes.
TEST(SetFileWriter, EmptyFieldsAreWrittenAsLinesThatReadBackInPlace)
{
    std::vector<BackupEntry> entries = {entry("C:\\A", false, "", ""), entry("C:\\B", true, "*.b", "D:\\B")};
    std::string bytes = WriteSetFile("", 0, entries);
    EXPECT_NE(bytes.find("###\r\nC:\\A\r\nnein\r\n*.*\r\n\\\r\n###"), std::string::npos);
    SetFileContent content = ReadSetFile(bytes);
    EXPECT_EQ(content.entries, (std::vector<BackupEntry>{entry("C:\\A", false, "*.*", "\\"), entries[1]}));
    EXPECT_TRUE(content.leftOut.empty());
}

// An older reader would walk nothing but the exclusions of such a list.
TEST(SetFileWriter, ExclusionsAloneAreWrittenWithTheWalkTheyStandFor)
{
    std::string bytes = WriteSetFile("", 0, {entry("C:\\A", true, "-*.tmp;-Cache\\", "D:\\")});
    EXPECT_NE(bytes.find("\r\nja\r\n*.*;-*.tmp;-Cache\\\r\nD:\\\r\n"), std::string::npos);
    EXPECT_EQ(ReadSetFile(bytes).entries[0].masks, "*.*;-*.tmp;-Cache\\");
}

TEST(SetFileReader, EntriesAndSeparators)
{
    using Entries = std::vector<BackupEntry>;
    // No header and no separator needed for the first entry; blanks,
    // comments and empty lines between its lines are passed over.
    EXPECT_EQ(entriesOf("  C:\\A  \r\n; x\r\n\r\n  ja\r\n#\r\n*.c\r\nD:\\T\r\n"),
              (Entries{entry("C:\\A", true, "*.c", "D:\\T")}));
    // Without a "###" after an entry the following ones are passed over;
    // blanks around the separator do not count.
    EXPECT_EQ(entriesOf("A\r\nja\r\n*\r\nT\r\nB\r\nnein\r\n*\r\nU\r\n").size(), 1u);
    EXPECT_EQ(entriesOf("###\r\nA\r\nja\r\n*\r\nT\r\n### \r\nB\r\nja\r\n*\r\nT\r\n"
                        "  ###\r\nC\r\nnein\r\n*\r\nT\r\n"),
              (Entries{entry("A", true, "*", "T"), entry("B", true, "*", "T"), entry("C", false, "*", "T")}));
}

// A "###" among an entry's four lines means a line is missing: that entry
// is left out and named, and every other entry keeps its own lines.
TEST(SetFileReader, AnEntryLackingALineIsLeftOutAndNamed)
{
    using Entries = std::vector<BackupEntry>;
    auto leftOut = [](const SetFileContent& content) {
        std::string named;
        for (const LeftOutEntry& e : content.leftOut)
            named += std::to_string(e.number) + ":" + e.source + " ";
        return named;
    };
    SetFileContent noTarget = ReadSetFile("###\r\nA\r\nja\r\n*\r\n###\r\nB\r\nja\r\n*.b\r\nU\r\n"
                                          "###\r\nC\r\nnein\r\n*.c\r\nV\r\n");
    EXPECT_EQ(noTarget.entries, (Entries{entry("B", true, "*.b", "U"), entry("C", false, "*.c", "V")}));
    EXPECT_EQ(leftOut(noTarget), "1:A ");

    // Comments and empty lines do not count; "### " is a separator too.
    SetFileContent commented = ReadSetFile("A\r\n; x\r\n\r\n###\r\nB\r\n#\r\nja\r\n*\r\nT\r\n###\r\n"
                                           "C\r\nja\r\n ### \r\nD\r\nnein\r\n*\r\nU\r\n");
    EXPECT_EQ(commented.entries, (Entries{entry("B", true, "*", "T"), entry("D", false, "*", "U")}));
    EXPECT_EQ(leftOut(commented), "1:A 3:C ");

    // A file that ends inside an entry: that entry is left out too, also
    // when a comment or separator stands last.
    for (const char* end : {"", "###", "; c", "ja\r\n*.*\r\n# x\r\n"}) {
        SetFileContent cut =
            ReadSetFile(std::string("STANDARDZIEL=x\r\n###\r\nB\r\nja\r\n*\r\nT\r\n###\r\nC:\\A\r\n") + end);
        EXPECT_EQ(cut.entries, (Entries{entry("B", true, "*", "T")})) << end;
        EXPECT_EQ(leftOut(cut), "2:C:\\A ") << end;
    }
    EXPECT_EQ(leftOut(ReadSetFile("C:\\A")), "1:C:\\A ");
    EXPECT_EQ(leftOut(ReadSetFile("STANDARDZIEL=x\r\nBACKUPMODE=1\r\n; nichts\r\n")), "");
}

// What the reader passes over after an entry's four lines is named with
// its line, in the same message as the entries left out.
TEST(SetFileReader, LinesPassedOverAfterAnEntryAreNamed)
{
    SetFileContent content = ReadSetFile("###\r\nA\r\nja\r\n*\r\nT\r\n  B  \r\n\r\n; c\r\nnein\r\n###\r\n"
                                         "C\r\nja\r\n###\r\nD\r\nja\r\n*\r\nU\r\n# x\r\nE\r\n");
    EXPECT_EQ(content.entries, (std::vector<BackupEntry>{entry("A", true, "*", "T"), entry("D", true, "*", "U")}));
    EXPECT_EQ(NotLoadedText(content, "D:\\s.tsi"),
              "Unvollständige Einträge in \"D:\\s.tsi\" wurden nicht geladen:\r\nEintrag 2: C\r\n\r\n"
              "In \"D:\\s.tsi\" wurden Zeilen überlesen, die nach den vier Zeilen eines Eintrags vor dem "
              "nächsten \"###\" stehen:\r\nZeile 6: B\r\nZeile 9: nein\r\nZeile 19: E");

    // A set that forgot every separator: the box names the first lines only.
    std::string many = "A\r\nja\r\n*\r\nT\r\n";
    for (int i = 0; i < 3; ++i)
        many += "B\nnein\n*\nU\n";
    SetFileContent forgotten = ReadSetFile(many);
    EXPECT_EQ(forgotten.skipped.size(), 12u);
    const std::string text = NotLoadedText(forgotten, "s.tsi");
    EXPECT_TRUE(text.starts_with("In \"s.tsi\" wurden Zeilen")) << text;
    EXPECT_TRUE(text.ends_with("\r\nZeile 13: B\r\nZeile 14: nein\r\n(und 2 weitere)")) << text;
}

TEST(SetFileReader, DefaultTargetAndModeLines)
{
    auto read = [](std::string text) { return ReadSetFile(text + "A\r\nja\r\n*\r\nT\r\n"); };

    SetFileContent mixed = read("  standardZiel=  d:\\ziel \r\n\r\n# x\r\nBackupMode=2\r\n");
    EXPECT_EQ(mixed.defaultTarget, "  d:\\ziel");
    EXPECT_EQ(mixed.mode, 2);

    SetFileContent seven = read("STANDARDZIEL=\r\nBACKUPMODE=7\r\n");
    EXPECT_EQ(seven.defaultTarget, "");
    EXPECT_FALSE(seven.mode);
    EXPECT_EQ(seven.entries.at(0).source, "A");

    EXPECT_EQ(read("BACKUPMODE=12\r\n").mode, 1);
    EXPECT_EQ(read("BACKUPMODE=\r\n").entries.at(0).source, "BACKUPMODE=");

    SetFileContent swapped = read("BACKUPMODE=1\r\nSTANDARDZIEL=x\r\n");
    EXPECT_FALSE(swapped.defaultTarget);
    EXPECT_EQ(swapped.entries.at(0).source, "STANDARDZIEL=x");

    // Blanks around "=", as people write them, in any case.
    SetFileContent blanks = read("Standardziel = D:\\Sicherung\r\n  BACKUPMODE  =  2\r\n");
    EXPECT_EQ(blanks.defaultTarget, " D:\\Sicherung");
    EXPECT_EQ(blanks.mode, 2);
    EXPECT_EQ(blanks.entries, (std::vector<BackupEntry>{entry("A", true, "*", "T")}));
    EXPECT_EQ(read("BACKUPMODE = \r\n").entries.at(0).source, "BACKUPMODE =");
    EXPECT_FALSE(read("STANDARD ZIEL=x\r\n").defaultTarget);
}

TEST(SetFileReader, LineEndsAndEndOfFile)
{
    // CR alone and LF alone end a line as CR LF does.
    EXPECT_EQ(entriesOf("A\rja\r*\rT\r").size(), 1u);
    SetFileContent lf = ReadSetFile("STANDARDZIEL=c:\\x\nBACKUPMODE=1\n###\nC:\\A\nja\n*.*\nT\n");
    EXPECT_EQ(lf.defaultTarget, "c:\\x");
    EXPECT_EQ(lf.mode, 1);
    ASSERT_EQ(lf.entries.size(), 1u);
    EXPECT_EQ(lf.entries[0], (BackupEntry{"C:\\A", " ja", "*.*", "T"}));
    // An empty line between CR LF pairs stays one empty line.
    EXPECT_EQ(entriesOf("A\r\n\r\nja\r\n*\r\nT\r\n").size(), 1u);

    SetFileContent eof = ReadSetFile("STANDARDZIEL=a\x1A\r\nBACKUPMODE=1\r\n");
    EXPECT_EQ(eof.defaultTarget, "a");
    EXPECT_FALSE(eof.mode);
    EXPECT_TRUE(entriesOf("").empty());
}

TEST(SetFileReader, EncodingWithoutByteOrderMark)
{
    // Saved as UTF-8 by an editor: the umlaut is one character, not "Ã¤".
    EXPECT_EQ(entriesOf("C:\\M\xC3\xA4rz\r\nja\r\n*\r\nT\r\n").at(0).source, "C:\\März");
    // Code page 1252, also when one byte pair could start a UTF-8 sequence.
    EXPECT_EQ(entriesOf("C:\\M\xE4rz\r\nja\r\n*\r\nT\r\n").at(0).source, "C:\\März");
    EXPECT_EQ(entriesOf("C:\\\xC3\xA4\xE4\r\nja\r\n*\r\nT\r\n").at(0).source, "C:\\Ã¤ä");
    // Plain ASCII reads the same either way.
    EXPECT_EQ(entriesOf("C:\\A\r\nja\r\n*\r\nT\r\n").at(0).source, "C:\\A");
}

TEST(SetFileWriter, TextThatLooksLikeUtf8InCp1252ReadsBack)
{
    // "Ã¤" in code page 1252 is C3 A4, which alone would read as UTF-8 "ä";
    // the header's single-byte umlauts keep the written file code page 1252.
    std::vector<BackupEntry> entries = {entry("C:\\Ã¤", true, "*.*", "<Standardziel>")};
    std::string bytes = WriteSetFile("c:\\backup", 0, entries);
    EXPECT_FALSE(bytes.starts_with("\xEF\xBB\xBF"));
    EXPECT_EQ(ReadSetFile(bytes).entries, entries);
}

TEST(SetFileReader, BadBytesNeverBreakIt)
{
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919) & 0xFF);
    ReadSetFile(binary);
    const char withNul[] = "A\0B\r\nja\r\n\0\r\nT\r\nX";
    EXPECT_EQ(ReadSetFile(std::string(withNul, sizeof withNul - 1)).entries.at(0).source,
              std::string("A\0B", 3));

    // Megabyte lines and many short ones stay linear.
    std::string longLine(1 << 20, ' ');
    longLine += "x";
    EXPECT_EQ(ReadSetFile("STANDARDZIEL=" + longLine).defaultTarget->size(), longLine.size());
    std::string many;
    for (int i = 0; i < 50000; ++i)
        many += "###\r\nA\r\nja\r\n*\r\nT\r\n";
    EXPECT_EQ(ReadSetFile(many + "###\r\n").entries.size(), 50000u);
}

TEST(SetFileName, QualifyPutsBareNamesBesideTheProgram)
{
    EXPECT_EQ(QualifyFileName("A.TSI", "C:\\TOOLS"), "C:\\TOOLS\\A.TSI");
    EXPECT_EQ(QualifyFileName("sets\\A.TSI", "C:\\TOOLS\\"), "sets\\A.TSI");
    EXPECT_EQ(QualifyFileName("D:A.TSI", "C:\\TOOLS\\"), "D:A.TSI");
}

} // namespace
} // namespace tresorix
