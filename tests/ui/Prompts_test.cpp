#include "ui/Prompts.h"
#include "support/ScriptedAnswerer.h"

#include <gtest/gtest.h>

namespace tresorix {
namespace {

TEST(Prompts, DefaultAndEscapeButtonsOfEverySetInUse)
{
    struct Case {
        ButtonSet set;
        Button enter, escape;
    } cases[] = {
        {btnOK, btnOK, btnOK},
        {btnYes | btnNo, btnYes, btnNo},
        {btnOK | btnCancel, btnOK, btnCancel},
        {btnYes | btnNo | btnCancel, btnYes, btnCancel},
        {btnOK | btnCancel | btnRetry, btnOK, btnCancel},
        {btnOK | btnCancel | btnAll, btnOK, btnCancel},
        {btnRetry | btnIgnore, btnRetry, Button(0)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DefaultButton(c.set), c.enter) << c.set;
        EXPECT_EQ(EscapeButton(c.set), c.escape) << c.set;
    }
}

TEST(Prompts, ButtonsAreInDisplayOrderWithTheirResults)
{
    std::string captions;
    for (const ButtonInfo& b : kButtons)
        captions += std::string(b.caption) + "=" + std::to_string(b.result) + " ";
    EXPECT_EQ(captions, "&Ja=6 &Nein=7 OK=1 Abbrechen=2 &Abbrechen=3 &Wiederholen=4 &Ignorieren=5 &Alle=8 &Hilfe=0 ");
}

TEST(Prompts, GoThroughTheInstalledHandlerThenTheHook)
{
    int hooked = 0;
    SetAfterPromptHook([&] { ++hooked; });
    {
        test::ScriptedAnswerer answers;
        answers.then(mrYes, "Frage").then(mrOk);
        EXPECT_EQ(AskConfirm("Frage?", btnYes | btnNo), mrYes);
        ShowInfo("Hinweis");
        ASSERT_EQ(answers.asked().size(), 2u);
        EXPECT_EQ(answers.asked()[0].kind, PromptKind::confirm);
        EXPECT_EQ(answers.asked()[1].kind, PromptKind::info);
        EXPECT_EQ(answers.asked()[1].buttons, ButtonSet(btnOK));
    }
    SetAfterPromptHook(nullptr);
    EXPECT_EQ(hooked, 2);
}

}  // namespace
}  // namespace tresorix
