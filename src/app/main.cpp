// Program main: creates the main window, links it with the dialogs (each
// made when first needed), shows the main window and runs the message loop.
// The process ends with the exit code that the run log names.
#include "dialogs/DirWahl.h"
#include "dialogs/FilterForm.h"
#include "dialogs/InfoForm.h"
#include "dialogs/MdForm.h"
#include "dialogs/ZielWahl.h"
#include "mainwindow/EditEntry.h"
#include "mainwindow/MainForm.h"
#include "platform/TextConv.h"
#include "set/CommandLine.h"
#include "platform/Win32Files.h"
#include "run/RunController.h"
#include "set/Profile.h"
#include "set/FileIO.h"
#include "ui/DialogFiles.h"
#include "ui/MessageDialog.h"
#include "ui/ProcessMessages.h"

#include <ole2.h>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace {

// A dialog made when it is first needed. Under Wine each window costs some
// hundreds of round trips to the server; made at start, the dialogs nobody
// opens would double the time an unattended backup takes to begin.
template <class Dialog>
class OnDemand {
public:
    explicit OnDemand(std::function<std::unique_ptr<Dialog>()> make) : make_(std::move(make)) {}
    Dialog& operator*()
    {
        if (!dialog_)
            dialog_ = make_();
        return *dialog_;
    }
    Dialog* operator->() { return &**this; }

private:
    std::function<std::unique_ptr<Dialog>()> make_;
    std::unique_ptr<Dialog> dialog_;
};

// The windows, the start-up and the message loop; ends the process.
[[noreturn]] void runProgram()
{
    using namespace tresorix;

    TmForm mForm;
    mForm.FormCreate({ProgramPath(), CommandLineArguments(Narrow(GetCommandLineW()))});
    OnDemand<TmdForm> mdForm([] { return std::make_unique<TmdForm>(); });
    OnDemand<TZielwahl> zielwahl([&] {
        auto dialog = std::make_unique<TZielwahl>();
        dialog->setCreateDialog(*mdForm);
        return dialog;
    });
    OnDemand<TFilterForm> filterForm([] { return std::make_unique<TFilterForm>(); });
    OnDemand<Tinfo> info([] { return std::make_unique<Tinfo>(); });

    // The settings file and the registry are written by now. Unless a run
    // still has to end and write its record, nothing is left to do: taken
    // down window by window, the program would cost Wine some hundreds of
    // server requests that ending the process spares. A run that goes on
    // decides the code only when it ends, after the loop.
    mForm.links.closed = [&] {
        if (!mForm.run().running())
            ExitProcess(UINT(mForm.run().exitCode()));
        PostQuitMessage(0);
    };
    auto pickTarget = [&](const std::string& proposal) -> std::optional<std::string> {
        TZielwahl::Choice choice = zielwahl->Pick(proposal);
        if (!choice.chosen())
            return std::nullopt;
        return choice.directory;
    };
    mForm.links.pickStdZiel = pickTarget;
    mForm.links.showInfo = [&] { info->showModal(); };
    OnDemand<TDirWahl> dirWahl([&] {
        auto dialog = std::make_unique<TDirWahl>(DialogFileSystem());
        dialog->filterForm = &*filterForm;
        dialog->chooseTarget = pickTarget;
        return dialog;
    });
    mForm.links.editEntry = [&](bool newEntry) { EditEntry(mForm, *dirWahl, newEntry); };

    mForm.FormShow();
    RunMessageLoop();
    ExitProcess(UINT(mForm.run().exitCode()));
}

// The first window could not be made: no display driver for a moment, or a
// desktop heap that is full, as on a scheduled task's desktop. The start is
// put on record with "nothing ran"; a box is tried only in an interactive
// start, and the system's own where ours cannot be made either.
void reportStartFailure(const std::string& what)
{
    using namespace tresorix;
    SetPromptHandler([](PromptKind, const std::string& text, ButtonSet) {
        try {
            return ShowMessageDialog(PromptKind::info, text, btnOK);
        } catch (const std::exception&) {
            MessageBoxW(nullptr, Widen(text).c_str(), L" Tresorix", MB_OK | MB_ICONSTOP);
            return mrOk;
        }
    });
    const std::vector<std::string> arguments = CommandLineArguments(Narrow(GetCommandLineW()));
    RunController run;
    run.takeSwitches(ReadRunSwitches(ReadCommandLine(arguments).switches, arguments));
    run.openLog(SettingsFileName(ProgramPath()));
    run.nothingToRun("Tresorix konnte nicht starten.\r\n" + what, {}, {}, true);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    using namespace tresorix;

    // No system box "kein Datenträger" for an empty card reader or DVD drive:
    // the program asks in its own words, and an unattended run must never
    // wait on a box nobody sees. First, before anything can touch a drive.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // The shell's folder and file dialogs and its notifications expect an
    // apartment on this thread.
    OleInitialize(nullptr);
    // No explicit AppUserModelID: the shell's own, from the exe's path, is
    // the one a pinned shortcut has, so pin and window share one button.
    InstallMessageDialog();

    // A window that cannot be made is said in words, never a silent end.
    try {
        runProgram();
    } catch (const std::exception& e) {
        reportStartFailure(e.what());
    }
    ExitProcess(kExitNothingRan);
}
