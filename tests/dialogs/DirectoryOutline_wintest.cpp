// The directory tree on real directories: reading levels, the current
// directory and drive, the change notification, keys and redrawing.
#include "dialogs/DirectoryOutline.h"

#include "engine/Format.h"
#include "platform/TextConv.h"
#include "support/ScriptedAnswerer.h"
#include "support/win/TempTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tresorix {
namespace {

using test::ScriptedAnswerer;
using test::TempTree;

class OutlineForm : public Form {
public:
    static constexpr ControlRow kLayout[] = {
        {"DirView", Kind::treeView, "", nullptr, 8, 8, 250, 300},
    };
    OutlineForm()
    {
        create({L"OutlineTest", "Baum", 266, 316}, kLayout);
        tree.create(*this, 0);
        tree.OnChange = [this] { changes.push_back(tree.Directory()); };
    }
    TDirectoryOutline tree;
    std::vector<std::string> changes;

protected:
    bool onMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) override
    {
        return msg == WM_NOTIFY && tree.handleNotify(lp, result);
    }
};

std::string withoutSlash(std::string path)
{
    if (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return path;
}

std::string upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

// The tree must never move the working directory; were it to, every test
// gets it back.
class OutlineTest : public ::testing::Test {
protected:
    OutlineTest()
    {
        wchar_t cwd[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cwd);
        saved_ = cwd;
        temp.mkdir("Beta");
        temp.mkdir("alpha");
        temp.mkdir("Gamma");
        temp.mkdir(".git");
        temp.mkdir("\xC3\x84rger");  // Ärger
        temp.mkdir("alpha\\Unten");
        test::SetAttributes(temp.path("Gamma"), attrDirectory | attrHidden);
        temp.mkdir("Sys");
        test::SetAttributes(temp.path("Sys"), attrDirectory | attrSystem);
        temp.write("datei.txt", "x");
        // As the dialogs' drive selector does before the tree is used.
        f.tree.SetDrive(root[0]);
        f.changes.clear();
    }
    ~OutlineTest() override { SetCurrentDirectoryW(saved_.c_str()); }

    std::vector<std::string> childrenOf(int index) const
    {
        std::vector<std::string> names;
        int level = f.tree.Level(index);
        for (int i = index + 1; i <= f.tree.Count() && f.tree.Level(i) > level; ++i)
            if (f.tree.Level(i) == level + 1)
                names.push_back(f.tree.Text(i));
        return names;
    }

    TempTree temp;
    std::string root = LowerCaseName(withoutSlash(temp.root()));
    OutlineForm f;
    std::wstring saved_;
};

TEST_F(OutlineTest, ReadsALevelOnceSortedInLowerCaseWithoutDotNamesOrFiles)
{
    ShowDirectoryInTree(f.tree, temp.root());
    ASSERT_EQ(f.tree.Count(), 2);
    EXPECT_FALSE(f.tree.IsRead(2));

    f.tree.Open(2);
    EXPECT_TRUE(f.tree.IsRead(2));
    EXPECT_TRUE(f.tree.IsOpen(2));
    // Hidden and system directories too; "ä" sorts after "z" by exact comparison.
    EXPECT_EQ(childrenOf(2), (std::vector<std::string>{"alpha", "beta", "gamma", "sys", "\xC3\xA4rger"}));

    // Closed and opened again: not read again, so a new directory stays unseen.
    f.tree.Close(2);
    EXPECT_FALSE(f.tree.IsOpen(2));
    temp.mkdir("Delta");
    f.tree.Open(2);
    EXPECT_EQ(childrenOf(2).size(), 5u);

    // A leaf is read when opened and then has no children.
    f.tree.Open(5);  // beta
    EXPECT_TRUE(f.tree.IsRead(5));
    EXPECT_TRUE(childrenOf(5).empty());
}

TEST_F(OutlineTest, SelectingAnEntrySetsTheDirectoryAndNotifiesOnce)
{
    ShowDirectoryInTree(f.tree, upper(temp.root()));
    EXPECT_EQ(f.tree.Text(1), upper(temp.root()).substr(0, 3));
    EXPECT_EQ(f.tree.Directory(), root);
    EXPECT_EQ(f.changes, (std::vector<std::string>{root}));
    EXPECT_EQ(f.tree.SelectedIndex(), 2);

    f.changes.clear();
    f.tree.Open(2);
    f.tree.Open(3);  // alpha, opened from the top-level path entry
    ASSERT_EQ(f.tree.Text(4), "unten");
    f.tree.Select(4);
    EXPECT_EQ(f.tree.FullPath(4), upper(withoutSlash(temp.root())) + "\\alpha\\unten");
    EXPECT_EQ(f.tree.Directory(), root + "\\alpha\\unten");
    EXPECT_EQ(f.changes.size(), 1u);

    // Selecting the same entry again changes nothing.
    f.tree.Select(4);
    EXPECT_EQ(f.changes.size(), 1u);
}

TEST_F(OutlineTest, SetDriveBuildsTheRootAndItsChildrenHaveOneBackslash)
{
    OutlineForm g;  // a tree without a drive yet
    EXPECT_EQ(g.tree.Drive(), 0);
    g.tree.SetDrive('c');
    EXPECT_EQ(g.tree.Drive(), 'c');
    EXPECT_EQ(g.tree.Count(), 1);
    EXPECT_EQ(g.tree.Text(1), "c:\\");
    EXPECT_EQ(g.tree.Directory(), "c:\\");
    EXPECT_EQ(g.changes.size(), 1u);

    g.tree.Open(1);
    int index = 0;
    for (int i = 2; i <= g.tree.Count() && !index; ++i)
        if (g.tree.Text(i) == "windows")
            index = i;
    ASSERT_NE(index, 0);
    g.tree.Select(index);
    EXPECT_EQ(g.tree.FullPath(index), "c:\\windows");
    EXPECT_EQ(g.tree.Directory(), "c:\\windows");
    EXPECT_EQ(g.changes.size(), 2u);

    // The same drive in another case: nothing at all.
    g.tree.SetDrive('C');
    EXPECT_EQ(g.tree.Drive(), 'c');
    EXPECT_EQ(g.changes.size(), 2u);
    EXPECT_EQ(g.tree.Directory(), "c:\\windows");
    g.tree.SetDrive('1');
    EXPECT_EQ(g.tree.Drive(), 'c');
}

// The process's working directory would hold the folder open: Windows
// then refuses to eject the stick or rename the folder.
TEST_F(OutlineTest, SetDirectoryNormalisesAndNeverMovesTheWorkingDirectory)
{
    f.changes.clear();

    f.tree.SetDirectory(upper(temp.root()) + "ALPHA\\");
    EXPECT_EQ(f.tree.Directory(), root + "\\alpha");
    EXPECT_EQ(f.changes.size(), 1u);
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    EXPECT_EQ(std::wstring(cwd), saved_);

    // Relative to the tree's directory; the selected entry stays.
    int selected = f.tree.SelectedIndex();
    f.tree.SetDirectory("Unten");
    EXPECT_EQ(f.tree.Directory(), root + "\\alpha\\unten");
    EXPECT_EQ(f.tree.SelectedIndex(), selected);

    // Equal ignoring case: no notification.
    f.tree.SetDirectory(upper(root) + "\\ALPHA\\UNTEN");
    EXPECT_EQ(f.changes.size(), 2u);

    // A drive root keeps its backslash and is walked to.
    f.tree.SetDirectory(upper(root.substr(0, 3)));
    EXPECT_EQ(f.tree.Directory(), root.substr(0, 3));
    EXPECT_EQ(f.tree.SelectedIndex(), 1);
    EXPECT_EQ(f.changes.size(), 3u);
}

TEST_F(OutlineTest, DirectoryThatCannotBeEnteredIsReportedAndKept)
{
    ScriptedAnswerer answers;
    // A missing last level gives code 2, which is reported as 3.
    std::string missing = root + "\\fehlt";
    answers.then(mrOk, "Verzeichnis \"" + missing + "\" konnte nicht geöffnet werden.\r\nFehlermeldung: " +
                           ErrorText(3));
    f.changes.clear();
    f.tree.SetDirectory(missing);
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_EQ(f.tree.Directory(), missing);
    EXPECT_EQ(f.changes.size(), 1u);

    answers.then(mrOk, "Verzeichnis \"" + root + "\\fehlt\\auch\" konnte nicht geöffnet werden.\r\nFehlermeldung: " +
                           ErrorText(3));
    f.tree.SetDirectory(missing + "\\auch");
    EXPECT_EQ(answers.pending(), 0u);
}

TEST_F(OutlineTest, ADirectoryOnAnotherDriveRebuildsTheTreeAtThatRoot)
{
    ShowDirectoryInTree(f.tree, "c:\\windows");
    f.changes.clear();
    // Z: is Wine's view of the Unix root, a real drive in every prefix.
    f.tree.SetDirectory("Z:\\tmp");
    EXPECT_EQ(f.tree.Drive(), 'z');
    EXPECT_EQ(f.tree.Directory(), "z:\\");
    EXPECT_EQ(f.tree.Count(), 1);
    EXPECT_EQ(f.tree.Text(1), "z:\\");
    EXPECT_EQ(f.changes, (std::vector<std::string>{"z:\\"}));
}

TEST_F(OutlineTest, ShowDirectoryInTreeWithARootAddsOnlyTheRoot)
{
    ShowDirectoryInTree(f.tree, upper(root.substr(0, 3)));
    EXPECT_EQ(f.tree.Count(), 1);
    EXPECT_EQ(f.tree.SelectedIndex(), 1);
    EXPECT_EQ(f.tree.Directory(), root.substr(0, 3));
}

TEST_F(OutlineTest, KeysOpenCloseAndMove)
{
    ShowDirectoryInTree(f.tree, temp.root());
    HWND tree = f.tree.handle();
    SendMessageW(tree, WM_CHAR, '+', 0);
    EXPECT_TRUE(f.tree.IsOpen(2));
    SendMessageW(tree, WM_CHAR, '-', 0);
    EXPECT_FALSE(f.tree.IsOpen(2));
    SendMessageW(tree, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(f.tree.IsOpen(2));
    SendMessageW(tree, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(f.tree.IsOpen(2));

    SendMessageW(tree, WM_CHAR, '*', 0);
    EXPECT_TRUE(f.tree.IsOpen(3)) << "alpha, below the selected entry";
    EXPECT_TRUE(f.tree.IsRead(4)) << "alpha\\unten, two levels down";

    SendMessageW(tree, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(f.tree.SelectedIndex(), f.tree.Count());
    EXPECT_EQ(f.tree.Directory(), root + "\\\xC3\xA4rger");
    SendMessageW(tree, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(f.tree.SelectedIndex(), 1);
    SendMessageW(tree, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(f.tree.SelectedIndex(), 2);
    EXPECT_EQ(f.tree.Directory(), root);

    // Enter belongs to the tree, not to a default button.
    MSG msg{tree, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(SendMessageW(tree, WM_GETDLGCODE, VK_RETURN, LPARAM(&msg)) & DLGC_WANTMESSAGE);
}

// The mouse through the system: a click on an entry's button and a double-click.
TEST_F(OutlineTest, MouseOpensThroughTheButtonAndTheDoubleClick)
{
    f.show(true);
    SetForegroundWindow(f.handle());
    ShowDirectoryInTree(f.tree, temp.root());
    HWND tree = f.tree.handle();
    HTREEITEM entry = TreeView_GetNextSibling(tree, TreeView_GetRoot(tree));
    RECT r{};
    TreeView_GetItemRect(tree, entry, &r, TRUE);
    TVHITTESTINFO hit{};
    hit.pt = {r.left, (r.top + r.bottom) / 2};
    while (hit.pt.x > 0 && !(hit.flags & TVHT_ONITEMBUTTON)) {
        --hit.pt.x;
        TreeView_HitTest(tree, &hit);
    }
    ASSERT_TRUE(hit.flags & TVHT_ONITEMBUTTON);
    auto click = [tree](POINT p, int times) {
        ClientToScreen(tree, &p);
        SetCursorPos(p.x, p.y);
        for (int i = 0; i < times; ++i) {
            INPUT in[2] = {};
            in[0].type = in[1].type = INPUT_MOUSE;
            in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
            in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
            SendInput(2, in, sizeof in[0]);
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    };
    click(hit.pt, 1);
    EXPECT_TRUE(f.tree.IsOpen(2));
    EXPECT_EQ(childrenOf(2).size(), 5u) << "read on the way";

    HTREEITEM alpha = TreeView_GetChild(tree, entry);
    TreeView_GetItemRect(tree, alpha, &r, TRUE);
    click({(r.left + r.right) / 2, (r.top + r.bottom) / 2}, 2);
    EXPECT_EQ(f.tree.Directory(), root + "\\alpha");
    EXPECT_TRUE(f.tree.IsOpen(3));
    EXPECT_EQ(f.tree.Text(4), "unten");
}

TEST_F(OutlineTest, StarStopsAfterABoundedNumberOfEntries)
{
    for (int i = 0; i < 30; ++i)
        temp.mkdir("viele\\d" + std::to_string(10 + i));
    ShowDirectoryInTree(f.tree, temp.root() + "viele");
    f.tree.openAllLimit = 10;
    SendMessageW(f.tree.handle(), WM_CHAR, '*', 0);
    int read = 0;
    for (int i = 1; i <= f.tree.Count(); ++i)
        read += f.tree.IsRead(i);
    EXPECT_EQ(read, 10);
    EXPECT_EQ(f.tree.Count(), 2 + 30);
    EXPECT_TRUE(f.tree.IsRead(3));
    EXPECT_FALSE(f.tree.IsRead(f.tree.Count()));
}

TEST_F(OutlineTest, RedrawResumesWithTheLastNestedEnd)
{
    HWND tree = f.tree.handle();
    f.show(true);
    UpdateWindow(tree);
    auto pending = [tree] { return GetUpdateRect(tree, nullptr, FALSE) != 0; };
    f.tree.BeginUpdate();
    f.tree.BeginUpdate();
    f.tree.EndUpdate();
    EXPECT_FALSE(pending()) << "the inner end does not redraw";
    f.tree.EndUpdate();
    EXPECT_TRUE(pending()) << "the last end does";
    UpdateWindow(tree);
    f.tree.EndUpdate();  // one too many is ignored
    EXPECT_FALSE(pending());
}

TEST_F(OutlineTest, AddedTopLevelEntryIsItsOwnPath)
{
    int index = f.tree.Add(upper(temp.root()) + "ALPHA");
    EXPECT_EQ(index, f.tree.Count());
    EXPECT_EQ(f.tree.FullPath(index), upper(temp.root()) + "ALPHA");
    f.tree.Select(index);
    EXPECT_EQ(f.tree.Directory(), root + "\\alpha");
    f.tree.Open(index);
    EXPECT_EQ(f.tree.Text(index + 1), "unten");
}

}  // namespace
}  // namespace tresorix
