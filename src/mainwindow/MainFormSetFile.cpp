// Saving and loading set files from the main window's controls.
#include "mainwindow/MainForm.h"

#include "engine/Format.h"
#include "ui/Prompts.h"
#include "mainwindow/TargetBox.h"
#include "set/FileIO.h"
#include "set/SetFile.h"
#include "set/Text.h"

namespace tresorix {

int TmForm::SaveSetFile(const std::string& name)
{
    // Takes a target still being typed into the box first.
    liste().focus();
    std::string full = QualifyFileName(name, programDir_);
    uint32_t code = ReplaceFileBytes(full, WriteSetFile(stdZiel(), mode(), entries()));
    int result = 2;
    if (code == 0) {
        fileName_ = full;
        setText(WindowTitle(fileName_, true));
        SetModified(false);
        result = 0;
    } else {
        // The old file is untouched (it is replaced only when the new one
        // is complete), but the set is not saved, and the user must know.
        AskInfo("Konnte Datei \"" + full + "\" nicht speichern.\r\nFehlerMeldung: " + ErrorText(uint16_t(code)),
                btnOK);
    }
    UpdateAutoRun();
    return result;
}

int TmForm::LoadSetFile(const std::string& name)
{
    if (AskSave() == mrCancel)
        return 0;
    std::string full = QualifyFileName(name, programDir_);
    if (!FileExists(full)) {
        if (IsNonameFile(full))
            return 0;
        tellAtStart("Datei nicht gefunden!\r\n" + full);
        return 2;
    }
    // The whole file first: a read error then changes nothing at all.
    std::string bytes;
    if (uint32_t error = ReadFileBytes(full, bytes); error != 0) {
        tellAtStart("Konnte Datei \"" + full + "\" nicht lesen.\r\nFehlermeldung: " + ErrorText(uint16_t(error)));
        return 2;
    }
    SetFileContent content = ReadSetFile(bytes);

    if (content.defaultTarget)
        AddTargetToBox(stdZielBox(), *content.defaultTarget, false);
    if (content.mode)
        setMode(*content.mode);

    ListView list = liste();
    bool replace = true;
    if (list.count() > 0)
        replace = AskConfirm("Aktuelle Einträge aus der Liste entfernen ?", btnYes | btnNo) == mrYes;

    // One status-bar update for the whole file, not one per row and column.
    filling_ = true;
    list.setRedraw(false);
    if (replace) {
        list.clear();
        currentEntry_ = -1;
    }
    for (const BackupEntry& entry : content.entries)
        addEntry(entry);
    list.setRedraw(true);
    list.invalidate();
    filling_ = false;

    if (replace)
        fileName_ = full;
    setText(WindowTitle(fileName_, true));
    SetModified(!replace);
    WriteStatusBar(0, 0, {});
    ListeChange();
    return 0;
}

}  // namespace tresorix
