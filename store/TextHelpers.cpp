#include "store/TextHelpers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/codepage.h"
#include "platform/crt.h"
#include "platform/fileio.h"

namespace {

std::u16string_view upToNul(std::u16string_view text) {
  size_t nul = text.find(u'\0');
  return nul == std::u16string_view::npos ? text : text.substr(0, nul);
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

void appendAscii(std::u16string& out, const char* s, size_t n) {
  size_t at = out.size();
  out.resize(at + n);
  for (size_t i = 0; i < n; ++i) out[at + i] = static_cast<unsigned char>(s[i]);
}

}  // namespace

int numberKind(const char16_t* text) {
  if (!text) return 0;
  return numberKind(std::u16string_view(text, wcslen16(text)));
}

int numberKind(std::u16string_view text) {
  int64_t i;
  double d;
  return numberValue(text, i, d);
}

int numberValue(std::u16string_view text, int64_t& intValue, double& doubleValue) {
  text = upToNul(text);
  const size_t n = text.size();
  if (n == 0) return 0;
  if (text[0] == u'0' && n > 1 && text[1] != u'.') return 0;
  size_t i = 0;
  bool negative = false;
  if (text[0] == u' ' || text[0] == u'\t' || text[0] == u'-') {
    negative = text[0] == u'-';
    i = 1;
  }
  if (n - i > 19) return 0;
  const size_t start = i;
  int kind = 1;
  int digits = 0;
  uint64_t value = 0;  // at most 19 digits: never overflows 64 unsigned bits
  for (; i < n; ++i) {
    char16_t c = text[i];
    if (c == u'.') {
      if (kind == 2) return 0;
      kind = 2;
    } else if (isDigit(c)) {
      ++digits;
      if (kind == 1) value = value * 10 + (c - u'0');
    } else {
      return 0;
    }
  }
  if (digits == 0) return 0;
  if (kind == 1) {
    const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
    if (value > limit) return 0;
    intValue = negative ? int64_t(0 - value) : int64_t(value);
    return 1;
  }
  // Digits and one '.', at most 20 code units with the sign: strtod's correctly rounded
  // result through from_chars, without the locale.
  char buf[24];
  size_t len = 0;
  if (negative) buf[len++] = '-';
  for (size_t k = start; k < n; ++k) buf[len++] = static_cast<char>(text[k]);
  std::from_chars(buf, buf + len, doubleValue);
  return 2;
}

std::u16string formatDouble(const char16_t* format, double value) {
  std::string narrow;
  for (const char16_t* p = format; p && *p; ++p) narrow.push_back(static_cast<char>(*p));
  int n = std::snprintf(nullptr, 0, narrow.c_str(), value);
  if (n <= 0) return {};
  std::vector<char> buf(size_t(n) + 1);
  std::snprintf(buf.data(), buf.size(), narrow.c_str(), value);
  std::u16string out;
  appendAscii(out, buf.data(), size_t(n));
  return out;
}

size_t doubleChars(double value, char* buf) {
  if (!std::isfinite(value)) return size_t(std::snprintf(buf, DOUBLE_CHARS_MAX, "%.8f", value));
  char* end;
  if (std::fabs(value) < 1e7) {
    // Here an ulp is below 1e-8, so the trimmed "%.8f" text, when it reads back exactly,
    // is the shortest exact text too: one shortest conversion gives the answer.
    end = std::to_chars(buf, buf + DOUBLE_CHARS_MAX, value, std::chars_format::fixed).ptr;
  } else {
    end = std::to_chars(buf, buf + DOUBLE_CHARS_MAX, value, std::chars_format::fixed, 8).ptr;
    while (end[-1] == '0') --end;  // trim "%.8f": trailing zeros, then a trailing '.'
    if (end[-1] == '.') --end;
    double back = 0;
    std::from_chars(buf, end, back);
    if (back != value)
      end = std::to_chars(buf, buf + DOUBLE_CHARS_MAX, value, std::chars_format::fixed).ptr;
  }
  return size_t(end - buf);
}

void appendDoubleText(std::u16string& out, double value) {
  char buf[DOUBLE_CHARS_MAX];
  appendAscii(out, buf, doubleChars(value, buf));
}

std::u16string doubleText(double value) {
  std::u16string out;
  appendDoubleText(out, value);
  return out;
}

std::u16string int64Text(int64_t value) {
  char buf[24];
  char* end = std::to_chars(buf, buf + sizeof buf, value).ptr;
  std::u16string out;
  appendAscii(out, buf, size_t(end - buf));
  return out;
}

std::u16string ansiToWide(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  out.resize(ansiDecode(bytes.data(), bytes.size(), out.data()));
  return out;
}

std::u16string utf8ToWide(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  out.resize(utf8Decode(bytes.data(), bytes.size(), out.data()));
  return out;
}

std::string wideToUtf8(std::u16string_view text) {
  std::string out(text.size() * 3, '\0');
  out.resize(utf8Encode(text.data(), text.size(), out.data()));
  return out;
}

std::string wideToAnsi(std::u16string_view text) {
  std::string out(text.size() * 2, '\0');
  out.resize(ansiEncode(text.data(), text.size(), out.data()));
  return out;
}

bool csvNeedsQuote(std::u16string_view field, char16_t delimiter) {
  field = upToNul(field);
  if (field.empty()) return false;
  if (field[0] == u'"') return true;
  for (char16_t c : field) {
    if (c == u'\n' || c == u'\r' || c == u',' || c == delimiter) return true;
  }
  return false;
}

std::u16string csvQuote(std::u16string_view field, char16_t delimiter) {
  field = upToNul(field);
  if (!csvNeedsQuote(field, delimiter)) return std::u16string(field);
  std::u16string out;
  out.reserve(field.size() + 2);
  out.push_back(u'"');
  for (char16_t c : field) {
    out.push_back(c);
    if (c == u'"') out.push_back(u'"');
  }
  out.push_back(u'"');
  return out;
}

FileKind fileKind(std::u16string path) {
  static const struct {
    const char16_t* suffix;
    FileKind kind;
  } kSuffixes[] = {{u".mvt", FILE_MVT}, {u".csv", FILE_CSV},   {u".txt", FILE_TXT},
                   {u".text", FILE_TXT}, {u".xls", FILE_EXCEL}, {u".xlsx", FILE_EXCEL}};
  path = std::u16string(upToNul(path));
  for (const auto& s : kSuffixes) {
    size_t len = wcslen16(s.suffix);
    if (path.size() > len && _wcsicmp(path.c_str() + path.size() - len, s.suffix) == 0)
      return s.kind;
  }
  return FILE_OTHER;
}

std::u16string getFileExt(std::u16string path) {
  size_t dot = path.rfind(u'.');
  return dot == std::u16string::npos ? std::u16string() : path.substr(dot);
}

std::u16string getFileBaseName(std::u16string path) {
  size_t sep = path.rfind(u'\\');
  if (sep == std::u16string::npos) sep = path.rfind(u'/');
  std::u16string name = sep == std::u16string::npos ? path : path.substr(sep + 1);
  size_t dot = name.rfind(u'.');
  return dot == std::u16string::npos ? name : name.substr(0, dot);
}

std::u16string readFileAsWide(const std::u16string& path) {
  FILE* f = _wfopen(path.c_str(), u"rb");
  if (!f) return {};
  std::u16string out;
  int64_t size = -1;
  if (_fseeki64(f, 0, SEEK_END) == 0) size = _ftelli64(f);
  if (size > 0 && _fseeki64(f, 0, SEEK_SET) == 0 &&
      uint64_t(size) / 2 <= out.max_size()) {
    try {
      out.resize(size_t(size / 2));
      size_t bytes = out.size() * 2;
      if (std::fread(out.data(), 1, bytes, f) != bytes) out.clear();
    } catch (const std::bad_alloc&) {
      out.clear();
    }
  }
  std::fclose(f);
  return out;
}

std::string colNameA(int32_t index) {
  if (index < 0) return {};
  std::string out;
  // index < 26: one letter; otherwise colName(index / 26 - 1) then 'A' + index % 26.
  int64_t i = index;
  for (;;) {
    out.insert(out.begin(), char('A' + i % 26));
    if (i < 26) break;
    i = i / 26 - 1;
  }
  return out;
}

std::u16string colName(int32_t index) {
  std::string narrow = colNameA(index);
  return std::u16string(narrow.begin(), narrow.end());
}

int32_t colNumber(std::string_view letters) {
  if (letters.empty()) return 0;
  int64_t value = 0;
  int64_t weight = 1;
  for (size_t k = letters.size(); k-- > 0;) {
    unsigned char c = static_cast<unsigned char>(letters[k]);
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') return 0;
    if (weight > INT32_MAX) return 0;  // a further letter would exceed the 32-bit range
    value += (c - 'A' + 1) * weight;
    if (value > INT32_MAX) return 0;
    weight *= 26;
  }
  return static_cast<int32_t>(value);
}

std::u16string toLower(std::u16string_view text) {
  return toLowerWide(std::u16string(upToNul(text)));
}

std::u16string toLowerWide(std::u16string text) {
  for (char16_t& c : text)
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
  return text;
}

const char16_t* LineIter::next() {
  length = 0;
  if (!text || position >= text->size()) return nullptr;
  const char16_t* start = text->data() + position;
  size_t lf = text->find(u'\n', size_t(position));
  if (lf == std::u16string::npos) {
    length = text->size() - position;
    position = text->size();
  } else {
    length = lf - position + 1;
    position = lf + 1;
  }
  return start;
}
