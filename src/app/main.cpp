// Program main: creates the seven windows in their order, links them, shows
// the main window and runs the message loop.
#include "dialogs/DirWahl.h"
#include "dialogs/FilterForm.h"
#include "dialogs/InfoForm.h"
#include "dialogs/MdForm.h"
#include "dialogs/ZielWahl.h"
#include "dialogs/ProgressWindow.h"
#include "mainwindow/EditEntry.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/TargetBox.h"
#include "platform/Win32FileSystem.h"
#include "platform/TextConv.h"
#include "set/CommandLine.h"
#include "set/FileIO.h"
#include "ui/MessageDialog.h"
#include "ui/ProcessMessages.h"

#include <shobjidl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    using namespace tresorix;

    // The name the shell shows and groups the program's windows under.
    SetCurrentProcessExplicitAppUserModelID(L"Tresorix");
    InstallMessageDialog();

    TmForm mForm;
    mForm.FormCreate({ProgramPath(), CommandLineArguments(Narrow(GetCommandLineW()))});
    Win32FileSystem fileSystem;
    TDirWahl dirWahl(mForm.StoredFilterList, fileSystem);
    TZielwahl zielwahl;
    TmdForm mdForm;
    TProgress progress(mForm.handle());
    TFilterForm filterForm;
    Tinfo info;

    // The progress window owns the run state; the main window's close query
    // cancels a running backup through it.
    mForm.setRunState(progress.state());
    mForm.startRun = [&](const RunSettings& settings) {
        return progress.BtnStartClick(settings, mForm, [&](bool enabled) { mForm.SetStatus(enabled); });
    };
    mForm.closed = [] { PostQuitMessage(0); };
    zielwahl.setCreateDialog(mdForm);
    auto pickTarget = [&](const std::string& proposal) -> std::optional<std::string> {
        if (zielwahl.Pick(proposal) != mrOk)
            return std::nullopt;
        return zielwahl.DirView.Directory();
    };
    mForm.pickStdZiel = pickTarget;
    mForm.showInfo = [&] { info.showModal(); };
    dirWahl.filterForm = &filterForm;
    dirWahl.addTarget = [](ComboBox box, const std::string& path, bool check) { AddTargetToBox(box, path, check); };
    dirWahl.standardTarget = [&] { return mForm.stdZiel(); };
    dirWahl.chooseTarget = pickTarget;
    mForm.editEntry = [&](bool newEntry) { EditEntry(mForm, dirWahl, newEntry); };

    mForm.FormShow();
    return RunMessageLoop();
}
