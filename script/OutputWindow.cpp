#include "script/OutputWindow.h"

#include "controls/TextEditor.h"

void appendOutputText(CCText& editor, std::u16string text) { editor.appendText(text); }

void clearOutputEditor(CCText& editor) { editor.setText(std::u16string()); }

// Moves the editor kept in the dialog's GWLP_USERDATA over the client area.
void fitEditorToDialog(HWND dialog) {
  auto* editor = reinterpret_cast<CCText*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
  if (!editor || !editor->hwnd) return;
  RECT rc;
  GetClientRect(dialog, &rc);
  MoveWindow(editor->hwnd, rc.left, rc.top, rc.right - rc.left + 1, rc.bottom - rc.top + 1, TRUE);
  SetFocus(editor->hwnd);
  editor->relayout();
}

INT_PTR CALLBACK outputDlgProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_SIZE: fitEditorToDialog(dialog); return TRUE;
    case WM_CLOSE: ShowWindow(dialog, SW_HIDE); return TRUE;
    default: return FALSE;
  }
}

void destroyOutputWnd(HWND dialog) {
  if (dialog) DestroyWindow(dialog);
}
