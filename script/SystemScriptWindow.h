// The system-script window: dialog 173 "系统脚本", a Python-coloured editor with line
// numbers over a document's Python script (document attribute 10). Closing it stores the
// text back into the document it was opened for; several may be open at once, also for
// one document.
#pragma once
#include <functional>
#include <string>

#include "controls/TextEditor.h"
#include "platform/windows.h"

class CGridOps;

constexpr WORD IDD_SYSTEM_SCRIPT = 173;

struct SystemScriptWindow {
  std::function<void(std::u16string* text)> onClose;  // receives the text at the close
  CCText editor;
  HWND dialog = nullptr;
  CGridOps* document = nullptr;  // the document it was opened for
};

// Registers dialog 173's template (once).
void registerSystemScriptDialog();
// Command 32946 "设置系统脚本" with the current document (nothing without one): opens a
// window owned by `owner` showing the document's Python script, caret at its end.
SystemScriptWindow* showSystemScriptWnd(CGridOps* document, HWND owner);
INT_PTR CALLBACK systemScriptDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Stores the text as the document's Python script; a changed text marks the document
// modified (no undo record).
void storeSystemScript(CGridOps& document, const std::u16string& text);
// A document is closing: every system-script window open on it stores its text and
// closes, before the close asks about unsaved changes.
void closeSystemScriptWindows(const CGridOps* document);
