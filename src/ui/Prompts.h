// Message prompts with German buttons. They all go through one replaceable
// handler: the program installs its message dialog, tests a scripted answerer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tresorix {

// Buttons in display order; a ButtonSet is an or-ed combination.
enum Button : uint32_t {
    btnYes = 1u << 0,
    btnNo = 1u << 1,
    btnOK = 1u << 2,
    btnCancel = 1u << 3,
    btnAbort = 1u << 4,
    btnRetry = 1u << 5,
    btnIgnore = 1u << 6,
    btnAll = 1u << 7,
    btnHelp = 1u << 8,
};
using ButtonSet = uint32_t;

// Result codes as the run's answer word stores them.
enum ButtonResult : uint16_t {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
};

enum class PromptKind { confirm, info };

struct ButtonInfo {
    Button button;
    const char* caption;
    ButtonResult result;
};
// The nine buttons in display order with their captions and results.
extern const ButtonInfo kButtons[9];

// Enter presses OK if present, else Yes, else Retry; Escape presses Cancel
// if present, else No, else OK. None: 0.
Button DefaultButton(ButtonSet buttons);
Button EscapeButton(ButtonSet buttons);

using PromptHandler = std::function<ButtonResult(PromptKind, const std::string& text, ButtonSet)>;
// Installs the handler and returns the previous one.
PromptHandler SetPromptHandler(PromptHandler handler);
// Called after every prompt: the program lets pending events through.
void SetAfterPromptHook(std::function<void()> hook);

ButtonResult AskConfirm(const std::string& text, ButtonSet buttons);
ButtonResult AskInfo(const std::string& text, ButtonSet buttons);
void ShowInfo(const std::string& text);

}  // namespace tresorix
