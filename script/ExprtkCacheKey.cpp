#include "script/ExprtkCacheKey.h"

#include <cstring>

#include "commands/FillPattern.h"

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }

void putInt(std::string& key, int64_t v) { key.append(reinterpret_cast<const char*>(&v), sizeof v); }

// True when the text holds the word "var" in any case (a local declaration).
bool declaresVariables(const std::string& text) {
  for (size_t i = 0; i + 3 <= text.size(); ++i) {
    if ((text[i] | 0x20) != 'v' || (text[i + 1] | 0x20) != 'a' || (text[i + 2] | 0x20) != 'r') continue;
    bool startsWord = i == 0 || !(isLetter(text[i - 1]) || isDigit(text[i - 1]) || text[i - 1] == '_');
    bool endsWord = i + 3 == text.size() || !(isLetter(text[i + 3]) || isDigit(text[i + 3]) || text[i + 3] == '_');
    if (startsWord && endsWord) return true;
  }
  return false;
}

// One corner as written, letters then digits, shifted by the running cell; false when it
// cannot be shifted safely.
bool putCorner(std::string& key, const char*& p, const char* end, int32_t row, int32_t col) {
  const char* letters = p;
  while (p < end && isLetter(*p)) ++p;
  size_t n = static_cast<size_t>(p - letters);
  if (n == 0 || n > 2) return false;
  bool upper = isUpper(letters[0]);
  for (size_t i = 1; i < n; ++i)
    if (isUpper(letters[i]) != upper) return false;
  int64_t c = 0;
  for (size_t i = 0; i < n; ++i) c = c * 26 + ((letters[i] | 0x20) - 'a' + 1);
  if (p < end && *p == '0') return false;
  int64_t r = 0;
  bool digits = false;
  while (p < end && isDigit(*p)) {
    r = r * 10 + (*p - '0');
    digits = true;
    ++p;
  }
  if (!digits || r > INT32_MAX) return false;
  key += upper ? 'U' : 'l';
  putInt(key, c - col);
  putInt(key, r - row);
  return true;
}

// Whether each reference begins inside a number or string literal of the text (an
// exponent such as the e5 of 1e5), under the fill series' literal rule. The text is read
// byte for byte, so offsets stay those of the text.
std::vector<bool> refsInLiterals(const std::string& text, const std::vector<BoundRef>& refs) {
  std::vector<bool> out(refs.size(), false);
  if (refs.empty()) return out;
  std::u16string bytes(text.size(), u'\0');
  for (size_t i = 0; i < text.size(); ++i) bytes[i] = static_cast<unsigned char>(text[i]);
  const std::vector<FormulaLiteral> literals = formulaLiterals(bytes);
  size_t next = 0;
  for (size_t i = 0; i < refs.size(); ++i) {  // both in text order
    const size_t at = static_cast<size_t>(refs[i].ref.begin - text.c_str());
    while (next < literals.size() && literals[next].end <= at) ++next;
    out[i] = next < literals.size() && literals[next].begin <= at;
  }
  return out;
}

}  // namespace

bool exprtkCacheKey(const std::string& text, const std::vector<BoundRef>& refs, int32_t row, int32_t col,
                    int32_t lastRow, int32_t lastCol, std::string& key) {
  if (text.find('\x01') != std::string::npos || declaresVariables(text)) return false;
  key.clear();
  putInt(key, lastRow);
  putInt(key, lastCol);
  const char* base = text.c_str();
  const char* at = base;
  const std::vector<bool> inLiteral = refsInLiterals(text, refs);
  for (size_t i = 0; i < refs.size(); ++i) {
    const ScriptCellRef& ref = refs[i].ref;
    key.append(at, ref.begin);
    at = ref.end;
    key += '\x01';
    key += static_cast<char>(ref.kind);
    key += (ref.row >= 1 && ref.col >= 1) ? 'b' : 'u';
    const char* p = ref.begin;
    if (inLiteral[i]) {  // inside a number or string of the script: kept as written
      key += '\x02';
      key.append(ref.begin, ref.end);
    } else if (isDigit(ref.end[-1]) || ref.end[-1] == '_') {  // a cell, a cell text or a cell range
      if (!putCorner(key, p, ref.end, row, col)) return false;
      if (p < ref.end && *p == ':') {
        key += ':';
        ++p;
        if (!putCorner(key, p, ref.end, row, col)) return false;
      }
      if (p < ref.end && *p == '_') {
        key += '_';
        ++p;
      }
      if (p != ref.end) return false;
    } else {  // a column range: independent of the running cell
      key.append(ref.begin, ref.end);
    }
    if (std::memchr(ref.begin, ':', static_cast<size_t>(ref.end - ref.begin))) {  // its size
      putInt(key, int64_t(ref.row2) - ref.row);
      putInt(key, int64_t(ref.col2) - ref.col);
    }
    key += '\x01';
  }
  key.append(at, base + text.size());
  return true;
}
