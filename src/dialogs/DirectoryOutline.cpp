#include "dialogs/DirectoryOutline.h"

#include "engine/FileHelpers.h"
#include "engine/Format.h"
#include "platform/TextConv.h"
#include "platform/Win32FileSystem.h"
#include "ui/Prompts.h"

#include <shellapi.h>

#include <exception>
#include <utility>
#include <vector>

namespace tresorix {

namespace {

// An item's lParam: whether its level has been read.
constexpr LPARAM kReadMark = 1;

// The shell's own folder pictures at `side` pixels, one list per size,
// shared by every tree and never freed. A size above the small icons' is
// taken down from the large ones rather than blown up from the small.
HIMAGELIST folderPictures(int side)
{
    static std::vector<std::pair<int, HIMAGELIST>> lists;
    for (auto [s, list] : lists)
        if (s == side)
            return list;
    HIMAGELIST images = ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, 3, 0);
    const UINT size = side > GetSystemMetrics(SM_CXSMICON) ? SHGFI_LARGEICON : SHGFI_SMALLICON;
    for (UINT open : {0u, UINT(SHGFI_OPENICON), 0u}) {
        SHFILEINFOW info{};
        SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                       SHGFI_ICON | size | SHGFI_USEFILEATTRIBUTES | open);
        ImageList_AddIcon(images, info.hIcon);
        if (info.hIcon)
            DestroyIcon(info.hIcon);
    }
    lists.emplace_back(side, images);
    return images;
}

// Keeps the children in ascending order by exact comparison: before the
// first when not greater, after the last when not smaller, else halving the
// range between the two.
void placeChild(std::vector<std::string>& children, std::string name)
{
    if (children.empty() || !(name > children.front())) {
        children.insert(children.begin(), std::move(name));
        return;
    }
    if (!(name < children.back())) {
        children.push_back(std::move(name));
        return;
    }
    size_t low = 0, high = children.size() - 1;  // children[low] < name < children[high]
    while (high - low > 1) {
        size_t middle = (low + high) / 2;
        if (name < children[middle])
            high = middle;
        else
            low = middle;
    }
    children.insert(children.begin() + std::ptrdiff_t(high), std::move(name));
}

char lowerLetter(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

}  // namespace

std::string LowerCaseName(const std::string& text)
{
    std::wstring wide = Widen(text);
    if (!wide.empty())
        CharLowerBuffW(wide.data(), DWORD(wide.size()));
    return Narrow(wide);
}

// --- Entries and indexes.

// Tree order: the first child, else the next sibling, else the next sibling
// of the nearest ancestor that has one.
HTREEITEM TDirectoryOutline::nextInOrder(HTREEITEM at) const
{
    HTREEITEM next = TreeView_GetChild(tree_, at);
    while (!next && at) {
        next = TreeView_GetNextSibling(tree_, at);
        if (!next)
            at = TreeView_GetParent(tree_, at);
    }
    return next;
}

HTREEITEM TDirectoryOutline::item(int index) const
{
    if (index < 1 || !tree_)
        return nullptr;
    HTREEITEM at = TreeView_GetRoot(tree_);
    for (int i = 1; at && i < index; ++i)
        at = nextInOrder(at);
    return at;
}

int TDirectoryOutline::indexOf(HTREEITEM wanted) const
{
    int index = 1;
    for (HTREEITEM at = wanted && tree_ ? TreeView_GetRoot(tree_) : nullptr; at; at = nextInOrder(at), ++index)
        if (at == wanted)
            return index;
    return 0;
}

std::string TDirectoryOutline::itemText(HTREEITEM at) const
{
    // The control cannot tell an item's length: grow until the text fits,
    // as an entry added for a long path holds the whole path.
    for (size_t size = 256;; size *= 4) {
        std::vector<wchar_t> buffer(size);
        TVITEMW tvi{};
        tvi.mask = TVIF_TEXT | TVIF_HANDLE;
        tvi.hItem = at;
        tvi.pszText = buffer.data();
        tvi.cchTextMax = int(size);
        if (!at || !TreeView_GetItem(tree_, &tvi))
            return {};
        size_t length = wcsnlen(buffer.data(), size);
        if (length + 1 < size)
            return Narrow(std::wstring_view(buffer.data(), length));
    }
}

std::string TDirectoryOutline::fullPath(HTREEITEM at) const
{
    if (!at)
        return {};
    HTREEITEM parent = TreeView_GetParent(tree_, at);
    if (!parent)
        return itemText(at);
    // A root entry's text ends in "\" already, and so may an added path.
    std::string path = fullPath(parent);
    if (!path.ends_with('\\'))
        path += '\\';
    return path + itemText(at);
}

bool TDirectoryOutline::isRead(HTREEITEM at) const
{
    TVITEMW tvi{};
    tvi.mask = TVIF_PARAM | TVIF_HANDLE;
    tvi.hItem = at;
    return at && TreeView_GetItem(tree_, &tvi) && (tvi.lParam & kReadMark);
}

bool TDirectoryOutline::isOpen(HTREEITEM at) const
{
    return at && (TreeView_GetItemState(tree_, at, TVIS_EXPANDED) & TVIS_EXPANDED);
}

void TDirectoryOutline::setDpi(int dpi)
{
    dpi_ = dpi;
    if (TreeView_GetImageList(tree_, TVSIL_NORMAL))
        TreeView_SetImageList(tree_, folderPictures(SystemMetric(SM_CXSMICON, dpi_)), TVSIL_NORMAL);
}

HTREEITEM TDirectoryOutline::insert(HTREEITEM parent, const std::string& text)
{
    // The shell's pictures load a good part of the shell; not at start-up.
    if (!TreeView_GetImageList(tree_, TVSIL_NORMAL))
        TreeView_SetImageList(tree_, folderPictures(SystemMetric(SM_CXSMICON, dpi_)), TVSIL_NORMAL);
    std::wstring wide = Widen(text);
    TVINSERTSTRUCTW tvis{};
    tvis.hParent = parent ? parent : TVI_ROOT;
    tvis.hInsertAfter = TVI_LAST;
    tvis.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    tvis.item.pszText = wide.data();
    tvis.item.lParam = 0;
    // Unread entries may have subdirectories: they show a button until read.
    tvis.item.cChildren = 1;
    tvis.item.iImage = tvis.item.iSelectedImage = I_IMAGECALLBACK;
    return TreeView_InsertItem(tree_, &tvis);
}

// --- Reading and opening.

void TDirectoryOutline::readLevel(HTREEITEM at)
{
    if (!at || isRead(at))
        return;
    std::string path = fullPath(at);
    if (path.empty() || path.back() != '\\')
        path += '\\';
    std::vector<std::string> names;
    uint32_t error = 0;
    auto listing = fs_->list(path, error);
    // The dialog closed while the medium was asked: the level stays unread.
    if (error == errCancelled)
        return;
    if (listing) {
        FileEntry entry;
        while (listing->next(entry))
            if (entry.isDirectory() && !entry.name.empty() && entry.name[0] != '.')
                placeChild(names, LowerCaseName(entry.name));
    }
    BeginUpdate();
    for (const std::string& name : names)
        insert(at, name);
    TVITEMW tvi{};
    tvi.mask = TVIF_PARAM | TVIF_CHILDREN | TVIF_HANDLE;
    tvi.hItem = at;
    tvi.lParam = kReadMark;
    tvi.cChildren = names.empty() ? 0 : 1;
    TreeView_SetItem(tree_, &tvi);
    EndUpdate();
}

void TDirectoryOutline::open(HTREEITEM at)
{
    if (!at)
        return;
    readLevel(at);
    TreeView_Expand(tree_, at, TVE_EXPAND);
}

void TDirectoryOutline::toggle(HTREEITEM at)
{
    if (isOpen(at))
        TreeView_Expand(tree_, at, TVE_COLLAPSE);
    else
        open(at);
}

void TDirectoryOutline::Open(int index) { open(item(index)); }

void TDirectoryOutline::Close(int index)
{
    if (HTREEITEM at = item(index))
        TreeView_Expand(tree_, at, TVE_COLLAPSE);
}

void TDirectoryOutline::OpenAll(int index)
{
    HTREEITEM top = item(index);
    if (!top)
        return;
    BeginUpdate();
    // Depth first, the children of an entry after the entry itself.
    std::vector<HTREEITEM> pending{top};
    for (int opened = 0; !pending.empty() && opened < openAllLimit; ++opened) {
        HTREEITEM at = pending.back();
        pending.pop_back();
        open(at);
        std::vector<HTREEITEM> children;
        for (HTREEITEM c = TreeView_GetChild(tree_, at); c; c = TreeView_GetNextSibling(tree_, c))
            children.push_back(c);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    EndUpdate();
}

// --- Drive, directory, selection.

void TDirectoryOutline::SetDrive(char letter)
{
    char upper = letter >= 'a' && letter <= 'z' ? char(letter - 'a' + 'A') : letter;
    if (upper < 'A' || upper > 'Z' || (drive_ && lowerLetter(letter) == lowerLetter(drive_)))
        return;
    drive_ = letter;
    // The drive's root, entered or not: the process's working directory is
    // never moved there, as Windows would hold the folder open and the user
    // could not eject the stick or rename the folder.
    directory_ = std::string(1, lowerLetter(letter)) + ":\\";

    // A drive that cannot be entered is no directory the user chose: its
    // root, which the walk then selects, is taken without a message.
    BeginUpdate();
    Clear();
    Add(std::string(1, lowerLetter(letter)) + ":\\");
    quiet_ = true;
    walk(directory_);
    quiet_ = false;
    EndUpdate();
    fireChange();
}

void TDirectoryOutline::SetDirectory(const std::string& path)
{
    if (path.empty())
        return;
    std::string result =
        path.ends_with(":\\") ? path : AbsolutePath(ResolveAgainst(drive_ ? directory_ : WorkingDirectory(), path));
    result = LowerCaseName(result);
    if (result.size() > 3 && result.back() == '\\')
        result.pop_back();
    if (result == directory_)  // both lower case
        return;

    directory_ = result;
    if (uint32_t code = enter(directory_); code != 0 && code != errCancelled && !quiet_) {
        if (code == errFileNotFound)
            code = errPathNotFound;
        ShowInfo("Verzeichnis \"" + directory_ + "\" konnte nicht geöffnet werden." + "\r\nFehlermeldung: " +
                 ErrorText(uint16_t(code)));
    }

    if (directory_[0] != drive_) {
        SetDrive(directory_[0]);
        return;
    }
    if (directory_.ends_with(":\\"))
        walk(directory_);
    fireChange();
}

// Whether the directory can be entered, asked of the file system: a
// working directory would hold it open.
uint32_t TDirectoryOutline::enter(const std::string& directory) const
{
    uint32_t attributes = 0;
    if (uint32_t code = fs_->getAttributes(directory, attributes))
        return code;
    return attributes & attrDirectory ? 0 : uint32_t(errPathNotFound);
}

void TDirectoryOutline::walk(const std::string& path)
{
    std::string rest = LowerCaseName(path);
    if (size_t colon = rest.find(':'); colon != std::string::npos) {
        rest.erase(0, colon + 1);
        if (!rest.empty() && rest[0] == '\\')
            rest.erase(0, 1);
    }
    HTREEITEM at = item(1);
    if (!at)
        return;
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = rest.find('\\', start);
        if (end == std::string::npos)
            end = rest.size();
        std::string component = rest.substr(start, end - start);
        start = end + 1;
        if (component.empty())
            continue;
        open(at);
        HTREEITEM child = TreeView_GetChild(tree_, at);
        while (child && itemText(child) != component)
            child = TreeView_GetNextSibling(tree_, child);
        if (!child)
            break;
        at = child;
    }
    select(at);
}

void TDirectoryOutline::select(HTREEITEM at)
{
    if (!at)
        return;
    TreeView_SelectItem(tree_, at);
    TreeView_EnsureVisible(tree_, at);
}

void TDirectoryOutline::selectionChanged(HTREEITEM at)
{
    if (!clearing_ && at)
        SetDirectory(fullPath(at));
}

void TDirectoryOutline::fireChange() const
{
    if (OnChange)
        OnChange();
}

void TDirectoryOutline::Clear()
{
    // Deleting the selected entry moves the selection through the others;
    // none of that is a choice of the user.
    clearing_ = true;
    TreeView_DeleteAllItems(tree_);
    clearing_ = false;
}

int TDirectoryOutline::Add(const std::string& text)
{
    insert(nullptr, text);
    return Count();
}

void TDirectoryOutline::Select(int index) { select(item(index)); }

void TDirectoryOutline::BeginUpdate()
{
    if (updates_++ == 0 && tree_)
        Window(tree_).setRedraw(false);
}

void TDirectoryOutline::EndUpdate()
{
    if (updates_ == 0 || --updates_ > 0 || !tree_)
        return;
    Window(tree_).setRedraw(true);
    Window(tree_).invalidate();
}

void TDirectoryOutline::Repaint() const
{
    if (tree_)
        RedrawWindow(tree_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

// --- Inspection.

int TDirectoryOutline::Count() const { return tree_ ? int(TreeView_GetCount(tree_)) : 0; }

int TDirectoryOutline::SelectedIndex() const { return tree_ ? indexOf(TreeView_GetSelection(tree_)) : 0; }

std::string TDirectoryOutline::Text(int index) const { return itemText(item(index)); }

std::string TDirectoryOutline::FullPath(int index) const { return fullPath(item(index)); }

int TDirectoryOutline::Level(int index) const
{
    int level = 0;
    for (HTREEITEM at = item(index); at; at = TreeView_GetParent(tree_, at))
        ++level;
    return level;
}

bool TDirectoryOutline::IsOpen(int index) const { return isOpen(item(index)); }

bool TDirectoryOutline::IsRead(int index) const { return isRead(item(index)); }

void ShowDirectoryInTree(TDirectoryOutline& tree, const std::string& path)
{
    tree.Clear();
    tree.Add(path.substr(0, 3));
    if (path.size() > 3) {
        tree.Add(path);
        tree.Select(2);
    } else {
        tree.Select(1);
    }
}

}  // namespace tresorix
