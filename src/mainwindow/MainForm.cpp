#include "mainwindow/MainForm.h"

#include "platform/TextConv.h"
#include "ui/Pictures.h"
#include "ui/ToolButton.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

namespace tresorix {

namespace {

// Toolbar buttons and separators share this top; the separators are
// etched lines, SS_ETCHEDHORZ | SS_ETCHEDVERT making an upright one.
constexpr int kToolTop = 3;
constexpr int kToolLineTop = 30;
constexpr int kStdZielTop = 36;
constexpr int kListeTop = 64;
constexpr int kMargin = 4;

constexpr const char* kStdZielHint = "Hierhin werden alle Dateien kopiert, die das Standardziel haben.";

constexpr ControlRow kLayout[] = {
    {"BtnFileOpen", Kind::toolButton, "", "Einträge aus einer Tresorix-Datei (*.tsi) einlesen (Strg+O)", 4, kToolTop, 32, 24},
    {"BtnFileSave", Kind::toolButton, "", "Einträge speichern (Strg+S)", 36, kToolTop, 32, 24},
    {"BtnFileSaveAs", Kind::toolButton, "", "Einträge in einer neuen Datei speichern (speichern unter ...) (Strg+U)", 68, kToolTop, 32, 24},
    {"Bevel1", Kind::line, "", nullptr, 103, kToolTop + 1, 2, 22, 0, mrNone, SS_ETCHEDVERT},
    {"BtnNeu", Kind::toolButton, "", "neuen Eintrag hinzufügen (Einfg)", 108, kToolTop, 32, 24},
    {"BtnBearbeiten", Kind::toolButton, "", "markierten Eintrag bearbeiten (Strg+B)", 140, kToolTop, 32, 24},
    {"BtnEntfernen", Kind::toolButton, "", "markierten Eintrag entfernen (Entf)", 172, kToolTop, 32, 24},
    {"BtnAllesLoeschen", Kind::toolButton, "", "alle Einträge löschen (Strg+Entf)", 204, kToolTop, 32, 24},
    {"Bevel2", Kind::line, "", nullptr, 239, kToolTop + 1, 2, 22, 0, mrNone, SS_ETCHEDVERT},
    {"BtnStart", Kind::toolButton, "", "Datensicherung starten (Strg+D)", 244, kToolTop, 32, 24},
    {"Bevel3", Kind::line, "", nullptr, 279, kToolTop + 1, 2, 22, 0, mrNone, SS_ETCHEDVERT},
    {"BtnConnect", Kind::toolButton, "", "Netzlaufwerk verbinden (Strg+V)", 284, kToolTop, 32, 24},
    {"BtnDisconnect", Kind::toolButton, "", "Netzlaufwerk trennen (Strg+T)", 316, kToolTop, 32, 24},
    {"Bevel4", Kind::line, "", nullptr, 351, kToolTop + 1, 2, 22, 0, mrNone, SS_ETCHEDVERT},
    {"BtnInfo", Kind::toolButton, "", "Programminformation anzeigen (Strg+I)", 356, kToolTop, 32, 24},
    {"Bevel5", Kind::line, "", nullptr, 391, kToolTop + 1, 2, 22, 0, mrNone, SS_ETCHEDVERT},
    {"BtnEnde", Kind::toolButton, "", "Programm beenden (Alt+X)", 396, kToolTop, 32, 24},
    {"ToolLine", Kind::line, "", nullptr, 0, kToolLineTop, 541, 2},
    {"BtnStdZiel", Kind::button, " &Standardziel :",
     "Klicken Sie hier, um das Standardziel für die Datensicherung auszuwählen", kMargin, kStdZielTop, 108, 24},
    // The box's name for screen readers, which take the button beside it for
    // no label: a hidden static right before it in z-order. Sized, so that
    // nothing measures its text at start-up.
    {"LbStdZielBox", Kind::label, "Standardziel", nullptr, 116, kStdZielTop + 1, 1, 1, rowHidden},
    {"StdZielBox", Kind::comboBox, "", kStdZielHint, 116, kStdZielTop + 1, 421, 21},
    {"Liste", Kind::listView, "", nullptr, kMargin, kListeTop, 533, 150, 0, mrNone, LVS_SINGLESEL},
    {"BackUpMode", Kind::groupBox, " wenn die Zieldatei bereits vorhanden ist ... ", nullptr, kMargin, 220, 241, 92},
    {"Mode0", Kind::radio, "&nur Dateien mit neuerem Datum sichern", nullptr, 14, 238, 225, 17, rowGroup},
    {"Mode1", Kind::radio, "Zieldatei &immer überschreiben", nullptr, 14, 256, 225, 17},
    {"Mode2", Kind::radio, "&Datei überspringen", nullptr, 14, 274, 225, 17},
    {"Mode3", Kind::radio, "nach&fragen ", nullptr, 14, 292, 225, 17},
    {"WinAutoLoad", Kind::checkBox, "Tresorix  bei jedem &Windows-Start laden ...", nullptr, 261, 226, 260, 17, rowGroup},
    {"AutoStart", Kind::checkBox, "... &und Datensicherung automatisch starten", nullptr, 261, 244, 260, 17},
    {"AutoClose", Kind::checkBox, "Programm nach dem Sichern automatisch &beenden", nullptr, 261, 262, 260, 17},
    {"Label1", Kind::label, "Tresorix", "prüfen, ob neue Programmversion verfügbar ist", 279, 284, 80, 24, 0, mrNone,
     SS_NOTIFY | SS_NOPREFIX},
    {"Label2", Kind::label, " !", "prüfen, ob neue Programmversion verfügbar ist", 359, 284, 20, 24, 0, mrNone,
     SS_NOTIFY | SS_NOPREFIX},
    // Measures AutoClose's caption: the three check boxes are that wide.
    {"LbBlindLabel", Kind::label, "", nullptr, 0, 0, 0, 0, rowHidden},
    {"StatusBar", Kind::statusBar, "", nullptr, 0, 0, 0, 0, 0, mrNone, SBARS_SIZEGRIP},
};
static_assert(std::size(kLayout) == TmForm::kRowCount);

struct ColumnInfo {
    const char* header;
    int minimum;
};
constexpr ColumnInfo kColumns[] = {
    {"Quellverzeichnis", 200},
    {"Uv", 32},
    {"Datei  bzw. Filter", 120},
    {"Ziel", 146},
};

HFONT logoFont(bool italic, int dpi)
{
    LOGFONTW lf{};
    lf.lfHeight = -ScaleTo(19, dpi);
    lf.lfWeight = FW_BOLD;
    lf.lfItalic = italic;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy(lf.lfFaceName, L"Tahoma");
    return CreateFontIndirectW(&lf);
}

SIZE textSize(HWND window, HFONT font, const std::string& text)
{
    std::wstring wide = Widen(text);
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), int(wide.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size;
}

}  // namespace

TmForm::TmForm()
{
    // The form paints its background around its controls, not under them,
    // so a resize does not wipe them before they paint again. The design
    // size is the whole window's.
    create({kMainFormClass, " Tresorix", 557, 367, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_APPWINDOW, true}, kLayout);
    if (!handle())
        return;
    setUpControls();
    setKeyPreview(true);
    run_.setMainWindow(handle(), *this, [this](bool enabled) { SetStatus(enabled); });
    links.chooseSetFile = [this](bool save) { return ShowSetFileDialog(handle(), setFileFolder(), save); };
    links.networkDialog = [this](bool connect) { ShowNetworkDialog(handle(), connect); };
    links.openWebPage = [this](const std::string& address) {
        ShellExecuteW(handle(), L"open", Widen(address).c_str(), nullptr, nullptr, SW_SHOW);
    };
    // The panels before their texts; the controls are laid out when the
    // window first shows (relayout).
    setStatusParts();
    WriteStatusBar(0, 0, {});
    WriteStatusBar(1, 0, {});
    WriteStatusBar(2, 0, {});
}

TmForm::~TmForm()
{
    destroy();
    for (HICON icon : stdZielIcons_)
        if (icon)
            DestroyIcon(icon);
    if (logoFont_)
        DeleteObject(logoFont_);
    if (logoItalicFont_)
        DeleteObject(logoItalicFont_);
}

void TmForm::setUpControls()
{
    static constexpr std::pair<Row, const ToolPicture*> kPictures[] = {
        {BtnFileOpen, &kPictureFolderOpen}, {BtnFileSave, &kPictureDisk},
        {BtnFileSaveAs, &kPictureDiskPen},  {BtnNeu, &kPicturePagePlus},
        {BtnBearbeiten, &kPicturePagePencil}, {BtnEntfernen, &kPicturePageMinus},
        {BtnAllesLoeschen, &kPicturePageCross}, {BtnStart, &kPicturePlay},
        {BtnConnect, &kPictureConnect},     {BtnDisconnect, &kPictureDisconnect},
        {BtnInfo, &kPictureInfo},           {BtnEnde, &kPictureExit},
    };
    for (auto [row, picture] : kPictures)
        item<ToolButton>(row).setPicture(*picture);

    makeStdZielIcons();

    // The list places its header once, not after every column.
    ListView list = liste();
    list.setRedraw(false);
    list.setExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < 4; ++i)
        list.addColumn(i, kColumns[i].header, scale(settings_.columns[size_t(i)]));
    list.setRedraw(true);

    ComboBox box = stdZielBox();
    box.send(CB_SETMINVISIBLE, 9);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    // The hint must also show over the edit field, which covers the box.
    if (GetComboBoxInfo(box, &info) && info.hwndItem)
        addHint(info.hwndItem, kStdZielHint);
    hookStdZielEdit();

    setHintPopTime(10000);

    makeLogoFonts();

    // A group box draws its frame and caption only. Its inside is the form's
    // background, which the form then paints with the group box's radios
    // above it, instead of leaving whatever was on the screen there.
    Window group = item<Window>(BackUpMode);
    SetWindowLongPtrW(group, GWL_EXSTYLE, group.exStyle() | WS_EX_TRANSPARENT);

    showMode();
    showSwitches();
    layoutCheckBoxes();
}

void TmForm::makeLogoFonts()
{
    for (HFONT font : {logoFont_, logoItalicFont_})
        if (font)
            DeleteObject(font);
    logoFont_ = logoFont(false, dpi());
    logoItalicFont_ = logoFont(true, dpi());
    Window name = item<Window>(Label1), mark = item<Window>(Label2);
    name.setFont(logoFont_, false);
    mark.setFont(logoItalicFont_, false);
    // Measured once per dpi: every layout needs the sizes, and each measuring
    // is a device context of the label's, which costs round trips under Wine.
    logoSize_[0] = textSize(name, logoFont_, name.text());
    logoSize_[1] = textSize(mark, logoItalicFont_, mark.text());
}

// A standard button shows an icon beside its caption, at the size of the
// dpi and outlined for the face's colour; the greyed one is swapped in by
// SetStatus, as not every theme greys an icon itself, and made there when
// first needed.
void TmForm::makeStdZielIcons()
{
    for (HICON& icon : stdZielIcons_)
        if (icon)
            DestroyIcon(std::exchange(icon, nullptr));
    stdZielIcons_[0] = CreatePictureIcon(kPictureFolderOpen, false, ToolPictureSide(dpi()));
    if (!isEnabled(BtnStdZiel))
        stdZielIcons_[1] = CreatePictureIcon(kPictureFolderOpen, true, ToolPictureSide(dpi()));
    item<Window>(BtnStdZiel).send(BM_SETIMAGE, IMAGE_ICON, LPARAM(stdZielIcons_[isEnabled(BtnStdZiel) ? 0 : 1]));
}

// Check boxes as wide as AutoClose's caption plus 20 pixels, left of them
// the conflict mode's width plus 20.
void TmForm::layoutCheckBoxes()
{
    setCaption(LbBlindLabel, item<Window>(AutoClose).text());
    RECT r = item<Window>(LbBlindLabel).rect();
    checkWidth_ = (r.right - r.left) + scale(20);
}

void TmForm::onDpiChanged(int oldDpi)
{
    makeLogoFonts();
    makeStdZielIcons();
    layoutCheckBoxes();
    // Widths the user set keep their share of the list; the minimums are
    // scaled by clampColumns.
    ListView list = liste();
    list.setRedraw(false);
    for (int i = 0; i < 4; ++i)
        list.setColumnWidth(i, MulDiv(list.columnWidth(i), dpi(), oldDpi));
    list.setRedraw(true);
    relayout();
}

void TmForm::layoutControls()
{
    RECT client = clientRect();
    int w = client.right, h = client.bottom;
    auto s = [this](int pixels) { return scale(pixels); };
    const int modeW = modeWidth(), modeH = modeHeight();
    RECT bar = item<Window>(StatusBar).rect();
    int barHeight = bar.bottom - bar.top;

    item<Window>(ToolLine).move(0, s(kToolLineTop), w, s(2));
    // A combo box is as high as its edit field; the height it is given is
    // that of its drop-down list, which stays as it is.
    Window box = item<Window>(StdZielBox);
    RECT boxRect = box.rect();
    int boxWidth = std::max(w - s(116) - s(kMargin), s(60));
    if (boxRect.left != s(116) || boxRect.top != s(kStdZielTop + 1) || boxRect.right - boxRect.left != boxWidth)
        box.move(s(116), s(kStdZielTop + 1), boxWidth, s(21 + 200));

    int groupTop = h - barHeight - s(kMargin) - s(modeH);
    item<Window>(Liste).move(s(kMargin), s(kListeTop), w - 2 * s(kMargin),
                                std::max(groupTop - s(kMargin) - s(kListeTop), s(40)));
    item<Window>(BackUpMode).move(s(kMargin), groupTop, s(modeW), s(modeH));
    // Each radio reaches to the group's inner edge, which its longest caption
    // needs, and down to the next one's top at most: rounded at some scales,
    // 17 pixels would reach into the next.
    int step = (modeH - 22) / 4;
    for (int i = 0; i < 4; ++i) {
        int top = s(17 + i * step), next = s(17 + (i + 1) * step);
        item<Window>(Mode0 + i).move(s(kMargin + 10), groupTop + top, s(modeW - 12), std::min(s(17), next - top));
    }

    int checkLeft = s(modeW + 20);
    for (int i = 0; i < 3; ++i)
        item<Window>(WinAutoLoad + i).move(checkLeft, groupTop + s(5 + i * 19), checkWidth_, s(17));

    const SIZE name = logoSize_[0], mark = logoSize_[1];
    int logoTop = groupTop + s(modeH) - name.cy - s(2);
    int logoLeft = checkLeft + s(18);
    item<Window>(Label1).move(logoLeft, logoTop, name.cx, name.cy);
    item<Window>(Label2).move(logoLeft + name.cx, logoTop, mark.cx + s(2), mark.cy);
    clampColumns();
}

// Where layoutControls puts AutoClose's right edge, whether it has run yet
// or not.
int TmForm::minimumWidth() const
{
    return scale(modeWidth() + 20) + checkWidth_ + scale(20);
}

void TmForm::setStatusParts()
{
    RECT r = rect();
    int p0 = scale(panel0Width()), p2 = scale(panel2Width());
    int p1 = std::max(int(r.right - r.left) - p0 - p2, 0);
    const int edges[] = {p0, p0 + p1, -1};
    item<::tresorix::StatusBar>(StatusBar).setParts(edges);
}

// A hidden window is laid out when it is shown: Wine charges each move of a
// hidden control like that of a visible one, and start-up sizes the window
// twice before it shows.
void TmForm::relayout()
{
    if (!visible()) {
        layoutPending_ = true;
        return;
    }
    layoutControls();
    FormResize();
}

void TmForm::onResize(int width, int height)
{
    // The first WM_SIZE comes while the window is being created, before
    // its controls exist.
    if (!control(StatusBar) || IsIconic(handle()))
        return;
    relayout();
    // Moved controls keep their old picture, which Wine copies along, and the
    // form's background is painted over what lies on newly exposed ground:
    // after any size change every control paints itself afresh.
    RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The window is never narrower than minimumWidth: WM_GETMINMAXINFO stops a
// drag there, where a window widened again after each size would jump back.
void TmForm::FormResize()
{
    setStatusParts();
}

// Minimum widths for the first three columns; the last one fills the rest
// of the list, never narrower than its own minimum.
void TmForm::clampColumns()
{
    clampPending_ = false;
    ListView list = liste();
    int used = 0;
    for (int i = 0; i < 3; ++i) {
        int width = list.columnWidth(i);
        if (width < scale(kColumns[i].minimum)) {
            width = scale(kColumns[i].minimum);
            list.setColumnWidth(i, width);
        }
        used += width;
    }
    RECT inner = list.clientRect();
    int last = std::max(int(inner.right) - used, scale(kColumns[3].minimum));
    if (list.columnWidth(3) != last)
        list.setColumnWidth(3, last);
}

void TmForm::SetStatus(bool enabled)
{
    static constexpr Row kLocked[] = {
        BackUpMode, Mode0,      Mode1,         Mode2,  Mode3,        BtnStdZiel,   BtnConnect,    BtnDisconnect,
        BtnNeu,     BtnInfo,    BtnEnde,       BtnBearbeiten, BtnStart, BtnEntfernen, BtnFileOpen, BtnAllesLoeschen,
        BtnFileSaveAs, StdZielBox, Liste,
    };
    for (Row row : kLocked)
        item<Window>(row).enable(enabled);
    item<Window>(BtnFileSave).enable(enabled && set_.modified);
    if (!enabled && !stdZielIcons_[1])
        stdZielIcons_[1] = CreatePictureIcon(kPictureFolderOpen, true, ToolPictureSide(dpi()));
    item<Window>(BtnStdZiel).send(BM_SETIMAGE, IMAGE_ICON, LPARAM(stdZielIcons_[enabled ? 0 : 1]));
}

}  // namespace tresorix
