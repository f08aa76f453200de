// Forms: a top-level window owned by a C++ object, its controls created from
// a layout table, its own modal loop.
//
//     class TProgress : public Form {
//         enum Row { Label1, LbFile, FileProg, BtnCancel };   // table order
//         static constexpr ControlRow kLayout[] = {
//             {"Label1", Kind::label, "kopiere:  ", nullptr, 8, 8, 0, 0},
//             {"LbFile", Kind::label, "", nullptr, 56, 8, 0, 0, rowBold, 0, SS_NOPREFIX},
//             {"FileProg", Kind::progressBar, "", nullptr, 8, 24, 409, 17, rowBold},
//             {"BtnCancel", Kind::button, "&Abbrechen", nullptr, 342, 117, 75, 22, rowCancel},
//         };
//         void onCommand(int row, int code) override { if (row == BtnCancel) ... }
//     };
//     create({L"TProgress", " Backup wird ausgeführt ...", 429, 150}, kLayout);
//
// Rectangles are pixels at 96 dpi and are scaled by the dpi of the monitor
// the form stands on; on another monitor the form lays itself out again from
// its table (setDpi). The table's texts must live as long as the form
// (static tables do).
#pragma once

#include "ui/Prompts.h"
#include "ui/Controls.h"
#include "ui/Metrics.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tresorix {

enum class Kind {
    label, button, edit, checkBox, radio, groupBox, comboBox, listView, progressBar, statusBar, icon, line, toolButton,
    valueLabel,  // ValueLabel.h: its owner paints it; VLS_PATH as style
    treeView,    // lines and buttons at every level, no dragging
    upDown,      // arrows at the right edge of the row before it, which they count up and down
};

// ControlRow::flags
enum : unsigned {
    rowBold = 1u << 0,
    rowHidden = 1u << 1,
    rowDisabled = 1u << 2,
    rowDefault = 1u << 3,  // Enter presses it (unless the focus is on another button)
    rowCancel = 1u << 4,   // Escape presses it
    rowGroup = 1u << 5,    // starts a group: the arrow keys move among radios up to the next one
};

struct ControlRow {
    const char* name;
    Kind kind;
    const char* caption;  // UTF-8
    const char* hint;     // tooltip text, or nullptr
    // A label with width 0 is as wide as its text, with height 0 as high.
    int left, top, width, height;
    unsigned flags = 0;
    ButtonResult modalResult = mrNone;  // a button that ends a modal run with this result
    DWORD style = 0;           // extra style bits of its kind: SS_NOPREFIX, LVS_..., ES_...
};

struct FormInfo {
    const wchar_t* className;  // one per form; tests find windows by it
    std::string caption;
    int clientWidth, clientHeight;  // pixels at 96 dpi
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    DWORD exStyle = WS_EX_DLGMODALFRAME;
    bool wholeWindow = false;  // the width and height include the frame
};

// Key modifiers passed to Form::onKeyDown.
enum : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };

// A window that could not be made; the text names it, in German, for the
// user (the message dialog shows what the guards report).
class UiCreateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// Throws UiCreateError for `what` ("Das Fenster \"TDirWahl\"") with the
// last error, unless the handle is there; returns it.
HWND requireWindow(HWND hwnd, const std::string& what);

// An exception that reaches a window procedure or a key preview is stopped
// there and handed to this handler (by default the debugger output).
using UiErrorHandler = std::function<void(const std::string& what)>;
UiErrorHandler SetUiErrorHandler(UiErrorHandler handler);
void reportUiError(const char* what);

// Runs a handler inside a window procedure: an exception must not cross
// into the system's code, which cannot unwind it, so it is reported here.
template <class F>
auto guarded(F&& f, decltype(f()) fallback) -> decltype(f())
{
    try {
        return f();
    } catch (const std::exception& e) {
        reportUiError(e.what());
    } catch (...) {
        reportUiError("unknown exception");
    }
    return fallback;
}
template <class F>
void guarded(F&& f)
{
    guarded([&] { f(); return true; }, false);
}

class Form : public Window {
public:
    Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    // Creates the window hidden, with its controls in table order (which is
    // also the tab order). Row i gets the control id kFirstControlId + i.
    // A window or control that cannot be made throws UiCreateError, and no
    // window is left; a form never lives on with a null handle. True.
    bool create(const FormInfo& info, std::span<const ControlRow> layout, HWND owner = nullptr);
    // Clears the object pointer first: no message of the dying window reaches
    // a half-destroyed object.
    void destroy();

    static constexpr int kFirstControlId = 1000;
    HWND control(int row) const { return row >= 0 && size_t(row) < controls_.size() ? controls_[row] : nullptr; }
    // A control as its typed wrapper: item<CheckBox>(AutoClose).checked().
    template <class Control>
    Control item(int row) const { return Control(control(row)); }
    int rowOf(HWND control) const;
    const ControlRow& row(int index) const { return rows_[size_t(index)]; }
    // Sets a control's text; a label that sizes itself is measured again.
    void setCaption(int row, std::string_view text);
    // As if the user clicked the button; nothing when it is disabled.
    void click(int row);
    // The form's tooltip window with every hint registered, made on first
    // use; empty while the form has no hint.
    ToolTip hints();
    // A hint for a window the table does not hold; the text must live as
    // long as the form.
    void addHint(HWND tool, const char* text);
    void setHintPopTime(int milliseconds) { hintPopTime_ = milliseconds; }
    // The first mouse move over the form makes its hints: a form that never
    // sees the mouse, like one of an unattended run, never pays for them.
    void prepareHints(const MSG& msg);

    void centerOnScreen() const;

    // The dpi the form is laid out for, and its pixels at 96 dpi in it.
    int dpi() const { return dpi_; }
    int scale(int pixels) const { return ScaleTo(pixels, dpi_); }
    // Lays the form out again for `dpi`: every control from its table row,
    // in the fonts of that dpi, then onDpiChanged. Then the window takes the
    // rectangle Windows suggests (WM_DPICHANGED), else a sizeable one its
    // size scaled; a fixed one keeps its design's client size.
    void setDpi(int dpi, const RECT* suggested = nullptr);

    // Owner = the thread's active window. Every other visible window of the
    // thread is disabled until the result is set: by a button's modalResult,
    // setModalResult or closing the form (mrCancel). A WM_QUIT ends the run
    // with mrCancel and is posted again for the outer loop.
    ButtonResult showModal();
    bool modal() const { return modal_; }
    void setModalResult(ButtonResult result) { modalResult_ = result; }
    ButtonResult modalResult() const { return modalResult_; }

    // The form behind a top-level window, or nullptr for any other window.
    static Form* fromHandle(HWND hwnd);
    // Key preview: true when the form took the key away from the control.
    bool previewKey(const MSG& msg);

protected:
    void setKeyPreview(bool on) { keyPreview_ = on; }

    virtual void onCommand(int row, int code) {}
    virtual LRESULT onNotify(int row, NMHDR& header) { return 0; }
    // With key preview, every WM_KEYDOWN/WM_SYSKEYDOWN for the form's windows
    // comes here first; return true to consume it.
    virtual bool onKeyDown(UINT key, unsigned shift) { return false; }
    virtual bool onCloseQuery() { return true; }
    // Closing a form that is not modal hides it.
    virtual void onClose() { show(false); }
    virtual void onResize(int width, int height) {}
    // After setDpi has placed every control from its row: what the form
    // places or measures itself follows here.
    virtual void onDpiChanged(int oldDpi) {}
    // Any other message; set result and return true when handled.
    virtual bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void createControl(int index);
    void placeControl(int index);
    void fitDesignSize();
    void setDpiIcons();
    void fitLabel(int row);
    void command(int row, int code);
    void detach();

    std::vector<ControlRow> rows_;
    std::vector<HWND> controls_;
    int dpi_ = 96;
    int designWidth_ = 0, designHeight_ = 0;  // FormInfo's client size
    ToolTip hints_;
    std::vector<std::pair<HWND, const char*>> extraHints_;
    int hintPopTime_ = 0;
    bool hintsFailed_ = false;
    std::pair<WPARAM, LPARAM> lastSize_{~WPARAM(0), 0};  // of the last WM_SIZE
    int defaultRow_ = -1, cancelRow_ = -1;
    bool keyPreview_ = false;
    bool modal_ = false;
    ButtonResult modalResult_ = mrNone;
};

// Every pump hands its messages here: key preview and the dialog keys (Tab,
// Enter, Escape, mnemonics) for forms, then the usual dispatch.
void DispatchFormMessage(MSG& msg);

}  // namespace tresorix
