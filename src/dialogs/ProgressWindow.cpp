#include "dialogs/ProgressWindow.h"

#include "engine/Format.h"
#include "platform/TextConv.h"
#include "ui/Prompts.h"
#include "ui/ProcessMessages.h"
#include "ui/ValueLabel.h"

#include <iterator>
#include <utility>

namespace tresorix {

namespace {

// The values stand each up to its right-hand neighbour, so a long name is
// cut at the edge, not wrapped. A path too long for its place keeps its
// start and its last part, with the ellipsis in the middle, where a cut at
// the edge would hide the mask or the directory that tells one line from
// the next.
constexpr ControlRow kLayout[] = {
    {"Label1", Kind::label, "kopiere:  ", nullptr, 8, 8, 0, 0},
    {"FileProg", Kind::progressBar, "Datei", nullptr, 8, 24, 409, 17, rowBold},
    {"Label2", Kind::label, "von:", nullptr, 8, 48, 0, 0},
    {"DirProg", Kind::progressBar, "Verzeichnis", nullptr, 8, 64, 409, 17, rowBold},
    {"Label3", Kind::label, "nach:", nullptr, 8, 88, 0, 0},
    // As wide as their text they would reach into the counters beside them.
    {"Label4", Kind::label, "überprüfte Dateien :  ", nullptr, 8, 112, 112, 0},
    {"Label5", Kind::label, "gesicherte Dateien :  ", nullptr, 8, 128, 112, 0},
    {"BtnCancel", Kind::button, "&Abbrechen", nullptr, 342, 117, 75, 22, rowCancel},
    {"LbFile", Kind::valueLabel, "", nullptr, 56, 8, 365, 13, rowBold},
    {"LbQuelle", Kind::valueLabel, "", nullptr, 56, 48, 365, 13, 0, mrNone, VLS_PATH},
    {"LbZiel", Kind::valueLabel, "", nullptr, 56, 88, 365, 13, 0, mrNone, VLS_PATH},
    {"LbFileCtr", Kind::valueLabel, "", nullptr, 120, 112, 84, 13},
    {"lbCheckedBytes", Kind::valueLabel, "", nullptr, 208, 112, 126, 13},
    {"LbCopyFileCtr", Kind::valueLabel, "", nullptr, 120, 128, 84, 13},
    {"lbBUpBytes", Kind::valueLabel, "", nullptr, 208, 128, 126, 13},
};
static_assert(std::size(kLayout) == TProgress::kRowCount);

constexpr TProgress::Row kBars[] = {TProgress::FileProg, TProgress::DirProg};

}  // namespace

TProgress::TProgress(HWND owner) : ticks_([] { return uint32_t(GetTickCount()); })
{
    // A single border and a caption without any title-bar button.
    FormInfo info{kProgressClass, " Backup wird ausgeführt ...", 429, 150, WS_POPUP | WS_CAPTION, 0};
    create(info, kLayout, owner);
    setKeyPreview(true);
    for (int i = 0; i < kTextCount; ++i)
        values_[size_t(i)] = control(kFirstValueRow + i);
    ProgressBar dir(control(DirProg));
    dir.setTextColor(RGB(255, 255, 255));
    // White on the default white background would vanish below 50 %.
    dir.setBackColor(GetSysColor(COLOR_BTNSHADOW));
    for (Row bar : kBars)
        shownPos_[bar] = ProgressBar(control(bar)).pos();
    centerOnScreen();
}

void TProgress::setTickSource(std::function<uint32_t()> ticks)
{
    ticks_ = std::move(ticks);
}

void TProgress::beginRun(RunView* mainStatus)
{
    running_ = true;
    mainStatus_ = mainStatus;
    updateNow_ = checkRaiseNow_ = pumpNow_ = true;
    show(true);
}

void TProgress::endRun()
{
    showNow();
    running_ = false;
    mainStatus_ = nullptr;
}

void TProgress::BtnCancelClick()
{
    if (!Window(control(BtnCancel)).enabled())
        return;
    const char* question = "Backup abbrechen ?";
    const ButtonResult answer = driver_ ? driver_->askAboutRun(question) : AskConfirm(question, btnYes | btnNo);
    if (answer != mrYes)
        return;
    if (driver_)
        driver_->cancelRun();
    show(false);
}

void TProgress::onCommand(int row, int code)
{
    if (row == BtnCancel && code == BN_CLICKED)
        BtnCancelClick();
}

bool TProgress::onKeyDown(UINT key, unsigned shift)
{
    if (key != VK_ESCAPE)
        return false;
    // Taken here, so the dialog manager does not press the cancel button too.
    BtnCancelClick();
    return true;
}

bool TProgress::onCloseQuery()
{
    // Alt+F4 still reaches a window without title-bar buttons. Hiding the
    // window would leave a locked main window and a run nobody sees; ask
    // as the cancel button does instead.
    if (running_)
        BtnCancelClick();
    return false;
}

RECT TProgress::textRect(Text text) const
{
    const ControlRow& row = kLayout[kFirstValueRow + int(text)];
    int left = scale(row.left), top = scale(row.top);
    return {left, top, left + scale(row.width), top + scale(row.height)};
}

void TProgress::setLabel(Text text, std::string value)
{
    if (wantedText_[text] != value) {
        wantedText_[text] = std::move(value);
        dirty_ = true;
    }
}

void TProgress::setBar(Row row, int percent)
{
    if (wantedPos_[row] != percent) {
        wantedPos_[row] = percent;
        dirty_ = true;
    }
}

void TProgress::setFile(const std::string& name)
{
    setLabel(LbFile, name);
    updateIfDue();
}

void TProgress::setSource(const std::string& text)
{
    setLabel(LbQuelle, text);
    updateIfDue();
}

void TProgress::setTarget(const std::string& directory)
{
    setLabel(LbZiel, directory);
    updateIfDue();
}

void TProgress::setFileProgress(int percent)
{
    setBar(FileProg, percent);
    updateIfDue();
}

void TProgress::setDirProgress(int percent)
{
    setBar(DirProg, percent);
    updateIfDue();
}

void TProgress::setChecked(uint64_t files, uint64_t bytes)
{
    setLabel(LbFileCtr, std::to_string(files));
    setLabel(lbCheckedBytes, FormatBytes(bytes));
    updateIfDue();
}

void TProgress::setSaved(uint64_t files, uint64_t bytes)
{
    setLabel(LbCopyFileCtr, std::to_string(files));
    setLabel(lbBUpBytes, FormatBytes(bytes));
    savedFiles_ = files;
    savedBytes_ = bytes;
    savedPending_ = dirty_ = true;
    updateIfDue();
}

void TProgress::setStatusText(const std::string& text)
{
    statusText_ = text;
    statusPending_ = dirty_ = true;
    updateIfDue();
}

void TProgress::updateIfDue()
{
    if (!dirty_)
        return;
    uint32_t now = ticks_();
    // Unsigned difference: right across the wrap of the tick count too.
    if (updateNow_ || now - lastUpdate_ >= kPaintInterval)
        apply();
}

void TProgress::apply(bool all)
{
    lastUpdate_ = ticks_();
    updateNow_ = false;
    dirty_ = false;
    // Each value that changed is kept by its label, which is painted with
    // the window's next paint: one request each.
    bool any = false;
    for (int i = 0; i < kTextCount; ++i)
        if (shownText_[i] != wantedText_[i]) {
            shownText_[i] = wantedText_[i];
            SetWindowTextW(values_[size_t(i)], Widen(shownText_[i]).c_str());
            any = true;
        }
    for (Row bar : kBars)
        if (shownPos_[bar] != wantedPos_[bar]) {
            // The bar invalidates itself, only when it shows a change.
            ProgressBar(control(bar)).setPos(wantedPos_[bar]);
            shownPos_[bar] = wantedPos_[bar];
            any = true;
        }
    // The window is painted here and now: the copy of a large file lets no
    // event through until it ends, so a window that was only invalidated
    // would show the last file's values for the whole copy. The labels are
    // drawn in one go; UpdateWindow sends WM_PAINT straight to the bars. No
    // input is taken from the queue (a cancel is seen by keepAnswering).
    // apply() is paced, and so is this.
    if (any && visible()) {
        ShowValueLabels(handle(), values_);
        if (running_)
            UpdateWindow(handle());
    }
    if (mainStatus_ && (all || lastUpdate_ - lastMirror_ >= kMirrorInterval)) {
        lastMirror_ = lastUpdate_;
        if (std::exchange(savedPending_, false))
            mainStatus_->setSaved(savedFiles_, savedBytes_);
        if (std::exchange(statusPending_, false))
            mainStatus_->setStatusText(statusText_);
    }
}

void TProgress::processMessages()
{
    // The pump paints what has been set, so the window gets it first.
    updateIfDue();
    // Under Wine every look at the queue is a round trip to the server and
    // the X display, dearer than copying a small file; a hundred looks a
    // second keep the window as quick to answer as one look per file.
    uint32_t now = ticks_();
    if (!pumpNow_ && now - lastPump_ < kPumpInterval)
        return;
    pumpNow_ = false;
    lastPump_ = now;
    ProcessMessages();
}

bool TProgress::keepAnswering()
{
    updateIfDue();
    uint32_t now = ticks_();
    if (!pumpNow_ && now - lastAnswer_ < kAnswerInterval)
        return false;
    lastAnswer_ = now;
    // A look that removes nothing still answers what other threads send
    // (screen readers, the shell's hung check) and tells Windows that the
    // thread is alive. Input stays queued for the next processMessages(),
    // where it reaches the windows it was meant for (Alt aside, see
    // closeKeyWaiting).
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    const bool cancel = cancelWaiting();
    if (cancel || HIWORD(GetQueueStatus(QS_INPUT)) != 0)
        pumpNow_ = true;
    return cancel;
}

// Input waiting that will ask to cancel: Escape on this window, a click
// on its cancel button, a close request for any window of the program —
// also a click on a title bar's close button and Alt+F4, which become one
// only once they are let through.
bool TProgress::cancelWaiting()
{
    const HWND button = control(BtnCancel);
    auto ours = [this](HWND h) { return h == handle() || IsChild(handle(), h); };
    MSG m;
    // The first key waiting, and the first one for the window with the focus.
    for (HWND window : {HWND(nullptr), GetFocus()})
        if (PeekMessageW(&m, window, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE) && m.wParam == VK_ESCAPE && ours(m.hwnd))
            return true;
    if (PeekMessageW(&m, button, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE))
        return true;
    if (PeekMessageW(&m, handle(), WM_COMMAND, WM_COMMAND, PM_NOREMOVE) && HWND(m.lParam) == button)
        return true;
    if (PeekMessageW(&m, nullptr, WM_CLOSE, WM_CLOSE, PM_NOREMOVE))
        return true;
    if (PeekMessageW(&m, nullptr, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_NOREMOVE) && (m.wParam & 0xFFF0) == SC_CLOSE)
        return true;
    if (PeekMessageW(&m, nullptr, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_NOREMOVE) && m.wParam == HTCLOSE)
        return true;
    return closeKeyWaiting();
}

// Alt+F4 for any window of the program. Alt comes first as a key of its
// own, again and again while it is held, and a look at the queue shows
// only the first key: those Alt keys are let through now, which does
// nothing until Alt is let go.
bool TProgress::closeKeyWaiting()
{
    MSG m;
    while (PeekMessageW(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE) && m.message == WM_SYSKEYDOWN) {
        if (m.wParam != VK_MENU)
            return m.wParam == VK_F4 && (HIWORD(m.lParam) & KF_ALTDOWN);
        PeekMessageW(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE);
        DispatchFormMessage(m);
    }
    return false;
}

void TProgress::flush()
{
    // The run asks for this at every directory's end, and the next
    // directory's values follow at once: showing each directory's last ones
    // would cost more than its files. A prompt and the run's end show them
    // at once (showNow).
    if (running_)
        updateIfDue();
    else
        showNow();
}

void TProgress::showNow()
{
    // The window gets the values and, during a run, is painted at once.
    apply(true);
    if (mainStatus_)
        mainStatus_->flush();
}

// The highest of the program's own windows that covers this one, its own
// prompts and topmost windows (tooltips) aside; none when nothing of ours
// does. Other programs' windows are the user's work and stay where they are.
HWND TProgress::ownWindowAbove() const
{
    const DWORD process = GetCurrentProcessId();
    HWND highest = nullptr;
    for (HWND h = GetWindow(handle(), GW_HWNDPREV); h; h = GetWindow(h, GW_HWNDPREV)) {
        if (!IsWindowVisible(h) || (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) ||
            GetWindow(h, GW_OWNER) == handle())
            continue;
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == process)
            highest = h;
    }
    return highest;
}

void TProgress::bringToFront()
{
    // Called for every block copied; looking at the z-order costs server
    // round trips too, so it is paced like the painting.
    if (!handle() || !visible())
        return;
    uint32_t now = ticks_();
    if (!checkRaiseNow_ && now - lastRaiseCheck_ < kPaintInterval)
        return;
    checkRaiseNow_ = false;
    lastRaiseCheck_ = now;
    const HWND own = ownWindowAbove();
    if (!own)
        return;
    // Just above that window, below whatever of another program lies above
    // it; topmost windows all lie above the others, so right below one is
    // the top. Not activated: raising must not take the keyboard from
    // whatever the user is typing into.
    HWND above = GetWindow(own, GW_HWNDPREV);
    if (above && (GetWindowLongPtrW(above, GWL_EXSTYLE) & WS_EX_TOPMOST))
        above = nullptr;
    SetWindowPos(handle(), above ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool TProgress::onMessage(UINT msg, WPARAM, LPARAM, LRESULT&)
{
    if (msg == WM_SYSCOLORCHANGE)
        ProgressBar(control(DirProg)).setBackColor(GetSysColor(COLOR_BTNSHADOW));
    return false;
}

}  // namespace tresorix
