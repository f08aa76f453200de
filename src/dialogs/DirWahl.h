// The source and file selection dialog. So far only its window, created in its place
// among the program's windows; nothing shows it yet.
#pragma once

#include "ui/Form.h"

namespace tresorix {

class TDirWahl : public Form {
public:
    TDirWahl() { create({L"TDirWahl", "", 300, 200}, {}); }
};

}  // namespace tresorix
