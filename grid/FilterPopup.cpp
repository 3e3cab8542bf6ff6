// The column filter popup: the distinct values of the pressed filter
// button's column, narrowed by a condition and a typed text, applied through the filter
// command to this document or, in batch mode, to every open document.
#include <set>
#include <string>

#include "controls/InputState.h"
#include "grid/Documents.h"
#include "grid/FilterValues.h"
#include "grid/Grid.h"
#include "grid/ListDialogState.h"
#include "platform/controls/Controls.h"
#include "platform/windows.h"
#include "resources/FindFilterIds.h"
#include "resources/GridFindResources.h"

namespace {

constexpr int DEFAULT_CONDITION = 6;  // "包含"

ListDialogState* stateOf(HWND popup) {
  return reinterpret_cast<ListDialogState*>(GetWindowLongPtrW(popup, GWLP_USERDATA));
}

// Frees the popup's record, list and items; the window itself is left to the caller.
// `repaint` is false while the document is being torn down.
void closeFilterPopup(HWND popup, bool repaint) {
  ListDialogState* state = stateOf(popup);
  if (!state || state->hwnd != popup) return;
  SetWindowLongPtrW(popup, GWLP_USERDATA, 0);
  if (state->grid) {
    if (state->grid->mFilterPopup == popup) state->grid->mFilterPopup = nullptr;
    if (repaint) state->grid->invalidate();
  }
  state->items.clear();
  if (state->list) {
    if (state->list->hwnd && IsWindow(state->list->hwnd)) DestroyWindow(state->list->hwnd);
    state->list->items.clear();
    delete state->list;
  }
  delete state;
}

void closeAndDestroy(HWND popup) {
  closeFilterPopup(popup, true);
  if (IsWindow(popup)) DestroyWindow(popup);
}

// Places the popup: right edge at the button's right, top one pixel below it; above the
// button when it would pass the bottom of the screen; never left of the screen.
void place(HWND popup, const ListDialogState& state) {
  POINT p = state.anchor;
  ClientToScreen(state.grid->mHwnd, &p);
  RECT r{};
  GetWindowRect(popup, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  int x = p.x - w, y = p.y + 1;
  if (y + h > GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION)) y = p.y - h;
  if (x < 0) x = 0;
  MoveWindow(popup, x, y, w, h, FALSE);
}

void narrow(HWND popup, ListDialogState& state) {
  char16_t buffer[1024] = {};
  GetDlgItemTextW(popup, IDC_FILTER_TEXT, buffer, 1024);
  const int condition = static_cast<int>(SendDlgItemMessageW(popup, IDC_FILTER_CONDITION, CB_GETCURSEL, 0, 0));
  if (condition < 0) return;
  state.list->items =
      narrowFilterList(state.grid->mCore, state.column, state.items, state.texts, condition, buffer);
  state.list->scrollY = 0;
  state.list->refresh();
  EnableWindow(GetDlgItem(popup, IDOK), state.list->items.size() > 1);
}

// "确定": the ticked values filter the column in this document, or in every open
// document in batch mode; locked documents and documents whose filter lacks the column
// are left alone. Everything the loop needs is taken from the popup's record first: the
// message box of a failing command deactivates the popup, which frees that record.
void apply(const ListDialogState& state) {
  FilterNumbers numbers;
  std::set<uint64_t> keys;
  CGrid& grid = *state.grid;
  collectTickedValues(grid.mCore, state.column, state.list->items, numbers, keys);
  const uint64_t headerKey = state.headerKey;
  std::vector<CGrid*> documents;
  if (grid.mBatchFilter) documents = allDocuments();
  if (documents.empty()) documents.push_back(&grid);
  for (CGrid* doc : documents) {
    if (doc->mOps.editLocked() || !doc->mCore.mFilter.mColumns.count(headerKey)) continue;
    doc->guarded([&] { doc->mOps.filterValues(headerKey, numbers, keys); });
    doc->invalidate();
  }
}

void initPopup(HWND popup, ListDialogState& state) {
  SetWindowLongPtrW(popup, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
  state.hwnd = popup;
  place(popup, state);
  for (const char16_t* c : FILTER_CONDITIONS)
    SendDlgItemMessageW(popup, IDC_FILTER_CONDITION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c));
  SendDlgItemMessageW(popup, IDC_FILTER_CONDITION, CB_SETCURSEL, DEFAULT_CONDITION, 0);
  SendDlgItemMessageW(popup, IDC_FILTER_CONDITION, CB_SETITEMHEIGHT, 0, 15);
  RECT window{}, client{};
  GetWindowRect(popup, &window);
  GetClientRect(popup, &client);
  state.list->create(popup, client.left + 6, client.top + 35, (window.right - window.left) - 11,
                     (window.bottom - window.top) - 91);
  state.list->items = state.items;
  state.list->refresh();
  state.painted = 0;
}

INT_PTR CALLBACK filterPopupProc(HWND popup, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    initPopup(popup, *reinterpret_cast<ListDialogState*>(lParam));
    return TRUE;
  }
  ListDialogState* state = stateOf(popup);
  if (!state) return FALSE;
  if (refusedWhileBusy(message)) return TRUE;  // narrowing and applying read the sheet
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(popup, &ps);
      RECT r{};
      GetClientRect(popup, &r);
      HPEN pen = CreatePen(PS_SOLID, 1, 0xCCCCCC);
      HGDIOBJ oldPen = SelectObject(dc, pen);
      HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
      Rectangle(dc, r.left, r.top, r.right, r.bottom);
      SelectObject(dc, oldBrush);
      SelectObject(dc, oldPen);
      DeleteObject(pen);
      EndPaint(popup, &ps);
      state->painted = 1;
      return TRUE;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE && state->painted) closeAndDestroy(popup);
      return FALSE;
    case WM_DESTROY: closeFilterPopup(popup, true); return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_FILTER_CONDITION:
          if (HIWORD(wParam) == CBN_SELCHANGE) narrow(popup, *state);
          return TRUE;
        case IDC_FILTER_TEXT:
          if (HIWORD(wParam) == EN_CHANGE) narrow(popup, *state);
          return TRUE;
        case IDC_FILTER_CLEAR_TEXT:
          SetDlgItemTextW(popup, IDC_FILTER_TEXT, u"");
          narrow(popup, *state);
          return TRUE;
        case IDOK:
          apply(*state);
          closeAndDestroy(popup);
          return TRUE;
        case IDCANCEL: closeAndDestroy(popup); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

}  // namespace

void CGrid::showFilterPopup() {
  if (mFilterPopup) closeAndDestroy(mFilterPopup);
  registerFindFilterResources();
  auto* state = new ListDialogState;
  state->grid = this;
  state->headerKey = cellPos(mDrag.size, mDrag.index);
  state->column = mDrag.index;
  state->anchor = POINT{mDrag.press, mDrag.current};
  state->list = new CCList;
  const CDataCore* core = &mCore;
  const int32_t column = state->column;
  state->list->itemText = [core, column](const ListItem2& item) {
    return item.value == SELECT_ALL_ROW ? std::u16string(u"全选") : core->getText(item.value, column);
  };
  state->list->onCheck = [](CCList& list, int32_t index) {
    toggleAllItems(list.items, index);
    list.refresh();
  };
  buildFilterValueList(mCore, state->headerKey, state->items, &state->texts);
  HWND popup = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FILTER_POPUP), mHwnd,
                                  filterPopupProc, reinterpret_cast<LPARAM>(state));
  if (!popup) {
    delete state->list;
    delete state;
    return;
  }
  mFilterPopup = popup;
  // The grid shows the popup when it takes this message: the address of the document's
  // popup handle, which is cleared when the popup closes first.
  PostMessageW(mHwnd, WM_USER, GRID_SHOW_POPUP, reinterpret_cast<LPARAM>(&mFilterPopup));
}

void closeFilterPopupOf(CGrid& grid) {
  HWND popup = grid.mFilterPopup;
  if (!popup) return;
  closeFilterPopup(popup, false);
  grid.mFilterPopup = nullptr;
  if (IsWindow(popup)) DestroyWindow(popup);
}
