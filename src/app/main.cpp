// Program main: creates the seven windows in their order, links them, shows
// the main window and runs the message loop.
#include "dialogs/DirWahl.h"
#include "dialogs/FilterForm.h"
#include "dialogs/InfoForm.h"
#include "dialogs/MdForm.h"
#include "dialogs/ZielWahl.h"
#include "dialogs/ProgressWindow.h"
#include "mainwindow/MainForm.h"
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
    TDirWahl dirWahl(mForm.StoredFilterList);
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
    mForm.pickStdZiel = [&](const std::string& proposal) -> std::optional<std::string> {
        if (zielwahl.Pick(proposal) != mrOk)
            return std::nullopt;
        return zielwahl.DirView.Directory();
    };
    mForm.showInfo = [&] { info.showModal(); };

    mForm.FormShow();
    return RunMessageLoop();
}
