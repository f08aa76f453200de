#include "ui/Prompts.h"

#include <utility>

namespace tresorix {

const ButtonInfo kButtons[9] = {
    {btnYes, "&Ja", mrYes},
    {btnNo, "&Nein", mrNo},
    {btnOK, "OK", mrOk},
    {btnCancel, "Abbrechen", mrCancel},
    {btnAbort, "&Abbrechen", mrAbort},
    {btnRetry, "&Wiederholen", mrRetry},
    {btnIgnore, "&Ignorieren", mrIgnore},
    {btnAll, "&Alle", mrAll},
    {btnHelp, "&Hilfe", mrNone},
};

namespace {
PromptHandler handler;
std::function<void()> afterPrompt;

ButtonResult ask(PromptKind kind, const std::string& text, ButtonSet buttons)
{
    // Without a handler nobody can answer; closing a box otherwise gives 2.
    ButtonResult result = handler ? handler(kind, text, buttons) : mrCancel;
    if (afterPrompt)
        afterPrompt();
    return result;
}
}  // namespace

Button DefaultButton(ButtonSet buttons)
{
    for (Button b : {btnOK, btnYes, btnRetry})
        if (buttons & b)
            return b;
    return Button(0);
}

Button EscapeButton(ButtonSet buttons)
{
    for (Button b : {btnCancel, btnNo, btnOK})
        if (buttons & b)
            return b;
    return Button(0);
}

PromptHandler SetPromptHandler(PromptHandler h)
{
    return std::exchange(handler, std::move(h));
}

void SetAfterPromptHook(std::function<void()> hook)
{
    afterPrompt = std::move(hook);
}

ButtonResult AskConfirm(const std::string& text, ButtonSet buttons)
{
    return ask(PromptKind::confirm, text, buttons);
}

ButtonResult AskInfo(const std::string& text, ButtonSet buttons)
{
    return ask(PromptKind::info, text, buttons);
}

void ShowInfo(const std::string& text)
{
    ask(PromptKind::info, text, btnOK);
}

}  // namespace tresorix
