// The progress window: shows a running backup and lets the user cancel it.
// It is the run's view, driven by whoever runs the backup; the main
// window's status bar gets its two values (saved files, status text)
// through the view handed in at the run's start.
#pragma once

#include "engine/Backup.h"
#include "ui/Form.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace tresorix {

inline constexpr wchar_t kProgressClass[] = L"TProgress";

// What the cancel question needs of the one who drives the run.
class RunDriver {
public:
    virtual ~RunDriver() = default;
    // A Yes/No question about the running backup: asked, or answered for a
    // run nobody watches, and on record either way.
    virtual ButtonResult askAboutRun(const std::string& question) = 0;
    // Ends the run at its next look and frees the main window.
    virtual void cancelRun() = 0;
};

class TProgress : public Form, public RunView {
public:
    // The values that change during a run, each the text of a label of its
    // own (ValueLabel), which screen readers read.
    enum Text { LbFile, LbQuelle, LbZiel, LbFileCtr, lbCheckedBytes, LbCopyFileCtr, lbBUpBytes, kTextCount };
    // Layout rows, in table (and tab) order; the value labels come last,
    // in the order of Text.
    enum Row {
        Label1, FileProg,
        Label2, DirProg,
        Label3, Label4, Label5,
        BtnCancel,
        kFirstValueRow,
        kRowCount = kFirstValueRow + kTextCount
    };

    // Created hidden and centred. With the main window as owner the progress
    // window stays above it and out of the taskbar.
    explicit TProgress(HWND owner = nullptr);

    void setDriver(RunDriver* driver) { driver_ = driver; }
    // A run begins: the window shows (not modal) and paints what changes at
    // once; mainStatus, if any, receives setSaved, setStatusText and flush.
    void beginRun(RunView* mainStatus);
    // The run has ended: the final values show, here and in mainStatus.
    void endRun();
    // "Backup abbrechen ?" Yes/No; Yes cancels the run, unlocks the
    // main window and hides this one at once.
    void BtnCancelClick();
    // Shows the values it holds now: before a prompt.
    void showNow();

    // RunView. The values are kept at once; the window shows them at most
    // once per kPaintInterval, and all of them before a prompt, at the end
    // of a run and on a flush outside a run. During a run what changed is
    // painted at once, also inside a file's block loop, which processes no
    // events but looks at the queue (keepAnswering).
    void setFile(const std::string& name) override;
    void setSource(const std::string& text) override;
    void setTarget(const std::string& directory) override;
    void setFileProgress(int percent) override;
    void setDirProgress(int percent) override;
    void setChecked(uint64_t files, uint64_t bytes) override;
    void setSaved(uint64_t files, uint64_t bytes) override;
    void setStatusText(const std::string& text) override;
    void bringToFront() override;
    void processMessages() override;
    bool keepAnswering() override;
    void flush() override;

    // Milliseconds between two updates of the window: ten a second look
    // smooth, and each one costs the copying dozens of requests to the
    // server and the display.
    static constexpr uint32_t kPaintInterval = 100;
    // Milliseconds between two looks at the message queue during a run.
    static constexpr uint32_t kPumpInterval = 10;
    // Milliseconds between two looks at the queue inside a file's copy:
    // Windows counts a thread as hung after five seconds without one, and a
    // cancel should be seen within a second; each look costs Wine several
    // requests to the server.
    static constexpr uint32_t kAnswerInterval = 250;
    // Milliseconds between two updates of the main window's status bar
    // during a run. It repeats what this window shows, behind it, and
    // paints itself in its theme at once for each text it is given.
    static constexpr uint32_t kMirrorInterval = 1000;
    // The clock of that pacing (GetTickCount); tests freeze it.
    void setTickSource(std::function<uint32_t()> ticks);

    // What the window shows of a value, its label, and where, in client pixels.
    const std::string& shownText(Text text) const { return shownText_[text]; }
    HWND valueLabel(Text text) const { return values_[text]; }
    RECT textRect(Text text) const;

protected:
    void onCommand(int row, int code) override;
    bool onKeyDown(UINT key, unsigned shift) override;
    bool onCloseQuery() override;
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void setLabel(Text text, std::string value);
    void setBar(Row row, int percent);
    void updateIfDue();
    // `all`: the main window's status bar too, whatever its pace.
    void apply(bool all = false);
    HWND ownWindowAbove() const;
    bool cancelWaiting();
    bool closeKeyWaiting();

    RunDriver* driver_ = nullptr;
    bool running_ = false;
    RunView* mainStatus_ = nullptr;

    // What the run gave (wanted) and what the window shows (shown).
    std::array<std::string, kTextCount> wantedText_, shownText_;
    std::array<HWND, kTextCount> values_{};
    std::array<int, kRowCount> wantedPos_{}, shownPos_{};
    bool dirty_ = false;
    bool savedPending_ = false, statusPending_ = false;
    uint64_t savedFiles_ = 0, savedBytes_ = 0;
    std::string statusText_;

    std::function<uint32_t()> ticks_;
    uint32_t lastUpdate_ = 0, lastRaiseCheck_ = 0, lastPump_ = 0, lastAnswer_ = 0, lastMirror_ = 0;
    bool updateNow_ = true, checkRaiseNow_ = true, pumpNow_ = true;
};

}  // namespace tresorix
