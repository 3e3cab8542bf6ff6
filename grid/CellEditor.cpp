// In-place cell editing: the document's text editor shown over the selection, started by
// typing, by an input-method result or by a double click, and turned into a cell command
// when it hands its text over. The editor's window never reaches outside the grid's client
// area, so its drawing surface stays within the visible area whatever the selection.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "commands/CellAction.h"
#include "grid/Grid.h"
#include "platform/windows.h"

namespace {

bool held(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

// The editor language of a cell kind, and the script kind a language writes.
int32_t languageOf(uint8_t kind) {
  switch (kind) {
    case CELL_EXPRTK: return TEXT_EXPRTK;
    case CELL_TCC: return TEXT_C;
    case CELL_PYTHON: return TEXT_PYTHON;
    default: return TEXT_PLAIN;
  }
}

// `r` (inclusive) cut to the client rectangle (0, 0) .. (right - 1, bottom - 1).
RECT clipToClient(RECT r, const RECT& client) {
  r.left = std::max(r.left, client.left);
  r.top = std::max(r.top, client.top);
  r.right = std::min<LONG>(r.right, client.right - 1);
  r.bottom = std::min<LONG>(r.bottom, client.bottom - 1);
  return r;
}

// MoveWindow of an inclusive rectangle; an empty one shrinks the window to nothing.
void placeEditor(HWND editor, const RECT& r) {
  const int w = std::max<LONG>(0, r.right - r.left + 1), h = std::max<LONG>(0, r.bottom - r.top + 1);
  MoveWindow(editor, r.left, r.top, w, h, TRUE);
}

}  // namespace

void CGrid::attachEditor() {
  mView.mCanvas.mOwner = mHwnd;
  setTitle(u"");
  mEditor.create(mHwnd, 0, 0, 0, 0, 0);
  if (mEditor.hwnd) ShowWindow(mEditor.hwnd, SW_HIDE);
  mEditor.extraMargin = 2;
  mEditor.insets[0] = 2, mEditor.insets[1] = 1, mEditor.insets[2] = 0, mEditor.insets[3] = 0;
  mEditor.cellEditorMode = 1;
  mEditor.onCommit = [this](uint64_t key, std::u16string* text) {
    commitEdit(key, text ? *text : std::u16string());
  };
  mEditor.onCancel = [this](uint64_t, std::u16string*) { cancelEdit(); };
  mEditor.onWheel = [this](WPARAM wParam, LPARAM lParam) { editorWheel(wParam, lParam); };
}

void CGrid::beginEdit(bool byTyping) {
  if (!mEditor.hwnd) return;
  const Range range = mSelection.toRange(mCore);
  const int32_t row = range.top, col = range.left;
  mView.scrollToCell(cellPos(row, col));
  invalidate();
  const RECT r = mView.selectionRect(mSelection);
  const std::u16string text = byTyping ? std::u16string() : mCore.getText(row, col);
  const uint8_t kind = mCore.cellAt(row, col)->kind;
  RECT e = r;
  if (!byTyping) {
    const RECT m{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    SIZE size{};
    mView.mCanvas.measureText(size, text, m);
    const LONG w = std::max<LONG>(size.cx, size.cy / 2), h = size.cy;
    e.left = m.left + w > mRect.right ? mRect.right - w : m.left;
    e.top = m.top + h > mRect.bottom ? mRect.bottom - h : m.top;
    e.right = e.left + w - 1;
    e.bottom = e.top + h - 1;
  }
  if (kind == CELL_EXPRTK || kind == CELL_TCC || kind == CELL_PYTHON) {
    if (e.right - e.left < mScriptEditWidth) e.right = e.left + mScriptEditWidth;
    if (e.bottom - e.top < mScriptEditHeight) e.bottom = e.top + mScriptEditHeight;
  }
  e = clipToClient(e, mRect);
  if (e.bottom - e.top > 200 && e.right - e.left > 200) {
    if (e.right + 20 < mRect.right) e.right += 20;
    if (e.right + mEditor.gutterWidth < mRect.right) e.right += mEditor.gutterWidth;
    e = clipToClient(e, mRect);
    mEditor.setScrollBars(true);
    mEditor.lineNumbers = true;
  } else {
    mEditor.setScrollBars(false);
    mEditor.lineNumbers = false;
  }
  mEditor.font.lfHeight = static_cast<LONG>(mStyle.cellFont.lfHeight * mView.mZoom + 0.5);
  placeEditor(mEditor.hwnd, e);
  SetFocus(mEditor.hwnd);
  mEditor.relayout();
  mEditor.language = languageOf(kind);
  mEditor.setText(text);
  ShowWindow(mEditor.hwnd, SW_SHOWNORMAL);
  if (!byTyping) PostMessageW(mEditor.hwnd, WM_LBUTTONDOWN, 0, 0);
}

// The editor is hidden before the command is built: a message box raised meanwhile takes
// the focus, and the editor's focus loss must not commit a second time.
void CGrid::commitEdit(uint64_t key, const std::u16string& text) {
  if (!mEditor.hwnd || !IsWindowVisible(mEditor.hwnd)) return;
  const int32_t language = mEditor.language;
  ShowWindow(mEditor.hwnd, SW_HIDE);
  if (!mOps.editLocked()) {
    guarded([&] {
      auto command = std::make_unique<CCellAction>(&mCore, &mSelection);
      const bool series = held(VK_CONTROL);  // Ctrl held at the commit fills a series
      switch (language) {
        case TEXT_EXPRTK: command->fillScript(text, CELL_EXPRTK, series); break;
        case TEXT_C: command->fillScript(text, CELL_TCC, series); break;
        case TEXT_PYTHON: command->fillScript(text, CELL_PYTHON, series); break;
        default: command->fill(text, series); break;
      }
      mComManag.add(std::move(command));
    });
  }
  invalidate();
  SetFocus(mHwnd);
  if (key == 9 || key == 10 || key == 13) PostMessageW(mHwnd, WM_KEYDOWN, static_cast<WPARAM>(key), 0);
}

void CGrid::cancelEdit() {
  if (mEditor.hwnd) ShowWindow(mEditor.hwnd, SW_HIDE);
  invalidate();
  SetFocus(mHwnd);
}

void CGrid::editorWheel(WPARAM wParam, LPARAM) {
  const bool up = static_cast<int32_t>(static_cast<uint32_t>(wParam)) > 0;
  const int64_t amount = up ? -mStyle.wheelStep : mStyle.wheelStep;
  if (held(VK_SHIFT)) mView.scrollBy(amount, 0);
  else mView.scrollBy(0, amount);
  invalidate();
  const RECT r = mView.selectionRect(mSelection);
  if (r.left < r.right && r.top < r.bottom && mEditor.hwnd) {
    placeEditor(mEditor.hwnd, clipToClient(RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, mRect));
    mEditor.relayout();
  }
}

void CGrid::onChar(WPARAM wParam, LPARAM lParam) {
  if (!(wParam > 32 || wParam == 8) || held(VK_CONTROL) || held(VK_MENU)) return;
  beginEdit(true);
  PostMessageW(mEditor.hwnd, WM_CHAR, wParam, lParam);
  mEditor.updateCaret();
}

void CGrid::onImeStartComposition() {
  const RECT r = mView.selectionRect(mSelection);
  HIMC context = ImmGetContext(mHwnd);
  if (!context) return;
  COMPOSITIONFORM form{};
  form.dwStyle = CFS_RECT;
  form.ptCurrentPos = POINT{r.left, r.top};
  form.rcArea = RECT{r.left, r.top, r.left + 300, r.top + 100};
  ImmSetCompositionWindow(context, &form);
  ImmReleaseContext(mHwnd, context);
}

void CGrid::onImeEndComposition(WPARAM wParam, LPARAM lParam) {
  beginEdit(true);
  PostMessageW(mEditor.hwnd, WM_IME_ENDCOMPOSITION, wParam, lParam);
}

void CGrid::closeEditor() {
  if (!mEditor.hwnd) return;
  mEditor.onCommit = nullptr;
  mEditor.onCancel = nullptr;
  mEditor.onWheel = nullptr;
  if (IsWindow(mEditor.hwnd)) DestroyWindow(mEditor.hwnd);
  mEditor.hwnd = nullptr;
}
