#include "set/CommandLine.h"

#include <gtest/gtest.h>

namespace tresorix {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, SplitsAtBlanksOutsideQuotes)
{
    EXPECT_EQ(SplitCommandLine("  a\tb  \"c d\"e \"\" f\"g h\"  "),
              (Args{"a", "b", "c de", "fg h"}));
    EXPECT_EQ(SplitCommandLine("\"unclosed quote"), (Args{"unclosed quote"}));
    EXPECT_TRUE(SplitCommandLine("").empty());
    EXPECT_EQ(CommandLineArguments("\"C:\\Program Files\\T\\tresorix.exe\" /start x.tsi"),
              (Args{"/start", "x.tsi"}));
    EXPECT_TRUE(CommandLineArguments("tresorix.exe").empty());
}

TEST(CommandLine, SwitchStringAndFileName)
{
    CommandLineInfo info = ReadCommandLine({"/start", "a.tsi", "/Nostart", "b.tsi", "/ü"});
    EXPECT_EQ(info.switches, "/START /NOSTART /Ü ");
    EXPECT_EQ(info.fileName, "a.tsi");
    EXPECT_TRUE(info.fileTaken);

    EXPECT_FALSE(ReadCommandLine({}).fileTaken);
}

TEST(CommandLine, StartCloseAndNostart)
{
    std::string start = ReadCommandLine({"/start"}).switches;
    EXPECT_TRUE(SwitchChecksAutoStart(start));
    EXPECT_FALSE(SwitchChecksAutoClose(start));
    EXPECT_TRUE(StartsBackupAtShow(start, true));
    EXPECT_FALSE(StartsBackupAtShow(start, false));

    // /STARTX does not check AutoStart but counts as /START when it is.
    std::string startx = ReadCommandLine({"/STARTX"}).switches;
    EXPECT_FALSE(SwitchChecksAutoStart(startx));
    EXPECT_TRUE(StartsBackupAtShow(startx, true));

    std::string both = ReadCommandLine({"/START", "/NOSTART", "/close"}).switches;
    EXPECT_TRUE(SwitchChecksAutoStart(both));
    EXPECT_TRUE(SwitchChecksAutoClose(both));
    EXPECT_FALSE(StartsBackupAtShow(both, true));
    EXPECT_FALSE(StartsBackupAtShow(ReadCommandLine({"/NOSTART"}).switches, true));
}

TEST(CommandLine, HklmRun)
{
    std::string switches = ReadCommandLine({"/START", "/hklmrun", "/HKLMRUN"}).switches;
    EXPECT_TRUE(HasHklmRun(switches));
    RemoveHklmRun(switches);
    EXPECT_EQ(switches, "/START  /HKLMRUN ");
    RemoveHklmRun(switches);
    EXPECT_FALSE(HasHklmRun(switches));

    EXPECT_TRUE(StartedByAutoRun({"/HKLMRUN", "x"}));
    EXPECT_FALSE(StartedByAutoRun({"/hklmrun"}));
    EXPECT_FALSE(StartedByAutoRun({"x", "/HKLMRUN"}));
    EXPECT_FALSE(StartedByAutoRun({}));
}

TEST(CommandLine, LogFileKeepsItsCaseAndSkipErrorsAndMirroringNeedTheWholeSwitch)
{
    Args arguments = CommandLineArguments(R"(tresorix.exe /log=C:\Alt.log "/LOG=D:\Mein Ordner\Lauf.log" /skiperrors)");
    EXPECT_EQ(LogFileArgument(arguments), "D:\\Mein Ordner\\Lauf.log");
    EXPECT_TRUE(SwitchSkipsErrors(ReadCommandLine(arguments).switches));
    EXPECT_FALSE(SwitchSkipsErrors(ReadCommandLine({"/SKIPERRORSX"}).switches));
    EXPECT_FALSE(SwitchMirrors(ReadCommandLine(arguments).switches));
    EXPECT_TRUE(SwitchMirrors(ReadCommandLine({"set.tsi", "/spiegeln", "/START"}).switches));
    EXPECT_FALSE(SwitchMirrors(ReadCommandLine({"/SPIEGELNX", "/SPIEGEL"}).switches));
    EXPECT_EQ(LogFileArgument({"/LOG", "/LOGX=a", "x.tsi"}), "");
}

TEST(CommandLine, VersionDaysTheLastSwitchGivesOverTheSetting)
{
    EXPECT_EQ(VersionDaysArgument({"x.tsi", "/START"}).days, std::nullopt);
    EXPECT_EQ(VersionDaysArgument({"/versionen=30"}).days, 30);
    EXPECT_EQ(VersionDaysArgument({"/VERSIONEN=30", "/VERSIONEN=0"}).days, 0) << "0 turns a saved setting off";
    EXPECT_EQ(VersionDaysArgument({"/VERSIONEN=x", "/VERSIONEN= 3650 "}).days, 3650);
    EXPECT_EQ(VersionDaysArgument({"/VERSIONEN=x", "/VERSIONEN=7"}).unreadable, "") << "given over";
    EXPECT_EQ(VersionDaysArgument({"/VERSIONEN", "/VERSIONENX=5"}).days, std::nullopt);
}

// A value that is no day count is never "off": the setting holds, and the
// switch is named as written.
TEST(CommandLine, VersionDaysThatAreNoNumberLeaveTheSetting)
{
    for (const char* value : {"viele", "30d", "-5", "+5", "", "3651", "99999999999999999999", "0x10", "5 Tage"}) {
        const std::string argument = std::string("/Versionen=") + value;
        VersionSwitch read = VersionDaysArgument({"/VERSIONEN=7", argument});
        EXPECT_EQ(read.days, std::nullopt) << value;
        EXPECT_EQ(read.unreadable, argument) << value;
    }
    EXPECT_EQ(UnreadableVersionSwitchText("/VERSIONEN=30d", 30),
              "Der Schalter /VERSIONEN=30d nennt keine Zahl von Tagen (0 bis 3650) und wird nicht beachtet.\r\n"
              "Es bleibt bei der Einstellung (Versionen: 30 Tage).");
    EXPECT_NE(UnreadableVersionSwitchText("/VERSIONEN=", 0).find("(Versionen: aus)"), std::string::npos);
}

TEST(AutoRun, CommandReadsBackAsTheSameStart)
{
    EXPECT_EQ(AutoRunCommand("C:\\TOOLS\\TRESORIX.EXE", true, true, "C:\\SETS\\A.TSI"),
              "C:\\TOOLS\\TRESORIX.EXE /HKLMRUN /START /CLOSE \"C:\\SETS\\A.TSI\"");

    // A program path with blanks is quoted, or its second half would be
    // taken for the set file.
    const std::string program = "C:\\Program Files\\Tresorix\\tresorix.exe";
    std::string command = AutoRunCommand(program, true, false, "D:\\Meine Sets\\a.tsi");
    EXPECT_EQ(SplitCommandLine(command),
              (Args{program, "/HKLMRUN", "/START", "D:\\Meine Sets\\a.tsi"}));
    EXPECT_TRUE(AutoRunStartsProgram(command, program));
    EXPECT_FALSE(AutoRunStartsProgram("C:\\OTHER.EXE /HKLMRUN", "C:\\T.EXE"));
    EXPECT_FALSE(AutoRunStartsProgram("c:\\t.exe /HKLMRUN", "C:\\T.EXE"));
}

TEST(FileType, KeysAndOpenCommand)
{
    EXPECT_EQ(FileTypeExtension("tsi"), ".tsi");
    EXPECT_EQ(FileTypeClass(".tsi"), "tsifile");
    EXPECT_EQ(CommandLineArguments(OpenCommand("C:\\A B\\T.EXE")), (Args{"%1"}));
}

} // namespace
} // namespace tresorix
