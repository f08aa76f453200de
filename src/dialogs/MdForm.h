// The create-directory dialog. So far only its window, created in its place
// among the program's windows; nothing shows it yet.
#pragma once

#include "ui/Form.h"

namespace tresorix {

class TmdForm : public Form {
public:
    TmdForm() { create({L"TmdForm", "", 300, 200}, {}); }
};

}  // namespace tresorix
