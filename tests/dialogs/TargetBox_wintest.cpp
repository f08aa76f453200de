#include "dialogs/TargetBox.h"

#include "engine/Format.h"
#include "support/ScriptedAnswerer.h"
#include "support/win/TempTree.h"
#include "ui/Form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tresorix {
namespace {

using test::ScriptedAnswerer;
using test::TempTree;

class BoxForm : public Form {
public:
    static constexpr ControlRow kLayout[] = {
        {"Box", Kind::comboBox, "", nullptr, 8, 8, 300, 21},
    };
    BoxForm() { create({L"TargetBoxTest", "Ziel", 320, 40}, kLayout); }
    ComboBox box() const { return item<ComboBox>(0); }

    std::vector<std::string> items() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < box().count(); ++i)
            out.push_back(box().item(i));
        return out;
    }
    void fill(int n)
    {
        for (int i = 0; i < n; ++i)
            box().add("D:\\Ziel" + std::to_string(i));
    }
};

TEST(TargetBox, TidiesThePathAndFallsBackToCBackup)
{
    BoxForm f;
    AddTargetToBox(f.box(), "  D:\\Daten  ", false);
    AddTargetToBox(f.box(), "   ", false);
    AddTargetToBox(f.box(), "\tE:\\Tab\t", false);
    EXPECT_EQ(f.items(), (std::vector<std::string>{"D:\\Daten", "C:\\BACKUP", "\tE:\\Tab\t"}));
    EXPECT_EQ(SelectedTarget(f.box()), "\tE:\\Tab\t");
    AddTargetToBox(f.box(), "", false);
    EXPECT_EQ(SelectedTarget(f.box()), "C:\\BACKUP");
    EXPECT_EQ(f.box().count(), 3);
}

TEST(TargetBox, HistoryKeepsNineAndMatchesExactly)
{
    BoxForm f;
    f.fill(8);
    AddTargetToBox(f.box(), "D:\\Neu", false);
    EXPECT_EQ(f.box().count(), 9) << "8 plus the new one, nothing removed";
    EXPECT_EQ(f.items().front(), "D:\\Ziel0");

    AddTargetToBox(f.box(), "D:\\Noch", false);
    std::vector<std::string> items = f.items();
    ASSERT_EQ(items.size(), 9u);
    EXPECT_EQ(items.front(), "D:\\Ziel1") << "the oldest goes";
    EXPECT_EQ(items.back(), "D:\\Noch");
    EXPECT_EQ(f.box().selected(), 8);

    // A known path is only selected; it keeps its place.
    AddTargetToBox(f.box(), "D:\\Ziel3", false);
    EXPECT_EQ(f.items(), items);
    EXPECT_EQ(f.box().selected(), 2);

    // Letter case and a trailing backslash make new items.
    BoxForm g;
    for (const char* path : {"C:\\BACKUP", "c:\\backup", "C:\\BACKUP\\", "c:\\backup"})
        AddTargetToBox(g.box(), path, false);
    EXPECT_EQ(g.items(), (std::vector<std::string>{"C:\\BACKUP", "c:\\backup", "C:\\BACKUP\\"}));
    EXPECT_EQ(g.box().selected(), 1);

    // Of two equal items the later one counts.
    g.box().add("C:\\BACKUP");
    AddTargetToBox(g.box(), "C:\\BACKUP", false);
    EXPECT_EQ(g.box().selected(), 3);
}

TEST(TargetBox, CheckCreatesTheDirectoryOrReportsAndStillRemembers)
{
    TempTree tree;
    BoxForm f;
    ScriptedAnswerer answers;
    std::string deep = tree.path("a\\b\\c");
    AddTargetToBox(f.box(), deep, true);
    EXPECT_TRUE(test::IsDirectory(deep));
    AddTargetToBox(f.box(), deep, true);  // present: no message
    EXPECT_EQ(f.box().count(), 1);

    AddTargetToBox(f.box(), "<Standardziel>", true);
    EXPECT_EQ(SelectedTarget(f.box()), "<Standardziel>");

    // "<" without ">" is tested, and refused as an unresolved placeholder.
    std::string odd = tree.path("x<y");
    answers.then(mrOk);
    AddTargetToBox(f.box(), odd, true);
    ASSERT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(answers.asked()[0].text, "Konnte Verzeichnis \"" + odd + "\" nicht anlegen bzw. überprüfen." +
                                           "\r\nFehlerMeldung: " + ErrorText(82));
    EXPECT_EQ(answers.asked()[0].buttons, ButtonSet(btnOK));
    EXPECT_EQ(answers.asked()[0].kind, PromptKind::info);
    EXPECT_EQ(SelectedTarget(f.box()), odd);

    // A device name as the last part is refused, and nothing is made.
    const std::string device = tree.path("con");
    answers.then(mrOk, "\"" + device + "\" ist ein Gerätename von Windows und kann kein Zielverzeichnis sein.");
    AddTargetToBox(f.box(), device, true);
    EXPECT_FALSE(test::IsDirectory(device));
    EXPECT_EQ(SelectedTarget(f.box()), odd);
    EXPECT_EQ(answers.pending(), 0u);
}

}  // namespace
}  // namespace tresorix
