#include "mainwindow/EditEntry.h"

#include "dialogs/DirWahl.h"
#include "mainwindow/MainForm.h"
#include "ui/Prompts.h"

namespace tresorix {

void EditEntry(TmForm& form, TDirWahl& dialog, bool newEntry)
{
    const BackupSet& set = form.set();
    SourceDialogInput input;
    input.filterList = set.filterList;
    input.targets = set.targets;
    input.standardTarget = set.defaultTarget();

    int current = form.item<ListView>(TmForm::Liste).selected();
    if (newEntry) {
        input.caption = " neuen Eintrag anlegen";
    } else {
        if (current < 0) {
            ShowInfo(kNoEntrySelected);
            return;
        }
        input.entry = set.entries.at(size_t(current));
        input.caption = " Eintrag bearbeiten";
    }

    SourceDialogResult result = dialog.edit(input);
    form.setFilterList(result.filterList);
    if (!result.ok)
        return;
    if (newEntry)
        form.addEntry(result.entry);
    else
        form.setEntry(current, result.entry);
    form.SetModified(true);
    form.WriteStatusBar(1, 0, {});
}

}  // namespace tresorix
