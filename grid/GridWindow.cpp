// The "Grid2" window procedure.
#include <string>

#include "controls/InputState.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "grid/GridStats.h"
#include "grid/ReadSettings.h"
#include "platform/windows.h"

namespace {

CGrid* gridOf(HWND hwnd) { return reinterpret_cast<CGrid*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

bool isInput(UINT message) {
  switch (message) {
    case WM_KILLFOCUS:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
    case WM_COMMAND:
    case WM_DROPFILES: return true;
    default: return false;
  }
}

// Whether the main window shows this document's title: it is the current tab's, or the
// grid lives outside the tab strip.
bool showsTitle(const CGrid* grid) {
  CGrid* current = currentDocument();
  return current == grid || current == nullptr;
}

}  // namespace

LRESULT CALLBACK gridWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    return 0;
  }
  CGrid* grid = gridOf(hwnd);
  if (!grid) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (isInput(message) && !gInputEnabled) {
    if (message == WM_DROPFILES) DragFinish(reinterpret_cast<HDROP>(wParam));
    return 0;
  }
  switch (message) {
    case WM_DESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete grid;
      return 0;
    case WM_SIZE:
      grid->mRect = RECT{0, 0, LOWORD(lParam), HIWORD(lParam)};
      grid->mView.layout(grid->mRect);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      grid->mView.paint(dc, ps.rcPaint);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SETCURSOR: {
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(hwnd, &p);
      const RECT& r = grid->mRect;
      const bool inside = p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
      SetCursor(LoadCursorW(nullptr, inside && grid->mStyle.cursor ? grid->mStyle.cursor : IDC_ARROW));
      return TRUE;
    }
    case WM_CONTEXTMENU: {
      POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (grid->contextMenu(reinterpret_cast<HWND>(wParam), screen)) return 0;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_KILLFOCUS:
      grid->endDrag();
      ReleaseCapture();
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      grid->onKeyDown(wParam);
      // Alt+F4 closes the main window from a grid too.
      if (message == WM_SYSKEYDOWN && wParam == VK_F4) return DefWindowProcW(hwnd, message, wParam, lParam);
      return 0;
    case WM_CHAR: grid->onChar(wParam, lParam); return 0;
    case WM_IME_STARTCOMPOSITION: grid->onImeStartComposition(); return 0;
    case WM_IME_ENDCOMPOSITION: grid->onImeEndComposition(wParam, lParam); return 0;
    case WM_SETFOCUS:
    case WM_ERASEBKGND:
    case WM_IME_COMPOSITION: return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (grid->onScroll(message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wParam))) grid->invalidate();
      return 0;
    case WM_MOUSEMOVE: grid->onMouseMove(); return 0;
    case WM_LBUTTONDOWN:
      grid->onLButtonDown();
      SetCapture(hwnd);
      return 0;
    case WM_LBUTTONUP:
      ReleaseCapture();
      grid->onLButtonUp();
      return 0;
    case WM_LBUTTONDBLCLK: grid->onLButtonDblClk(); return 0;
    case WM_MOUSEWHEEL: grid->onWheel(wParam); return 0;
    case WM_DROPFILES: onDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_USER:
      switch (wParam) {
        case GRID_SHOW_POPUP:
          if (lParam) ShowWindow(*reinterpret_cast<HWND*>(lParam), SW_SHOWNORMAL);
          break;
        case GRID_UPDATE_TITLE:
          if (showsTitle(grid)) {
            HWND main = GetParent(GetParent(hwnd));
            if (main) SetWindowTextW(main, grid->mTitle.c_str());
          }
          break;
        case GRID_OPEN_FILTER: grid->showFilterPopup(); break;
        case GRID_STATS_DONE: {
          std::u16string status;
          if (takeStatsResult(grid, status)) grid->setTitle(status);
          break;
        }
        default: break;
      }
      return 0;
    case WM_COMMAND:
      if (grid->onCommand(LOWORD(wParam))) return 0;
      // Ids the grid has no use for go on to the main window.
      if (gMainWnd && gMainWnd != hwnd) return SendMessageW(gMainWnd, WM_COMMAND, wParam, lParam);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}
