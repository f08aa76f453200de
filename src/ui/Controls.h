// Wrappers for the controls the forms create from their layout tables. Each
// is an HWND with the messages of its kind; texts are UTF-8.
#pragma once

#include "platform/TextConv.h"
#include "ui/Window.h"

#include <commctrl.h>

#include <span>
#include <string>
#include <string_view>

namespace tresorix {

class Label : public Window {
public:
    using Window::Window;
};

class PushButton : public Window {
public:
    using Window::Window;
    void click() const { send(BM_CLICK); }
};

class CheckBox : public Window {
public:
    using Window::Window;
    bool checked() const { return send(BM_GETCHECK) == BST_CHECKED; }
    void setChecked(bool on) const { send(BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED); }
};

class RadioButton : public CheckBox {
public:
    using CheckBox::CheckBox;
    // Sets this radio alone, for a caller that sets the others of its group
    // too: checked, an automatic radio unchecks them itself and looks through
    // every control of the window for them, under Wine a round trip each.
    void setCheckedAlone(bool on) const
    {
        if (!on) {
            setChecked(false);
            return;
        }
        send(BM_SETSTYLE, BS_RADIOBUTTON, FALSE);
        setChecked(true);
        send(BM_SETSTYLE, BS_AUTORADIOBUTTON, FALSE);
    }
};

class Edit : public Window {
public:
    using Window::Window;
    void setSelection(int from, int to) const { send(EM_SETSEL, from, to); }
    void selectAll() const { send(EM_SETSEL, 0, -1); }
    void setLimit(int chars) const { send(EM_LIMITTEXT, chars); }
    void setReadOnly(bool on) const { send(EM_SETREADONLY, on); }
    bool modified() const { return send(EM_GETMODIFY) != 0; }
};

class ComboBox : public Window {
public:
    using Window::Window;
    int count() const { return int(send(CB_GETCOUNT)); }
    int selected() const { return int(send(CB_GETCURSEL)); }
    void select(int index) const { send(CB_SETCURSEL, index); }
    int add(std::string_view text) const { return int(send(CB_ADDSTRING, 0, LPARAM(Widen(text).c_str()))); }
    int insert(int index, std::string_view text) const { return int(send(CB_INSERTSTRING, index, LPARAM(Widen(text).c_str()))); }
    void remove(int index) const { send(CB_DELETESTRING, index); }
    void clear() const { send(CB_RESETCONTENT); }
    // Exact, but like every list box without regard to case; -1 when missing.
    int find(std::string_view text) const { return int(send(CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(Widen(text).c_str()))); }
    std::string item(int index) const;
    bool droppedDown() const { return send(CB_GETDROPPEDSTATE) != 0; }
    void showDropDown(bool on) const { send(CB_SHOWDROPDOWN, on); }
    void setEditSelection(int from, int to) const { send(CB_SETEDITSEL, 0, MAKELPARAM(from, to)); }
};

class ListView : public Window {
public:
    using Window::Window;
    int count() const { return int(send(LVM_GETITEMCOUNT)); }
    int selected() const { return int(send(LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)); }
    void select(int index) const;
    void setExtendedStyle(DWORD ex) const { send(LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex); }
    void addColumn(int index, std::string_view header, int width) const;
    int columnWidth(int column) const { return int(send(LVM_GETCOLUMNWIDTH, column)); }
    void setColumnWidth(int column, int width) const { send(LVM_SETCOLUMNWIDTH, column, width); }
    int insert(int index, std::string_view text) const;
    void setItemText(int index, int column, std::string_view text) const;
    std::string itemText(int index, int column) const;
    void remove(int index) const { send(LVM_DELETEITEM, index); }
    void clear() const { send(LVM_DELETEALLITEMS); }
    void ensureVisible(int index) const { send(LVM_ENSUREVISIBLE, index, FALSE); }
};

// Works on our own gauge (Gauge.h) and on the system's progress bar alike;
// the text colour only on the gauge.
class ProgressBar : public Window {
public:
    using Window::Window;
    void setRange(int min, int max) const { send(PBM_SETRANGE32, min, max); }
    int pos() const { return int(send(PBM_GETPOS)); }
    int setPos(int value) const { return int(send(PBM_SETPOS, value)); }
    void setBarColor(COLORREF c) const { send(PBM_SETBARCOLOR, 0, c); }
    void setBackColor(COLORREF c) const { send(PBM_SETBKCOLOR, 0, c); }
    void setTextColor(COLORREF c) const;
};

class StatusBar : public Window {
public:
    using Window::Window;
    // Right edges of the panels in client pixels; -1 runs to the window's edge.
    void setParts(std::span<const int> rightEdges) const { send(SB_SETPARTS, rightEdges.size(), LPARAM(rightEdges.data())); }
    void setText(int panel, std::string_view text) const { send(SB_SETTEXTW, panel, LPARAM(Widen(text).c_str())); }
    std::string panelText(int panel) const;
    // The bar sizes itself from its parent on every WM_SIZE it is given.
    void parentResized() const { send(WM_SIZE); }
};

class ToolTip : public Window {
public:
    using Window::Window;
    void addTool(HWND owner, HWND tool, std::string_view text) const;
    void activate(bool on) const { send(TTM_ACTIVATE, on); }
    void setMaxWidth(int pixels) const { send(TTM_SETMAXTIPWIDTH, 0, pixels); }
};

}  // namespace tresorix
