#include "ui/DialogFiles.h"

#include "platform/Win32FileSystem.h"
#include "ui/Form.h"

#include <memory>
#include <string>

namespace tresorix {

namespace {

// The form the user works in while it runs modally; its result set means
// it is closing.
Form* modalForm()
{
    Form* form = Form::fromHandle(GetActiveWindow());
    return form && form->modal() ? form : nullptr;
}

bool isCancelButton(const Form& form, HWND hwnd)
{
    int row = form.rowOf(hwnd);
    return row >= 0 && (form.row(row).flags & rowCancel);
}

class WindowsWaiter : public AnsweringFileSystem::Waiter {
public:
    bool wanted() override { return !closing(modalForm()); }

    bool waiting(bool first) override
    {
        HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
        // A message answered meanwhile may wait for a medium of its own.
        if (first && waits_++ == 0)
            cursor_ = SetCursor(wait);
        Form* form = modalForm();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT))
            take(form, msg);
        // A window that does not validate what it paints must not keep the
        // wait from looking at its call.
        for (int i = 0; i < 16 && PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
            DispatchMessageW(&msg);
        // The mouse moved meanwhile, and each window set its own cursor.
        SetCursor(wait);
        return !closing(form);
    }

    void waited() override
    {
        if (--waits_ == 0)
            SetCursor(cursor_);
    }

private:
    static bool closing(Form* form) { return form && form->modalResult() != mrNone; }

    // The caption moves the window (the system's move loop answers for
    // itself); the cancel button and Escape end the modal form.
    static void take(Form* form, MSG& msg)
    {
        switch (msg.message) {
        case WM_NCLBUTTONDOWN:
            if (msg.wParam == HTCAPTION)
                DispatchMessageW(&msg);
            break;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            if (form && isCancelButton(*form, msg.hwnd))
                DispatchMessageW(&msg);
            break;
        case WM_KEYDOWN:
            if (msg.wParam == VK_ESCAPE && form && GetAncestor(msg.hwnd, GA_ROOT) == form->handle())
                SendMessageW(form->handle(), WM_COMMAND, IDCANCEL, 0);
            break;
        default:
            break;
        }
    }

    HCURSOR cursor_ = nullptr;
    int waits_ = 0;
};

class AnsweringDrives : public Drives {
public:
    uint32_t letters() override { return SystemDrives().letters(); }
    DriveKind kind(char letter) override { return SystemDrives().kind(letter); }
    std::string label(char letter) override
    {
        auto label = std::make_shared<std::string>();
        DialogFileSystem().onMedium(std::string{letter, ':', '\\'}, [label, letter] {
            *label = SystemDrives().label(letter);
        });
        return *label;
    }
    std::string connection(char letter) override { return SystemDrives().connection(letter); }
};

}  // namespace

void AnswerForWindows(AnsweringFileSystem& fs)
{
    static WindowsWaiter waiter;
    fs.setWaiter(&waiter);
}

AnsweringFileSystem& DialogFileSystem()
{
    static Win32FileSystem real;
    static AnsweringFileSystem files(real);
    static const bool waits = (AnswerForWindows(files), true);
    (void)waits;
    return files;
}

Drives& DialogDrives()
{
    static AnsweringDrives drives;
    return drives;
}

}  // namespace tresorix
