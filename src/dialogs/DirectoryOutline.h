// The directory tree of the two selection dialogs (DirView): the directories
// of one drive on the system's tree-view control, each level read when it is
// first opened, names and paths in lower case.
//
// The tree is a Kind::treeView row of the owning form's layout; the form
// hands the row to create and its WM_NOTIFY messages to handleNotify:
//
//     {"DirView", Kind::treeView, "", nullptr, 8, 37, 255, 193},
//     DirView.create(*this, DirViewRow);
//     bool onMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) override
//     { return msg == WM_NOTIFY && DirView.handleNotify(lp, result); }
//
// Entries are addressed by an index counted from 1 in tree order (every entry
// that exists, opened or not); 0 is "none".
#pragma once

#include "platform/FileSystem.h"
#include "ui/DialogFiles.h"
#include "ui/Form.h"

#include <commctrl.h>

#include <functional>
#include <string>

namespace tresorix {

// "*" opens at most this many entries below the selected one, so that a
// drive with tens of thousands of directories does not freeze the dialog.
inline constexpr int kOpenAllLimit = 500;

// Lower case by the platform's rules for file names (Ä to ä as well).
std::string LowerCaseName(const std::string& text);

class TDirectoryOutline {
public:
    TDirectoryOutline() = default;
    // The form destroys the control after this object is gone.
    ~TDirectoryOutline();
    TDirectoryOutline(const TDirectoryOutline&) = delete;
    TDirectoryOutline& operator=(const TDirectoryOutline&) = delete;

    // Takes on the tree view of the form's row `row` (Kind::treeView).
    void create(Form& form, int row);
    // The folder pictures for the form's new dpi.
    void setDpi(int dpi);
    HWND handle() const { return tree_; }
    // The owner's WM_NOTIFY; true when it came from this tree.
    bool handleNotify(LPARAM lp, LRESULT& result);
    // Levels are listed through this file system (DialogFileSystem by default).
    void setFileSystem(FileSystem& fs) { fs_ = &fs; }

    // The current drive letter, in the case it was set in; 0 before first use.
    char Drive() const { return drive_; }
    void SetDrive(char letter);
    // The current directory: lower case, no trailing "\" except at a root.
    const std::string& Directory() const { return directory_; }
    void SetDirectory(const std::string& path);
    // Fired whenever the current directory is set anew.
    std::function<void()> OnChange;

    void Clear();
    // Appends a top-level entry; its index.
    int Add(const std::string& text);
    // As if the user selected the entry.
    void Select(int index);
    // Nestable; the tree is redrawn when the last EndUpdate comes.
    void BeginUpdate();
    void EndUpdate();
    void Repaint() const;

    // Opening reads the entry's level once; closing keeps what was read.
    void Open(int index);
    void Close(int index);
    // Opens the entry and the entries below it, at most openAllLimit of them.
    void OpenAll(int index);
    int openAllLimit = kOpenAllLimit;

    // What the tree holds, for owners and tests.
    int Count() const;
    int SelectedIndex() const;
    std::string Text(int index) const;
    std::string FullPath(int index) const;
    int Level(int index) const;  // 1 for a top-level entry
    bool IsOpen(int index) const;
    bool IsRead(int index) const;

private:
    // The pictures of the image list, in its order.
    enum Picture { pictureClosed, pictureOpen, pictureLeaf };

    bool treeMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    bool onKey(UINT msg, WPARAM key);

    HTREEITEM nextInOrder(HTREEITEM at) const;
    HTREEITEM item(int index) const;
    int indexOf(HTREEITEM item) const;
    std::string itemText(HTREEITEM item) const;
    std::string fullPath(HTREEITEM item) const;
    bool isRead(HTREEITEM item) const;
    bool isOpen(HTREEITEM item) const;
    HTREEITEM insert(HTREEITEM parent, const std::string& text);
    void readLevel(HTREEITEM item);
    void open(HTREEITEM item);
    void toggle(HTREEITEM item);
    void select(HTREEITEM item);
    void walk(const std::string& path);
    uint32_t enter(const std::string& directory) const;
    void selectionChanged(HTREEITEM item);
    void fireChange() const;

    HWND tree_ = nullptr;
    int dpi_ = 96;
    FileSystem* fs_ = &DialogFileSystem();
    char drive_ = 0;
    std::string directory_;
    int updates_ = 0;
    bool clearing_ = false;
    bool quiet_ = false;  // SetDrive: a directory that cannot be entered is not reported
};

// Presets the tree to `path` ("x:\..."): the drive root as entry 1, the path
// itself as entry 2 when it is more than a root, and that entry selected.
void ShowDirectoryInTree(TDirectoryOutline& tree, const std::string& path);

}  // namespace tresorix
