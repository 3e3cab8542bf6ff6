#include "grid/DocumentCommands.h"

#include "grid/Documents.h"
#include "resources/GridIds.h"
#include "resources/MainIds.h"

bool isDocumentCommand(UINT id) {
  switch (id) {
    case ID_SAVE:
    case ID_SAVE_ALL:
    case ID_SAVE_AS:
    case ID_CLASSIFY_SAVE:
    case ID_SAVE_FILTERED:
    case ID_APPEND:
    case ID_SPLIT_FILE:
    case ID_ALT_ENTER:
    case ID_KIND_TEXT:
    case ID_RUN_ALL:
    case ID_RUN_SELECTED:
    case ID_BANDED_ROWS:
    case ID_DELETE_DUPLICATES:
    case ID_KIND_PYTHON:
    case ID_GOTO:
    case ID_FIND_MATCH: return true;
    default:
      return (id >= ID_ENC_UTF8 && id <= ID_ENC_ANSI) || (id >= ID_UNDO && id <= ID_REPLACE_ALL) ||
             (id >= ID_FORMULA_SUM && id <= ID_FORMULA_MIN);
  }
}

void enableDocumentCommands(bool enable) {
  HMENU menu = gMainWnd ? GetMenu(gMainWnd) : nullptr;
  if (!menu) return;
  for (UINT id = ID_SAVE; id <= ID_CLASSIFY_SAVE; ++id)
    if (isDocumentCommand(id)) EnableMenuItem(menu, id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
  // The last document's window held the keyboard; the main window takes it, so that
  // the accelerators that need no document still arrive.
  if (!enable && !GetFocus()) SetFocus(gMainWnd);
}
