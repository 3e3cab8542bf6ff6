// CGridOps: the operations block of one document, through which the grid window, the
// main window's command handler, the dialogs and the script callbacks change the
// document's sheet. Every command builder follows one pattern: return at once while the
// document's edit lock is set (except where stated), construct the command over the
// sheet and the live selection, prepare it, hand it to the command manager. The caller
// repaints the grid afterwards.
#pragma once
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "commands/ComManag.h"
#include "commands/FilterValue.h"
#include "commands/TextMeasure.h"
#include "store/DataCore.h"
#include "store/Range.h"

// What the block needs from the grid window; the document object fills these. An unset
// hook is skipped.
struct GridHooks {
  // A message box owned by the grid window, with an OK button.
  std::function<void(const std::u16string& caption, const std::u16string& text)> showMessage;
  // Puts the text on the clipboard as CF_UNICODETEXT; false when it is not there (the
  // clipboard cannot be opened, or no memory for it; nothing is reported then).
  std::function<bool(const std::u16string& text)> setClipboardText;
};

class CGridOps {
 public:
  // True while document attribute slot 1 (the edit lock) is non-zero.
  bool editLocked() const;

  // ---- structure (GridOps.cpp) ----
  // Removes the selected rows, columns or cells (CDeleteAction, kind 5). Locked: nothing.
  void deleteSelection();
  // A row height (rows) or column width; size 0 is the default. Locked: nothing.
  void setWidthHeight(bool rows, int32_t index, int32_t size);
  // Shows or hides the selected whole rows or columns. Locked: nothing.
  void setVisible(bool show);
  // Sets the sheet's size (counts include row 0 and column 0). Locked: nothing.
  void resize(int32_t rows, int32_t cols);
  // Widths of columns first..last to their widest text line (+5); not blocked by the lock.
  void autoFitColumns(const CellFont& font, TextMeasure& surface, int32_t first, int32_t last);
  // Heights of rows first..last to their most text lines (+3); not blocked by the lock.
  void autoFitRows(const CellFont& font, TextMeasure& surface, int32_t first, int32_t last);
  // The live selection's text to the clipboard; not blocked by the lock. True when the
  // text is on the clipboard; false when it could not be put there (or no clipboard hook
  // is set).
  bool copy();

  // ---- sort, filter, delete duplicates, replace (GridOpsData.cpp) ----
  // Sorts the selected block by its key column (CSortAction). Locked: nothing.
  void sort(bool ascending, bool expand);
  // Switches the column filter on over the selection, or off when one is active
  // (CFilterAction::prepareToggle). Locked: nothing.
  void toggleFilter();
  // Filters the column of header cell `key` by the ticked values
  // (CFilterAction::prepareValues). Locked: nothing.
  void filterValues(uint64_t key, const FilterNumbers& numbers, const std::set<uint64_t>& keys);
  // Removes duplicate rows of the selection (CDeleteDuplicate) and reports the counts in
  // a message box captioned "删除重复". Locked: nothing, no message.
  void deleteDuplicates(bool expand, bool hasHeader, bool matchCase, const std::vector<int32_t>& columns);
  // Replace in every cell / in the selection's top-left cell as one CCellAction; see
  // CCellAction::replaceAll. Locked: nothing, result 0.
  int32_t replaceAll(const std::u16string& pattern, const std::u16string& replacement, bool matchCase,
                     bool wholeCell, bool regex, std::u16string* error = nullptr);
  void replaceCurrent(const std::u16string& pattern, const std::u16string& replacement, bool matchCase,
                      bool wholeCell, bool regex, std::u16string* error = nullptr);

  // ---- the document's parts; filled by the document object, none owned ----
  Selection* mSelection = nullptr;  // the grid's live selection
  CDataCore* mCore = nullptr;
  iComManag* mComManag = nullptr;
  GridHooks mHooks;  // stands in for the grid window (message boxes, clipboard)
};
