// The source dialog and the new-filter dialog in-process, on real files:
// the filter selector, the file list and its counter, the change flags,
// new filters, and the target box's keys and target button.
#include "dialogs/DirWahl.h"

#include "dialogs/TargetBox.h"
#include "platform/Win32FileSystem.h"
#include "set/Text.h"
#include "support/FaultFileSystem.h"
#include "support/ScriptedAnswerer.h"
#include "support/win/TempTree.h"
#include "ui/DriveUi.h"
#include "ui/ProcessMessages.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tresorix {
namespace {

using test::postKey;
using test::ScriptedAnswerer;
using test::TempTree;
using test::whenIdle;

class SourceDialog : public ::testing::Test {
protected:
    SourceDialog()
    {
        dialog.filterForm = &filterForm;
        dialog.setStandardTarget("D:\\Standard");
        dialog.chooseTarget = [this](const std::string& proposal) {
            proposals.push_back(proposal);
            return chosen;
        };
    }

    // Fills the two fields of the new-filter dialog once it is up and
    // presses its button.
    void answerFilterForm(std::string description, std::string masks, bool ok = true)
    {
        whenIdle([=, this] {
            filterForm.setFields(description, masks);
            filterForm.click(ok ? TFilterForm::BtnErstellen : TFilterForm::BtnCancel);
        });
    }
    std::vector<std::string> descriptions() const
    {
        std::vector<std::string> out;
        ComboBox box(dialog.control(TDirWahl::FilterComboBox));
        for (int i = 0; i < box.count(); ++i)
            out.push_back(box.item(i));
        return out;
    }
    HWND zielEdit() const
    {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        GetComboBoxInfo(dialog.zielBox(), &info);
        return info.hwndItem;
    }

    Win32FileSystem fs;
    TDirWahl dialog{fs};
    TFilterForm filterForm;
    TempTree tree;
    std::optional<std::string> chosen;
    std::vector<std::string> proposals;
};

TEST_F(SourceDialog, PresetFiltersBecomeTheStoredListOrGiveWayToIt)
{
    EXPECT_EQ(dialog.programFilters(), kPresetFilters);
    ASSERT_EQ(dialog.filters().size(), 8u);
    EXPECT_EQ(dialog.filters()[6].description, "Programmdateien (*.EXE;*.COM)");
    EXPECT_EQ(dialog.filters()[6].masks, "*.exe;*.com");
    EXPECT_EQ(dialog.filterIndex(), 0);
    EXPECT_EQ(dialog.currentMask(), "*.*");

    std::string saved = "Bilder (*.bmp)|*.bmp|Alle|*.*";
    TDirWahl other(fs);
    other.setProgramFilters(saved);
    EXPECT_EQ(other.programFilters(), saved);
    EXPECT_EQ(other.filter(), saved);
    ASSERT_EQ(other.filters().size(), 2u);
    EXPECT_EQ(other.currentMask(), "*.bmp");
}

TEST_F(SourceDialog, TreeTakesItsPlaceInTheTabOrderAndItsHint)
{
    using R = TDirWahl;
    std::vector<HWND> expected;
    for (R::Row row : {R::FilterComboBox, R::DriveComboBox})
        expected.push_back(dialog.control(row));
    expected.push_back(dialog.dirView().handle());
    for (R::Row row : {R::BtnNeuerFilter, R::FileList, R::MitSubDirs, R::ZielBox, R::MitLw, R::PfadAnlegen, R::BtnOk,
                       R::BtnCancel, R::BtnZielWahl})
        expected.push_back(dialog.control(row));
    std::vector<HWND> order{expected.front()};
    while (order.size() < expected.size() + 1)
        order.push_back(GetNextDlgTabItem(dialog.handle(), order.back(), FALSE));
    EXPECT_EQ(order.back(), expected.front()) << "round trip";
    order.pop_back();
    EXPECT_EQ(order, expected);

    // The tree shows its hint although its place in the table is hidden.
    wchar_t text[200] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = dialog.handle();
    tool.uId = UINT_PTR(dialog.dirView().handle());
    tool.lpszText = text;
    dialog.hints().send(TTM_GETTEXTW, 200, LPARAM(&tool));
    EXPECT_EQ(Narrow(text), "öffnen und schließen Sie die Ordner durch einen Doppelklick");
    EXPECT_FALSE(dialog.style() & WS_SYSMENU);
}

TEST_F(SourceDialog, SettingTheFilterComparesWithoutCaseAndAppliesTheFirstMask)
{
    for (const char* name : {"a.txt", "b.TXT", "c.doc"})
        tree.write(name, "x");
    dialog.showDirectory(tree.root());
    dialog.chooseFilter(2);  // Dokumente
    EXPECT_EQ(dialog.fileList().names(), (std::vector<std::string>{"c.doc"}));

    dialog.SelectionChanged = false;
    dialog.setFilter(UpperCaseUmlaut(dialog.filter()));
    EXPECT_FALSE(dialog.SelectionChanged) << "the same list in other letters changes nothing";
    EXPECT_EQ(dialog.filterIndex(), 2);

    dialog.setFilter("Text|*.txt|Alles|*.*");
    EXPECT_TRUE(dialog.SelectionChanged);
    EXPECT_EQ(descriptions(), (std::vector<std::string>{"Text", "Alles"}));
    EXPECT_EQ(dialog.filterIndex(), 0);
    EXPECT_EQ(dialog.fileList().mask(), "*.txt");
    EXPECT_EQ(dialog.fileList().names(), (std::vector<std::string>{"a.txt", "b.TXT"}));

    // Nothing selected: the last filter is taken; no filters at all: "*.*".
    ComboBox(dialog.control(TDirWahl::FilterComboBox)).select(-1);
    EXPECT_EQ(dialog.currentMask(), "*.*");
    EXPECT_EQ(dialog.filterIndex(), 1);
    dialog.setFilter("nur eine Beschreibung");
    EXPECT_TRUE(dialog.filters().empty());
    EXPECT_EQ(dialog.currentMask(), "*.*");
}

TEST_F(SourceDialog, CounterFollowsTheFileList)
{
    tree.mkdir("leer");
    tree.write("eins\\a.txt", "x");
    tree.write("zwei\\a.txt", "x");
    tree.write("zwei\\b.txt", "x");
    for (int i = 0; i < 21; ++i)
        tree.write("viele\\f" + std::to_string(i) + ".dat", "x");
    tree.write("viele\\sub\\g.dat", "x");

    std::vector<std::string> counters;
    for (const char* dir : {"leer", "eins", "zwei", "viele"}) {
        dialog.showDirectory(tree.path(dir));
        counters.push_back(dialog.fileCounter());
        EXPECT_EQ(ListView(dialog.control(TDirWahl::FileList)).count(), int(dialog.fileList().count()));
    }
    EXPECT_EQ(counters, (std::vector<std::string>{"0 Dateien", "1 Datei", "2 Dateien", "21 Dateien"}));
}

TEST_F(SourceDialog, ChangeFlagsFollowTheUser)
{
    tree.write("a.txt", "x");
    tree.mkdir("sub");
    dialog.showDirectory(tree.root());

    dialog.SelectionChanged = false;
    dialog.IgnoreNextChange = true;
    dialog.showDirectory(tree.path("sub"));
    EXPECT_FALSE(dialog.SelectionChanged) << "the first change after presetting is swallowed";
    EXPECT_FALSE(dialog.IgnoreNextChange);
    dialog.chooseFilter(1);
    EXPECT_TRUE(dialog.SelectionChanged);

    // A click on a file counts whatever IgnoreNextChange says, and leaves it.
    dialog.showDirectory(tree.root());
    dialog.SelectionChanged = false;
    dialog.IgnoreNextChange = true;
    dialog.chooseFilter(0);
    dialog.IgnoreNextChange = true;
    dialog.clickFile(0);
    EXPECT_TRUE(dialog.SelectionChanged);
    EXPECT_TRUE(dialog.IgnoreNextChange);
    EXPECT_EQ(dialog.selectedFile(), "a.txt");
    EXPECT_EQ(ListView(dialog.control(TDirWahl::FileList)).selected(), 0);
}

TEST_F(SourceDialog, ClicksInTheFileListSelectAndDoubleClickCloses)
{
    tree.write("a.txt", "x");
    tree.write("b.txt", "x");
    dialog.showDirectory(tree.root());
    dialog.SelectionChanged = false;
    uint16_t result = mrNone;
    whenIdle([&] {
        ListView list(dialog.control(TDirWahl::FileList));
        RECT item{};
        item.left = LVIR_LABEL;
        list.send(LVM_GETITEMRECT, 1, LPARAM(&item));
        LPARAM at = MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2);
        list.post(WM_LBUTTONDOWN, MK_LBUTTON, at);
        list.post(WM_LBUTTONUP, 0, at);
        list.post(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        list.post(WM_LBUTTONUP, 0, at);
    });
    result = dialog.showDialog();
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(dialog.selectedFile(), "b.txt");
    EXPECT_TRUE(dialog.SelectionChanged);

    // The arrow keys pick a file as a click does.
    dialog.chooseFilter(1);
    ASSERT_EQ(dialog.selectedFile(), "") << "a new reading selects nothing";
    dialog.SelectionChanged = false;
    whenIdle([&] {
        ListView list(dialog.control(TDirWahl::FileList));
        list.focus();
        postKey(list, VK_UP);
        whenIdle([&] { dialog.click(TDirWahl::BtnCancel); });
    });
    dialog.showDialog();
    EXPECT_EQ(dialog.selectedFile(), "a.txt");
    EXPECT_TRUE(dialog.SelectionChanged);
}

TEST_F(SourceDialog, NewFilterGoesFirstInTheSelectorAndLastInTheStoredList)
{
    tree.write("a.bmp", "x");
    tree.write("b.gif", "x");
    tree.write("c.txt", "x");
    dialog.showDirectory(tree.root());
    std::string before = dialog.programFilters();

    answerFilterForm("  Bilder ", " *.bmp;*.gif; ");
    dialog.BtnNeuerFilterClick();
    EXPECT_EQ(descriptions().front(), "Bilder (*.bmp;*.gif)");
    EXPECT_EQ(dialog.filterIndex(), 0);
    EXPECT_EQ(dialog.fileList().names(), (std::vector<std::string>{"a.bmp", "b.gif"}));
    EXPECT_EQ(dialog.programFilters(), before + "|Bilder (*.bmp;*.gif)|*.bmp;*.gif");

    // Empty masks or Cancel add nothing.
    before = dialog.programFilters();
    size_t count = dialog.filters().size();
    answerFilterForm("Leer", ";");
    dialog.BtnNeuerFilterClick();
    answerFilterForm("Abbruch", "*.x", false);
    dialog.BtnNeuerFilterClick();
    EXPECT_EQ(dialog.programFilters(), before);
    EXPECT_EQ(dialog.filters().size(), count);
}

TEST_F(SourceDialog, FilterFormRefusesTheSeparatorAndStaysOpen)
{
    ScriptedAnswerer answers;
    answers.then(mrOk, "Das Zeichen \"|\" darf");
    whenIdle([&] {
        filterForm.setFields("A|B", "*.a");
        filterForm.click(TFilterForm::BtnErstellen);
        // Still open: the message came and the button did not close it.
        EXPECT_TRUE(filterForm.visible());
        EXPECT_EQ(GetFocus(), filterForm.control(TFilterForm::edBeschreibung));
        filterForm.setFields("AB", "*.a");
        filterForm.click(TFilterForm::BtnErstellen);
    });
    EXPECT_EQ(filterForm.showEmpty(), mrOk);
    EXPECT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(answers.pending(), 0u);
    // The fields are empty at the next showing.
    whenIdle([&] {
        EXPECT_EQ(filterForm.description(), "");
        EXPECT_EQ(filterForm.masks(), "");
        EXPECT_EQ(GetFocus(), filterForm.control(TFilterForm::edBeschreibung));
        filterForm.click(TFilterForm::BtnCancel);
    });
    EXPECT_EQ(filterForm.showEmpty(), mrCancel);
}

TEST_F(SourceDialog, EnterInTheTargetBoxCommitsAndMovesToOk)
{
    bool stillOpenAfterFirstEnter = false;
    whenIdle([&] {
        dialog.zielBox().focus();
        EXPECT_FALSE(dialog.okIsDefault());
        Window(zielEdit()).setText("  E:\\Neu  ");
        postKey(zielEdit(), VK_RETURN);
        whenIdle([&] {
            stillOpenAfterFirstEnter = dialog.visible();
            EXPECT_EQ(GetFocus(), dialog.control(TDirWahl::BtnOk));
            EXPECT_TRUE(dialog.okIsDefault());
            postKey(dialog.control(TDirWahl::BtnOk), VK_RETURN);
        });
    });
    EXPECT_EQ(dialog.showDialog(), mrOk);
    EXPECT_TRUE(stillOpenAfterFirstEnter);
    EXPECT_EQ(SelectedTarget(dialog.zielBox()), "E:\\Neu");
}

TEST_F(SourceDialog, OkTakesATypedTargetIntoTheBox)
{
    whenIdle([&] {
        dialog.zielBox().focus();
        Window(zielEdit()).setText("F:\\Getippt");
        dialog.click(TDirWahl::BtnOk);
    });
    EXPECT_EQ(dialog.showDialog(), mrOk);
    EXPECT_EQ(SelectedTarget(dialog.zielBox()), "F:\\Getippt");
}

TEST_F(SourceDialog, TargetButtonProposesTheDefaultTargetAndRestoresTheTypedText)
{
    std::string target = tree.path("std");
    dialog.setStandardTarget(target);
    AddTargetToBox(dialog.zielBox(), "<Standardziel>", false);

    dialog.BtnZielWahlClick();
    EXPECT_EQ(proposals, (std::vector<std::string>{target}));
    EXPECT_TRUE(test::IsDirectory(target)) << "the proposal is created before the dialog opens";
    EXPECT_EQ(SelectedTarget(dialog.zielBox()), "<Standardziel>") << "Cancel gives back what was typed";
    EXPECT_EQ(dialog.zielBox().find(target), 1) << "the proposal stays in the history";

    chosen = "g:\\gewaehlt";
    dialog.zielBox().setText("<Standardziel><Quellpfad>");
    dialog.BtnZielWahlClick();
    EXPECT_EQ(proposals.back(), target);
    EXPECT_EQ(SelectedTarget(dialog.zielBox()), "g:\\gewaehlt");

    // Nothing selected and nothing typed: the box falls back to C:\BACKUP.
    dialog.zielBox().clear();
    dialog.zielBox().setText("");
    chosen.reset();
    dialog.BtnZielWahlClick();
    EXPECT_EQ(proposals.back(), "C:\\BACKUP");
}

// The list never offers the files of a directory other than the tree's, and
// the tree never keeps a directory that is gone.
TEST(SourceDialogListing, AFailedListingEmptiesTheListAndAMissingDirectoryGivesWayToWhatIsLeft)
{
    Win32FileSystem real;
    test::FaultFileSystem fs(real);
    TempTree tree;
    tree.write("eins\\a.txt", "x");
    tree.write("eins\\b.txt", "x");
    tree.mkdir("gesperrt");
    tree.mkdir("weg\\tief");
    fs.inject({test::FaultOp::list, "\\gesperrt\\", errAccessDenied});
    TDirWahl dialog(fs);
    EXPECT_GT(dialog.driveComboBox().count(), 0) << "the drives are listed from the start";
    ScriptedAnswerer answers;

    dialog.showDirectory(tree.path("eins"));
    dialog.clickFile(1);
    ASSERT_EQ(dialog.fileCounter(), "2 Dateien");
    dialog.showDirectory(tree.path("gesperrt"));
    EXPECT_EQ(dialog.fileCounter(), "0 Dateien");
    EXPECT_EQ(dialog.selectedFile(), "");
    EXPECT_EQ(ListView(dialog.control(TDirWahl::FileList)).count(), 0);

    // Deleted since the dialog last showed it: opened on its parent, quietly.
    dialog.showDirectory(tree.path("weg\\tief"));
    // The tree keeps the process in the directory it shows, which holds it.
    SetCurrentDirectoryW(Widen(tree.root()).c_str());
    test::RemoveTree(tree.path("weg"));
    ASSERT_FALSE(test::Exists(tree.path("weg")));
    std::string shown;
    whenIdle([&] {
        shown = dialog.directory();
        dialog.click(TDirWahl::BtnCancel);
    });
    dialog.showDialog();
    std::string root = LowerCaseName(tree.root());
    root.pop_back();
    EXPECT_EQ(shown, root);
    EXPECT_EQ(answers.asked().size(), 0u);
}

TEST_F(SourceDialog, AClickOnBlankSpaceInTheFileListKeepsThePickedFile)
{
    tree.write("a.txt", "x");
    tree.write("b.txt", "x");
    dialog.showDirectory(tree.root());
    dialog.clickFile(1);
    dialog.SelectionChanged = false;
    whenIdle([&] {
        ListView list(dialog.control(TDirWahl::FileList));
        RECT client = list.clientRect();
        for (UINT down : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
            LPARAM at = MAKELPARAM(client.right / 2, client.bottom - 4);
            list.post(down, down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, at);
            list.post(down + 1, 0, at);
        }
        whenIdle([&] { dialog.click(TDirWahl::BtnCancel); });
    });
    dialog.showDialog();
    EXPECT_EQ(dialog.selectedFile(), "b.txt");
    EXPECT_EQ(ListView(dialog.control(TDirWahl::FileList)).selected(), 1);
    EXPECT_FALSE(dialog.SelectionChanged);
}

// Longer than any fixed buffer: the tree gives the path back whole.
TEST_F(SourceDialog, ALongSourcePathComesBackWhole)
{
    std::string relative;
    for (char c : {'a', 'b', 'c', 'd', 'e', 'f'})
        relative += std::string(200, c) + "\\";
    relative.pop_back();
    tree.mkdir(relative);
    std::string path = tree.path(relative);
    ASSERT_GT(path.size(), 1200u);
    ScriptedAnswerer answers;
    dialog.presetSource(path, "*.*");
    EXPECT_EQ(dialog.directory(), LowerCaseName(path));
}

TEST(SourceDialogDrives, ADriveThatIsNotReadyIsRefusedAndTheTreeStays)
{
    Win32FileSystem real;
    test::FaultFileSystem fs(real);
    fs.driveNotReady("Q:");
    // An empty medium: its root lists nothing.
    fs.inject({test::FaultOp::list, "Z:\\", 18, 0, -1, true});
    TDirWahl dialog(fs);
    TempTree tree;
    tree.write("a.txt", "x");
    dialog.showDirectory(tree.root());
    char drive = dialog.dirView().Drive();
    std::string directory = dialog.directory();
    ASSERT_NE(drive, 0);

    ScriptedAnswerer answers;
    answers.then(mrOk, "Laufwerk Q: ist nicht bereit.");
    dialog.driveComboBox().SetDrive('q');
    EXPECT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(answers.asked().front().text, "Laufwerk Q: ist nicht bereit.");
    EXPECT_EQ(dialog.driveComboBox().Drive(), drive) << "the selector goes back to the tree's drive";
    EXPECT_EQ(dialog.DriveProbeResult(), 0) << "the probe of the drive gone back to";
    EXPECT_EQ(dialog.dirView().Drive(), drive);
    EXPECT_EQ(dialog.directory(), directory);
    EXPECT_EQ(dialog.fileCounter(), "1 Datei");

    // Ready, though its root lists nothing: the tree goes there.
    dialog.driveComboBox().SetDrive('z');
    EXPECT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(dialog.dirView().Drive(), 'z');
    EXPECT_EQ(dialog.directory(), "z:\\");

    // A letter no drive has: another probe failure, taken without a message.
    dialog.driveComboBox().SetDrive('p');
    EXPECT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(dialog.dirView().Drive(), 'p');
    EXPECT_EQ(dialog.fileCounter(), "0 Dateien");
}

}  // namespace
}  // namespace tresorix
