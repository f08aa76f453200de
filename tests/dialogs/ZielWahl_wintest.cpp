// The target dialog, its drive selector and drive probe, the create-directory
// dialog and the main window's default-target button, on real directories;
// drives that are not ready through the fault-injecting file system.
#include "dialogs/ZielWahl.h"

#include "dialogs/DirWahl.h"
#include "engine/Format.h"
#include "mainwindow/MainForm.h"
#include "support/FaultFileSystem.h"
#include "support/ScriptedAnswerer.h"
#include "support/win/TempTree.h"
#include "ui/DriveUi.h"

#include <gtest/gtest.h>

#include <bit>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tresorix {
namespace {

using test::FaultFileSystem;
using test::ScriptedAnswerer;
using test::TempTree;
using test::whenIdle;

std::string withoutSlash(std::string path)
{
    if (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return path;
}

const std::string kNotReadyE = "Wechsel zu Laufwerk E: ist nicht möglich.\r\nUrsache: Laufwerk ist nicht bereit.";

// The tree and the dialogs move the working directory; every test gets it back.
class TargetDialog : public ::testing::Test {
protected:
    TargetDialog() : fault(real)
    {
        wchar_t cwd[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cwd);
        saved_ = cwd;
        zielwahl.setCreateDialog(mdForm);
        zielwahl.setFileSystem(fault);
        mdForm.setFileSystem(fault);
        zielwahl.DirView.OnChange = [this] { ++changes; };
        temp.mkdir("daten\\alt");
    }
    ~TargetDialog() override { SetCurrentDirectoryW(saved_.c_str()); }

    // Closes the next modal form with a click on one of its buttons.
    void thenClick(Form& form, int row)
    {
        whenIdle([&form, row] { form.click(row); });
    }

    TempTree temp;
    std::string root = LowerCaseName(withoutSlash(temp.root()));
    Win32FileSystem real;
    FaultFileSystem fault;
    TZielwahl zielwahl;
    TmdForm mdForm;
    int changes = 0;

private:
    std::wstring saved_;
};

TEST_F(TargetDialog, DriveSelectorListsEveryDriveInLetterOrder)
{
    DriveSelector& drives = zielwahl.DriveComboBox;
    drives.fill();
    DWORD mask = GetLogicalDrives();
    ASSERT_EQ(drives.count(), std::popcount(mask));
    char last = 0;
    for (int i = 0; i < drives.count(); ++i) {
        std::string text = drives.item(i);
        ASSERT_GE(text.size(), 2u);
        EXPECT_TRUE(text[0] >= 'a' && text[0] <= 'z') << text;
        EXPECT_EQ(text[1], ':') << text;
        EXPECT_GT(text[0], last);
        EXPECT_TRUE(mask & (1u << (text[0] - 'a'))) << text;
        last = text[0];
    }
    EXPECT_EQ(DriveText('C').substr(0, 2), "c:");

    // Set by the program: notified like a user's choice, but not again for
    // the drive it shows already (in any case).
    int notified = 0;
    drives.OnChange = [&] { ++notified; };
    drives.SetDrive('Z');
    EXPECT_EQ(drives.Drive(), 'z');
    EXPECT_EQ(drives.item(drives.selected())[0], 'z');
    EXPECT_EQ(notified, 1);
    drives.SetDrive('z');
    EXPECT_EQ(notified, 1);
    drives.select(0);
    drives.userChanged();
    EXPECT_EQ(drives.Drive(), drives.item(0)[0]);
    EXPECT_EQ(notified, 2);
}

TEST_F(TargetDialog, PickShowsTheProposedPathAndReturnsTheChoice)
{
    thenClick(zielwahl, TZielwahl::BtnOk);
    EXPECT_EQ(zielwahl.Pick(temp.root() + "DATEN").modalResult, mrOk);
    EXPECT_EQ(zielwahl.DriveProbeResult(), 0);
    EXPECT_EQ(zielwahl.DriveComboBox.Drive(), root[0]);
    EXPECT_EQ(zielwahl.DirView.Directory(), root + "\\daten");
    EXPECT_EQ(zielwahl.DirView.Count(), 2);

    // Cancel gives Cancel; the tree is preset afresh each time.
    thenClick(zielwahl, TZielwahl::BtnCancel);
    EXPECT_EQ(zielwahl.Pick(temp.root()).modalResult, mrCancel);
    EXPECT_EQ(zielwahl.DirView.Directory(), root);
}

TEST_F(TargetDialog, TheTreeHasTheFocusAndEnterOpensRatherThanCloses)
{
    bool focused = false, opened = false;
    whenIdle([&] {
        focused = zielwahl.DirView.handle() == GetFocus();
        test::postKey(zielwahl.DirView.handle(), VK_RETURN);
        whenIdle([&] {
            opened = zielwahl.DirView.IsOpen(2);
            zielwahl.click(TZielwahl::BtnCancel);
        });
    });
    EXPECT_EQ(zielwahl.Pick(temp.root() + "daten").modalResult, mrCancel);
    EXPECT_TRUE(focused);
    EXPECT_TRUE(opened);
}

TEST_F(TargetDialog, DriveNotReadyIsRefusedAndOutlivesTheSelectorsReset)
{
    thenClick(zielwahl, TZielwahl::BtnOk);
    ASSERT_EQ(zielwahl.Pick(temp.root()).modalResult, mrOk);
    int changesBefore = changes;

    fault.driveNotReady("E:");
    ScriptedAnswerer answers;
    answers.then(mrOk, kNotReadyE);
    // No dialog: a test that showed one would wait for ever.
    EXPECT_EQ(zielwahl.Pick("e:\\daten").modalResult, mrNone);
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_EQ(zielwahl.DriveProbeResult(), 21);
    EXPECT_EQ(zielwahl.DriveComboBox.Drive(), root[0]) << "back to the tree's drive";
    EXPECT_EQ(zielwahl.DirView.Directory(), root) << "the tree as it was";
    EXPECT_EQ(changes, changesBefore);

    // Within the same showing, a later choice is not probed again.
    zielwahl.DriveComboBox.SetDrive('e');
    EXPECT_EQ(answers.asked().size(), 1u);
}

TEST_F(TargetDialog, APathOnTheShownDriveOpensWithoutAProbe)
{
    thenClick(zielwahl, TZielwahl::BtnOk);
    ASSERT_EQ(zielwahl.Pick(temp.root()).modalResult, mrOk);
    // A probe of this drive now would fail; the selector shows it already.
    fault.driveNotReady(root.substr(0, 2));
    thenClick(zielwahl, TZielwahl::BtnOk);
    EXPECT_EQ(zielwahl.Pick(temp.root() + "daten\\alt").modalResult, mrOk);
    EXPECT_EQ(zielwahl.DirView.Directory(), root + "\\daten\\alt");
}

TEST_F(TargetDialog, OtherProbeFailuresKeepTheDialogShutWithoutAMessage)
{
    thenClick(zielwahl, TZielwahl::BtnOk);
    ASSERT_EQ(zielwahl.Pick(temp.root()).modalResult, mrOk);
    fault.inject({test::FaultOp::list, "Y:\\", errPathNotFound});
    fault.inject({test::FaultOp::getAttributes, "Y:\\", errPathNotFound});
    EXPECT_EQ(zielwahl.Pick("y:\\").modalResult, mrNone);
    EXPECT_EQ(zielwahl.DriveProbeResult(), errPathNotFound);
}

TEST(DriveProbe, AReadyDriveWithAnEmptyRootCountsAsReady)
{
    Win32FileSystem real;
    EXPECT_EQ(ProbeDrive(real, 'c'), 0);
    // A new, empty medium: its root lists nothing, yet it is there.
    for (uint32_t empty : {18u, uint32_t(errFileNotFound)}) {
        FaultFileSystem fs(real);
        fs.inject({test::FaultOp::list, "C:\\", empty, 0, -1, true});
        EXPECT_EQ(ProbeDrive(fs, 'c'), 0) << empty;
    }
    FaultFileSystem fs(real);
    fs.driveNotReady("Q:");
    EXPECT_EQ(ProbeDrive(fs, 'q'), 21);
    // A letter without a drive.
    EXPECT_NE(ProbeDrive(real, 'w'), 0);
}

TEST_F(TargetDialog, NewDirectoryBecomesATopLevelEntryAndTheChoice)
{
    std::string shownDirectory;
    bool editFocused = false;
    int before = 0;
    // The target dialog's idle action opens the create dialog, whose own
    // modal loop runs the next one; OK in the target dialog comes after.
    whenIdle([&] {
        whenIdle([&] {
            shownDirectory = Window(mdForm.control(TmdForm::LbDir)).text();
            editFocused = mdForm.edit().focused();
            mdForm.edit().setText("  neu  ");
            mdForm.click(TmdForm::BtnErstellen);
        });
        before = changes;
        zielwahl.click(TZielwahl::BtnVerzeichnisAnlegen);
        zielwahl.click(TZielwahl::BtnOk);
    });
    EXPECT_EQ(zielwahl.Pick(temp.root() + "daten").modalResult, mrOk);
    EXPECT_EQ(shownDirectory, root + "\\daten");
    EXPECT_TRUE(editFocused);
    EXPECT_TRUE(test::IsDirectory(temp.path("daten\\neu")));
    EXPECT_EQ(mdForm.directory(), root + "\\daten\\neu");
    EXPECT_EQ(zielwahl.DirView.Count(), 3);
    EXPECT_EQ(zielwahl.DirView.Text(3), root + "\\daten\\neu");
    EXPECT_EQ(zielwahl.DirView.Directory(), root + "\\daten\\neu");
    EXPECT_EQ(zielwahl.DirView.SelectedIndex(), 2) << "the highlight stays";
    EXPECT_EQ(changes, before + 1);
}

TEST_F(TargetDialog, CreateDialogComposesCreatesAndReports)
{
    mdForm.setDirectory(root);
    auto create = [&](const std::string& typed) {
        mdForm.edit().setText(typed);
        mdForm.BtnErstellenClick();
        return mdForm.modalResult();
    };

    // A plain name goes into the dialog's directory.
    EXPECT_EQ(create("neu"), mrOk);
    EXPECT_EQ(mdForm.directory(), root + "\\neu");
    EXPECT_TRUE(test::IsDirectory(temp.path("neu")));

    // A path is used as it is, every missing level made.
    std::string deep = temp.root() + "daten\\neu\\alt\\tief";
    EXPECT_EQ(create(deep), mrOk);
    EXPECT_EQ(mdForm.directory(), deep);
    EXPECT_TRUE(test::IsDirectory(deep));

    // One that exists already is fine.
    EXPECT_EQ(create(deep), mrOk);

    // Blank: nothing happens, the dialog stays.
    mdForm.setModalResult(mrOk);
    EXPECT_EQ(create("   "), mrNone);
    EXPECT_EQ(mdForm.directory(), deep);

    // A failure is reported with the name as composed; the text stays as typed.
    ScriptedAnswerer answers;
    answers.then(mrOk, "Konnte Verzeichnis \"" + deep + "\\<Lw>\" nicht erstellen.\r\nFehlermeldung: " + ErrorText(82));
    EXPECT_EQ(create(" <Lw>"), mrNone);
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_EQ(mdForm.edit().text(), " <Lw>");

    fault.driveNotReady("Q:");
    answers.then(mrOk, "Konnte Verzeichnis \"Q:\\neu\" nicht erstellen.\r\nFehlermeldung: " + ErrorText(21));
    EXPECT_EQ(create("Q:\\neu"), mrNone);
    EXPECT_EQ(answers.pending(), 0u);
}

// The main window's default-target button, wired as program main does.
class StdZielButton : public TargetDialog {
protected:
    StdZielButton()
    {
        form.links.pickStdZiel = [this](const std::string& proposal) -> std::optional<std::string> {
            proposals.push_back(proposal);
            TZielwahl::Choice choice = zielwahl.Pick(proposal);
            if (!choice.chosen())
                return std::nullopt;
            return choice.directory;
        };
    }
    std::vector<std::string> items() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < form.stdZielBox().count(); ++i)
            out.push_back(form.stdZielBox().item(i));
        return out;
    }

    TmForm form;
    std::vector<std::string> proposals;
};

TEST_F(StdZielButton, TypedTargetIsCreatedOfferedAndTheChoiceTaken)
{
    std::string typed = temp.root() + "Ziel";
    form.stdZielBox().setText("  " + typed + "  ");
    whenIdle([&] {
        zielwahl.DirView.SetDirectory(temp.root() + "daten");
        zielwahl.click(TZielwahl::BtnOk);
    });
    form.BtnStdZielClick();
    EXPECT_TRUE(test::IsDirectory(typed)) << "created before the dialog opens";
    EXPECT_EQ(proposals, (std::vector<std::string>{typed}));
    EXPECT_EQ(items(), (std::vector<std::string>{typed, root + "\\daten"}));
    EXPECT_EQ(form.set().defaultTarget(), root + "\\daten");
    EXPECT_TRUE(form.set().modified);
}

TEST_F(StdZielButton, CancelKeepsTheTypedTargetAndTheModifiedFlag)
{
    std::string typed = temp.root() + "daten";
    form.stdZielBox().setText(typed);
    thenClick(zielwahl, TZielwahl::BtnCancel);
    form.BtnStdZielClick();
    EXPECT_EQ(items(), (std::vector<std::string>{typed}));
    EXPECT_EQ(form.set().defaultTarget(), typed);
    EXPECT_FALSE(form.set().modified);

    // Disabled, as during a run: nothing at all.
    form.SetStatus(false);
    form.stdZielBox().setText(temp.root() + "anders");
    form.BtnStdZielClick();
    EXPECT_EQ(proposals.size(), 1u);
    form.SetStatus(true);
}

TEST_F(StdZielButton, ADriveThatIsNotReadyKeepsTheDialogShut)
{
    thenClick(zielwahl, TZielwahl::BtnOk);
    ASSERT_EQ(zielwahl.Pick(temp.root()).modalResult, mrOk);
    // E: does not exist here, so the box's own check fails first.
    fault.driveNotReady("E:");
    form.stdZielBox().setText("E:\\Sicherung");
    ScriptedAnswerer answers;
    answers.then(mrOk, "Konnte Verzeichnis \"E:\\Sicherung\" nicht anlegen");
    answers.then(mrOk, kNotReadyE);
    form.BtnStdZielClick();
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_EQ(form.set().defaultTarget(), "E:\\Sicherung") << "the typed path stays selected";
    EXPECT_FALSE(form.set().modified);
    EXPECT_EQ(zielwahl.DriveProbeResult(), 21);
}

// The inputs that show no caption of their own: each is named for screen
// readers by a label nobody sees, so the windows look as they did.
TEST_F(StdZielButton, InputsWithoutACaptionHaveAHiddenLabelForScreenReaders)
{
    TDirWahl dirWahl(real);
    const std::pair<HWND, std::string> inputs[] = {
        {form.control(TmForm::StdZielBox), "Standardziel"},
        {dirWahl.control(TDirWahl::FilterComboBox), "Dateifilter"},
        {dirWahl.control(TDirWahl::DriveComboBox), "Laufwerk"},
        {dirWahl.control(TDirWahl::FileList), "Dateien"},
        {dirWahl.control(TDirWahl::ZielBox), "Ziel"},
        {zielwahl.control(TZielwahl::DriveComboBoxRow), "Laufwerk"},
    };
    for (const auto& [input, name] : inputs) {
        HWND label = test::readerLabel(input);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(Window(label).text(), name);
        EXPECT_FALSE(GetWindowLongW(label, GWL_STYLE) & WS_VISIBLE) << name;
    }
}

}  // namespace
}  // namespace tresorix
