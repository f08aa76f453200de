// Adding and editing entries through the real source dialog: the dialog is
// preset from the row, OK builds the row back, and the target text survives
// an edit without changes.
#include "mainwindow/EditEntry.h"

#include "dialogs/DirWahl.h"
#include "mainwindow/MainForm.h"
#include "dialogs/TargetBox.h"
#include "platform/Win32FileSystem.h"
#include "set/Text.h"
#include "support/ScriptedAnswerer.h"
#include "support/win/TempTree.h"
#include "ui/DriveUi.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tresorix {
namespace {

using test::ScriptedAnswerer;
using test::TempTree;
using test::whenIdle;

std::string lowerCase(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

class EntryEditing : public ::testing::Test {
protected:
    EntryEditing()
    {
        dialog.filterForm = &filterForm;
        form.links.editEntry = [this](bool newEntry) { EditEntry(form, dialog, newEntry); };
        source = lowerCase(tree.root());
        source.pop_back();
        tree.write("a.txt", "x");
        tree.write("b.doc", "x");
        tree.mkdir("sub");
    }

    // Runs an edit; `inDialog` acts in the shown dialog and then presses
    // OK, or Cancel when it returns false.
    void edit(bool newEntry, std::function<bool()> inDialog = [] { return true; })
    {
        whenIdle([this, inDialog] {
            shown = true;
            caption = dialog.text();
            bool ok = inDialog();
            dialog.click(ok ? TDirWahl::BtnOk : TDirWahl::BtnCancel);
        });
        form.ListeBearbeiten(newEntry);
    }
    BackupEntry row(int index) const
    {
        ListView list = form.item<ListView>(TmForm::Liste);
        return {list.itemText(index, 0), list.itemText(index, 1), list.itemText(index, 2), list.itemText(index, 3)};
    }

    TempTree tree;
    TmForm form;
    Win32FileSystem fs;
    TDirWahl dialog{fs};
    TFilterForm filterForm;
    std::string source;
    bool shown = false;
    std::string caption;
};

TEST_F(EntryEditing, NewEntryRightAfterStartTakesTheDesignState)
{
    form.addTarget("D:\\Alt");
    form.addTarget("D:\\Standard");
    dialog.showDirectory(source);
    std::vector<std::string> targets;
    edit(true, [&] {
        for (int i = 0; i < dialog.zielBox().count(); ++i)
            targets.push_back(dialog.zielBox().item(i));
        EXPECT_EQ(SelectedTarget(dialog.zielBox()), "<Standardziel>");
        EXPECT_TRUE(dialog.checked(TDirWahl::PfadAnlegen));
        EXPECT_FALSE(dialog.checked(TDirWahl::MitSubDirs));
        EXPECT_FALSE(dialog.checked(TDirWahl::MitLw));
        return true;
    });
    EXPECT_EQ(caption, " neuen Eintrag anlegen");
    EXPECT_EQ(targets, (std::vector<std::string>{"D:\\Alt", "D:\\Standard", "<Standardziel>"}));
    ASSERT_EQ(form.item<ListView>(TmForm::Liste).count(), 1);
    EXPECT_EQ(row(0), (BackupEntry{source, "", "*.*", "<Standardziel><Quellpfad>"}));
    EXPECT_EQ(form.item<ListView>(TmForm::Liste).selected(), -1) << "the new row is not selected";
    EXPECT_TRUE(form.set().modified);
    EXPECT_EQ(form.item<StatusBar>(TmForm::StatusBar).panelText(1), "1 Eintrag");
    EXPECT_EQ(SelectedTarget(form.stdZielBox()), "D:\\Standard") << "nothing flows back into the main box";
}

TEST_F(EntryEditing, NewEntryWithAFileTakesItsNameAndTheOptions)
{
    dialog.showDirectory(source);
    edit(true, [&] {
        dialog.clickFile(1);
        dialog.setChecked(TDirWahl::MitSubDirs, true);
        dialog.setChecked(TDirWahl::MitLw, true);
        dialog.setChecked(TDirWahl::PfadAnlegen, false);
        AddTargetToBox(dialog.zielBox(), "E:\\Ziel\\", false);
        return true;
    });
    EXPECT_EQ(row(0), (BackupEntry{source, " ja", "b.doc", "E:\\Ziel\\<Lw>"}));
    // The same entry twice gives two rows.
    edit(true);
    EXPECT_EQ(form.item<ListView>(TmForm::Liste).count(), 2);
}

TEST_F(EntryEditing, EveryTargetFormSurvivesAnEditWithoutChanges)
{
    const char* targets[] = {
        "<Standardziel>",           "<Standardziel><Lw>",           "<Standardziel><Quellpfad>",
        "<Standardziel><Lw><Quellpfad>", "C:\\BACKUP",              "C:\\BACKUP\\<Lw>",
        "C:\\BACKUP\\<Quellpfad>",  "C:\\BACKUP\\<Lw><Quellpfad>",  "C:\\<Quellpfad>",
        "C:\\",
    };
    for (const char* target : targets) {
        form.addEntry({source, " ja", "*.txt;*.doc", target});
        form.addEntry({source, "", "b.doc", target});
    }
    for (int i = 0; i < form.item<ListView>(TmForm::Liste).count(); ++i) {
        BackupEntry before = row(i);
        form.item<ListView>(TmForm::Liste).select(i);
        edit(false);
        EXPECT_EQ(row(i), before) << "row " << i;
    }
    EXPECT_EQ(caption, " Eintrag bearbeiten");
}

TEST_F(EntryEditing, AnEditNormalisesOnlyTheBackslashBeforeAPlaceholder)
{
    form.addEntry({source, "ja", "*.txt", "C:\\BACKUP<Quellpfad>"});
    form.addEntry({source, "", "*.txt", " C:\\BACKUP\\ "});
    form.item<ListView>(TmForm::Liste).select(0);
    edit(false);
    EXPECT_EQ(row(0), (BackupEntry{source, " ja", "*.txt", "C:\\BACKUP\\<Quellpfad>"}));
    form.item<ListView>(TmForm::Liste).select(1);
    edit(false);
    EXPECT_EQ(row(1).target, "C:\\BACKUP");
}

TEST_F(EntryEditing, EditPresetsTheDialogAndGivesTheFilterListBack)
{
    std::string filters = dialog.filter();
    form.addEntry({source, "", "b.doc", "D:\\Ziel\\<Lw>"});
    form.item<ListView>(TmForm::Liste).select(0);
    std::vector<std::string> files;
    std::string mask, first;
    edit(false, [&] {
        files = dialog.fileList().names();
        first = dialog.filters().front().description;
        mask = dialog.filters().back().masks;
        EXPECT_EQ(SelectedTarget(dialog.zielBox()), "D:\\Ziel");
        EXPECT_TRUE(dialog.checked(TDirWahl::MitLw));
        EXPECT_FALSE(dialog.checked(TDirWahl::PfadAnlegen));
        EXPECT_FALSE(dialog.checked(TDirWahl::MitSubDirs));
        EXPECT_FALSE(dialog.SelectionChanged);
        return true;
    });
    EXPECT_EQ(files, (std::vector<std::string>{"b.doc"})) << "the list shows what the entry covers";
    EXPECT_EQ(first, "Alle Dateien (*.*)") << "a file name goes to the end of the selector";
    EXPECT_EQ(mask, "b.doc");
    EXPECT_EQ(row(0).masks, "b.doc");
    EXPECT_EQ(dialog.filter(), filters);

    // A matching filter moves to the front while the dialog is up, and only
    // then; Cancel changes nothing.
    form.addEntry({source, "", "*.doc", "<Standardziel>"});
    form.item<ListView>(TmForm::Liste).select(1);
    form.SetModified(false);
    edit(false, [&] {
        first = dialog.filters().front().description;
        return false;
    });
    EXPECT_EQ(first, "Dokumente (*.doc)");
    EXPECT_EQ(dialog.filter(), filters);
    EXPECT_FALSE(form.set().modified);
    EXPECT_EQ(row(1).target, "<Standardziel>");
}

TEST_F(EntryEditing, ChangesInTheDialogDecideTheFileColumn)
{
    form.addEntry({source, "", "*.doc", "<Standardziel>"});
    form.item<ListView>(TmForm::Liste).select(0);
    // Only an option changed: the file column stays.
    edit(false, [&] {
        dialog.setChecked(TDirWahl::MitLw, true);
        return true;
    });
    EXPECT_EQ(row(0).masks, "*.doc");
    EXPECT_EQ(row(0).target, "<Standardziel><Lw>");

    // Another filter picked (the entry's own is first now): its masks
    // replace the column.
    edit(false, [&] {
        EXPECT_EQ(dialog.filters()[2].masks, "*.txt");
        dialog.chooseFilter(2);
        return true;
    });
    EXPECT_EQ(row(0).masks, "*.txt");

    // Another directory: the entry's source follows it.
    edit(false, [&] {
        dialog.showDirectory(source + "\\sub");
        return true;
    });
    EXPECT_EQ(row(0).source, source + "\\sub");
}

// The set's filter list is the program's: an edit starts from it, and a
// filter added in the dialog joins it even when the edit is cancelled,
// while the selector goes back to the set's order.
TEST_F(EntryEditing, AFilterAddedInACancelledEditJoinsTheSetsList)
{
    form.setFilterList("Alle|*.*|Texte|*.txt");
    edit(true, [&] {
        EXPECT_EQ(dialog.filters().size(), 2u) << "the dialog shows the set's list";
        whenIdle([&] {
            filterForm.setFields("Bilder", "*.bmp");
            filterForm.click(TFilterForm::BtnErstellen);
        });
        dialog.BtnNeuerFilterClick();
        EXPECT_EQ(dialog.filters().front().masks, "*.bmp") << "new filters come first while the dialog is up";
        return false;
    });
    EXPECT_EQ(form.set().filterList, "Alle|*.*|Texte|*.txt|Bilder (*.bmp)|*.bmp");
    EXPECT_EQ(dialog.filter(), form.set().filterList);
    EXPECT_EQ(form.item<ListView>(TmForm::Liste).count(), 0);
}

TEST_F(EntryEditing, EditWithoutASelectedRowSaysSo)
{
    form.addEntry({source, "", "*.doc", "<Standardziel>"});
    std::string filters = dialog.filter();
    ScriptedAnswerer answers;
    answers.then(mrOk, kNoEntrySelected);
    form.ListeBearbeiten(false);
    EXPECT_EQ(answers.asked().size(), 1u);
    EXPECT_FALSE(shown);
    EXPECT_FALSE(form.set().modified);
    EXPECT_EQ(dialog.filter(), filters);
}

}  // namespace
}  // namespace tresorix
