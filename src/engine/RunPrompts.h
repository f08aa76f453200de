// How a run asks the user. A prompt is data: its text, its buttons and the
// answer that passes its file or directory over. Whoever answers may answer
// for a run that nobody watches without showing a box, and says that it did.
#pragma once

#include "ui/Prompts.h"

#include <string>

namespace tresorix {

struct Prompt {
    PromptKind kind = PromptKind::info;
    std::string text;
    ButtonSet buttons = btnOK;
    // The answer that passes the file or directory over; none when the
    // prompt offers no way past.
    ButtonResult wayPast = mrNone;
    // The closing summary: shown even to a run that nobody answers for.
    bool report = false;
};

struct Answer {
    ButtonResult result = mrNone;
    // Given for an unattended run: nobody saw the prompt.
    bool unattended = false;
};

class RunPrompts {
public:
    virtual ~RunPrompts() = default;
    // Called with the run's hold on the target let go of when a box shows.
    virtual Answer ask(const Prompt& prompt) = 0;
};

// The prompt's box, through the program's prompt handler.
inline ButtonResult ShowPrompt(const Prompt& prompt)
{
    return prompt.kind == PromptKind::confirm ? AskConfirm(prompt.text, prompt.buttons)
                                              : AskInfo(prompt.text, prompt.buttons);
}

}  // namespace tresorix
