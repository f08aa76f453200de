// The tree's messages: what the control tells its owner, and the keys it
// takes for itself before the dialog manager sees them.
#include "dialogs/DirectoryOutline.h"

#include "ui/Subclass.h"

namespace tresorix {

void TDirectoryOutline::create(Form& form, int row)
{
    tree_ = requireWindow(form.control(row), "Der Verzeichnisbaum");
    dpi_ = form.dpi();
    SubclassControl(tree_, [this](HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
        return treeMessage(hwnd, msg, wp, lp, result);
    });
}

TDirectoryOutline::~TDirectoryOutline()
{
    if (tree_)
        UnsubclassControl(tree_);
}

bool TDirectoryOutline::handleNotify(LPARAM lp, LRESULT& result)
{
    auto* header = reinterpret_cast<NMHDR*>(lp);
    if (!tree_ || header->hwndFrom != tree_)
        return false;
    result = 0;
    // The A and W forms share the fields used here.
    switch (header->code) {
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: {
        auto* tv = reinterpret_cast<NMTREEVIEWW*>(lp);
        if (tv->action & TVE_EXPAND)
            readLevel(tv->itemNew.hItem);
        return true;
    }
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        selectionChanged(reinterpret_cast<NMTREEVIEWW*>(lp)->itemNew.hItem);
        return true;
    case TVN_GETDISPINFOA:
    case TVN_GETDISPINFOW: {
        auto& item = reinterpret_cast<NMTVDISPINFOW*>(lp)->item;
        if (item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)) {
            int picture = isOpen(item.hItem) ? pictureOpen
                          : isRead(item.hItem) && !TreeView_GetChild(tree_, item.hItem) ? pictureLeaf
                                                                                        : pictureClosed;
            item.iImage = item.iSelectedImage = picture;
        }
        return true;
    }
    case NM_DBLCLK:
        // Ours rather than the control's, so that the level is read first.
        toggle(TreeView_GetSelection(tree_));
        result = 1;
        return true;
    }
    return false;
}

bool TDirectoryOutline::onKey(UINT msg, WPARAM key)
{
    HTREEITEM selected = TreeView_GetSelection(tree_);
    if (msg == WM_KEYDOWN) {
        switch (key) {
        case VK_RETURN: toggle(selected); return true;
        // The keypad's keys act through the characters they type; the
        // control's own "*" would open a whole drive at once.
        case VK_ADD:
        case VK_SUBTRACT:
        case VK_MULTIPLY: return true;
        }
        return false;
    }
    switch (key) {
    case '+': open(selected); return true;
    case '-':
        if (selected)
            TreeView_Expand(tree_, selected, TVE_COLLAPSE);
        return true;
    case '*': OpenAll(indexOf(selected)); return true;
    case '\r': return true;
    }
    return false;
}

bool TDirectoryOutline::treeMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_NCDESTROY:
        tree_ = nullptr;
        return false;
    case WM_GETDLGCODE: {
        // Enter opens and closes the entry instead of pressing the default button.
        auto* m = reinterpret_cast<MSG*>(lp);
        result = CallControl(hwnd, msg, wp, lp);
        if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN)
            result |= DLGC_WANTMESSAGE;
        return true;
    }
    case WM_KEYDOWN:
    case WM_CHAR:
        return onKey(msg, wp);
    }
    return false;
}

}  // namespace tresorix
