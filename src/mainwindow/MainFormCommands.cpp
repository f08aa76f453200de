// The main window's commands, its keyboard table, the save question and the
// close query.
#include "mainwindow/MainForm.h"

#include "dialogs/AusnahmenForm.h"
#include "dialogs/VersionenForm.h"

#include "engine/Format.h"
#include "ui/Prompts.h"
#include "platform/TextConv.h"
#include "set/CommandLine.h"
#include "set/Text.h"
#include "ui/ProcessMessages.h"

#include <commdlg.h>
#include <winnetwk.h>

#include <vector>

namespace tresorix {

namespace {

constexpr unsigned kKeyDelete = 46, kKeyInsert = 45, kKeyReturn = 13;
constexpr unsigned kKeyNumMinus = 109, kKeyNumPlus = 107;

}  // namespace

MainCommand KeyCommand(unsigned key, unsigned shift)
{
    bool ctrl = shift & ssCtrl, alt = shift & ssAlt;
    if (alt && key == 'X')
        return MainCommand::ende;
    if (ctrl) {
        switch (key) {
        case 'B': return MainCommand::bearbeiten;
        case 'D': return MainCommand::start;
        case 'I': return MainCommand::info;
        case 'O': return MainCommand::fileOpen;
        case 'S': return MainCommand::fileSave;
        case 'T': return MainCommand::disconnect;
        case 'U': return MainCommand::fileSaveAs;
        case 'V': return MainCommand::connect;
        case kKeyDelete: return MainCommand::allesLoeschen;
        }
        return MainCommand::none;
    }
    if (key == kKeyDelete || key == kKeyNumMinus)
        return MainCommand::entfernen;
    if (key == kKeyInsert || key == kKeyNumPlus)
        return MainCommand::neu;
    if (alt && key == kKeyReturn)
        return MainCommand::bearbeiten;
    return MainCommand::none;
}

void TmForm::FormKeyDown(unsigned key, unsigned shift)
{
    runCommand(KeyCommand(key, shift));
}

void TmForm::runCommand(MainCommand command)
{
    switch (command) {
    case MainCommand::none: break;
    case MainCommand::ende: BtnEndeClick(); break;
    case MainCommand::bearbeiten: ListeBearbeiten(false); break;
    case MainCommand::start: BtnStartClick(); break;
    case MainCommand::info: BtnInfoClick(); break;
    case MainCommand::fileOpen: BtnFileOpenClick(); break;
    case MainCommand::fileSave: BtnFileSaveClick(); break;
    case MainCommand::disconnect: BtnDisconnectClick(); break;
    case MainCommand::fileSaveAs: BtnFileSaveAsClick(); break;
    case MainCommand::connect: BtnConnectClick(); break;
    case MainCommand::allesLoeschen: BtnAllesLoeschenClick(); break;
    case MainCommand::entfernen: BtnEntfernenClick(); break;
    case MainCommand::neu: ListeBearbeiten(true); break;
    }
}

SaveAnswer TmForm::AskSave()
{
    // After an unattended run the question would wait for ever; unasked,
    // the set file stays as it is on disk, with whatever its load left out.
    if (!set_.modified || set_.entries.empty() || closingUnattended_)
        return SaveAnswer::notAsked;
    ButtonResult answer = AskConfirm(
        "Die aktuellen Einträge wurden noch nicht gespeichert.\r\nSollen sie jetzt gespeichert werden ?",
        btnYes | btnNo | btnCancel);
    // Saved also while a run has the save button disabled: the user said
    // Yes, and the run works on its own copy of the entries. A write that
    // failed keeps the window and the set as they are, like Cancel.
    if (answer == mrYes)
        return saveSet() == SaveOutcome::failed ? SaveAnswer::cancelled : SaveAnswer::saveChosen;
    return answer == mrCancel ? SaveAnswer::cancelled : SaveAnswer::discardChosen;
}

SaveOutcome TmForm::saveSet()
{
    if (set_.fileName.empty() || IsNonameFile(set_.fileName))
        return saveSetAs();
    return SaveSetFile(set_.fileName);
}

SaveOutcome TmForm::saveSetAs()
{
    std::optional<std::string> file = setFileDialog(true);
    if (!file)
        return SaveOutcome::dialogCancelled;
    ProcessMessages();
    return SaveSetFile(*file);
}

void TmForm::BtnFileOpenClick()
{
    if (!isEnabled(BtnFileOpen))
        return;
    std::optional<std::string> file = setFileDialog(false);
    if (!file)
        return;
    ProcessMessages();
    LoadSetFile(*file);
}

void TmForm::BtnFileSaveClick()
{
    if (!isEnabled(BtnFileSave))
        return;
    if (set_.fileName.empty() || IsNonameFile(set_.fileName))
        BtnFileSaveAsClick();
    else
        SaveSetFile(set_.fileName);
}

void TmForm::BtnFileSaveAsClick()
{
    if (!isEnabled(BtnFileSaveAs))
        return;
    saveSetAs();
}

std::optional<std::string> TmForm::setFileDialog(bool save)
{
    if (links.chooseSetFile)
        return links.chooseSetFile(save);
    return std::nullopt;
}

void TmForm::ListeBearbeiten(bool newEntry)
{
    if (!isEnabled(BtnNeu) || !isEnabled(BtnBearbeiten))
        return;
    liste().focus();
    if (links.editEntry)
        links.editEntry(newEntry);
}

void TmForm::BtnEntfernenClick()
{
    if (!isEnabled(BtnEntfernen) || currentEntry_ < 0 || size_t(currentEntry_) >= set_.entries.size())
        return;
    const BackupEntry& entry = set_.entries[size_t(currentEntry_)];
    std::string text = "Eintrag  \"" + AddBackslash(entry.source) + entry.masks + "\"  aus der Liste entfernen ?";
    if (AskConfirm(text, btnOK | btnCancel) != mrOk)
        return;
    ListView list = liste();
    set_.removeEntry(currentEntry_);
    list.remove(currentEntry_);
    currentEntry_ = list.selected();
    SetModified(true);
    WriteStatusBar(1, 0, {});
}

void TmForm::BtnAllesLoeschenClick()
{
    if (!isEnabled(BtnAllesLoeschen) || set_.entries.empty())
        return;
    if (AskConfirm("Alle aktuellen Einträge aus der Liste entfernen ?", btnOK | btnCancel) != mrOk)
        return;
    ProcessMessages();
    if (AskSave() == SaveAnswer::cancelled)
        return;
    set_.entries.clear();
    ListView list = liste();
    list.setRedraw(false);
    list.clear();
    list.setRedraw(true);
    list.invalidate();
    currentEntry_ = -1;
    SetModified(false);
    WriteStatusBar(1, 0, {});
    set_.fileName = kNonameFile;
    setText(WindowTitle(set_.fileName, false));
}

void TmForm::BtnStartClick()
{
    if (!isEnabled(BtnStart))
        return;
    liste().focus();
    if (set_.entries.empty()) {
        nothingToRun("Bitte legen Sie zuerst einen Eintrag an.");
        return;
    }
    addTarget(stdZielBox().text());

    RunSettings& settings = runSettings_;
    settings = {};
    settings.entries = set_.entries;
    settings.stdZiel = set_.defaultTarget();
    settings.mode = set_.mode;
    settings.showSummary = run_.showsSummary(set_.autoClose);
    settings.setFile = recordedSetFile();
    settings.modeText = modeText();
    settings.exclusions = settings_.exclusions;
    settings.mirror = SetIsMirrored(settings_, settings.setFile);
    // The run reads showSummary only at its end; AutoSettingsClick keeps it
    // up to date meanwhile, as AutoClose can be ticked during the run.
    RunOutcome outcome = run_.start(settings);
    releaseEndSession();
    if (set_.autoClose && run_.closesAfter(outcome))
        closeAfterRun();
}

// A start that finds nothing to back up.
void TmForm::nothingToRun(const std::string& text)
{
    if (run_.nothingToRun(text, recordedSetFile(), modeText(), starting_) && set_.autoClose)
        closeAfterRun();
}

// The set file as the log names it: none while the set has no file yet.
std::string TmForm::recordedSetFile() const
{
    return IsNonameFile(set_.fileName) ? std::string() : set_.fileName;
}

std::string TmForm::modeText() const
{
    if (set_.mode == ConflictMode::none)
        return "(keiner)";
    std::string text;
    for (char c : item<Window>(Mode0 + int(set_.mode)).text())
        if (c != '&')
            text += c;
    TrimSpaces(text, true, true);
    return text;
}

void TmForm::BtnConnectClick()
{
    if (isEnabled(BtnConnect) && links.networkDialog)
        links.networkDialog(true);
}

void TmForm::BtnDisconnectClick()
{
    if (isEnabled(BtnDisconnect) && links.networkDialog)
        links.networkDialog(false);
}

void TmForm::BtnInfoClick()
{
    // No test of the button: Strg+I works during a run too.
    if (links.showInfo)
        links.showInfo();
}

void TmForm::BtnEndeClick()
{
    if (isEnabled(BtnEnde))
        closeWindow();
}

void TmForm::closeWindow()
{
    send(WM_CLOSE);
}

void TmForm::closeAfterRun()
{
    closingUnattended_ = run_.unattended();
    closeWindow();
    closingUnattended_ = false;
}

bool TmForm::FormCloseQuery()
{
    if (!isEnabled(BtnEnde) &&
        run_.askAboutRun("Die Datensicherung ist noch nicht abgeschlossen.\r\n"
                         "Soll das Programm dennoch beendet werden ?") != mrYes)
        return false;
    if (AskSave() == SaveAnswer::cancelled)
        return false;
    run_.state().cancel();
    return true;
}

// Windows asks before a logoff or shutdown. A running backup or entries
// not yet saved would be lost without a word: the session waits, and the
// system names the reason.
bool TmForm::FormQueryEndSession()
{
    const char* reason = nullptr;
    if (run_.running())
        reason = "Eine Datensicherung läuft.";
    else if (set_.modified && !set_.entries.empty())
        reason = "Ungespeicherte Einträge.";
    if (!reason) {
        ShutdownBlockReasonDestroy(handle());
        return true;
    }
    ShutdownBlockReasonCreate(handle(), Widen(reason).c_str());
    return false;
}

void TmForm::FormEndSession(bool ending)
{
    if (!ending) {
        releaseEndSession();
        return;
    }
    // What a close writes, and the run's record its end: the process may
    // be gone before either would happen otherwise. Nothing may wait for
    // the user now.
    run_.sessionEnds();
    FormClose();
    run_.endSession();
}

void TmForm::releaseEndSession()
{
    if (!run_.running() && !(set_.modified && !set_.entries.empty()))
        ShutdownBlockReasonDestroy(handle());
}

void TmForm::ListeChange()
{
    // During a run panel 1 belongs to the run's texts.
    if (!isEnabled(BtnEnde) || filling_)
        return;
    currentEntry_ = liste().selected();
    WriteStatusBar(1, 0, {});
}

// The system's dialogs, the defaults of the links.

std::optional<std::string> ShowSetFileDialog(HWND owner, const std::string& directory, bool save)
{
    std::wstring filter = Widen(kSetFileFilter);
    for (wchar_t& c : filter)
        if (c == L'|')
            c = L'\0';
    filter.push_back(L'\0');  // with the string's own: the double zero that ends the list
    std::vector<wchar_t> file(32768, L'\0');
    std::wstring initial = Widen(directory);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = DWORD(file.size());
    ofn.lpstrInitialDir = initial.c_str();
    // The dialog appends this after a dot: "tsi", not "*.tsi".
    ofn.lpstrDefExt = L"tsi";
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_ENABLESIZING;
    if (save)
        ofn.Flags |= OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT;
    else
        ofn.Flags |= OFN_FILEMUSTEXIST;
    BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen)
        return std::nullopt;
    return Narrow(file.data());
}

void ShowNetworkDialog(HWND owner, bool connect)
{
    // Both dialogs report their own errors; the result tells nothing more.
    if (connect)
        WNetConnectionDialog(owner, RESOURCETYPE_DISK);
    else
        WNetDisconnectDialog(owner, RESOURCETYPE_DISK);
}

void TmForm::addVersionsItem(HMENU systemMenu)
{
    versionsItemAdded_ = true;
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, kVersionsCommand, L"Ersetzte Dateien &aufbewahren \u2026");
    AppendMenuW(systemMenu, MF_STRING, kExclusionsCommand, L"&Ausnahmen \u2026");
}

void TmForm::keepReplacedFiles()
{
    TVersionenForm dialog;
    const std::string setFile = recordedSetFile();
    if (!setFile.empty())
        dialog.setMirror(SetIsMirrored(settings_, setFile));
    if (std::optional<int> days = dialog.Pick(run_.versionDays())) {
        settings_.versionDays = *days;
        run_.pickVersionDays(*days);
        if (std::optional<bool> mirror = dialog.mirror())
            SetMirrored(settings_, setFile, *mirror);
    }
}

void TmForm::editExclusions()
{
    TAusnahmenForm dialog;
    if (std::optional<std::string> list = dialog.Pick(settings_.exclusions))
        settings_.exclusions = *list;
}

}  // namespace tresorix
