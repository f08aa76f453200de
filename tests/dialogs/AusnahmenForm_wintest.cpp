// The exclusions dialog of the main window's system menu, driven as a user
// would: type, Vorschlag, OK or Abbrechen.
#include "dialogs/AusnahmenForm.h"

#include "support/ScriptedAnswerer.h"
#include "ui/Controls.h"
#include "ui/DriveUi.h"

#include <gtest/gtest.h>

#include <functional>

namespace tresorix {
namespace {

using test::ScriptedAnswerer;
using test::whenIdle;

std::optional<std::string> pick(TAusnahmenForm& form, const std::string& list, std::function<void()> user)
{
    whenIdle(std::move(user));
    return form.Pick(list);
}

TEST(AusnahmenForm, VorschlagFillsTheLineAndOkTakesIt)
{
    TAusnahmenForm form;
    Window line(form.control(TAusnahmenForm::EdList));
    EXPECT_EQ(pick(form, "*.bak",
                   [&] {
                       EXPECT_EQ(line.text(), "*.bak");
                       form.click(TAusnahmenForm::BtnVorschlag);
                       EXPECT_EQ(line.text(), "~$*;*.tmp;Thumbs.db;desktop.ini");
                       form.click(TAusnahmenForm::BtnOk);
                   }),
              "~$*;*.tmp;Thumbs.db;desktop.ini");
    EXPECT_EQ(pick(form, "", [&] { line.setText("  *.bak;Cache\\ "), form.click(TAusnahmenForm::BtnOk); }),
              "*.bak;Cache\\");
    EXPECT_EQ(pick(form, "*.bak", [&] { line.setText(""), form.click(TAusnahmenForm::BtnOk); }), "");
    EXPECT_EQ(pick(form, "*.bak", [&] { line.setText("*.tmp"), form.click(TAusnahmenForm::BtnCancel); }),
              std::nullopt);
}

// A refused list is named in a message and the dialog stays open with it,
// for the user to mend.
TEST(AusnahmenForm, RefusesWhatLeavesEverythingOutAPathAndALeadingDash)
{
    TAusnahmenForm form;
    Window line(form.control(TAusnahmenForm::EdList));
    struct Refused {
        const char* list;
        const char* item;  // the one the message names
    };
    for (const Refused& refused : {Refused{"*.tmp; *.*", "*.*"}, Refused{"*", "*"},
                                   Refused{"Daten\\Cache\\", "Daten\\Cache\\"}, Refused{"-*.tmp", "-*.tmp"}}) {
        ScriptedAnswerer answers;
        answers.then(mrOk, std::string("Die Ausnahme \"") + refused.item + "\"");
        EXPECT_EQ(pick(form, "",
                       [&] {
                           line.setText(refused.list);
                           form.click(TAusnahmenForm::BtnOk);
                           EXPECT_TRUE(form.modal());
                           EXPECT_EQ(line.text(), refused.list);
                           line.setText("*.tmp");
                           form.click(TAusnahmenForm::BtnOk);
                       }),
                  "*.tmp");
        EXPECT_EQ(answers.pending(), 0u) << refused.list;
    }
}

}  // namespace
}  // namespace tresorix
