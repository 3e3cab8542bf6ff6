// Construction, teardown and window creation of a document.
#include "grid/Grid.h"

#include <exception>
#include <string>

#include "controls/ControlClass.h"
#include "controls/InputState.h"
#include "grid/Documents.h"
#include "grid/GridCommandTable.h"
#include "grid/GridStats.h"
#include "platform/CodePage.h"
#include "platform/windows.h"
#include "resources/GridDialogIds.h"
#include "resources/GridResources.h"
#include "script/OutputWindow.h"

namespace {

// Puts `text` on the clipboard as CF_UNICODETEXT; true only when it is there. The block is
// filled before the clipboard is emptied, so a copy that fails (the clipboard busy, no
// memory) leaves what the clipboard held.
bool putOnClipboard(HWND owner, const std::u16string& text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
  auto* units = block ? static_cast<char16_t*>(GlobalLock(block)) : nullptr;
  if (!units) {
    if (block) GlobalFree(block);
    return false;
  }
  text.copy(units, text.size());
  units[text.size()] = 0;
  GlobalUnlock(block);
  if (!OpenClipboard(owner)) {
    GlobalFree(block);
    return false;
  }
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  if (!placed) GlobalFree(block);
  CloseClipboard();
  return placed;
}

}  // namespace

void GridStyle::setDefaults() {
  static constexpr COLORREF kColors[28] = {0xCEB69E, 0xCEB69E, 0xFFFFFF, 0x3695F2, 0xF2E4D5, 0xF7CFB0, 0xE9C4A9,
                                           0xE9E3E0, 0xF2E4D5, 0xF7CFB0, 0xAD9985, 0xE9E3E0, 0xFDFCF9, 0xEADDD5,
                                           0xE4C19D, 0xE4C19D, 0x9FD9F9, 0x63C3F2, 0xF7ECE4, 0xE4C19D, 0x8DD5FF,
                                           0xCEB69E, 0xFFFFFF, 0xEFEFEF, 0xFFFFFF, 0x808080, 0x3E4127, 0x3E4127};
  for (int i = 0; i < 28; ++i) colors[i] = kColors[i];
  LOGFONTW font{};
  font.lfHeight = 12;
  font.lfWeight = 400;
  font.lfCharSet = 1;
  const std::u16string face = u"宋体";
  face.copy(font.lfFaceName, face.size());
  headerFont = font;
  cellFont = font;
  selectionFill = 0x777766;
  selectionAlpha = 65;
  headerHeight = 20;
  rowHeaderWidth = 34;
  rowHeight = 18;
  columnWidth = 74;
  scrollMargin = 150;
  wheelStep = 200;
  grabTolerance = 3;
  cursor = IDC_ARROW;
  registerGridResources();
  static constexpr WORD kIcons[4] = {IDI_FILTER, IDI_FILTER_PRESSED, IDI_FILTER_ON, IDI_FILTER_ON_PRESSED};
  for (int i = 0; i < 4; ++i) icons[i] = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIcons[i]));
}

CGrid::CGrid() {
  registerGridResources();
  // The script output window: a read-only text control filling its dialog, hidden. The
  // dialog is a window of its own above the main window (its owner), so that it never
  // covers the cells it reports on and its caption's close box hides it.
  HWND owner = IsWindow(gMainWnd) ? gMainWnd : nullptr;
  mOutputDlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OUTPUT), owner, outputDlgProc,
                                  reinterpret_cast<LPARAM>(&mOutput));
  if (mOutputDlg) {
    SetWindowLongPtrW(mOutputDlg, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&mOutput));
    RECT client{};
    GetClientRect(mOutputDlg, &client);
    mOutput.insets[0] = 3, mOutput.insets[1] = 3, mOutput.insets[2] = 2, mOutput.insets[3] = 2;
    mOutput.backColour = 0xE8E7E6;
    mOutput.create(mOutputDlg, 0, 0, client.right - client.left, client.bottom - client.top, 1);
    mOutput.editable = 0;
    // Esc closes it as its close box does.
    mOutput.onCancel = [dialog = mOutputDlg](uint64_t, std::u16string*) { PostMessageW(dialog, WM_CLOSE, 0, 0); };
    ShowWindow(mOutputDlg, SW_HIDE);
  }
  mSelection.anchorRow = mSelection.anchorCol = 1;
  mSelection.range = Range{1, 1, 1, 1};
  mCore.mOpenEncoding = mCore.mSaveEncoding = ENC_ANSI;
  mOps.mCore = &mCore;
  mCore.loadFilter();
  mOps.mSelection = &mSelection;
  mOps.mComManag = &mComManag;
  mOps.mHooks.showMessage = [this](const std::u16string& caption, const std::u16string& text) {
    MessageBoxW(mHwnd, text.c_str(), caption.c_str(), MB_OK);
  };
  mOps.mHooks.setClipboardText = [this](const std::u16string& text) { return putOnClipboard(mHwnd, text); };
  CGridView* view = &mView;
  mComManag.mOnModified = [view](iComManag* m, intptr_t modified) { postModified(view, m, modified); };
  mComManag.mNotify = [view](void*, void*) { notifyRefresh(view); };
  mComManag.mOnSaved = [view](iComManag* m, intptr_t flag) { postSaved(view, m, flag); };
  // One gate before every change of the sheet, the manager's commands included: the
  // statistics worker reads the sheet without locks.
  mCore.mBeforeChange = [] { stopStats(); };
  mComManag.mBeforeChange = [core = &mCore] { core->beforeChange(); };
  mView.mCore = &mCore;
  mView.mSelection = &mSelection;
  mView.mStyle = &mStyle;
  mView.mZoom = 1.0;
  mView.mDragState = &mDragState;
  mView.mDrag = &mDrag;
  mCore.setProgress([this](uint64_t sender, int64_t percent) { progress(sender, percent); });
  mStyle.setDefaults();
  // A document made while the progress bar is up (a script, a drop) leaves input off.
  if (!gProgressBar) gInputEnabled = true;
  mView.reset();
  mDragState = 0;
  mScriptEditHeight = 520;
  mScriptEditWidth = 640;
  attachScripts(*this);
  installGridCommands();
}

CGrid::~CGrid() {
  closeEditor();  // first: an open edit must not reach the sheet being torn down
  stopStatsFor(this);
  closeFilterPopupOf(*this);
  if (mFindDlg) DestroyWindow(mFindDlg);
  if (mReplaceDlg) DestroyWindow(mReplaceDlg);
  mOnSelect = nullptr;
  if (mOutputDlg && IsWindow(mOutputDlg)) DestroyWindow(mOutputDlg);
  mOutputDlg = nullptr;
}

void CGrid::setSelectCallback(SelectFn& callback) {
  mOnSelect = std::move(callback);
  callback = nullptr;
}

void CGrid::create(HWND parent, int32_t x, int32_t y, int32_t width, int32_t height) {
  registerControlClass(u"Grid2", gridWndProc);
  mHwnd = CreateWindowExW(0, u"Grid2", u"Grid2", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, x, y,
                          width, height, parent, nullptr, GetModuleHandleW(nullptr), this);
  if (!mHwnd) return;
  mView.mCanvas.mOwner = mHwnd;
  RECT client{};
  GetClientRect(mHwnd, &client);
  mRect = RECT{0, 0, client.right, client.bottom};
  mView.layout(mRect);
  attachEditor();
  mView.updateScrollBars();
  newTable();
  DragAcceptFiles(mHwnd, TRUE);
}

void CGrid::invalidate() {
  if (mHwnd) InvalidateRect(mHwnd, &mRect, FALSE);
}

void CGrid::message(const std::u16string& text) const { MessageBoxW(mHwnd, text.c_str(), u"Morvel", MB_OK); }

bool CGrid::guarded(const std::function<void()>& work) {
  try {
    work();
    return true;
  } catch (const std::string& text) {
    message(utf8ToWide(text));
  } catch (const char* text) {
    message(utf8ToWide(text ? text : ""));
  } catch (const std::exception& e) {
    message(utf8ToWide(e.what()));
  } catch (...) {
    message(u"操作失败");
  }
  return false;
}
