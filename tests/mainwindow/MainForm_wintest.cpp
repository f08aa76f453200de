#include "mainwindow/MainForm.h"

#include "dialogs/ProgressWindow.h"

#include "set/SetFile.h"
#include "support/ScriptedAnswerer.h"
#include "support/win/TempTree.h"
#include "ui/DriveUi.h"
#include "ui/ProcessMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tresorix {
namespace {

using test::postKey;
using test::ScriptedAnswerer;
using test::TempTree;

const std::string kSaveQuestion = "Die aktuellen Einträge wurden noch nicht gespeichert.";
const std::string kRunningQuestion = "Die Datensicherung ist noch nicht abgeschlossen.";

class MainWindow : public ::testing::Test {
protected:
    MainWindow()
    {
        form.links.chooseSetFile = [this](bool save) {
            fileDialogs.push_back(save);
            return chosenFile;
        };
        form.links.networkDialog = [this](bool connect) { networkDialogs.push_back(connect); };
        form.links.openWebPage = [this](const std::string& address) { pages.push_back(address); };
        form.links.editEntry = [this](bool newEntry) { edits.push_back(newEntry); };
        form.links.showInfo = [this] { ++infos; };
        form.links.closed = [this] { ++closings; };
        form.show(true);
        SetForegroundWindow(form.handle());
        form.item<ListView>(TmForm::Liste).focus();
    }

    void add(int n)
    {
        for (int i = 0; i < n; ++i)
            form.addEntry({"C:\\Daten" + std::to_string(form.item<ListView>(TmForm::Liste).count()), " ja", "*.doc", "<Standardziel>"});
    }
    void select(int row)
    {
        form.item<ListView>(TmForm::Liste).select(row);
        ProcessMessages();
    }
    void pressWithCtrl(HWND target, UINT key)
    {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_CONTROL] = 0x80;
        SetKeyboardState(state);
        postKey(target, key);
        ProcessMessages();
        state[VK_CONTROL] = 0;
        SetKeyboardState(state);
    }
    HWND boxEdit() const
    {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        GetComboBoxInfo(form.stdZielBox(), &info);
        return info.hwndItem;
    }
    void mouseClick(HWND target)
    {
        RECT r = Window(target).rect();
        POINT p{(r.right - r.left) / 2, (r.bottom - r.top) / 2};
        ClientToScreen(target, &p);
        SetCursorPos(p.x, p.y);
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_MOUSE;
        in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, in, sizeof in[0]);
        ProcessMessages();
    }
    std::string writeSet(const std::string& name, const std::string& target, int mode,
                         const std::vector<BackupEntry>& entries)
    {
        std::string path = tree.path(name);
        tree.write(name, WriteSetFile(target, mode, entries));
        return path;
    }

    TempTree tree;
    TmForm form;
    std::optional<std::string> chosenFile;
    std::vector<bool> fileDialogs, networkDialogs, edits;
    std::vector<std::string> pages;
    int infos = 0, closings = 0;
};

TEST(MainFormKeys, TableRowsInTheirOrderAndKeysThatDoNothing)
{
    using C = MainCommand;
    struct Row {
        unsigned key, shift;
        MainCommand command;
    };
    const Row rows[] = {
        {'X', ssAlt, C::ende},
        {'X', ssAlt | ssCtrl, C::ende},  // Alt+X before every Strg row
        {'B', ssCtrl, C::bearbeiten},
        {'D', ssCtrl, C::start},
        {'I', ssCtrl | ssShift, C::info},  // Shift is never looked at
        {'O', ssCtrl, C::fileOpen},
        {'S', ssCtrl, C::fileSave},
        {'T', ssCtrl, C::disconnect},
        {'U', ssCtrl, C::fileSaveAs},
        {'V', ssCtrl, C::connect},
        {VK_DELETE, ssCtrl, C::allesLoeschen},
        {VK_DELETE, 0, C::entfernen},
        {VK_DELETE, ssAlt | ssShift, C::entfernen},
        {VK_SUBTRACT, 0, C::entfernen},
        {VK_INSERT, 0, C::neu},
        {VK_ADD, 0, C::neu},
        {VK_RETURN, ssAlt, C::bearbeiten},
        // Nothing:
        {VK_RETURN, 0, C::none},
        {VK_RETURN, ssAlt | ssCtrl, C::none},
        {VK_OEM_PLUS, 0, C::none},
        {VK_OEM_MINUS, 0, C::none},
        {VK_SUBTRACT, ssCtrl, C::none},
        {VK_INSERT, ssCtrl, C::none},
        {'X', 0, C::none},
        {'X', ssCtrl, C::none},
        {'B', 0, C::none},
        {'A', ssCtrl, C::none},
        {VK_ESCAPE, 0, C::none},
    };
    for (const Row& r : rows)
        EXPECT_EQ(KeyCommand(r.key, r.shift), r.command) << "key " << r.key << " shift " << r.shift;
}

TEST_F(MainWindow, KeysReachTheCommandsExceptWhileTypingATarget)
{
    add(2);
    select(1);
    HWND list = form.item<ListView>(TmForm::Liste);
    ScriptedAnswerer answers;
    answers.then(mrCancel, "Eintrag  \"C:\\Daten1\\*.doc\"  aus der Liste entfernen ?")
        .then(mrCancel, "Alle aktuellen Einträge");
    postKey(list, VK_SUBTRACT);
    ProcessMessages();
    postKey(list, VK_OEM_MINUS);
    postKey(list, VK_OEM_PLUS);
    postKey(list, VK_RETURN);
    postKey(list, VK_ADD);
    PostMessageW(list, WM_SYSKEYDOWN, VK_RETURN, LPARAM(1u << 29));
    ProcessMessages();
    pressWithCtrl(list, VK_DELETE);
    pressWithCtrl(list, 'U');
    EXPECT_EQ(edits, (std::vector<bool>{true, false}));
    EXPECT_EQ(fileDialogs, std::vector<bool>{true});
    EXPECT_EQ(form.item<ListView>(TmForm::Liste).count(), 2);

    // In the default-target box Entf edits the text, and no shortcut fires.
    HWND edit = boxEdit();
    SetFocus(edit);
    form.stdZielBox().setText("D:\\Ziel");
    postKey(edit, VK_HOME);
    postKey(edit, VK_DELETE);
    postKey(edit, VK_INSERT);
    ProcessMessages();
    EXPECT_EQ(form.stdZielBox().text(), ":\\Ziel");
    EXPECT_EQ(edits.size(), 2u);
    EXPECT_EQ(answers.asked().size(), 2u);
    EXPECT_EQ(form.item<StatusBar>(TmForm::StatusBar).panelText(2), "Geändert") << "every released key marks the set";

    // Leaving the box takes the typed target and hands the focus on.
    form.item<ListView>(TmForm::Liste).focus();
    ProcessMessages();
    EXPECT_EQ(form.set().defaultTarget(), ":\\Ziel");
    EXPECT_EQ(GetFocus(), form.control(TmForm::BtnStdZiel));
    postKey(GetFocus(), VK_INSERT);
    ProcessMessages();
    EXPECT_EQ(edits.size(), 3u) << "the preview is back";

    // Alt+X closes through the close query.
    answers.then(mrNo, kSaveQuestion);
    PostMessageW(list, WM_SYSKEYDOWN, 'X', LPARAM(1u << 29));
    ProcessMessages();
    EXPECT_EQ(closings, 1);
    EXPECT_FALSE(form.visible());
}

TEST_F(MainWindow, ToolbarButtonsLeaveTheFocusInTheTargetBox)
{
    SetFocus(boxEdit());
    form.stdZielBox().setText("E:\\Halb getippt");
    mouseClick(form.control(TmForm::BtnInfo));
    EXPECT_EQ(infos, 1);
    EXPECT_EQ(GetFocus(), boxEdit());
    EXPECT_EQ(form.stdZielBox().count(), 0) << "the edit is not over yet";

    // A disabled one does not react.
    form.SetStatus(false);
    mouseClick(form.control(TmForm::BtnNeu));
    EXPECT_TRUE(edits.empty());
}

TEST_F(MainWindow, TargetBoxEditEndsOnlyWithinTheWindow)
{
    HWND edit = boxEdit();
    SetFocus(edit);
    form.stdZielBox().setText("E:\\Halb");
    form.SetModified(false);

    // Another window taking the focus (a dialog, another program) does not
    // end the edit: nothing enters the history, nothing is marked.
    HWND other = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 20, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    SetFocus(other);
    ProcessMessages();
    EXPECT_EQ(form.stdZielBox().count(), 0);
    EXPECT_FALSE(form.set().modified);
    DestroyWindow(other);

    // Back in the box, Alt released there marks the set too.
    SetFocus(edit);
    PostMessageW(edit, WM_SYSKEYUP, VK_MENU, LPARAM(1u << 30 | 1u << 31));
    ProcessMessages();
    EXPECT_EQ(form.item<StatusBar>(TmForm::StatusBar).panelText(2), "Geändert");

    // Another control of the window ends it.
    form.item<ListView>(TmForm::Liste).focus();
    ProcessMessages();
    EXPECT_EQ(form.set().defaultTarget(), "E:\\Halb");
    EXPECT_EQ(GetFocus(), form.control(TmForm::BtnStdZiel));
}

TEST_F(MainWindow, AShortcutIsNoMnemonicAfterItsCommandRan)
{
    // Strg+D with the focus on a mode; Strg is let go during the run. The
    // D that goes on after the run must not select "&Datei überspringen".
    add(1);
    HWND radio = form.control(TmForm::Mode1);
    PushButton(radio).click();
    SetFocus(radio);
    form.SetModified(false);
    int runs = 0;
    form.run().backup = [&](const RunSettings&) {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_CONTROL] = 0;
        SetKeyboardState(state);
        ++runs;
        return RunOutcome::cancelled;
    };
    pressWithCtrl(radio, 'D');
    ProcessMessages();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(int(form.set().mode), 1);
    EXPECT_FALSE(form.set().modified);
}

TEST_F(MainWindow, SummaryIsDecidedWhenTheRunEnds)
{
    add(1);
    std::vector<bool> summaries;
    form.run().backup = [&](const RunSettings& settings) {
        PushButton(form.control(TmForm::AutoClose)).click();  // during the run
        summaries.push_back(settings.showSummary);
        return RunOutcome::cancelled;
    };
    form.BtnStartClick();
    form.BtnStartClick();
    EXPECT_EQ(summaries, (std::vector<bool>{false, true}));
}

TEST_F(MainWindow, StatusBarCountsEntriesAndShowsTheModifiedFlag)
{
    EXPECT_EQ(form.item<StatusBar>(TmForm::StatusBar).panelText(1), "0 Einträge");
    add(1);
    EXPECT_EQ(form.item<StatusBar>(TmForm::StatusBar).panelText(1), "1 Eintrag");
    add(1);
    EXPECT_EQ(form.item<StatusBar>(TmForm::StatusBar).panelText(1), "2 Einträge");

    form.WriteStatusBar(0, 0, {});
    EXPECT_EQ(form.item<StatusBar>(TmForm::StatusBar).panelText(0), "0 Dateien gesichert");
    form.setSaved(12, 4096);
    EXPECT_EQ(form.item<StatusBar>(TmForm::StatusBar).panelText(0), "12 Dateien gesichert");

    form.SetModified(true);
    EXPECT_EQ(form.item<StatusBar>(TmForm::StatusBar).panelText(2), "Geändert");
    EXPECT_TRUE(form.item<Window>(TmForm::BtnFileSave).enabled());
    form.SetModified(false);
    EXPECT_EQ(form.item<StatusBar>(TmForm::StatusBar).panelText(2), "Nicht geändert");
    EXPECT_FALSE(form.item<Window>(TmForm::BtnFileSave).enabled());

    // Locked for a run: the commands, not the check boxes; the run's text
    // stays in panel 1 while the list changes.
    form.SetStatus(false);
    for (auto row : {TmForm::BtnFileOpen, TmForm::BtnNeu, TmForm::BtnStart, TmForm::BtnEnde, TmForm::BtnStdZiel,
                     TmForm::StdZielBox, TmForm::Liste, TmForm::Mode2, TmForm::BackUpMode})
        EXPECT_FALSE(form.item<Window>(row).enabled()) << row;
    EXPECT_TRUE(form.item<Window>(TmForm::AutoClose).enabled());
    form.setStatusText("C:\\Daten\\a.doc");
    add(1);
    EXPECT_EQ(form.item<StatusBar>(TmForm::StatusBar).panelText(1), "C:\\Daten\\a.doc");
    // A check box clicked during the run makes Strg+S live again.
    PushButton(form.control(TmForm::AutoClose)).click();
    EXPECT_TRUE(form.item<Window>(TmForm::BtnFileSave).enabled());
    form.SetStatus(true);
    EXPECT_TRUE(form.item<Window>(TmForm::BtnFileSave).enabled());
    form.SetModified(false);
    form.SetStatus(true);
    EXPECT_FALSE(form.item<Window>(TmForm::BtnFileSave).enabled());
}

TEST_F(MainWindow, SaveFollowsTheModifiedFlagAndAsksForANameForNoname)
{
    add(1);
    std::string file = tree.path("set.tsi");
    form.setFileName(file);
    form.BtnFileSaveClick();  // not modified: dead
    EXPECT_FALSE(test::Exists(file));

    for (std::string name : {"NONAME.TSI", "C:\\x\\noname.tsi", ""}) {
        form.setFileName(name);
        form.SetModified(true);
        form.BtnFileSaveClick();
    }
    EXPECT_EQ(fileDialogs, (std::vector<bool>{true, true, true})) << "Save As, nothing written";

    chosenFile = file;
    form.setMode(ConflictMode(2));
    form.BtnFileSaveClick();
    SetFileContent saved = ReadSetFile(test::ReadAll(file));
    EXPECT_EQ(saved.entries, form.set().entries);
    EXPECT_EQ(saved.mode, 2);
    EXPECT_EQ(form.set().fileName, file);
    EXPECT_EQ(form.text(), " Tresorix  -  set.tsi");
    EXPECT_FALSE(form.set().modified);

    // A failed write says so and changes nothing.
    ScriptedAnswerer answers;
    answers.then(mrOk, "Konnte Datei \"" + tree.path("fehlt\\b.tsi") + "\" nicht speichern.");
    form.SetModified(true);
    EXPECT_EQ(form.SaveSetFile(tree.path("fehlt\\b.tsi")), SaveOutcome::failed);
    EXPECT_TRUE(form.set().modified);
    EXPECT_EQ(form.set().fileName, file);
}

TEST_F(MainWindow, CloseQueryAsksWhileRunningAndOffersToSave)
{
    ScriptedAnswerer answers;
    // Modified without entries: no question.
    form.SetModified(true);
    form.send(WM_CLOSE);
    EXPECT_EQ(closings, 1);
    EXPECT_TRUE(form.run().state().cancelled());

    // Modified with entries: Cancel keeps everything.
    form.show(true);
    form.run().state().clearCancel();
    add(1);
    answers.then(mrCancel, kSaveQuestion);
    form.send(WM_CLOSE);
    EXPECT_EQ(closings, 1);
    EXPECT_TRUE(form.visible());
    EXPECT_TRUE(form.set().modified);
    EXPECT_FALSE(form.run().state().cancelled());

    // A backup running: No goes on; Yes, then Yes to saving, saves even
    // though the run has the save button locked.
    form.SetStatus(false);
    answers.then(mrNo, kRunningQuestion);
    form.send(WM_CLOSE);
    EXPECT_EQ(closings, 1);
    EXPECT_FALSE(form.run().state().cancelled());

    std::string file = tree.path("laufend.tsi");
    form.setFileName(file);
    answers.then(mrYes, kRunningQuestion).then(mrYes, kSaveQuestion);
    form.send(WM_CLOSE);
    EXPECT_EQ(closings, 2);
    EXPECT_TRUE(form.run().state().cancelled());
    EXPECT_EQ(ReadSetFile(test::ReadAll(file)).entries.size(), 1u);

    // A save that fails keeps the window open.
    form.SetStatus(true);
    form.show(true);
    form.SetModified(true);
    form.setFileName(tree.path("fehlt\\x.tsi"));
    answers.then(mrYes, kSaveQuestion).then(mrOk, "Konnte Datei");
    form.send(WM_CLOSE);
    EXPECT_EQ(closings, 2);
    EXPECT_TRUE(form.visible());
}

TEST_F(MainWindow, AskSaveAsksOnlyForModifiedEntriesAndReturnsTheAnswer)
{
    ScriptedAnswerer answers;
    EXPECT_EQ(form.AskSave(), SaveAnswer::notAsked);
    form.SetModified(true);
    EXPECT_EQ(form.AskSave(), SaveAnswer::notAsked) << "no entries";
    add(1);
    answers.then(mrNo, kSaveQuestion).then(mrCancel, kSaveQuestion).then(mrYes, kSaveQuestion);
    EXPECT_EQ(form.AskSave(), SaveAnswer::discardChosen);
    EXPECT_EQ(form.AskSave(), SaveAnswer::cancelled);
    // Yes with a cancelled Save As still goes on.
    EXPECT_EQ(form.AskSave(), SaveAnswer::saveChosen);
    EXPECT_EQ(fileDialogs, std::vector<bool>{true});
    EXPECT_EQ(answers.asked()[0].buttons, ButtonSet(btnYes | btnNo | btnCancel));
}

TEST_F(MainWindow, LoadReplacesOrMergesAfterAsking)
{
    std::vector<BackupEntry> fromFile{{"E:\\Neu", " ja", "*.txt", "F:\\Ziel"}};
    std::string file = writeSet("neu.tsi", "G:\\Standard", 3, fromFile);
    form.setFileName("C:\\alt.tsi");
    add(2);
    ScriptedAnswerer answers;

    answers.then(mrNo, "Aktuelle Einträge aus der Liste entfernen ?");
    form.setSaved(5, 0);
    EXPECT_EQ(form.LoadSetFile(file), LoadOutcome::loaded);
    EXPECT_EQ(form.item<ListView>(TmForm::Liste).count(), 3);
    EXPECT_EQ(form.set().entries.back(), fromFile[0]);
    EXPECT_EQ(form.set().fileName, "C:\\alt.tsi");
    EXPECT_EQ(form.text(), " Tresorix  -  alt.tsi");
    EXPECT_TRUE(form.set().modified);
    EXPECT_EQ(form.set().defaultTarget(), "G:\\Standard");
    EXPECT_EQ(int(form.set().mode), 3);
    EXPECT_EQ(form.item<StatusBar>(TmForm::StatusBar).panelText(0), "0 Dateien gesichert");
    EXPECT_EQ(form.item<StatusBar>(TmForm::StatusBar).panelText(1), "3 Einträge");

    // Modified: first the save question; Cancel ends the load.
    answers.then(mrCancel, kSaveQuestion);
    EXPECT_EQ(form.LoadSetFile(file), LoadOutcome::cancelled);
    EXPECT_EQ(form.item<ListView>(TmForm::Liste).count(), 3);

    answers.then(mrNo, kSaveQuestion).then(mrYes, "Aktuelle Einträge");
    form.setMode(ConflictMode(0));
    form.LoadSetFile(file);
    EXPECT_EQ(form.set().entries, fromFile);
    EXPECT_EQ(form.set().fileName, file);
    EXPECT_EQ(form.text(), " Tresorix  -  neu.tsi");
    EXPECT_FALSE(form.set().modified);
    EXPECT_EQ(int(form.set().mode), 3);

    // A missing file is reported, except the one that stands for none.
    answers.then(mrOk, "Datei nicht gefunden!\r\n" + tree.path("weg.tsi"));
    EXPECT_EQ(form.LoadSetFile(tree.path("weg.tsi")), LoadOutcome::failed);
    EXPECT_EQ(form.LoadSetFile(tree.path("noname.tsi")), LoadOutcome::nonameMissing);
    EXPECT_EQ(form.set().entries, fromFile);

    // An entry that lost its target line: the next entry keeps its place,
    // the user is told which one is missing, and the set counts as changed.
    tree.write("kaputt.tsi", "###\r\nC:\\Eins\r\nja\r\n*.*\r\n###\r\nC:\\Zwei\r\nnein\r\n*.txt\r\nD:\\Z\r\n");
    answers.then(mrYes, "Aktuelle Einträge")
        .then(mrOk, "Unvollständige Einträge in \"" + tree.path("kaputt.tsi") +
                        "\" wurden nicht geladen:\r\nEintrag 1: C:\\Eins");
    EXPECT_EQ(form.LoadSetFile(tree.path("kaputt.tsi")), LoadOutcome::loaded);
    EXPECT_EQ(form.set().entries, (std::vector<BackupEntry>{{"C:\\Zwei", "", "*.txt", "D:\\Z"}}));
    EXPECT_TRUE(form.set().modified);
    EXPECT_EQ(answers.pending(), 0u);
}

TEST_F(MainWindow, RemoveCommandsAskFirstAndResetTheSet)
{
    ScriptedAnswerer answers;
    add(2);
    form.BtnEntfernenClick();  // nothing selected: silently nothing
    select(0);
    form.SetModified(false);
    answers.then(mrOk, "Eintrag  \"C:\\Daten0\\*.doc\"  aus der Liste entfernen ?");
    form.BtnEntfernenClick();
    form.BtnEntfernenClick();  // no entry is current any more: no question
    EXPECT_EQ(form.item<ListView>(TmForm::Liste).count(), 1);
    EXPECT_TRUE(form.set().modified);
    EXPECT_EQ(form.item<StatusBar>(TmForm::StatusBar).panelText(1), "1 Eintrag");

    // OK, then Cancel at the save question: the list stays.
    answers.then(mrOk, "Alle aktuellen Einträge aus der Liste entfernen ?").then(mrCancel, kSaveQuestion);
    form.BtnAllesLoeschenClick();
    EXPECT_EQ(form.item<ListView>(TmForm::Liste).count(), 1);

    form.setFileName(tree.path("x.tsi"));
    form.setText(" Tresorix  -  x.tsi");
    answers.then(mrOk, "Alle aktuellen").then(mrNo, kSaveQuestion);
    form.BtnAllesLoeschenClick();
    EXPECT_EQ(form.item<ListView>(TmForm::Liste).count(), 0);
    EXPECT_EQ(form.text(), " Tresorix");
    EXPECT_EQ(form.set().fileName, "NONAME.TSI");
    EXPECT_EQ(form.item<StatusBar>(TmForm::StatusBar).panelText(1), "0 Einträge");
    EXPECT_EQ(form.item<StatusBar>(TmForm::StatusBar).panelText(2), "Nicht geändert");
    EXPECT_FALSE(form.item<Window>(TmForm::BtnFileSave).enabled());
    form.BtnAllesLoeschenClick();  // empty: no question
}

TEST_F(MainWindow, StartHandsTheSetToTheRunAndClosesAfterAFinishedRun)
{
    ScriptedAnswerer answers;
    answers.then(mrOk, "Bitte legen Sie zuerst einen Eintrag an.");
    std::optional<RunSettings> given;
    RunOutcome outcome = RunOutcome::finished;
    std::function<void()> duringRun;
    form.run().backup = [&](const RunSettings& settings) {
        given = settings;
        if (duringRun)
            duringRun();
        return outcome;
    };
    form.BtnStartClick();
    EXPECT_FALSE(given);

    add(2);
    form.setMode(ConflictMode(1));
    form.stdZielBox().setText("  E:\\Getippt ");
    form.run().state().cancel();
    form.BtnStartClick();
    ASSERT_TRUE(given);
    EXPECT_EQ(given->entries, form.set().entries);
    EXPECT_EQ(given->stdZiel, "E:\\Getippt");
    EXPECT_EQ(given->mode, ConflictMode::always);
    EXPECT_TRUE(given->showSummary);
    EXPECT_FALSE(form.run().state().cancelled());
    EXPECT_EQ(closings, 0);

    // AutoClose: no summary; a cancelled run keeps the window.
    form.setChecked(TmForm::AutoClose, true);
    form.SetModified(false);
    outcome = RunOutcome::cancelled;
    form.BtnStartClick();
    EXPECT_FALSE(given->showSummary);
    EXPECT_EQ(closings, 0);

    // Closing the window during the run: answer 2 stops it, and the
    // window closes once, not again for AutoClose.
    outcome = RunOutcome::cancelled;
    duringRun = [&] {
        form.post(WM_CLOSE);
        ProcessMessages();
    };
    answers.then(mrYes, kRunningQuestion);
    form.BtnStartClick();
    EXPECT_EQ(closings, 1);
    EXPECT_TRUE(form.run().state().cancelled());

    outcome = RunOutcome::finished;
    duringRun = nullptr;
    form.show(true);
    form.SetModified(true);
    answers.then(mrNo, kSaveQuestion);
    form.BtnStartClick();
    EXPECT_EQ(closings, 2);

    // Nobody cancelled a run that an error ended: it closes too, or a
    // scheduled run would never end.
    for (RunOutcome o : {RunOutcome::sourceFailed, RunOutcome::endedByError}) {
        outcome = o;
        form.show(true);
        answers.then(mrNo, kSaveQuestion);
        form.BtnStartClick();
    }
    EXPECT_EQ(closings, 4);
}

// A real run, closed at its first look at the queue: the process ends with
// the code the log names, the question is on record, and while it waits the
// progress window stays in sight above the main window.
TEST_F(MainWindow, ClosingDuringARunEndsItWithTheCodeTheLogNames)
{
    tree.write("src\\a.txt", "a");
    tree.write("src\\b\\b.txt", "b");
    form.addEntry({tree.path("src"), "ja", "*.txt", tree.path("dst")});
    form.SetModified(false);
    form.run().openLog(tree.path("tresorix.INI"));
    bool progressAbove = false;
    ScriptedAnswerer answers;
    answers.thenDo(mrYes, [&] {
        HWND progress = FindWindowW(kProgressClass, nullptr);
        for (HWND h = progress; h && IsWindowVisible(progress); h = GetWindow(h, GW_HWNDNEXT))
            progressAbove = progressAbove || h == form.handle();
    });
    form.post(WM_CLOSE);
    form.BtnStartClick();
    ASSERT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(answers.asked()[0].text.substr(0, kRunningQuestion.size()), kRunningQuestion);
    EXPECT_TRUE(progressAbove);
    EXPECT_EQ(closings, 1);
    EXPECT_EQ(form.run().exitCode(), 2);
    const std::string log = test::ReadAll(tree.path("tresorix.log"));
    EXPECT_NE(log.find("Meldung: " + kRunningQuestion + " / Soll das Programm dennoch beendet werden ?  Antwort: Ja\r\n"),
              std::string::npos);
    EXPECT_TRUE(log.ends_with("Abgebrochen.  Exitcode 2\r\n")) << log;
}

// The progress window of a real run, with a hook at each block copied. Its
// clock makes every look at the queue due.
class BlockHookedProgress : public TProgress {
public:
    explicit BlockHookedProgress(HWND owner) : TProgress(owner)
    {
        setTickSource([this] { return clock += kAnswerInterval; });
    }
    void setFileProgress(int percent) override
    {
        TProgress::setFileProgress(percent);
        if (onFileProgress && percent > 0)
            onFileProgress(percent);
    }
    std::function<void(int)> onFileProgress;
    uint32_t clock = 0;
};

void sendInput(std::vector<INPUT> inputs)
{
    SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

// A click on the title bar's close button and Alt+F4, made as the user makes
// them, during a large file's copy: the question comes before the file
// ends, with the copy's temporary closed and kept. No goes on with the
// copy; Yes ends the run with that file not saved, as the log says.
TEST_F(MainWindow, ClosingDuringALargeFileAsksAtOnce)
{
    const std::string bytes(4 * 65536 + 100, 'g');
    tree.write("src\\gross.txt", bytes);
    form.addEntry({tree.path("src"), "ja", "*.txt", tree.path("dst")});
    form.SetModified(false);
    form.run().openLog(tree.path("tresorix.INI"));
    BlockHookedProgress progress(form.handle());
    form.run().setProgressWindow(progress);
    // Clear of the progress window, which lies in the middle of the screen.
    SetWindowPos(form.handle(), nullptr, 0, 0, 640, 400, SWP_NOZORDER);
    const std::string target = tree.path("dst\\gross.txt");
    const std::string temporary = TemporaryName(target, 0);

    POINT closeButton{-1, -1};
    RECT r = form.rect();
    for (int x = r.right - 1; x > r.left && closeButton.x < 0; --x)
        for (int y = r.top; y < r.top + 40 && closeButton.x < 0; ++y)
            if (form.send(WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE)
                closeButton = {x, y};
    ASSERT_GE(closeButton.x, 0);
    progress.onFileProgress = [&](int) {
        progress.onFileProgress = nullptr;
        SetCursorPos(closeButton.x, closeButton.y);
        INPUT down{}, up{};
        down.type = up.type = INPUT_MOUSE;
        down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
        sendInput({down, up});
    };
    std::string atQuestion;
    auto look = [&] {
        atQuestion = test::ListNames(tree.path("dst\\")) + "|" + std::to_string(test::ReadAll(temporary).size());
    };
    ScriptedAnswerer answers;
    answers.thenDo(mrNo, look).then(mrOk, "Backup beendet.");
    form.BtnStartClick();
    ASSERT_EQ(answers.asked().size(), 2u);
    EXPECT_EQ(answers.asked()[0].text.substr(0, kRunningQuestion.size()), kRunningQuestion);
    EXPECT_EQ(atQuestion, "gross.txt.~tresorix|65536") << "asked before the file ended";
    EXPECT_TRUE(test::ReadAll(target) == bytes);
    EXPECT_EQ(test::ListNames(tree.path("dst\\")), "gross.txt");
    EXPECT_EQ(closings, 0);
    EXPECT_EQ(form.run().exitCode(), 0);

    test::RemoveTree(tree.path("dst"));
    progress.onFileProgress = [&](int) {
        progress.onFileProgress = nullptr;
        SetForegroundWindow(form.handle());
        INPUT keys[4] = {};
        for (INPUT& key : keys)
            key.type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[3].ki.wVk = VK_MENU;
        keys[1].ki.wVk = keys[2].ki.wVk = VK_F4;
        keys[2].ki.dwFlags = keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
        sendInput({keys[0], keys[1], keys[2], keys[3]});
    };
    answers.thenDo(mrYes, look);
    form.BtnStartClick();
    ASSERT_EQ(answers.asked().size(), 3u);
    EXPECT_EQ(answers.asked()[2].text.substr(0, kRunningQuestion.size()), kRunningQuestion);
    EXPECT_EQ(atQuestion, "gross.txt.~tresorix|65536");
    EXPECT_EQ(test::ListNames(tree.path("dst\\")), "") << "the temporary gone, the file not saved";
    EXPECT_EQ(closings, 1);
    EXPECT_EQ(form.run().exitCode(), 2);
    const std::string log = test::ReadAll(tree.path("tresorix.log"));
    EXPECT_TRUE(log.ends_with("gesichert: 0 Dateien, 0 Bytes; übergangen: 0; fehlgeschlagen: 0.  Abgebrochen.  Exitcode 2\r\n"))
        << log;
}

// A close whose Yes comes once the last file's bytes are all copied finds
// every file saved: the run finished, and the log and the exit code say so.
TEST_F(MainWindow, ClosingAfterTheLastByteEndsAFinishedRun)
{
    tree.write("src\\a.txt", "a");
    tree.write("src\\b.txt", std::string(65536 + 1, 'b'));
    form.addEntry({tree.path("src"), "ja", "*.txt", tree.path("dst")});
    form.setChecked(TmForm::AutoClose, true);
    form.SetModified(false);
    form.run().openLog(tree.path("tresorix.INI"));
    BlockHookedProgress progress(form.handle());
    form.run().setProgressWindow(progress);
    progress.onFileProgress = [&](int percent) {
        if (percent == 100 && progress.shownText(TProgress::LbFile) == "b.txt")
            form.post(WM_CLOSE);
    };
    ScriptedAnswerer answers;
    answers.then(mrYes, kRunningQuestion);
    form.BtnStartClick();
    EXPECT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(test::ListNames(tree.path("dst\\")), "a.txt b.txt");
    EXPECT_EQ(closings, 1) << "closed once, not again for AutoClose";
    EXPECT_EQ(form.run().exitCode(), 0);
    const std::string log = test::ReadAll(tree.path("tresorix.log"));
    EXPECT_NE(log.find("Antwort: Ja\r\n"), std::string::npos);
    EXPECT_TRUE(log.ends_with("gesichert: 2 Dateien, 65538 Bytes; übergangen: 0; fehlgeschlagen: 0.  Beendet.  Exitcode 0\r\n"))
        << log;
}

// Logoff and shutdown wait while something would be lost.
TEST_F(MainWindow, SessionEndWaitsForARunOrUnsavedEntries)
{
    auto query = [&] { return form.send(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF); };
    EXPECT_EQ(query(), TRUE);
    form.SetModified(true);
    EXPECT_EQ(query(), TRUE) << "nothing to lose without entries";
    add(1);
    EXPECT_EQ(query(), FALSE) << "unsaved entries";
    form.SetModified(false);
    EXPECT_EQ(query(), TRUE);
    LRESULT duringRun = TRUE;
    form.run().backup = [&](const RunSettings&) {
        duringRun = query();
        return RunOutcome::finished;
    };
    form.BtnStartClick();
    EXPECT_EQ(duringRun, FALSE);
    EXPECT_EQ(query(), TRUE) << "the run is over";
}

TEST_F(MainWindow, OtherCommandsTestTheirButtonsExceptInfo)
{
    form.BtnConnectClick();
    form.BtnDisconnectClick();
    form.send(WM_COMMAND, MAKEWPARAM(TmForm::kFirstControlId + TmForm::Label2, STN_CLICKED),
              LPARAM(form.control(TmForm::Label2)));
    form.SetStatus(false);
    form.BtnConnectClick();
    form.BtnFileOpenClick();
    form.ListeBearbeiten(true);
    form.BtnEndeClick();
    form.BtnInfoClick();
    EXPECT_EQ(networkDialogs, (std::vector<bool>{true, false}));
    EXPECT_EQ(pages, std::vector<std::string>{kWebPage});
    EXPECT_TRUE(fileDialogs.empty());
    EXPECT_TRUE(edits.empty());
    EXPECT_EQ(closings, 0);
    EXPECT_EQ(infos, 1);
}

TEST_F(MainWindow, ModeAndCheckBoxClicksMarkTheSet)
{
    PushButton(form.control(TmForm::Mode3)).click();
    EXPECT_TRUE(form.set().modified);
    EXPECT_EQ(int(form.set().mode), 3);
    form.SetModified(false);
    PushButton(form.control(TmForm::Mode3)).click();
    EXPECT_FALSE(form.set().modified) << "the mode did not change";
    PushButton(form.control(TmForm::WinAutoLoad)).click();
    EXPECT_TRUE(form.set().modified);
    EXPECT_TRUE(form.item<Window>(TmForm::AutoStart).enabled()) << "only while WinAutoLoad is ticked";
    PushButton(form.control(TmForm::WinAutoLoad)).click();
    EXPECT_FALSE(form.item<Window>(TmForm::AutoStart).enabled());
}

TEST_F(MainWindow, NeverNarrowerThanTheCheckBoxesAndColumnsKeepTheirMinimum)
{
    RECT box = Window(form.control(TmForm::AutoClose)).rect();
    EXPECT_EQ(form.minimumWidth(), box.right + ScaleToDpi(20));
    form.setSize(200, 400);
    RECT r = form.rect();
    EXPECT_EQ(r.right - r.left, form.minimumWidth());
    EXPECT_EQ(r.bottom - r.top, 400);

    // The user drags the first column's divider far to the left.
    form.setSize(ScaleToDpi(557), ScaleToDpi(367));
    HWND header = HWND(form.item<ListView>(TmForm::Liste).send(LVM_GETHEADER));
    RECT item{};
    SendMessageW(header, HDM_GETITEMRECT, 0, LPARAM(&item));
    POINT divider{item.right - 1, (item.top + item.bottom) / 2};
    ClientToScreen(header, &divider);
    SetCursorPos(divider.x, divider.y);
    INPUT steps[3] = {};
    for (INPUT& in : steps)
        in.type = INPUT_MOUSE;
    steps[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    steps[1].mi.dwFlags = MOUSEEVENTF_MOVE;
    steps[1].mi.dx = -150;
    steps[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    for (INPUT& in : steps) {
        SendInput(1, &in, sizeof in);
        ProcessMessages();
    }
    EXPECT_EQ(form.item<ListView>(TmForm::Liste).columnWidth(0), 200);
    int sum = 0;
    for (int i = 0; i < 4; ++i)
        sum += form.item<ListView>(TmForm::Liste).columnWidth(i);
    EXPECT_EQ(sum, std::max(int(form.item<ListView>(TmForm::Liste).clientRect().right), 200 + 32 + 170 + 146)) << "the last one fills";
}

// Window widths as the window hears of them, from a hook on the thread.
std::vector<int> sizedWidths;
HWND sizedWindow = nullptr;
LRESULT CALLBACK recordSize(int code, WPARAM wp, LPARAM lp)
{
    auto* msg = reinterpret_cast<CWPSTRUCT*>(lp);
    if (code == HC_ACTION && msg->hwnd == sizedWindow && msg->message == WM_WINDOWPOSCHANGED) {
        auto* pos = reinterpret_cast<WINDOWPOS*>(msg->lParam);
        if (!(pos->flags & SWP_NOSIZE))
            sizedWidths.push_back(pos->cx);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

// The least size is the window's own limit, at every scale: a drag stops
// there, and the window is never made narrower first and widened again
// after, which the user sees as a jump back.
TEST_F(MainWindow, TheLeastSizeStopsTheWindowAtEveryScale)
{
    for (int dpi : {96, 192}) {
        form.setDpi(dpi);
        ProcessMessages();
        RECT box = Window(form.control(TmForm::AutoClose)).rect();
        EXPECT_EQ(form.minimumWidth(), box.right + ScaleTo(20, dpi));
        MINMAXINFO info{};
        info.ptMaxSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
        form.send(WM_GETMINMAXINFO, 0, LPARAM(&info));
        EXPECT_EQ(info.ptMinTrackSize.x, form.minimumWidth()) << dpi;
        EXPECT_EQ(info.ptMinTrackSize.y, ScaleTo(350, dpi)) << dpi;

        // The user drags the right edge far to the left.
        form.setSize(form.minimumWidth() + ScaleTo(300, dpi), ScaleTo(400, dpi));
        ProcessMessages();
        sizedWidths.clear();
        sizedWindow = form.handle();
        HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, recordSize, nullptr, GetCurrentThreadId());
        RECT r = form.rect();
        POINT edge{r.right - 2, (r.top + r.bottom) / 2};
        SetCursorPos(edge.x, edge.y);
        INPUT steps[3] = {};
        for (INPUT& in : steps)
            in.type = INPUT_MOUSE;
        steps[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        steps[1].mi.dwFlags = MOUSEEVENTF_MOVE;
        steps[1].mi.dx = -(r.right - r.left);
        steps[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(3, steps, sizeof steps[0]);
        ProcessMessages();
        // And a program sets it too small.
        form.setSize(ScaleTo(200, dpi), r.bottom - r.top);
        UnhookWindowsHookEx(hook);
        ASSERT_FALSE(sizedWidths.empty()) << dpi;
        for (int width : sizedWidths)
            EXPECT_GE(width, form.minimumWidth()) << dpi;
        EXPECT_EQ(form.rect().right - form.rect().left, form.minimumWidth()) << dpi;
    }
}

// Every control shows after a size change what it shows when the whole
// window is painted afresh: none is left out, none keeps a stale picture.
TEST_F(MainWindow, EveryControlIsPaintedAfterResizingAndMaximising)
{
    add(3);
    auto capture = [&] {
        RECT c = form.clientRect();
        HDC dc = GetDCEx(form.handle(), nullptr, DCX_CACHE);
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, c.right, c.bottom);
        HGDIOBJ old = SelectObject(mem, bitmap);
        BitBlt(mem, 0, 0, c.right, c.bottom, dc, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = c.right;
        info.bmiHeader.biHeight = -c.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        std::vector<uint32_t> pixels(size_t(c.right) * size_t(c.bottom));
        GetDIBits(mem, bitmap, 0, UINT(c.bottom), pixels.data(), &info, DIB_RGB_COLORS);
        DeleteObject(bitmap);
        DeleteDC(mem);
        ReleaseDC(form.handle(), dc);
        return pixels;
    };
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"maximised", [&] { ShowWindow(form.handle(), SW_MAXIMIZE); }},
        {"restored", [&] { ShowWindow(form.handle(), SW_RESTORE); }},
        {"larger", [&] { form.setSize(ScaleToDpi(700), ScaleToDpi(480)); }},
        {"smaller", [&] { form.setSize(ScaleToDpi(600), ScaleToDpi(400)); }},
    };
    ProcessMessages();
    for (const auto& [name, step] : steps) {
        step();
        ProcessMessages();
        std::vector<uint32_t> shown = capture();
        RedrawWindow(form.handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        std::vector<uint32_t> fresh = capture();
        ASSERT_EQ(shown.size(), fresh.size());
        size_t stale = 0;
        for (size_t i = 0; i < shown.size(); ++i)
            stale += shown[i] != fresh[i];
        EXPECT_EQ(stale, 0u) << name;
        // Inside the group box, right of its radios: the form's background.
        RECT group = Window(form.control(TmForm::BackUpMode)).rect();
        RECT c = form.clientRect();
        EXPECT_EQ(fresh[size_t((group.top + group.bottom) / 2) * size_t(c.right) + size_t(group.right - 4)] & 0xFFFFFF,
                  uint32_t(RGB(GetBValue(GetSysColor(COLOR_BTNFACE)), GetGValue(GetSysColor(COLOR_BTNFACE)),
                               GetRValue(GetSysColor(COLOR_BTNFACE)))))
            << name;
    }
}

}  // namespace
}  // namespace tresorix
