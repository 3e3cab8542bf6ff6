#include "store/ExcelText.h"

#include <cmath>

#include "platform/AsciiCase.h"
#include "platform/FileIo.h"
#include "store/NumberText.h"

bool isXlsxPath(const std::u16string& path) {
  if (path.size() < 4) return false;
  return toLower(std::u16string_view(path).substr(path.size() - 4)) == u"xlsx";
}

xl::Book* createBookForPath(const std::u16string& path) {
  return isXlsxPath(path) ? xlCreateXMLBookW() : xlCreateBookW();
}

bool loadBook(xl::Book& book, const std::u16string& path) {
  // A named pipe's open would wait for a writer: only a missing path goes on to the
  // library, which tells why it cannot be opened.
  if (!isRegularFile(path) && fileExists(path)) return false;
  std::u16string temp = path + u".temp_5546";
  return book.load(path.c_str(), temp.c_str());
}

std::u16string excelErrorText(int code) {
  switch (code) {
    case 0: return u"#NULL!";
    case 7: return u"#DIV/0!";
    case 15: return u"#VALUE!";
    case 23: return u"#REF!";
    case 29: return u"#NAME?";
    case 36: return u"#NUM!";
    case 42: return u"#N/A";
    default: return {};
  }
}

NumberStyle numberStyle(int numFmt, bool custom176IsDate) {
  if (numFmt == 9) return NumberStyle::Percent;
  if (numFmt == 10) return NumberStyle::Percent2;
  if ((numFmt >= 14 && numFmt <= 17) || (numFmt == 176 && custom176IsDate)) return NumberStyle::Date;
  if ((numFmt >= 18 && numFmt <= 21) || (numFmt >= 45 && numFmt <= 47) || numFmt == 177) return NumberStyle::Time;
  if (numFmt == 22) return NumberStyle::DateTime;
  return NumberStyle::Plain;
}

namespace {

void appendInt(std::u16string& out, int v) { out += int64Text(v); }

}  // namespace

bool styledNumberText(const xl::Book& book, NumberStyle style, double value, std::u16string& out) {
  if (style == NumberStyle::Plain || !std::isfinite(value)) return false;
  if (style == NumberStyle::Percent) {
    // Truncated toward zero as a double, so that no magnitude overflows; + 0.0 turns
    // the -0 of a small negative value into 0.
    out = formatDouble(u"%.0f", std::trunc(value * 100) + 0.0) + u"%";
    return true;
  }
  if (style == NumberStyle::Percent2) {
    out = formatDouble(u"%.2f", value * 100) + u"%";
    return true;
  }
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (!book.dateUnpack(value, &y, &mo, &d, &h, &mi, &s)) return false;
  std::u16string text;
  if (style != NumberStyle::Time) {
    appendInt(text, y);
    text += u'-';
    appendInt(text, mo);
    text += u'-';
    appendInt(text, d);
  }
  if (style == NumberStyle::DateTime) text += u' ';
  if (style != NumberStyle::Date) {
    appendInt(text, h);
    text += u':';
    appendInt(text, mi);
    text += u':';
    appendInt(text, s);
  }
  out = std::move(text);
  return true;
}

std::u16string excelCellText(const xl::Book& book, const xl::Sheet& sheet, int row, int col, bool custom176IsDate) {
  xl::CellType type = sheet.cellType(row, col);
  std::u16string out;
  if (type == xl::CELLTYPE_NUMBER) {
    xl::Format* format = sheet.cellFormat(row, col);
    if (format != nullptr &&
        styledNumberText(book, numberStyle(format->numFormat(), custom176IsDate), sheet.readNum(row, col), out))
      return out;
  }
  if (const char16_t* s = sheet.readStr(row, col)) return s;
  switch (type) {
    case xl::CELLTYPE_NUMBER: return formatDouble(u"%f", sheet.readNum(row, col));
    case xl::CELLTYPE_BOOLEAN: return sheet.readBool(row, col) ? u"true" : u"false";
    case xl::CELLTYPE_ERROR: return excelErrorText(sheet.readError(row, col));
    default: return {};
  }
}
