#include "dialogs/MdForm.h"

#include "engine/FileHelpers.h"
#include "engine/Format.h"
#include "set/Text.h"
#include "ui/Prompts.h"

#include <algorithm>

namespace tresorix {

namespace {

// LbDir starts where Label1's text ends; its place is set at creation.
constexpr ControlRow kLayout[] = {
    {"Label1", Kind::label, "Erstelle neues Verzeichnis in ", nullptr, 8, 12, 0, 0},
    {"LbDir", Kind::label, "", nullptr, 160, 12, 214, 14, rowBold, mrNone, SS_NOPREFIX | SS_PATHELLIPSIS},
    {"Label2", Kind::label, "&Verzeichnisname: ", nullptr, 8, 39, 0, 0},
    {"Edit", Kind::edit, "", nullptr, 104, 35, 270, 21},
    {"BtnErstellen", Kind::button, "&Erstellen", nullptr, 218, 64, 75, 23, rowDefault, mrOk},
    {"BtnCancel", Kind::button, "&Abbruch", nullptr, 299, 64, 75, 23, rowCancel, mrCancel},
};

}  // namespace

TmdForm::TmdForm()
{
    create({kMdFormClass, " Verzeichnis erstellen", 382, 95, WS_POPUP | WS_CAPTION}, kLayout);
    fitToLabels();
    centerOnScreen();
}

// LbDir and the edit field start where the labels before them end, in the
// font of the form's dpi.
void TmdForm::fitToLabels()
{
    RECT label = item<Label>(Label1).rect();
    RECT dir = item<Label>(LbDir).rect();
    item<Label>(LbDir).move(label.right, dir.top, dir.right - label.right, dir.bottom - dir.top);
    RECT prompt = item<Label>(Label2).rect();
    RECT field = edit().rect();
    int left = std::max(int(prompt.right) + scale(4), int(field.left));
    edit().move(left, field.top, field.right - left, field.bottom - field.top);
}

std::optional<std::string> TmdForm::Create(const std::string& directory)
{
    edit().setText("");
    setDirectory(directory);
    if (showModal() != mrOk)
        return std::nullopt;
    return directory_;
}

void TmdForm::setDirectory(const std::string& directory)
{
    directory_ = directory;
    setCaption(LbDir, directory);
}

void TmdForm::BtnErstellenClick()
{
    setModalResult(mrNone);
    std::string name = edit().text();
    TrimSpaces(name, true, true);
    if (name.empty())
        return;
    name = ResolveAgainst(directory_, name);
    uint32_t code = ForceDirectory(*fs_, name);
    if (code == 0) {
        directory_ = name;
        setModalResult(mrOk);
        return;
    }
    // Cancelled while the medium was asked: nothing to tell.
    if (code == errCancelled)
        return;
    ShowInfo("Konnte Verzeichnis \"" + name + "\" nicht erstellen." + "\r\nFehlermeldung: " + ErrorText(uint16_t(code)));
}

void TmdForm::onCommand(int row, int code)
{
    if (row == BtnErstellen && code == BN_CLICKED)
        BtnErstellenClick();
}

bool TmdForm::onMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result)
{
    switch (msg) {
    case WM_SHOWWINDOW:
        // Posted: the modal run puts the focus on the default button after
        // showing the form.
        if (wp)
            post(kFocusEdit);
        return false;
    case kFocusEdit:
        send(WM_NEXTDLGCTL, WPARAM(control(Edit)), TRUE);
        result = 0;
        return true;
    }
    return false;
}

}  // namespace tresorix
