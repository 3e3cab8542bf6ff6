#include "app/ColumnToolDialog.h"

#include "app/ColumnPick.h"
#include "app/ToolDialog.h"
#include "controls/InputState.h"

void closeColumnTool(HWND dialog) {
  endColumnPick(dialog);
  DestroyWindow(dialog);
}

INT_PTR columnToolDialogProc(const ColumnToolDialog& tool, HWND dialog, UINT message, WPARAM wParam) {
  if (refusedWhileBusy(message)) return TRUE;  // no run over a sheet being read
  if (message == WM_INITDIALOG) {
    const std::vector<std::u16string> items = tool.comboItems();
    for (int combo : tool.combos) addComboItems(dialog, {combo}, items);
    centreOnParent(dialog);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  for (const ColumnPickButton& pick : tool.picks)
    if (id == pick.button) {
      startColumnPick(dialog, id, pick.combo, tool.withTabName);
      return TRUE;
    }
  if (tool.command(dialog, id)) return TRUE;
  if (id == IDCANCEL) {
    closeColumnTool(dialog);
    return TRUE;
  }
  return FALSE;
}
