// The target selection dialog. So far only its window, created in its place
// among the program's windows; nothing shows it yet.
#pragma once

#include "ui/Form.h"

namespace tresorix {

class TZielwahl : public Form {
public:
    TZielwahl() { create({L"TZielwahl", "", 300, 200}, {}); }
};

}  // namespace tresorix
