#pragma once
// Texts of windows and dialogs are written in Japanese in the sources; when the process runs in
// English, the English resource module (a Qt translation catalogue) is installed and Tr returns
// its English text. Mark the source with the dialog's class as context:
//   Tr("TInputIntDlg", "キャンセル")  ->  "Cancel" in English
// lupdate finds these calls (it knows Tr as a translate alias through the build's settings).
#include <string>

std::string Tr(const char* context, const char* source);
