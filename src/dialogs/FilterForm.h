// The new-filter dialog. So far only its window, created in its place
// among the program's windows; nothing shows it yet.
#pragma once

#include "ui/Form.h"

namespace tresorix {

class TFilterForm : public Form {
public:
    TFilterForm() { create({L"TFilterForm", "", 300, 200}, {}); }
};

}  // namespace tresorix
