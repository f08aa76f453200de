// The program's button pictures, 16 by 16 pixels (ToolButton.h has the
// palette).
#pragma once

#include "ui/ToolButton.h"

namespace tresorix {

extern const ToolPicture kPictureFolderOpen;  // an open folder with an arrow
extern const ToolPicture kPictureDisk;        // a diskette
extern const ToolPicture kPictureDiskPen;     // a diskette with a pencil
extern const ToolPicture kPicturePagePlus;    // a page with a green plus
extern const ToolPicture kPicturePagePencil;  // a page with a pencil
extern const ToolPicture kPicturePageMinus;   // a page with a red minus
extern const ToolPicture kPicturePageCross;   // a page with a red cross
extern const ToolPicture kPicturePlay;        // a green triangle: start
extern const ToolPicture kPictureConnect;     // a computer with its network cable plugged in
extern const ToolPicture kPictureDisconnect;  // the same with a red cross on the cable
extern const ToolPicture kPictureInfo;        // a blue information sign
extern const ToolPicture kPictureExit;        // a door with a red arrow pointing into it

}  // namespace tresorix
