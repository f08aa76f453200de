#include "mainwindow/EditEntry.h"

#include "dialogs/DirWahl.h"
#include "mainwindow/MainForm.h"
#include "dialogs/TargetBox.h"
#include "set/Text.h"
#include "ui/Prompts.h"

namespace tresorix {

namespace {

// Hands the program's filter list back to the dialog on every way out, so
// the selector never keeps the order an edit gave it.
class FilterListReturn {
public:
    FilterListReturn(TmForm& form, TDirWahl& dialog) : form_(form), dialog_(dialog) {}
    ~FilterListReturn() { dialog_.setFilter(form_.filterList()); }
    FilterListReturn(const FilterListReturn&) = delete;
    FilterListReturn& operator=(const FilterListReturn&) = delete;

private:
    TmForm& form_;
    TDirWahl& dialog_;
};

void presetFromEntry(TDirWahl& dialog, const BackupEntry& entry)
{
    dialog.presetSource(entry.source, entry.masks);
    AddTargetToBox(dialog.zielBox(), GetZielBasis(entry), false);
    dialog.setChecked(TDirWahl::PfadAnlegen, UsesQuellpfad(entry));
    dialog.setChecked(TDirWahl::MitSubDirs, HasSubdirs(entry.subdirs));
    dialog.setChecked(TDirWahl::MitLw, UsesLw(entry));
    dialog.SelectionChanged = false;
}

// The row's texts as the dialog now gives them; the file column only when
// the user changed the directory, the filter or the file.
void readBack(const TDirWahl& dialog, BackupEntry& entry)
{
    entry.source = dialog.directory();
    if (dialog.SelectionChanged) {
        std::string file = dialog.selectedFile();
        entry.masks = file.empty() ? dialog.currentMask() : file;
    }
    entry.target = MakeTargetText(SelectedTarget(dialog.zielBox()), dialog.checked(TDirWahl::MitLw),
                                  dialog.checked(TDirWahl::PfadAnlegen));
    entry.subdirs = SubdirText(dialog.checked(TDirWahl::MitSubDirs));
}

}  // namespace

void EditEntry(TmForm& form, TDirWahl& dialog, bool newEntry)
{
    form.filterList() = dialog.filter();
    FilterListReturn giveBack(form, dialog);

    ComboBox targets = dialog.zielBox();
    targets.clear();
    for (const std::string& target : form.set().targets)
        targets.add(target);
    AddTargetToBox(targets, std::string(kStdZiel), false);

    int current = form.item<ListView>(TmForm::Liste).selected();
    BackupEntry entry;
    if (newEntry) {
        dialog.SelectionChanged = true;
        dialog.setText(" neuen Eintrag anlegen");
    } else {
        if (current < 0) {
            ShowInfo(kNoEntrySelected);
            return;
        }
        entry = form.set().entries.at(size_t(current));
        presetFromEntry(dialog, entry);
        dialog.setText(" Eintrag bearbeiten");
    }

    dialog.IgnoreNextChange = true;
    if (dialog.showDialog() != mrOk)
        return;

    readBack(dialog, entry);
    if (newEntry)
        form.addEntry(entry);
    else
        form.setEntry(current, entry);
    form.SetModified(true);
    form.WriteStatusBar(1, 0, {});
}

}  // namespace tresorix
