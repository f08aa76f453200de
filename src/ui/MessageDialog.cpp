#include "ui/MessageDialog.h"

#include "platform/TextConv.h"
#include "ui/Accessible.h"
#include "ui/Form.h"
#include "ui/ProcessMessages.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace tresorix {

namespace {

// Pixels at 96 dpi: the usual dialog measures for an 8-point font.
constexpr int kMargin = 11;
constexpr int kIconSize = 32;
constexpr int kIconGap = 12;  // icon to text
constexpr int kTextRight = 16;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
constexpr int kButtonsTop = 16;  // text or icon to the buttons

// Back from pixels at `dpi` to the 96-dpi pixels of a layout, rounding up
// so that the scaled rectangle still holds what was measured.
int unscale(int pixels, int dpi)
{
    return (pixels * 96 + dpi - 1) / dpi;
}

// The system's sign at `side` pixels, drawn for that size where the system
// has one. Kept per size for the program's life, as LoadIcon's are.
HICON signIcon(PromptKind kind, int side)
{
    static std::vector<std::pair<int, HICON>> made[2];
    auto& icons = made[kind == PromptKind::confirm];
    for (auto [s, icon] : icons)
        if (s == side)
            return icon;
    const wchar_t* name = kind == PromptKind::confirm ? IDI_QUESTION : IDI_INFORMATION;
    // Only the common controls of version 6 have it, which the manifest loads.
    static const auto scaleDown = reinterpret_cast<HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"comctl32.dll"), "LoadIconWithScaleDown")));
    HICON icon = nullptr;
    if (!scaleDown || FAILED(scaleDown(nullptr, name, side, side, &icon)) || !icon)
        return LoadIconW(nullptr, name);
    icons.emplace_back(side, icon);
    return icon;
}

class MessageForm : public Form {
public:
    MessageForm(PromptKind kind, const std::string& text, ButtonSet buttons) : kind_(kind), text_(text)
    {
        for (const ButtonInfo& b : kButtons)
            if (buttons & b.button)
                buttons_.push_back(b);
    }

    void build()
    {
        // Measured at the dpi of the screen the box will stand on: the
        // active window's, which will own it.
        const int dpi = WindowDpi(GetActiveWindow());
        std::wstring text = Widen(text_);
        SIZE textSize = measure(text, dpi);
        int textW = unscale(textSize.cx, dpi) + 1, textH = unscale(textSize.cy, dpi) + 1;
        int buttonsW = int(buttons_.size()) * (kButtonWidth + kButtonGap) - kButtonGap;
        int contentH = std::max(kIconSize, textH);
        int clientW = std::max(kMargin + kIconSize + kIconGap + textW + kTextRight, buttonsW + 2 * kMargin);
        int buttonsTop = kMargin + contentH + kButtonsTop;
        int clientH = buttonsTop + kButtonHeight + kMargin;

        Button def = DefaultButton(buttonMask()), esc = EscapeButton(buttonMask());
        std::vector<ControlRow> rows;
        rows.push_back({"Icon", Kind::icon, nullptr, nullptr, kMargin, kMargin, kIconSize, kIconSize});
        // A short text stands in the middle of the icon's height.
        int textTop = kMargin + (contentH - textH) / 2;
        rows.push_back({"Text", Kind::label, text_.c_str(), nullptr, kMargin + kIconSize + kIconGap, textTop, textW, textH,
                        0, mrNone, SS_NOPREFIX | SS_EDITCONTROL});
        int x = (clientW - buttonsW) / 2;
        for (const ButtonInfo& b : buttons_) {
            unsigned flags = rows.size() == 2 ? unsigned(rowGroup) : 0u;
            if (b.button == def)
                flags |= rowDefault;
            if (b.button == esc)
                flags |= rowCancel;
            rows.push_back({"Button", Kind::button, b.caption, nullptr, x, buttonsTop, kButtonWidth, kButtonHeight,
                            flags, b.result});
            x += kButtonWidth + kButtonGap;
        }

        const char* title = kind_ == PromptKind::confirm ? "Bestätigung" : "Information";
        create({kMessageDialogClass, title, clientW, clientH}, rows);
        showSign();
    }

protected:
    void onDpiChanged(int) override { showSign(); }
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override
    {
        // Read as the system's message box: a dialog, with its text.
        return msg == WM_GETOBJECT && AnswerAccessibleAs(handle(), wp, lp, L"#32770", result);
    }

private:
    void showSign()
    {
        item<Label>(0).send(STM_SETICON, WPARAM(signIcon(kind_, scale(kIconSize))));
    }

    ButtonSet buttonMask() const
    {
        ButtonSet set = 0;
        for (const ButtonInfo& b : buttons_)
            set |= b.button;
        return set;
    }

    // Wrapped at half the screen's width; DT_EDITCONTROL breaks a long path
    // too, the same way the label's SS_EDITCONTROL draws it.
    SIZE measure(const std::wstring& text, int dpi) const
    {
        RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, FormFont(false, dpi));
        DrawTextW(dc, text.empty() ? L" " : text.c_str(), -1, &r,
                  DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_EXPANDTABS | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return {r.right - r.left, r.bottom - r.top};
    }

    PromptKind kind_;
    std::string text_;
    std::vector<ButtonInfo> buttons_;
};

}  // namespace

ButtonResult ShowMessageDialog(PromptKind kind, const std::string& text, ButtonSet buttons)
{
    MessageForm form(kind, text, buttons);
    form.build();
    form.centerOnScreen();
    return ButtonResult(form.showModal());
}

void InstallMessageDialog()
{
    SetPromptHandler(ShowMessageDialog);
    SetAfterPromptHook(ProcessMessages);
    // A box that cannot show itself throws again here, and the report ends
    // in the guard's silence instead of another box.
    SetUiErrorHandler([](const std::string& what) { ShowMessageDialog(PromptKind::info, what, btnOK); });
}

}  // namespace tresorix
