// Answers prompts from a plan and records what was asked. A prompt that was
// not planned fails the test and is answered with Cancel, which ends a run.
#pragma once

#include "ui/Prompts.h"

#include <deque>
#include <string>
#include <vector>

namespace tresorix::test {

struct AskedPrompt {
    PromptKind kind;
    std::string text;
    ButtonSet buttons;
};

class ScriptedAnswerer {
public:
    ScriptedAnswerer();
    ~ScriptedAnswerer();
    ScriptedAnswerer(const ScriptedAnswerer&) = delete;
    ScriptedAnswerer& operator=(const ScriptedAnswerer&) = delete;

    // Plans the next answer; `textStart`, when given, must begin the prompt's text.
    ScriptedAnswerer& then(ButtonResult answer, std::string textStart = {});
    // Runs `action` when the next prompt comes, before answering it (to change
    // the world between a prompt and the retry it asks for).
    ScriptedAnswerer& thenDo(ButtonResult answer, std::function<void()> action);

    const std::vector<AskedPrompt>& asked() const { return asked_; }
    size_t pending() const { return plan_.size(); }

private:
    struct Step {
        ButtonResult answer;
        std::string textStart;
        std::function<void()> action;
    };
    ButtonResult answer(PromptKind kind, const std::string& text, ButtonSet buttons);

    std::deque<Step> plan_;
    std::vector<AskedPrompt> asked_;
    PromptHandler previous_;
};

}  // namespace tresorix::test
