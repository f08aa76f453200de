#include "set/Profile.h"

#include <gtest/gtest.h>

namespace tresorix {
namespace {

TEST(Profile, LooksUpLikeTheSystemReader)
{
    Profile p("; Kommentar\r\n"
              "[Window]\r\n"
              "  Top =  12 \r\n"
              "quoted=\"  a b  \"\r\n"
              "single='x'\r\n"
              "half=\"x\r\n"
              "empty=\r\n"
              "bare\r\n"
              "top=99\r\n"
              "[ STANDARDS ]\n"
              "FileName=C:\\A.TSI\n"
              "[window]\r\n"
              "LEFT=5");
    EXPECT_EQ(p.value("window", " top "), "12");
    EXPECT_EQ(p.value("WINDOW", "QUOTED"), "  a b  ");
    EXPECT_EQ(p.value("WINDOW", "single"), "x");
    EXPECT_EQ(p.value("WINDOW", "half"), "\"x");
    EXPECT_EQ(p.value("WINDOW", "empty"), "");
    EXPECT_EQ(p.value("WINDOW", "bare"), "");
    EXPECT_FALSE(p.value("WINDOW", "missing"));
    EXPECT_FALSE(p.value("WINDOW", "; Kommentar"));
    // Only the first of two equal sections counts.
    EXPECT_FALSE(p.value("WINDOW", "LEFT"));
    EXPECT_EQ(p.value("standards", "FILENAME"), "C:\\A.TSI");
    EXPECT_EQ(p.readString("WINDOW", "empty", "def"), "");
}

TEST(Profile, IntegersDecimalOrHexadecimal)
{
    Profile p("[S]\r\na=42\r\nb=-17\r\nc=0x1F\r\nd=$ff\r\ne=0XFFFFFFFF\r\nf=12a\r\ng=\r\n"
              "h=99999999999999999999\r\ni=2147483648\r\nj=-2147483648\r\nk=0x100000000\r\n"
              "l= 7 \r\nm=abc\r\nn=0x\r\no=$\r\np=-\r\n");
    std::pair<const char*, int> good[] = {{"a", 42}, {"b", -17}, {"c", 31}, {"d", 255},
                                          {"e", -1}, {"j", INT32_MIN}, {"l", 7}};
    for (auto [key, value] : good)
        EXPECT_EQ(p.readInteger("S", key, 5), value) << key;
    for (const char* bad : {"f", "g", "h", "i", "k", "m", "n", "o", "p", "missing"})
        EXPECT_EQ(p.readInteger("S", bad, 5), 5) << bad;
}

TEST(Profile, WritingKeepsEverythingElse)
{
    Profile p("; von Hand\r\n[A]\r\nx=1 ; alt\r\nX=2\r\n\r\n[B]\r\ny=1\r\n");
    p.writeString("a", "X", "neu");
    p.writeString("A", "z", "3");
    p.writeInteger("C", "n", -1);
    p.writeString("B", "y", "");
    EXPECT_EQ(p.text(), "; von Hand\r\n[A]\r\nx=neu\r\nX=2\r\nz=3\r\n\r\n[B]\r\ny=\r\n\r\n[C]\r\nn=-1\r\n");

    // Code page 1252 while it holds every text, else UTF-8 with its mark.
    Profile umlaut("[S]\r\nk=Gr\xF6\xDF" "e\r\n");
    EXPECT_EQ(umlaut.value("S", "k"), "Größe");
    EXPECT_EQ(umlaut.bytes(), "[S]\r\nk=Gr\xF6\xDF" "e\r\n");
    umlaut.writeString("S", "k", "C:\\Ωmega");
    EXPECT_EQ(umlaut.bytes(), "\xEF\xBB\xBF[S]\r\nk=C:\\Ωmega\r\n");
    EXPECT_EQ(Profile(umlaut.bytes()).value("S", "k"), "C:\\Ωmega");
}

TEST(Profile, ValuesTheReaderWouldChangeAreWrittenInQuotes)
{
    // A target typed with a tab at its end, or a value in quotes of its own,
    // reads back as it was written; an ordinary value is written bare.
    Profile p;
    for (std::string value : {"\tE:\\Tab\t", " a ", "\"x\"", "'y'", "\"", "C:\\Plain", ""}) {
        p.writeString("S", "k", value);
        EXPECT_EQ(Profile(p.bytes()).value("S", "k"), value) << value;
    }
    EXPECT_EQ(p.text(), "[S]\r\nk=\r\n");
    p.writeString("S", "k", " a ");
    EXPECT_EQ(p.text(), "[S]\r\nk=\" a \"\r\n");
}

TEST(Profile, BadInputNeverBreaksIt)
{
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919) & 0xFF);
    Profile garbage(binary);
    garbage.writeString("S", "k", "v");
    EXPECT_EQ(Profile(garbage.bytes()).value("S", "k"), "v");

    const char withNul[] = "[S]\r\nk=a\0b\r\n[\r\n]\r\n=\r\n[]";
    Profile nul(std::string(withNul, sizeof withNul - 1));
    EXPECT_EQ(nul.value("S", "k"), std::string("a\0b", 3));

    // Many keys and blank lines: looked up by name, added without moving
    // lines, so a large file stays fast.
    std::string many = "[FILTER]\r\n";
    for (int i = 1; i <= 30000; ++i)
        many += std::to_string(i) + "=d|*.x\r\n";
    many += std::string(30000 * 2, '\n') + "[X]\r\n";
    Profile big(many);
    Settings s = ReadSettings(big, 800, 600);
    EXPECT_EQ(s.filterList.size(), 30000u * 6 - 1);
    s.filterList += "|" + s.filterList;
    WriteSettings(big, s, true, true);
    EXPECT_EQ(big.value("FILTER", "60000"), "d|*.x");
    std::string blanks;
    for (int i = 0; i < 30000 * 2; ++i)
        blanks += "\r\n";
    EXPECT_NE(big.text().find("60000=d|*.x\r\n" + blanks + "[X]\r\n"), std::string::npos);
}

TEST(Settings, DefaultsFollowTheScreen)
{
    Settings s = ReadSettings(Profile(), 1024, 768);
    EXPECT_EQ((std::array{s.top, s.left, s.width, s.height}), (std::array{48, 64, 922, 614}));
    EXPECT_EQ(s.columns, (std::array{220, 32, 170, 146}));
    EXPECT_TRUE(s.fileAutoLoad);
    EXPECT_EQ(s.fileName, "NONAME.TSI");
    EXPECT_FALSE(s.maximized || s.autoStart || s.autoClose || s.backupMode);
    EXPECT_EQ(DefaultSettings(1365, 1023).width, 1229);
    EXPECT_EQ(DefaultSettings(1365, 1023).height, 818);
}

TEST(Settings, ReadsValuesAsTheProgramTakesThem)
{
    Settings s = ReadSettings(Profile("[WINDOW]\r\nTOP=x\r\nLEFT=$10\r\nMAXIMIZED=2\r\n"
                                      "[BACKUPDIRLIST]\r\n1=c:\\a\r\n2=d:\\b\r\n3=\r\n4=e:\\c\r\n"
                                      "[COLUMNS]\r\n2=40\r\n"
                                      "[STANDARDS]\r\nBACKUPMODE=9\r\nFILEAUTOLOAD=0x1\r\nFILENAME=\r\n"
                                      "AUTOSTART=2\r\nAUTOCLOSE=1\r\n"
                                      "[FILTER]\r\n1=Alle (*.*)|*.*\r\n2=Text|*.txt\r\n"),
                              1024, 768);
    EXPECT_EQ(s.top, 48);
    EXPECT_EQ(s.left, 16);
    EXPECT_EQ(s.backupDirList, (std::vector<std::string>{"c:\\a", "d:\\b"}));
    EXPECT_EQ(s.columns, (std::array{220, 40, 170, 146}));
    EXPECT_EQ(s.backupMode, 3);
    EXPECT_TRUE(s.fileAutoLoad);
    EXPECT_EQ(s.fileName, "");
    EXPECT_FALSE(s.autoStart);
    EXPECT_TRUE(s.autoClose);
    EXPECT_EQ(s.filterList, "Alle (*.*)|*.*|Text|*.txt");

    EXPECT_EQ(ReadSettings(Profile("[STANDARDS]\r\nBACKUPMODE=-3\r\n"), 800, 600).backupMode, -1);

    std::string longValue(3000, 'a');
    Settings cut = ReadSettings(Profile("[STANDARDS]\r\nBACKUPDIR=" + longValue + "\r\n"
                                        "FILENAME=" + std::string(2046, 'b') + "\xE4\xF6\r\n"),
                                800, 600);
    EXPECT_TRUE(cut.backupDir == std::string(2047, 'a'));
    EXPECT_TRUE(cut.fileName == std::string(2046, 'b') + "ä");
}

TEST(Settings, WritesBackWhatTheTableSays)
{
    Profile p("[WINDOW]\r\nTOP=1\r\nLEFT=2\r\nWIDTH=3\r\nHEIGHT=4\r\n"
              "[STANDARDS]\r\nAUTOSTART=2\r\nAUTOCLOSE=1\r\n"
              "[FILTER]\r\n1=a|b\r\n2=c|d\r\n3=e|f\r\n");
    Settings s = ReadSettings(p, 1024, 768);
    s.maximized = true;
    s.top = 100;
    s.backupDirList = {"c:\\x", "d:\\y"};
    s.filterList = "Alle|*.*| Text |*.txt";
    WriteSettings(p, s, false, false);
    EXPECT_EQ(p.value("WINDOW", "TOP"), "1");
    EXPECT_EQ(p.value("WINDOW", "MAXIMIZED"), "1");
    EXPECT_EQ(p.value("STANDARDS", "AUTOSTART"), "2");
    EXPECT_EQ(p.value("BACKUPDIRLIST", "2"), "d:\\y");
    EXPECT_EQ(p.value("FILTER", "2"), "Text |*.txt");
    EXPECT_EQ(p.value("FILTER", "3"), "e|f"); // left in the file

    WriteSettings(p, s, true, true);
    EXPECT_EQ(p.value("WINDOW", "TOP"), "100");
    EXPECT_EQ(p.value("STANDARDS", "AUTOSTART"), "0");
    EXPECT_EQ(p.value("STANDARDS", "AUTOCLOSE"), "1");
    EXPECT_EQ(p.value("COLUMNS", "4"), "146");

    s.backupMode = -1;
    s.fileName = "C:\\Sätze\\Ω.tsi";
    Profile fresh;
    WriteSettings(fresh, s, true, true);
    Settings back = ReadSettings(Profile(fresh.bytes()), 1024, 768);
    EXPECT_EQ(back.backupMode, -1);
    EXPECT_EQ(back.fileName, s.fileName);
    EXPECT_EQ(back.filterList, "Alle|*.*|Text |*.txt");
}

// Versions are an addition: a settings file that never had them on keeps
// exactly its keys; once set, the key stays and can say 0 again.
TEST(Settings, VersionDaysOnlyWhereTheyWereEverSet)
{
    Profile p("[STANDARDS]\r\nBACKUPMODE=1\r\n");
    Settings s = ReadSettings(p, 1024, 768);
    EXPECT_EQ(s.versionDays, 0);
    const std::string before = p.bytes();
    WriteSettings(p, s, true, true);
    EXPECT_EQ(p.bytes().find("VERSIONEN"), std::string::npos);

    s.versionDays = 30;
    WriteSettings(p, s, true, true);
    EXPECT_EQ(ReadSettings(Profile(p.bytes()), 1024, 768).versionDays, 30);
    s.versionDays = 0;
    WriteSettings(p, s, true, true);
    EXPECT_EQ(p.value("STANDARDS", "VERSIONEN"), "0");
    EXPECT_EQ(ReadSettings(Profile("[STANDARDS]\r\nVERSIONEN=9000\r\n"), 1024, 768).versionDays, 3650);
    EXPECT_EQ(ReadSettings(Profile("[STANDARDS]\r\nVERSIONEN=dreißig\r\n"), 1024, 768).versionDays, 0);
}

// Exclusions are an addition too: none written, the file stays as it was;
// a list reads back as typed, and emptied it stays empty.
TEST(Settings, ExclusionsRoundTripAndAreWrittenOnlyOnceSet)
{
    Profile p("[STANDARDS]\r\nBACKUPMODE=1\r\n");
    Settings s = ReadSettings(p, 1024, 768);
    EXPECT_EQ(s.exclusions, "");
    WriteSettings(p, s, true, true);
    const std::string before = p.bytes();
    WriteSettings(p, s, true, true);
    EXPECT_EQ(p.bytes(), before);
    EXPECT_EQ(p.bytes().find("AUSNAHMEN"), std::string::npos);

    s.exclusions = "~$*;*.tmp;Thumbs.db;Cache\\ ";
    WriteSettings(p, s, true, true);
    EXPECT_NE(p.bytes().find("\r\nAUSNAHMEN=\"~$*;*.tmp;Thumbs.db;Cache\\ \"\r\n"), std::string::npos);
    EXPECT_EQ(ReadSettings(Profile(p.bytes()), 1024, 768).exclusions, s.exclusions);
    s.exclusions.clear();
    WriteSettings(p, s, true, true);
    EXPECT_EQ(ReadSettings(Profile(p.bytes()), 1024, 768).exclusions, "");
    EXPECT_EQ(p.value("STANDARDS", "AUSNAHMEN"), "");
    EXPECT_EQ(ReadSettings(Profile("[standards]\r\nausnahmen = *.bak;Temp\\\r\n"), 1024, 768).exclusions,
              "*.bak;Temp\\");
}

// Mirroring belongs to one set file: only "=1" turns it on, the same file
// under another case is the same set, and a set turned off keeps its line
// as 0. A file that never mirrored gets no section.
TEST(Settings, MirroredSetsAreReadPerSetFileAndWrittenOnlyOnceSet)
{
    Profile p("[SPIEGELN]\r\nC:\\Sets\\Haus.tsi=1\r\nC:\\Sets\\Karte.tsi=0\r\nC:\\Sets\\Alt.tsi = 1 \r\n"
              "C:\\Sets\\Haus.tsi=0\r\nD:\\x.tsi=ja\r\n");
    Settings s = ReadSettings(p, 1024, 768);
    EXPECT_EQ(s.mirroredSets, (std::vector<std::string>{"C:\\Sets\\Haus.tsi", "C:\\Sets\\Alt.tsi"}));
    EXPECT_TRUE(SetIsMirrored(s, "c:\\sets\\HAUS.TSI"));
    EXPECT_FALSE(SetIsMirrored(s, "C:\\Sets\\Karte.tsi"));
    EXPECT_FALSE(SetIsMirrored(s, ""));

    SetMirrored(s, "c:\\sets\\haus.tsi", false);
    SetMirrored(s, "C:\\Sets\\Karte.tsi", true);
    SetMirrored(s, "", true);
    WriteSettings(p, s, true, true);
    const Settings again = ReadSettings(Profile(p.bytes()), 1024, 768);
    EXPECT_EQ(again.mirroredSets, (std::vector<std::string>{"C:\\Sets\\Karte.tsi", "C:\\Sets\\Alt.tsi"}));
    EXPECT_EQ(p.value("SPIEGELN", "C:\\Sets\\Haus.tsi"), "0");

    Profile none("[STANDARDS]\r\nBACKUPMODE=1\r\n");
    WriteSettings(none, ReadSettings(none, 1024, 768), true, true);
    EXPECT_EQ(none.bytes().find("SPIEGELN"), std::string::npos);
}

TEST(Settings, FilterPairsAsWritten)
{
    EXPECT_EQ(FilterPairs("A|*.a|B|*.b;*.c"), (std::vector<std::string>{"A|*.a", "B|*.b;*.c"}));
    EXPECT_EQ(FilterPairs("A|*.a|  B|*.b  "), (std::vector<std::string>{"A|*.a", "B|*.b  "}));
    EXPECT_EQ(FilterPairs("A|*.a|B"), (std::vector<std::string>{"A|*.a", "B|"}));
    EXPECT_EQ(FilterPairs("||"), (std::vector<std::string>{"|"}));
    EXPECT_TRUE(FilterPairs("").empty());
    EXPECT_EQ(SettingsFileName("C:\\TOOLS\\tresorix.exe"), "C:\\TOOLS\\tresorix.INI");
}

} // namespace
} // namespace tresorix
