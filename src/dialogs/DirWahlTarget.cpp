// The source dialog's target: its box, which keeps Enter for itself, and
// its button, which opens the target dialog.
#include "dialogs/DirWahl.h"

#include "dialogs/TargetBox.h"
#include "set/Text.h"

namespace tresorix {

void TDirWahl::commitTarget()
{
    AddTargetToBox(zielBox(), zielBox().text(), false);
}

void TDirWahl::ZielBoxEnter()
{
    okDefault_ = false;
    // Only the look: the box keeps Enter for itself (HookTargetEdit).
    item<PushButton>(BtnOk).send(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
}

void TDirWahl::ZielBoxKeyUp(unsigned key)
{
    if (key != VK_RETURN)
        return;
    commitTarget();
    send(WM_NEXTDLGCTL, WPARAM(control(BtnOk)), TRUE);
}

void TDirWahl::ZielBoxExit()
{
    commitTarget();
    okDefault_ = true;
    send(DM_SETDEFID, kFirstControlId + BtnOk);
}

void TDirWahl::BtnOkClick()
{
    // The target box's exit runs on the way, so a typed target is in its
    // list before the dialog closes.
    send(WM_NEXTDLGCTL, WPARAM(control(BtnOk)), TRUE);
    if (modal())
        setModalResult(mrOk);
}

void TDirWahl::BtnZielWahlClick()
{
    ComboBox box = zielBox();
    std::string typed = box.text();
    AddTargetToBox(box, typed, false);
    int index = box.selected();
    std::string proposal = index >= 0 ? box.item(index) : std::string(kFallbackTarget);
    if (proposal.find(kStdZiel) != std::string::npos)
        proposal = standardTarget_;
    AddTargetToBox(box, proposal, true, fs_);
    // The box has tidied the proposal (blanks, an empty text): the target
    // dialog opens where the box now points.
    index = box.selected();
    if (index >= 0)
        proposal = box.item(index);

    std::optional<std::string> chosen = chooseTarget ? chooseTarget(proposal) : std::nullopt;
    AddTargetToBox(box, chosen ? *chosen : typed, false);
}

}  // namespace tresorix
