// CGrid: the object of one open table. It owns by value everything the table needs: the
// sheet, the command manager, the operations block, the view and its canvas, the style,
// the in-place editor and the script output window, the find state, the paged-open state,
// the live selection and the selection callback. One per tab; it lives exactly as long as
// its "Grid2" window, whose WM_DESTROY deletes it.
//
// Sources: Grid.cpp (construction, teardown, window creation), GridWindow.cpp (the window
// procedure, which hands input to the members), GridInput.cpp (keys, mouse, wheel, scroll
// bars, context menu, command dispatch), GridProgress.cpp (progress bar, statistics,
// title), GridFile.cpp (file commands), GridPage.cpp (paged open and its dialog),
// GridCommands.cpp and GridFormula.cpp (edit commands), GridDialogs.cpp (go to, table
// size, sort scope, split settings), CellEditor.cpp (in-place editing), FindReplace.cpp,
// FilterPopup.cpp and DedupeDialog.cpp (find and replace, the column filter popup, delete
// duplicates), GridScripts.cpp (the script side). UI thread only, except the
// selection-statistics worker (GridProgress.cpp).
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "commands/ComManag.h"
#include "commands/GridOps.h"
#include "controls/TextEditor.h"
#include "grid/GridScripts.h"
#include "grid/GridStyle.h"
#include "grid/GridView.h"
#include "grid/OpenPage.h"
#include "grid/Pane.h"
#include "store/DataCore.h"
#include "store/Range.h"

class ExcelBook;

// Posted to a grid window (WM_USER, told apart by wParam).
constexpr WPARAM GRID_SHOW_POPUP = 0;    // lParam: a record whose first member is a window to show
constexpr WPARAM GRID_UPDATE_TITLE = 4;  // the main window's text = mTitle
constexpr WPARAM GRID_OPEN_FILTER = 5;   // open the column filter popup
// Posted to the paged-open dialog by its counting thread: wParam the count's generation,
// lParam rows.
constexpr UINT WM_PAGE_COUNTING = WM_USER + 2;
constexpr UINT WM_PAGE_COUNTED = WM_USER + 3;

// Selection callback: the grid window and the selection's Range in the RECT's members
// (top, left, bottom, right in that order).
using SelectFn = std::function<void(HWND, RECT)>;

class CGrid {
 public:
  CGrid();
  ~CGrid();  // the teardown, run by the window's WM_DESTROY
  CGrid(const CGrid&) = delete;
  CGrid& operator=(const CGrid&) = delete;

  // ---- construction and window (Grid.cpp) ----
  void setSelectCallback(SelectFn& callback);
  void setSelectCallback(SelectFn&& callback) { setSelectCallback(callback); }
  // Creates the "Grid2" child window; the window also runs New.
  void create(HWND parent, int32_t x, int32_t y, int32_t width, int32_t height);
  // InvalidateRect(mHwnd, mRect) without erasing.
  void invalidate();
  // A message box over the grid window captioned with the product name.
  void message(const std::u16string& text) const;
  // Runs `work` (a command, reader or writer); an exception leaving it is shown in a
  // message box and the program goes on. False when it threw.
  bool guarded(const std::function<void()>& work);

  // ---- keys, mouse, wheel, scroll bars, context menu, commands (GridInput.cpp) ----
  void onKeyDown(WPARAM key);
  bool onLButtonDown();
  bool onMouseMove();
  bool onLButtonUp();
  // The loss of the focus ends every drag: a border drag finishes as on the release; a
  // cell drag stops extending the selection; a pressed filter button is let go without
  // opening its popup.
  void endDrag();
  bool onLButtonDblClk();
  bool extendSelection(POINT point);
  void drawDragLine(int32_t position);
  bool zoomWheel(int32_t step);
  // The encoding the next save writes in, marked in the main menu.
  void setSaveEncoding(TextEncoding encoding);
  void updateEncodingMenu();
  // Runs command `id` of the grid's command table; false when the grid has none.
  bool onCommand(UINT id);
  // The context menu at a screen point over `window`; false when it is not shown.
  bool contextMenu(HWND window, POINT screen);
  void selectAll();
  // A scroll-bar request (SB_HORZ / SB_VERT); true when the view moved.
  bool onScroll(int bar, int request);
  void onWheel(WPARAM wParam);
  // Page Up / Page Down.
  void pageMove(bool down);
  // Selects one cell (anchor and Range) and scrolls to it.
  void selectCell(int32_t row, int32_t col);
  // The client point of the cursor now.
  POINT cursorPoint() const;

  // ---- progress, statistics, title (GridProgress.cpp) ----
  void progress(uint64_t sender, int64_t percent);
  void selectionChanged();
  void selectionStats(Range range);
  void setTitle(const std::u16string& status);
  // The title composed again with the last status (the selection's statistics), e.g. when
  // the document's tab becomes current.
  void showTitle();

  // ---- file commands (GridFile.cpp, GridPage.cpp) ----
  void newTable();
  void openDialog();
  int32_t open(const std::u16string& path);
  bool openSheet(const std::u16string& path, ExcelBook& book, const std::u16string& sheetName, int32_t sheetIndex);
  void openPage();
  bool save();
  void saveAsDialog();
  bool saveAs(const std::u16string& path);
  bool saveFilteredAs(const std::u16string& path);
  void saveFiltered(bool reusePath);
  void appendFiles();
  void splitFile(const std::u16string& target, bool keepHeader, bool byRows, int32_t number);
  // The document becomes empty and untitled as after New (a failed open).
  void becomeUntitled();
  // Resets after a whole new sheet: undo emptied, selection (1, 1), view reset; `panes`
  // also drops frozen panes, zoom and scroll (not for append).
  void resetViewState(bool panes);
  // Refuses (with a message) to save a page over the very file it came from.
  bool refusePageTarget(const std::u16string& path);
  // Save As (all) and Save filtered (visible only) to `path`; the document keeps its path
  // and page (a script's save-as writes a copy).
  // `intoBook`: a workbook path is written into the loaded book's sheet of mSheetName,
  // not as a new book.
  bool saveWhole(const std::u16string& path, bool all, bool intoBook = false);
  // After a successful save to a path chosen in the save dialog: the document takes the
  // path, is no longer a page, is the worksheet written when it is a workbook; its title
  // and its tab follow.
  void adoptSavedPath(const std::u16string& path);

  // ---- edit commands (GridCommands.cpp, GridFormula.cpp); each repaints ----
  // Unless locked: the clipboard's text pasted from the selection's top-left cell.
  void paste();
  // The selection copied, then deleted (the deletion checks the lock); nothing is deleted
  // when the copy failed.
  void cut();
  // Unless locked: the visible selected cells emptied (one command).
  void clear();
  // Unless locked, with whole rows or columns selected: `count` rows before the top row or
  // columns before the left column; nothing for a block or the whole sheet.
  void insert(int32_t count);
  // The default size for the selected whole rows or columns (both for the whole sheet).
  void restoreWidthHeight();
  // Unless locked: every selected cell turned into text or a script kind.
  void setTextKind();
  void setExprtkKind();
  void setTccKind();
  void setPythonKind();
  // Sum, average, count, maximum and minimum (in that order) of the range's visible cells.
  std::array<double, 5> columnStats(Range range) const;
  // Statistic `which` (0 sum .. 4 minimum) written below or beside the selection.
  void formula(int32_t which);
  // mBatchFilter = batch; unless locked, the column filter switched on or off.
  void filter(bool batch);
  // Unless locked: the selection sorted (CSortAction); `expand` takes in its neighbours.
  void sortAscending(bool expand);
  void sortDescending(bool expand);
  // The sort command of the menu and keys: asks the sort scope when one column is selected.
  void sortCommand(bool ascending);
  // n more rows (columns), through the operations block.
  void addRows(int32_t n);
  void addCols(int32_t n);
  // Banded rows on or off as an undoable attribute change (also on a locked sheet).
  void toggleBandColor();

  // ---- small dialogs (GridDialogs.cpp) ----
  void showGoto();           // dialog IDD_GOTO
  void showTableSize();      // dialog IDD_TABLE_SIZE
  void showSplitSettings();  // dialog IDD_SPLIT_SETTINGS

  // ---- in-place editing (CellEditor.cpp) ----
  // Creates the hidden in-place editor and makes the output dialog a child of the grid;
  // sets the title.
  void attachEditor();
  // Shows the editor over the selection; byTyping starts it empty over the whole block.
  void beginEdit(bool byTyping);
  // The editor hands its text over (key: the commit key, or the window taking the focus).
  void commitEdit(uint64_t key, const std::u16string& text);
  // Escape: the edit is dropped.
  void cancelEdit();
  // A wheel notch the editor could not use scrolls the grid; the editor follows its cells.
  void editorWheel(WPARAM wParam, LPARAM lParam);
  // The grid window's WM_CHAR, WM_IME_STARTCOMPOSITION and WM_IME_ENDCOMPOSITION.
  void onChar(WPARAM wParam, LPARAM lParam);
  void onImeStartComposition();
  void onImeEndComposition(WPARAM wParam, LPARAM lParam);
  // Teardown: an open edit is dropped (nothing written) and the editor's window destroyed.
  void closeEditor();

  // ---- find and replace (FindReplace.cpp) ----
  // Dialogs IDD_FIND and IDD_REPLACE: made on first use, shown with the find state;
  // showing one hides the other.
  void showFind();
  void showReplace();
  // The walks of the find state over the sheet; each reports in the result line of the
  // visible dialog (see findResultDialog).
  void findNext();
  void findPrev();
  void countMatches();
  void replaceNext();
  void replaceAll();
  // The replace dialog when visible, else the find dialog when visible, else null.
  HWND findResultDialog() const;
  // A failure of find or replace: the visible dialog's result line, else a message box.
  void findFailure(const std::u16string& text);

  // ---- column filter popup and delete duplicates (FilterPopup.cpp, DedupeDialog.cpp) ----
  // The popup for the filter button the grid recorded (mDrag's header cell).
  void showFilterPopup();
  // Dialog IDD_DELETE_DUPLICATES, then the delete-duplicates operation with its choices.
  void showDeleteDuplicates();

  // ---- the document's parts, as the main window and the tools reach them ----
  CDataCore& core() { return mCore; }
  const CDataCore& core() const { return mCore; }
  Selection& selection() { return mSelection; }
  CGridOps& ops() { return mOps; }
  iComManag& commands() { return mComManag; }
  CGridView& view() { return mView; }
  ScriptDocument& scriptDocument() { return mScriptDoc; }
  HWND window() const { return mHwnd; }

  // ---- data (in order) ----
  RECT mRect{};              // client rectangle (0, 0, width, height); invalidated after commands
  uint8_t mBatchFilter = 0;  // the column filter popup applies to every document
  int32_t mScriptEditHeight = 520;
  int32_t mScriptEditWidth = 640;
  std::u16string mTitle;      // main-window title composed by setTitle
  std::u16string mStatus;     // the status setTitle last composed into mTitle
  std::u16string mPath;       // the document's file; empty when never saved
  std::u16string mSheetName;  // worksheet name when loaded from a workbook
  CCText mOutput;             // script output text control, inside dialog IDD_OUTPUT
  HWND mOutputDlg = nullptr;
  CGridOps mOps;
  CGridScriptDocument mScriptDoc{*this};  // the script side: host records and what they reach
  Selection mSelection;
  CDataCore mCore;
  iComManag mComManag;
  CGridView mView;
  GridStyle mStyle;
  int32_t mDragState = 0;  // a HitCode of the last left press; 0 when idle
  DragInfo mDrag;
  CCText mEditor;        // in-place cell editor
  POINT mDownPoint{};    // screen position of the last left press
  HWND mHwnd = nullptr;  // the "Grid2" window
  HWND mFindDlg = nullptr, mReplaceDlg = nullptr;
  std::u16string mFindText, mReplaceText;
  uint8_t mWholeCell = 0, mMatchCase = 0, mWrapAround = 1;
  int32_t mFindMode = 0;        // a FindMode
  HWND mFilterPopup = nullptr;  // the open column filter popup, destroyed with the document
  OpenPage mPage;
  SelectFn mOnSelect;
};

// Frees and destroys the document's open column filter popup, without repainting (teardown).
void closeFilterPopupOf(CGrid& grid);

// The "Grid2" window procedure.
LRESULT CALLBACK gridWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The three callbacks every document installs in its command manager; each holds the view.
void postModified(CGridView* view, iComManag* manager, intptr_t modified);
void postSaved(CGridView* view, iComManag* manager, intptr_t flag);
void notifyRefresh(CGridView* view);

// The paged-open dialog's procedure (its creation parameter: the OpenPage it edits) and
// the body of its counting thread, which posts WM_PAGE_COUNTING / WM_PAGE_COUNTED with
// `generation` and fills `index` (when given) with the file's record index as it counts.
INT_PTR CALLBACK pageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void countPageRows(HWND dialog, const std::u16string& path, char delimiter, uint32_t generation,
                   const std::atomic<uint8_t>* cancel, RecordIndex* index = nullptr);

// Dispatches pending messages for at least 2 ms; false when a WM_CLOSE was dispatched.
bool pumpMessages();
