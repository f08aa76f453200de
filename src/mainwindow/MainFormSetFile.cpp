// The backup set in the main window: the window shows it (the list, the
// status bar's count and modified flag), its handlers change it, and set
// files are saved from it and loaded into it.
#include "mainwindow/MainForm.h"

#include "engine/Format.h"
#include "ui/Prompts.h"
#include "dialogs/TargetBox.h"
#include "platform/Win32Files.h"
#include "set/CommandLine.h"
#include "set/FileIO.h"
#include "set/SetFile.h"
#include "set/Text.h"

namespace tresorix {

void TmForm::WriteStatusBar(int panel, uint64_t number, const std::string& text)
{
    auto bar = item<::tresorix::StatusBar>(StatusBar);
    switch (panel) {
    case 0:
        bar.setText(0, std::to_string(number) + " Dateien gesichert");
        break;
    case 1:
        if (!text.empty()) {
            bar.setText(1, text);
        } else {
            size_t n = set_.entries.size();
            bar.setText(1, n == 1 ? std::string("1 Eintrag") : std::to_string(n) + " Einträge");
        }
        break;
    case 2:
        bar.setText(2, set_.modified ? "Geändert" : "Nicht geändert");
        item<Window>(BtnFileSave).enable(set_.modified);
        break;
    }
}

void TmForm::SetModified(bool flag)
{
    set_.modified = flag;
    WriteStatusBar(2, 0, {});
    if (!flag)
        releaseEndSession();
    RemoveHklmRun(switches_);
}

void TmForm::setSaved(uint64_t files, uint64_t bytes)
{
    WriteStatusBar(0, files, {});
}

void TmForm::setStatusText(const std::string& text)
{
    WriteStatusBar(1, 0, text);
}

void TmForm::addTarget(const std::string& path, bool checkDirectory)
{
    const std::string tidy = TidyTarget(path);
    if (checkDirectory && !PrepareTargetDirectory(tidy, *files_))
        return;
    set_.addTarget(tidy);
    showTargets();
}

void TmForm::showTargets()
{
    ShowTargets(stdZielBox(), set_.targets, set_.selectedTarget);
}

void TmForm::addEntry(const BackupEntry& entry)
{
    // The set first: the list's insert notice counts the set's entries.
    set_.entries.push_back(entry);
    showEntries(set_.entries.size() - 1);
}

void TmForm::showEntries(size_t first)
{
    ListView list = liste();
    for (size_t i = first; i < set_.entries.size(); ++i) {
        const BackupEntry& entry = set_.entries[i];
        int row = list.insert(list.count(), entry.source);
        list.setItemText(row, 1, entry.subdirs);
        list.setItemText(row, 2, entry.masks);
        list.setItemText(row, 3, entry.target);
    }
}

void TmForm::setEntry(int index, const BackupEntry& entry)
{
    if (index < 0 || size_t(index) >= set_.entries.size())
        return;
    set_.entries[size_t(index)] = entry;
    ListView list = liste();
    list.setItemText(index, 0, entry.source);
    list.setItemText(index, 1, entry.subdirs);
    list.setItemText(index, 2, entry.masks);
    list.setItemText(index, 3, entry.target);
}

ConflictMode TmForm::checkedMode() const
{
    for (int i = 0; i < 4; ++i)
        if (item<RadioButton>(Mode0 + i).checked())
            return ConflictMode(i);
    return ConflictMode::none;
}

void TmForm::setMode(ConflictMode mode)
{
    set_.mode = mode;
    showMode();
}

void TmForm::showMode()
{
    // Only the radios that change; each costs round trips under Wine.
    for (int i = 0; i < 4; ++i) {
        RadioButton radio = item<RadioButton>(Mode0 + i);
        bool on = i == int(set_.mode);
        if (radio.checked() != on)
            radio.setCheckedAlone(on);
    }
}

void TmForm::showSwitches()
{
    item<CheckBox>(WinAutoLoad).setChecked(set_.winAutoLoad);
    item<CheckBox>(AutoStart).setChecked(set_.autoStart);
    item<CheckBox>(AutoClose).setChecked(set_.autoClose);
    item<Window>(AutoStart).enable(set_.winAutoLoad);
}

void TmForm::setChecked(Row row, bool on)
{
    CheckBox box = item<CheckBox>(row);
    if (box.checked() == on)
        return;
    box.setChecked(on);
    AutoSettingsClick();
}

void TmForm::BackUpModeClick()
{
    SetModified(true);
}

void TmForm::AutoSettingsClick()
{
    set_.winAutoLoad = checked(WinAutoLoad);
    set_.autoStart = checked(AutoStart);
    set_.autoClose = checked(AutoClose);
    SetModified(true);
    item<Window>(AutoStart).enable(set_.winAutoLoad);
    // Between runs this is overwritten by the next start.
    runSettings_.showSummary = run_.showsSummary(set_.autoClose);
}

const std::string& TmForm::setFileFolder()
{
    if (!setFileFolder_) {
        setFileFolder_ = programDir_;
        if (const std::string documents = DocumentsFolder(); !documents.empty() && !FolderTakesNewFiles(programDir_))
            setFileFolder_ = AddBackslash(documents);
    }
    return *setFileFolder_;
}

// The folder is asked for only for a bare name: a start with a full path
// on its command line probes no folder.
std::string TmForm::setFilePath(const std::string& name)
{
    const bool bare = name.find_first_of("\\:") == std::string::npos;
    return QualifyFileName(name, bare ? setFileFolder() : std::string());
}

SaveOutcome TmForm::SaveSetFile(const std::string& name)
{
    // Takes a target still being typed into the box first.
    liste().focus();
    std::string full = setFilePath(name);
    uint32_t code = ReplaceFileBytes(*files_, full, set_.setFileBytes());
    SaveOutcome result = SaveOutcome::failed;
    if (code == 0) {
        set_.fileName = full;
        setText(WindowTitle(set_.fileName, true));
        SetModified(false);
        result = SaveOutcome::saved;
    } else {
        // The old file is untouched (it is replaced only when the new one
        // is complete), but the set is not saved, and the user must know.
        AskInfo("Konnte Datei \"" + full + "\" nicht speichern.\r\nFehlerMeldung: " + ErrorText(uint16_t(code)),
                btnOK);
    }
    UpdateAutoRun();
    return result;
}

LoadOutcome TmForm::LoadSetFile(const std::string& name)
{
    if (AskSave() == SaveAnswer::cancelled)
        return LoadOutcome::cancelled;
    std::string full = setFilePath(name);
    if (!FileExists(*files_, full)) {
        if (IsNonameFile(full))
            return LoadOutcome::nonameMissing;
        tellAtStart("Datei nicht gefunden!\r\n" + full);
        return LoadOutcome::failed;
    }
    // The whole file first: a read error then changes nothing at all.
    std::string bytes;
    if (uint32_t error = ReadFileBytes(*files_, full, bytes); error != 0) {
        tellAtStart("Konnte Datei \"" + full + "\" nicht lesen.\r\nFehlermeldung: " + ErrorText(uint16_t(error)));
        return LoadOutcome::failed;
    }
    SetFileContent content = ReadSetFile(bytes);

    if (content.defaultTarget)
        addTarget(*content.defaultTarget);
    if (content.mode)
        setMode(ConflictMode(*content.mode));

    ListView list = liste();
    bool replace = true;
    if (!set_.entries.empty())
        replace = AskConfirm("Aktuelle Einträge aus der Liste entfernen ?", btnYes | btnNo) == mrYes;

    // One status-bar update for the whole file, not one per row and column.
    filling_ = true;
    list.setRedraw(false);
    size_t first = replace ? 0 : set_.entries.size();
    if (replace) {
        list.clear();
        currentEntry_ = -1;
    }
    set_.takeSetFile(content, replace, full);
    showEntries(first);
    list.setRedraw(true);
    list.invalidate();
    filling_ = false;

    setText(WindowTitle(set_.fileName, true));
    SetModified(set_.modified);
    WriteStatusBar(0, 0, {});
    ListeChange();
    // Said after the list shows what was loaded. Saving now would drop the
    // entries and lines for good, so the set counts as changed.
    if (std::string text = NotLoadedText(content, full); !text.empty())
        tellAtStart(text);
    return LoadOutcome::loaded;
}

}  // namespace tresorix
