#include "ui/Controls.h"

#include "ui/Gauge.h"

#include <vector>

namespace tresorix {

std::string ComboBox::item(int index) const
{
    LRESULT len = send(CB_GETLBTEXTLEN, index);
    if (len == CB_ERR)
        return {};
    std::wstring buffer(size_t(len) + 1, L'\0');
    buffer.resize(size_t(send(CB_GETLBTEXT, index, LPARAM(buffer.data()))));
    return Narrow(buffer);
}

void ListView::select(int index) const
{
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    send(LVM_SETITEMSTATE, index, LPARAM(&item));
}

void ListView::addColumn(int index, std::string_view header, int width) const
{
    std::wstring text = Widen(header);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = text.data();
    column.cx = width;
    column.iSubItem = index;
    send(LVM_INSERTCOLUMNW, index, LPARAM(&column));
}

int ListView::insert(int index, std::string_view text) const
{
    std::wstring caption = Widen(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = caption.data();
    return int(send(LVM_INSERTITEMW, 0, LPARAM(&item)));
}

void ListView::setItemText(int index, int column, std::string_view text) const
{
    std::wstring caption = Widen(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = caption.data();
    send(LVM_SETITEMTEXTW, index, LPARAM(&item));
}

std::string ListView::itemText(int index, int column) const
{
    // LVM_GETITEMTEXT cannot tell the length; grow until the text fits.
    for (size_t size = 256;; size *= 4) {
        std::vector<wchar_t> buffer(size);
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = int(size);
        size_t len = size_t(send(LVM_GETITEMTEXTW, index, LPARAM(&item)));
        if (len + 1 < size)
            return Narrow(std::wstring_view(buffer.data(), len));
    }
}

void ProgressBar::setTextColor(COLORREF c) const
{
    send(GBM_SETTEXTCOLOR, 0, c);
}

std::string StatusBar::panelText(int panel) const
{
    std::wstring buffer(size_t(LOWORD(send(SB_GETTEXTLENGTHW, panel))) + 1, L'\0');
    buffer.resize(LOWORD(send(SB_GETTEXTW, panel, LPARAM(buffer.data()))));
    return Narrow(buffer);
}

void ToolTip::addTool(HWND owner, HWND tool, std::string_view text) const
{
    std::wstring tip = Widen(text);
    TTTOOLINFOW info{};
    // The short form is understood by both common-controls versions; the
    // full structure is refused without the version 6 manifest.
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = owner;
    info.uId = UINT_PTR(tool);
    info.lpszText = tip.data();
    send(TTM_ADDTOOLW, 0, LPARAM(&info));
}

}  // namespace tresorix
