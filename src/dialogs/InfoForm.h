// The program information dialog: name, version, release date, licence and
// authors, with a mail link and a web link that light up under the mouse.
#pragma once

#include "dialogs/ProgramVersion.h"
#include "ui/Form.h"

#include <functional>
#include <string>

namespace tresorix {

inline constexpr wchar_t kInfoClass[] = L"Tinfo";
inline constexpr char kInfoMail[] = TRESORIX_MAIL;
inline constexpr char kInfoWeb[] = TRESORIX_WEB;
inline constexpr COLORREF kLinkHighlight = RGB(255, 255, 255);
// The system's colour of links (COLOR_HOTLIGHT), which a high-contrast
// scheme sets apart from the background.
COLORREF LinkColor();

class Tinfo : public Form {
public:
    enum Row {
        Image1, Label1, Label2, Label11, Label3, Label4, Label10, Label7, Label5, Label8, Label6, Label9,
        BtnSchliessen, kRowCount
    };

    Tinfo();

    void Label5Click();
    void Label6Click();
    void Label5MouseMove();
    void Label6MouseMove();
    void FormMouseMove();

    COLORREF mailColor() const { return mailLit_ ? kLinkHighlight : LinkColor(); }
    COLORREF webColor() const { return webLit_ ? kLinkHighlight : LinkColor(); }
    // Opens a link through the shell; tests replace it.
    std::function<void(const std::string& link)> openLink;

protected:
    void onCommand(int row, int code) override;
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void onDpiChanged(int oldDpi) override;

private:
    bool linkMessage(HWND link, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    void setLinksLit(bool mail, bool web);
    void drawPicture(const DRAWITEMSTRUCT& item) const;
    void setFonts();
    void setFont(int row, HFONT font);

    bool mailLit_ = false, webLit_ = false;  // the mouse is over the link
};

}  // namespace tresorix
