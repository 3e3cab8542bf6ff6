#include "script/SystemScriptWindow.h"

#include <algorithm>
#include <vector>

#include "commands/GridOps.h"
#include "controls/InputState.h"
#include "platform/resources/Resources.h"

namespace {
std::vector<SystemScriptWindow*> gSystemScriptWindows;  // open windows, oldest first

void closeWindow(SystemScriptWindow* w) {
  gSystemScriptWindows.erase(std::remove(gSystemScriptWindows.begin(), gSystemScriptWindows.end(), w),
                             gSystemScriptWindows.end());
  if (w->onClose) w->onClose(w->editor.committedText());
  SetWindowLongPtrW(w->dialog, GWLP_USERDATA, 0);
  DestroyWindow(w->dialog);
  delete w;
}
}  // namespace

void registerSystemScriptDialog() {
  static bool done = false;
  if (done) return;
  done = true;
  platform::resources::Dialog d;
  d.id = IDD_SYSTEM_SCRIPT;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_CENTER;
  d.cx = 461;
  d.cy = 262;
  d.caption = u"系统脚本";
  platform::resources::Table table;
  table.dialogs.push_back(d);
  platform::resources::addTable(table);
}

SystemScriptWindow* showSystemScriptWnd(CGridOps* document, HWND owner) {
  if (!document) return nullptr;
  registerSystemScriptDialog();
  auto* w = new SystemScriptWindow;
  w->document = document;
  w->dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(IDD_SYSTEM_SCRIPT), owner, systemScriptDlgProc,
                                 reinterpret_cast<LPARAM>(w));
  if (!w->dialog) {
    delete w;
    return nullptr;
  }
  SetWindowLongPtrW(w->dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
  RECT rc;
  GetClientRect(w->dialog, &rc);
  CCText& ed = w->editor;
  ed.insets[0] = 3;
  ed.insets[1] = 3;
  ed.insets[2] = 2;
  ed.insets[3] = 2;
  ed.lineNumbers = true;
  ed.language = TEXT_PYTHON;
  ed.create(w->dialog, rc.left, rc.top, rc.right, rc.bottom, 1);
  ShowWindow(w->dialog, SW_SHOWNORMAL);
  // Esc closes it as its close box does (posted: the close frees the editor).
  ed.onCancel = [dialog = w->dialog](uint64_t, std::u16string*) { PostMessageW(dialog, WM_CLOSE, 0, 0); };
  w->onClose = [w](std::u16string* text) {
    if (w->document && text) storeSystemScript(*w->document, *text);
  };
  const CDataCore& core = *document->mCore;
  ed.setText(core.poolText(core.mAttrs[ATTR_PYTHON_SCRIPT].value));
  ed.scrollToCaret();
  InvalidateRect(ed.hwnd, nullptr, FALSE);
  gSystemScriptWindows.push_back(w);
  return w;
}

INT_PTR CALLBACK systemScriptDlgProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  auto* w = reinterpret_cast<SystemScriptWindow*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
  switch (message) {
    case WM_SIZE:
      if (w && w->editor.hwnd) {
        RECT rc;
        GetClientRect(dialog, &rc);
        MoveWindow(w->editor.hwnd, rc.left, rc.top, rc.right - rc.left + 1, rc.bottom - rc.top + 1, TRUE);
        SetFocus(w->editor.hwnd);
        w->editor.relayout();
      }
      return TRUE;
    case WM_CLOSE:
      // Closing stores the script into its sheet: not while a long operation has it.
      if (w && !refusedWhileBusy(message)) closeWindow(w);
      return TRUE;
    default: return FALSE;
  }
}

void storeSystemScript(CGridOps& document, const std::u16string& text) {
  CDataCore& core = *document.mCore;
  if (core.poolText(core.mAttrs[ATTR_PYTHON_SCRIPT].value) == text) {
    core.setAttrText(ATTR_PYTHON_SCRIPT, text);
    return;
  }
  core.setAttrText(ATTR_PYTHON_SCRIPT, text);
  if (document.mComManag) document.mComManag->markOutsideChange();
}

void closeSystemScriptWindows(const CGridOps* document) {
  std::vector<SystemScriptWindow*> open = gSystemScriptWindows;
  for (SystemScriptWindow* w : open)
    if (w->document == document) closeWindow(w);
}
