// The document's script output window: dialog 147 "输出" holding a text editor that
// collects the error banners of every run. Shown by a run that left text, hidden by its
// close box, cleared by the next F5, F8 or script-file run, destroyed with its document.
// The dialog's GWLP_USERDATA holds its editor.
#pragma once
#include <string>

#include "platform/windows.h"

class CCText;

// Appends to the output editor.
void appendOutputText(CCText& editor, std::u16string text);
// Empties the editor as setText with an empty text does: text, undo history, caret,
// selection and scroll position.
void clearOutputEditor(CCText& editor);
// Dialog 147's procedure: WM_SIZE fits the editor to the client area (and focuses it),
// WM_CLOSE only hides the dialog.
INT_PTR CALLBACK outputDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// DestroyWindow of the dialog (the editor's window goes with it).
void destroyOutputWnd(HWND dialog);
