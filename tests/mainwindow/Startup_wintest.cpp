#include "mainwindow/MainForm.h"

#include "engine/Format.h"
#include "platform/TextConv.h"
#include "platform/Win32Files.h"
#include "set/FileIO.h"
#include "set/Profile.h"
#include "ui/DialogFiles.h"
#include "ui/DriveUi.h"
#include "dialogs/AusnahmenForm.h"
#include "dialogs/VersionenForm.h"
#include "set/SetFile.h"
#include "platform/AnsweringFileSystem.h"
#include "platform/Win32FileSystem.h"
#include "support/ScriptedAnswerer.h"
#include "support/SlowFileSystem.h"
#include "support/win/ClosedRegistry.h"
#include "support/win/TempTree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tresorix {
namespace {

using test::ScriptedAnswerer;
using test::TempTree;

class Startup : public ::testing::Test {
protected:
    std::unique_ptr<TmForm> start(std::vector<std::string> arguments)
    {
        auto form = std::make_unique<TmForm>();
        form->run().backup = [this](const RunSettings& settings) {
            runs.push_back(settings);
            return RunOutcome::finished;
        };
        form->links.closed = [this] { ++closings; };
        form->FormCreate({program, std::move(arguments)});
        return form;
    }
    Profile settings() const { return Profile(test::ReadAll(ini)); }

    TempTree tree;
    std::string program = tree.path("tresorix.exe");
    std::string ini = tree.path("tresorix.INI");
    std::string setFile = tree.path("daten.tsi");
    std::vector<RunSettings> runs;
    int closings = 0;
};

TEST_F(Startup, FirstStartTakesTheDefaultsSilently)
{
    ScriptedAnswerer noPrompts;
    auto form = start({});
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    RECT r = form->rect();
    EXPECT_EQ(r.left, sw / 16);
    EXPECT_EQ(r.top, sh / 16);
    EXPECT_EQ(r.right - r.left, std::lround(0.9 * sw));
    EXPECT_EQ(r.bottom - r.top, std::lround(0.8 * sh));
    EXPECT_EQ(form->text(), " Tresorix");
    EXPECT_EQ(int(form->set().mode), 0);
    EXPECT_EQ(form->stdZielBox().count(), 1);
    EXPECT_EQ(form->set().defaultTarget(), "c:\\backup");
    EXPECT_EQ(form->set().fileName, "NONAME.TSI");
    EXPECT_FALSE(form->item<CheckBox>(TmForm::AutoStart).checked());
    EXPECT_FALSE(form->item<Window>(TmForm::AutoStart).enabled());
    EXPECT_FALSE(form->set().modified);
    EXPECT_EQ(form->item<StatusBar>(TmForm::StatusBar).panelText(0), "0 Dateien gesichert");
    EXPECT_EQ(form->item<StatusBar>(TmForm::StatusBar).panelText(1), "0 Einträge");
    EXPECT_EQ(form->item<StatusBar>(TmForm::StatusBar).panelText(2), "Nicht geändert");
}

TEST_F(Startup, CloseWritesTheSettingsThatTheNextStartReads)
{
    tree.write("daten.tsi", WriteSetFile("D:\\Zwei", 2, {{"C:\\Daten", " ja", "*.doc", "<Standardziel>"}}));
    {
        auto form = start({});
        form->setFileName(setFile);
        form->addTarget("D:\\Eins");
        form->addTarget("D:\\Zwei");
        form->setMode(ConflictMode(2));
        form->setChecked(TmForm::AutoClose, true);
        form->setChecked(TmForm::WinAutoLoad, true);
        form->setFilterList("Alle Dateien (*.*)|*.*|Texte|*.txt;*.doc");
        form->item<ListView>(TmForm::Liste).setColumnWidth(0, 250);
        SetWindowPos(form->handle(), nullptr, 100, 50, 700, 500, SWP_NOZORDER);
        form->send(WM_CLOSE);
        EXPECT_EQ(closings, 1);
    }
    Profile p = settings();
    EXPECT_EQ(p.readString("STANDARDS", "FILENAME", ""), setFile);
    EXPECT_EQ(p.readString("STANDARDS", "BACKUPDIR", ""), "D:\\Zwei");
    EXPECT_EQ(p.readString("BACKUPDIRLIST", "3", ""), "D:\\Zwei");
    EXPECT_EQ(p.readInteger("STANDARDS", "AUTOCLOSE", -1), 1);
    EXPECT_EQ(p.readString("FILTER", "2", ""), "Texte|*.txt;*.doc");
    EXPECT_EQ(p.readInteger("COLUMNS", "1", 0), 250);
    EXPECT_EQ(p.readInteger("WINDOW", "LEFT", 0), 100);

    auto form = start({});
    EXPECT_TRUE(form->item<CheckBox>(TmForm::WinAutoLoad).checked()) << "the autostart value was written at close";
    EXPECT_TRUE(form->item<CheckBox>(TmForm::AutoClose).checked());
    EXPECT_EQ(form->set().entries.size(), 1u) << "FILEAUTOLOAD 1 loads the last set";
    EXPECT_EQ(form->set().fileName, setFile);
    EXPECT_EQ(form->text(), " Tresorix  -  daten.tsi");
    EXPECT_EQ(form->stdZielBox().count(), 3);
    EXPECT_EQ(form->set().defaultTarget(), "D:\\Zwei");
    EXPECT_EQ(int(form->set().mode), 2);
    EXPECT_FALSE(form->set().modified);
    EXPECT_EQ(form->set().filterList, "Alle Dateien (*.*)|*.*|Texte|*.txt;*.doc");
    RECT r = form->rect();
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.right - r.left, 700);

    form->setChecked(TmForm::WinAutoLoad, false);
    form->FormClose();
    EXPECT_FALSE(start({})->item<CheckBox>(TmForm::WinAutoLoad).checked());
}

// Start-up sizes the window while it is hidden; when it shows, the controls
// fit that size, and a saved width below the least has been widened.
TEST_F(Startup, TheSavedSizeIsLaidOutWhenTheWindowShows)
{
    tree.write("tresorix.INI", "[WINDOW]\r\nLEFT=10\r\nTOP=10\r\nWIDTH=300\r\nHEIGHT=600\r\n");
    auto form = start({});
    form->show(true);
    RECT r = form->rect();
    EXPECT_EQ(r.right - r.left, form->minimumWidth());
    EXPECT_EQ(r.bottom - r.top, 600);
    RECT client = form->clientRect();
    RECT list = form->item<ListView>(TmForm::Liste).rect();
    RECT bar = Window(form->control(TmForm::StatusBar)).rect();
    RECT group = Window(form->control(TmForm::BackUpMode)).rect();
    EXPECT_EQ(list.right, client.right - ScaleToDpi(4));
    EXPECT_EQ(bar.bottom, client.bottom);
    EXPECT_EQ(group.bottom + ScaleToDpi(4), bar.top);
}

// The settings file holds column widths at 100 %, whatever the screen: a
// start at 200 % shows them twice as wide and writes them back as they were.
TEST_F(Startup, ColumnWidthsMeanTheSameOnEveryScreen)
{
    tree.write("tresorix.INI", "[COLUMNS]\r\n1=250\r\n2=40\r\n3=180\r\n4=150\r\n");
    TmForm form;
    form.setDpi(192);
    form.FormCreate({program, {}});
    ListView list = form.item<ListView>(TmForm::Liste);
    EXPECT_EQ(list.columnWidth(0), 500);
    EXPECT_EQ(list.columnWidth(1), 80);
    EXPECT_EQ(list.columnWidth(2), 360);
    form.FormClose();
    Profile p = settings();
    EXPECT_EQ(p.readInteger("COLUMNS", "1", 0), 250);
    EXPECT_EQ(p.readInteger("COLUMNS", "2", 0), 40);
    EXPECT_EQ(p.readInteger("COLUMNS", "3", 0), 180);
}

// A place saved on a second screen that is gone, or a size saved at a higher
// resolution: the window opens inside the work area of a screen there is.
TEST_F(Startup, TheSavedPlaceIsKeptOnAScreenThatExists)
{
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const LONG workWidth = work.right - work.left, workHeight = work.bottom - work.top;
    struct Case { const char* ini; LONG width, height; };
    const Case cases[] = {
        {"[WINDOW]\r\nLEFT=4200\r\nTOP=3000\r\nWIDTH=700\r\nHEIGHT=500\r\n", 700, 500},
        {"[WINDOW]\r\nLEFT=-3000\r\nTOP=-2000\r\nWIDTH=700\r\nHEIGHT=500\r\n", 700, 500},
        {"[WINDOW]\r\nLEFT=100\r\nTOP=50\r\nWIDTH=9000\r\nHEIGHT=7000\r\n", workWidth, workHeight},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        tree.write("tresorix.INI", c.ini);
        RECT r = start({})->rect();
        EXPECT_EQ(r.right - r.left, c.width);
        EXPECT_EQ(r.bottom - r.top, c.height);
        EXPECT_GE(r.left, work.left);
        EXPECT_GE(r.top, work.top);
        EXPECT_LE(r.right, work.right);
        EXPECT_LE(r.bottom, work.bottom);
    }
}

// Installed where this user cannot write (C:\Programme for a standard
// user): the settings go to the user's own folder and are read there next
// time, without a word. Once that file exists it comes first: a file beside
// the program that one elevated start left there is stale.
TEST_F(Startup, SettingsTheProgramsFolderCannotTakeLiveInTheUsersFolder)
{
    const std::string closed = tree.path("nicht da\\trxtest-settings.exe");
    const std::string userFile = UserDataFolder() + "trxtest-settings.INI";
    DeleteFileW(Widen(userFile).c_str());
    program = closed;
    {
        ScriptedAnswerer answers;  // fails on any message
        auto form = start({});
        form->setMode(ConflictMode::skip);
        form->FormClose();
    }
    EXPECT_EQ(Profile(test::ReadAll(userFile)).readInteger("STANDARDS", "BACKUPMODE", -1), 2);
    auto again = start({});
    EXPECT_EQ(again->set().mode, ConflictMode::skip) << "read back from the user's folder";
    // Set files named without a folder, and the file dialogs, go to the
    // user's Documents there.
    EXPECT_EQ(again->setFileFolder(), AddBackslash(DocumentsFolder()));
    again.reset();

    tree.write("trxtest-settings.INI", "[STANDARDS]\r\nBACKUPMODE=1\r\n");
    program = tree.path("trxtest-settings.exe");
    auto beside = start({});
    EXPECT_EQ(beside->set().mode, ConflictMode::skip);
    beside->setMode(ConflictMode::ask);
    beside->FormClose();
    EXPECT_EQ(Profile(test::ReadAll(userFile)).readInteger("STANDARDS", "BACKUPMODE", -1), 3);
    EXPECT_EQ(test::ReadAll(tree.path("trxtest-settings.INI")), "[STANDARDS]\r\nBACKUPMODE=1\r\n") << "left alone";
    DeleteFileW(Widen(userFile).c_str());
}

// The system menu's versions item: OK sets the setting, which close writes;
// /VERSIONEN= serves one start's runs and is not saved.
TEST_F(Startup, VersionsFromTheSystemMenuAndForOneStart)
{
    constexpr UINT kItem = 0x0110;
    {
        auto form = start({});
        HMENU menu = GetSystemMenu(form->handle(), FALSE);
        form->send(WM_INITMENUPOPUP, WPARAM(menu), MAKELPARAM(0, TRUE));
        wchar_t text[64] = {};
        GetMenuStringW(menu, kItem, text, 64, MF_BYCOMMAND);
        EXPECT_EQ(Narrow(text), "Ersetzte Dateien &aufbewahren …");
        test::whenIdle([] {
            HWND dialog = FindWindowW(kVersionenFormClass, nullptr);
            for (int row : {TVersionenForm::CbKeep, TVersionenForm::BtnOk})
                SendMessageW(GetDlgItem(dialog, Form::kFirstControlId + row), BM_CLICK, 0, 0);
        });
        form->send(WM_SYSCOMMAND, kItem, 0);
        form->FormClose();
    }
    EXPECT_EQ(settings().readInteger("STANDARDS", "VERSIONEN", -1), 30);

    auto form = start({"/VERSIONEN=7"});
    form->addEntry({"C:\\Daten", "", "*.*", "D:\\Sicherung\\"});
    form->BtnStartClick();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].versionDays, 7);
    form->FormClose();
    EXPECT_EQ(settings().readInteger("STANDARDS", "VERSIONEN", -1), 30);

    // A value that is no number is said and leaves the setting in force.
    ScriptedAnswerer answers;
    answers.then(mrOk, "Der Schalter /VERSIONEN=30d nennt keine Zahl von Tagen");
    form.reset();
    form = start({"/VERSIONEN=30d"});
    EXPECT_EQ(answers.pending(), 0u);
    form->addEntry({"C:\\Daten", "", "*.*", "D:\\Sicherung\\"});
    form->BtnStartClick();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1].versionDays, 30);
}

// The system menu's exclusions item beside the versions item: what OK takes
// goes to the next run and, at close, into the settings file.
TEST_F(Startup, ExclusionsFromTheSystemMenuReachTheRunAndTheSettings)
{
    tree.write("tresorix.INI", "[STANDARDS]\r\nAUSNAHMEN=*.bak\r\n");
    auto form = start({});
    HMENU menu = GetSystemMenu(form->handle(), FALSE);
    form->send(WM_INITMENUPOPUP, WPARAM(menu), MAKELPARAM(0, TRUE));
    wchar_t text[64] = {};
    GetMenuStringW(menu, 0x0120, text, 64, MF_BYCOMMAND);
    EXPECT_EQ(Narrow(text), "&Ausnahmen …");
    EXPECT_EQ(GetMenuItemID(menu, GetMenuItemCount(menu) - 2), 0x0110u) << "right after the versions item";
    test::whenIdle([] {
        HWND dialog = FindWindowW(kAusnahmenFormClass, nullptr);
        wchar_t line[64] = {};
        GetWindowTextW(GetDlgItem(dialog, Form::kFirstControlId + TAusnahmenForm::EdList), line, 64);
        EXPECT_EQ(Narrow(line), "*.bak");
        for (int row : {TAusnahmenForm::BtnVorschlag, TAusnahmenForm::BtnOk})
            SendMessageW(GetDlgItem(dialog, Form::kFirstControlId + row), BM_CLICK, 0, 0);
    });
    form->send(WM_SYSCOMMAND, 0x0120, 0);
    form->addEntry({"C:\\Daten", "", "*.*", "D:\\Sicherung\\"});
    form->BtnStartClick();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].exclusions, "~$*;*.tmp;Thumbs.db;desktop.ini");
    form->FormClose();
    EXPECT_EQ(settings().readString("STANDARDS", "AUSNAHMEN", ""), "~$*;*.tmp;Thumbs.db;desktop.ini");
}

TEST_F(Startup, CommandLineStartsTheBackupAndClosesAfterIt)
{
    tree.write("daten.tsi", WriteSetFile("D:\\Ziel", 0, {{"C:\\Daten", "", "*.*", "<Standardziel>"}}));
    auto form = start({"/start", "/close", setFile, "zweite.tsi"});
    EXPECT_TRUE(form->item<CheckBox>(TmForm::AutoStart).checked());
    EXPECT_TRUE(form->item<CheckBox>(TmForm::AutoClose).checked());
    EXPECT_EQ(form->set().fileName, setFile);
    EXPECT_FALSE(form->set().modified);
    form->FormShow();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].stdZiel, "D:\\Ziel");
    EXPECT_FALSE(runs[0].showSummary);
    EXPECT_EQ(closings, 1);

    // /NOSTART checks AutoStart but starts nothing.
    auto quiet = start({"/START", "/NOSTART", setFile});
    EXPECT_TRUE(quiet->item<CheckBox>(TmForm::AutoStart).checked());
    quiet->FormShow();
    EXPECT_EQ(runs.size(), 1u);
}

// A set file on a medium that takes its time (a share Windows has not yet
// reconnected at logon): the window answers what is sent to it while the
// file is read, and the set arrives whole.
TEST_F(Startup, ASetFileThatWaitsForItsMediumLeavesTheWindowAnswering)
{
    tree.write("daten.tsi", WriteSetFile("D:\\Ziel", 0, {{"C:\\Daten", " ja", "*.doc", "<Standardziel>"}}));
    Win32FileSystem real;
    test::SlowFileSystem slow(real);
    AnsweringFileSystem files(slow, 0);  // every call as the first after a pause
    AnswerForWindows(files);
    HWND window = nullptr;
    HANDLE reading = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE answered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    slow.beforeRead = [&](const std::string& path) {
        if (path == setFile) {
            SetEvent(reading);
            WaitForSingleObject(answered, INFINITE);
        }
    };
    LRESULT sent = 0;
    std::thread asker([&] {
        if (WaitForSingleObject(reading, 30000) == WAIT_OBJECT_0) {
            DWORD_PTR result = 0;
            sent = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
        }
        SetEvent(answered);
    });
    ScriptedAnswerer noPrompts;
    auto form = std::make_unique<TmForm>();
    window = form->handle();
    form->setFileSystem(files);
    form->FormCreate({program, {setFile}});
    asker.join();
    EXPECT_NE(sent, 0) << "the window answered while the set file was read";
    ASSERT_EQ(form->set().entries.size(), 1u);
    EXPECT_EQ(form->set().entries[0].source, "C:\\Daten");
    EXPECT_EQ(form->set().defaultTarget(), "D:\\Ziel");
    CloseHandle(reading);
    CloseHandle(answered);
}

// A set file whose load left lines out, started unattended: the run goes,
// and the close after it asks nobody to save and leaves the file as written.
TEST_F(Startup, AnUnattendedStartClosesWithoutAskingToSaveWhatTheLoadLeftOut)
{
    const std::string bytes = "C:\\Daten\r\nja\r\n*.*\r\nD:\\Ziel\r\nC:\\Vergessen\r\nnein\r\n";
    tree.write("daten.tsi", bytes);
    ScriptedAnswerer noPrompts;
    auto form = start({"/START", "/CLOSE", "/SKIPERRORS", setFile});
    EXPECT_TRUE(form->set().modified);
    form->FormShow();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].startMessages.size(), 1u);
    EXPECT_EQ(closings, 1);
    EXPECT_EQ(test::ReadAll(setFile), bytes);
}

// Neither Run key can be written: the user hears it once, not at every
// save and again at close.
TEST_F(Startup, AnAutostartValueThatCannotBeWrittenIsToldOnce)
{
    auto form = start({});
    ScriptedAnswerer answers;
    {
        test::ClosedRegistryRoot machine(HKEY_LOCAL_MACHINE), user(HKEY_CURRENT_USER);
        answers.then(mrOk, "Tresorix konnte nicht für den Start mit Windows eingetragen werden.");
        form->setChecked(TmForm::WinAutoLoad, true);
        EXPECT_EQ(form->SaveSetFile(setFile), SaveOutcome::saved);
        form->FormClose();
    }
    EXPECT_EQ(answers.pending(), 0u);
    form->setChecked(TmForm::WinAutoLoad, false);
    form->FormClose();
}

// When Windows ends the session during a run, the settings are written and
// the run's record ends, as the process may not live to do either; should
// it live on, the run's own end does not follow.
TEST_F(Startup, SessionEndWritesTheSettingsAndEndsTheRunsRecord)
{
    ScriptedAnswerer noPrompts;
    tree.write("src\\a.txt", "a");
    auto form = start({"/LOG=" + tree.path("lauf.log")});
    form->addEntry({tree.path("src"), "ja", "*.txt", tree.path("dst")});
    form->setMode(ConflictMode::skip);
    form->run().backup = nullptr;
    form->post(WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);  // taken at the run's first look at the queue
    form->BtnStartClick();
    EXPECT_EQ(settings().readInteger("STANDARDS", "BACKUPMODE", -1), 2);
    EXPECT_EQ(form->run().exitCode(), 2);
    const std::string log = test::ReadAll(tree.path("lauf.log"));
    EXPECT_TRUE(log.ends_with("Windows wird beendet.  Exitcode 2\r\n")) << log;
    size_t marks = 0;
    for (size_t at = log.find("=== "); at != std::string::npos; at = log.find("=== ", at + 1))
        ++marks;
    EXPECT_EQ(marks, 2u) << "one start and one end";
}

TEST_F(Startup, AutostartSwitchKeepsTheAutoKeysUntilTheSetChanges)
{
    tree.write("tresorix.INI", "[STANDARDS]\r\nFILEAUTOLOAD=0\r\nAUTOSTART=1\r\n");
    auto form = start({"/HKLMRUN", "/START"});
    EXPECT_EQ(form->switches(), "/HKLMRUN /START ");
    tree.write("tresorix.INI", "[STANDARDS]\r\nAUTOSTART=7\r\nAUTOCLOSE=7\r\n");
    form->setMode(ConflictMode(3));
    form->FormClose();
    EXPECT_EQ(settings().readInteger("STANDARDS", "AUTOSTART", 0), 7);
    EXPECT_EQ(settings().readInteger("STANDARDS", "BACKUPMODE", 0), 3);

    form->SetModified(true);
    EXPECT_EQ(form->switches(), " /START ");
    form->FormClose();
    EXPECT_EQ(settings().readInteger("STANDARDS", "AUTOSTART", 0), 1);
    EXPECT_EQ(settings().readInteger("STANDARDS", "AUTOCLOSE", 7), 0);
}

}  // namespace
}  // namespace tresorix
