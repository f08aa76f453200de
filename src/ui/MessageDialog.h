// The program's message box: our own window rather than MessageBox, whose
// buttons would carry the system's captions and results.
#pragma once

#include "ui/Prompts.h"

#include <string>

namespace tresorix {

inline constexpr wchar_t kMessageDialogClass[] = L"TresorixMessage";

// Shows the box modally: "Bestätigung" with the question mark or
// "Information" with the information sign, the text (CR LF breaks lines)
// and the buttons of the set. Returns the pressed button's result; closing
// the box any other way gives mrCancel.
ButtonResult ShowMessageDialog(PromptKind kind, const std::string& text, ButtonSet buttons);

// Makes the box the prompt handler and the reporter of the errors the
// window procedures stop, and lets pending messages through after every
// prompt.
void InstallMessageDialog();

}  // namespace tresorix
