#include "commands/GridOps.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "commands/DeleteAction.h"
#include "commands/ResizeAction.h"
#include "commands/VisibleAction.h"
#include "commands/WidthHightAction.h"

bool CGridOps::editLocked() const { return mCore->mAttrs[ATTR_EDIT_LOCK].value != 0; }

void CGridOps::deleteSelection() {
  if (editLocked()) return;
  auto command = std::make_unique<CDeleteAction>(mCore, mSelection);
  command->prepare();
  mComManag->add(std::move(command));
}

void CGridOps::setWidthHeight(bool rows, int32_t index, int32_t size) {
  if (editLocked()) return;
  auto command = std::make_unique<CWidthHightAction>(mCore, mSelection);
  command->prepare(rows, index, size);
  mComManag->add(std::move(command));
}

void CGridOps::setVisible(bool show) {
  if (editLocked()) return;
  auto command = std::make_unique<CVisibleAction>(mCore, mSelection);
  command->prepare(show);
  mComManag->add(std::move(command));
}

void CGridOps::resize(int32_t rows, int32_t cols) {
  if (editLocked()) return;
  auto command = std::make_unique<CResizeAction>(mCore, mSelection);
  command->mOldRows = static_cast<int32_t>(mCore->mRowCount);
  command->mOldCols = static_cast<int32_t>(mCore->mColCount);
  command->mNewRows = rows;
  command->mNewCols = cols;
  mComManag->add(std::move(command));
}

// Width of the widest line of a text: code-unit widths summed, a TAB four space widths,
// a CR nothing, lines cut at LF.
static int32_t widestLine(const std::u16string& text, TextMeasure& surface) {
  int32_t widest = 0;
  int32_t line = 0;
  for (char16_t c : text) {
    if (c == u'\n') {
      widest = std::max(widest, line);
      line = 0;
    } else if (c == u'\t') {
      line += 4 * surface.charWidth(u' ');
    } else if (c != u'\r') {
      line += surface.charWidth(c);
    }
  }
  return std::max(widest, line);
}

// Number of lines of a text: LF separates lines, a LF at the very end adds none; the
// empty text has none.
static int32_t lineCount(const std::u16string& text) {
  if (text.empty()) return 0;
  int32_t lines = 1 + static_cast<int32_t>(std::count(text.begin(), text.end(), u'\n'));
  if (text.back() == u'\n') --lines;
  return lines;
}

void CGridOps::autoFitColumns(const CellFont& font, TextMeasure& surface, int32_t first, int32_t last) {
  auto command = std::make_unique<CWidthHightAction>(mCore, mSelection);
  surface.setFont(font.height, font.face);
  const int64_t rows = static_cast<int64_t>(mCore->mRowCount);
  for (int64_t c = first; c <= last; ++c) {
    int32_t width = 0;
    for (int64_t r = 1; rows >= 2 && r < rows; ++r)
      width = std::max(width, widestLine(mCore->getText(int32_t(r), int32_t(c)), surface));
    if (width > 0) width += 5;
    command->setSize(0, static_cast<int32_t>(c), width);
  }
  mComManag->add(std::move(command));
}

void CGridOps::autoFitRows(const CellFont& font, TextMeasure& surface, int32_t first, int32_t last) {
  auto command = std::make_unique<CWidthHightAction>(mCore, mSelection);
  surface.setFont(font.height, font.face);
  const int64_t cols = static_cast<int64_t>(mCore->mColCount);
  for (int64_t r = first; r <= last; ++r) {
    int32_t lines = 0;
    for (int64_t c = 1; cols >= 2 && c < cols; ++c)
      lines = std::max(lines, lineCount(mCore->getText(int32_t(r), int32_t(c))));
    const int32_t height = lines > 0 ? lines * surface.lineHeight() + 3 : 0;
    command->setSize(static_cast<int32_t>(r), 0, height);
  }
  mComManag->add(std::move(command));
}

bool CGridOps::copy() {
  const std::u16string text = mCore->copyText(mSelection->range);
  return mHooks.setClipboardText && mHooks.setClipboardText(text);
}
