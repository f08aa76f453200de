// The program information dialog. So far only its window, created in its place
// among the program's windows; nothing shows it yet.
#pragma once

#include "ui/Form.h"

namespace tresorix {

class Tinfo : public Form {
public:
    Tinfo() { create({L"Tinfo", "", 300, 200}, {}); }
};

}  // namespace tresorix
