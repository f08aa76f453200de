#include "support/ScriptedAnswerer.h"

#include <gtest/gtest.h>

namespace tresorix::test {

ScriptedAnswerer::ScriptedAnswerer()
{
    previous_ = SetPromptHandler([this](PromptKind kind, const std::string& text, ButtonSet buttons) {
        return answer(kind, text, buttons);
    });
}

ScriptedAnswerer::~ScriptedAnswerer()
{
    SetPromptHandler(std::move(previous_));
    EXPECT_TRUE(plan_.empty()) << plan_.size() << " planned prompt(s) never came";
}

ScriptedAnswerer& ScriptedAnswerer::then(ButtonResult answer, std::string textStart)
{
    plan_.push_back({answer, std::move(textStart), {}});
    return *this;
}

ScriptedAnswerer& ScriptedAnswerer::thenDo(ButtonResult answer, std::function<void()> action)
{
    plan_.push_back({answer, {}, std::move(action)});
    return *this;
}

ButtonResult ScriptedAnswerer::answer(PromptKind kind, const std::string& text, ButtonSet buttons)
{
    asked_.push_back({kind, text, buttons});
    if (plan_.empty()) {
        ADD_FAILURE() << "unplanned prompt: " << text;
        return mrCancel;
    }
    Step step = std::move(plan_.front());
    plan_.pop_front();
    if (!step.textStart.empty()) {
        EXPECT_EQ(text.substr(0, step.textStart.size()), step.textStart);
    }
    if (step.action)
        step.action();
    return step.answer;
}

}  // namespace tresorix::test
