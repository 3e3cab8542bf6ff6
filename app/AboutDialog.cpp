#include "app/AboutDialog.h"

#include "app/ToolDialog.h"
#include "platform/controls/commctrl.h"
#include "resources/FileToolIds.h"
#include "resources/FileToolResources.h"

std::u16string readmePath() { return MORVEL_README_PATH; }

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: centreOnParent(dialog); return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      const auto* link = reinterpret_cast<const NMLINK*>(lParam);
      if (link->hdr.code == NM_CLICK || link->hdr.code == NM_RETURN)
        ShellExecuteW(nullptr, u"open", link->item.szUrl, nullptr, nullptr, SW_SHOW);
      return FALSE;
    }
  }
  return FALSE;
}

INT_PTR showAboutDialog(HWND parent) {
  registerFileToolResources();
  // The program's module: its controls load their icon (IDI_SMALL) from the program's resources.
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), parent, aboutDialogProc, 0);
}
