// The progress window: shows a running backup and lets the user cancel it.
// It is the run's view; the main window's status bar gets its two values
// (saved files, status text) through the view the main window hands in.
#pragma once

#include "engine/Backup.h"
#include "platform/AnsweringFileSystem.h"
#include "platform/Win32FileSystem.h"
#include "ui/Form.h"
#include "ui/Prompts.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace tresorix {

inline constexpr wchar_t kProgressClass[] = L"TProgress";

class TProgress : public Form, public RunView {
public:
    // Layout rows, in table (and tab) order.
    enum Row {
        Label1, FileProg,
        Label2, DirProg,
        Label3, Label4, Label5,
        BtnCancel, BtnStart,
        kRowCount
    };
    // The values that change during a run, each the text of a label of its
    // own (ValueLabel), which screen readers read.
    enum Text { LbFile, LbQuelle, LbZiel, LbFileCtr, lbCheckedBytes, LbCopyFileCtr, lbBUpBytes, kTextCount };

    // Created hidden and centred. With the main window as owner the progress
    // window stays above it and out of the taskbar.
    explicit TProgress(HWND owner = nullptr);

    // One whole run: locks the main window through setStatus(false), shows
    // this window (not modal), runs every entry, then shows the final values,
    // unlocks (setStatus(true)) and hides, also after a failed source
    // directory or an exception. mainStatus receives setSaved, setStatusText
    // and flush. A call while a run is going does nothing and gives cancelled.
    RunOutcome BtnStartClick(const RunSettings& settings, RunView& mainStatus,
                             std::function<void(bool)> setStatus);
    // "Backup abbrechen ?" Yes/No; Yes cancels the run, unlocks the
    // main window and hides this one at once.
    void BtnCancelClick();

    // The run's state: the main window clears its cancel before a start and
    // cancels from its close query; the counters stay readable after the run.
    RunState& state() { return state_; }
    const RunState& state() const { return state_; }
    bool running() const { return running_; }

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
    // The clock of that pacing (GetTickCount); tests freeze it.
    void setTickSource(std::function<uint32_t()> ticks);

    // What the window shows of a value, its label, and where, in client pixels.
    const std::string& shownText(Text text) const { return shownText_[text]; }
    HWND valueLabel(Text text) const { return values_[text]; }
    static RECT textRect(Text text);

protected:
    void onCommand(int row, int code) override;
    bool onKeyDown(UINT key, unsigned shift) override;
    bool onCloseQuery() override;

private:
    void setLabel(Text text, std::string value);
    void setBar(Row row, int percent);
    void updateIfDue();
    void apply();
    void showNow();
    bool onTop() const;
    bool cancelWaiting() const;

    Win32FileSystem fs_;
    // What the run asks of the file system: calls that wait for a medium
    // leave this window answering.
    AnsweringFileSystem answering_{fs_};
    RunState state_;
    bool running_ = false;
    bool skipErrors_ = false;
    RunLog* log_ = nullptr;
    RunView* mainStatus_ = nullptr;
    std::function<void(bool)> setStatus_;
    PromptHandler previousPrompt_;

    // What the run gave (wanted) and what the window shows (shown).
    std::array<std::string, kTextCount> wantedText_, shownText_;
    std::array<HWND, kTextCount> values_{};
    std::array<int, kRowCount> wantedPos_{}, shownPos_{};
    bool dirty_ = false;
    bool savedPending_ = false, statusPending_ = false;
    uint64_t savedFiles_ = 0, savedBytes_ = 0;
    std::string statusText_;

    std::function<uint32_t()> ticks_;
    uint32_t lastUpdate_ = 0, lastRaiseCheck_ = 0, lastPump_ = 0;
    bool updateNow_ = true, checkRaiseNow_ = true, pumpNow_ = true;
};

}  // namespace tresorix
