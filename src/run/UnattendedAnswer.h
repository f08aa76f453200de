// The controller's answer for a run that nobody watches (/SKIPERRORS).
#pragma once

#include "engine/RunPrompts.h"

namespace tresorix {

// The way past the file or directory when the prompt offers one, OK for a
// message that only informs, otherwise Cancel, which ends the run.
inline ButtonResult UnattendedAnswer(const Prompt& prompt)
{
    if (prompt.wayPast != mrNone)
        return prompt.wayPast;
    return prompt.buttons == btnOK ? mrOk : mrCancel;
}

// Answers every prompt so, without a box: a run nobody watches.
class UnattendedPrompts : public RunPrompts {
public:
    Answer ask(const Prompt& prompt) override { return {UnattendedAnswer(prompt), true}; }
};

}  // namespace tresorix
