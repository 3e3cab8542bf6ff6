#include "commands/CellText.h"

#include "store/NumberText.h"

std::u16string_view poolTextView(const CDataCore& core, uint64_t key) {
  if (key == 0) return {};
  StringPool::Entry e;
  if (!core.mPool.lookup(key, e)) return {};
  // Entries start on 4-byte boundaries, so the UTF-16 units are aligned.
  std::u16string_view text(reinterpret_cast<const char16_t*>(e.bytes), e.len / 2);
  size_t nul = text.find(u'\0');
  return nul == std::u16string_view::npos ? text : text.substr(0, nul);
}

std::u16string_view cellTextView(const CDataCore& core, int32_t row, int32_t col,
                                 const Cell& cell, std::u16string& scratch) {
  switch (cell.kind) {
    case CELL_TEXT:
    case CELL_EXPRTK:
    case CELL_TCC:
    case CELL_PYTHON:
    case CELL_FORMULA:
      return poolTextView(core, cell.value);
    case CELL_INT64: {
      char16_t buf[24];
      char16_t* end = buf + sizeof buf / sizeof buf[0];
      char16_t* p = end;
      int64_t v = cell.asInt64();
      uint64_t u = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
      do {
        *--p = static_cast<char16_t>(u'0' + u % 10);
        u /= 10;
      } while (u != 0);
      if (v < 0) *--p = u'-';
      scratch.assign(p, end);
      return scratch;
    }
    case CELL_DOUBLE:
      scratch.clear();
      appendDoubleText(scratch, cell.asDouble());
      return scratch;
    default:
      scratch = core.getText(row, col);  // date-time and handler values
      return scratch;
  }
}
