#include "commands/FillPattern.h"

#include "platform/Crt.h"

static bool isIdentChar(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; }
static bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool digitRunFits(std::u16string_view run) {
  static constexpr std::u16string_view kMax = u"9223372036854775807";
  if (run.size() < kMax.size()) return true;
  return run.size() == kMax.size() && run <= kMax;
}

int32_t FormulaTokenizer::next(std::u16string& token, int64_t& number) {
  const size_t n = mText.size();
  if (mPos >= n) return END;
  mTokenStart = mPos;
  const char16_t c = mText[mPos];
  int32_t type = OTHER;
  mLiteral = false;
  if (isIdentChar(c)) {
    bool letters = true;
    for (; mPos < n && isIdentChar(mText[mPos]); ++mPos) letters = letters && mText[mPos] != u'_';
    type = IDENTIFIER;
    mLastLetters = letters;
  } else if (isDigit(c)) {
    while (mPos < n && isDigit(mText[mPos])) ++mPos;
    const std::u16string_view run(mText.data() + mTokenStart, mPos - mTokenStart);
    const bool afterIdentifier = mLastType == IDENTIFIER;
    const bool afterColumn = afterIdentifier && mLastLetters && mLastLength <= 3;
    const bool beforeCall = mPos < n && mText[mPos] == u'(';
    if (afterColumn && !beforeCall && digitRunFits(run)) {
      type = COUNTER;
      number = _wtoi64(std::u16string(run).c_str());
    } else if (!afterIdentifier) {
      skipNumberTail();
      mLiteral = true;
    }
  } else if (c == u'"') {
    skipString();
    mLiteral = true;
  } else {
    ++mPos;
    while (mPos < n && !isIdentChar(mText[mPos]) && !isDigit(mText[mPos]) && mText[mPos] != u'"') ++mPos;
  }
  token.assign(mText, mTokenStart, mPos - mTokenStart);
  mLastType = type;
  mLastLength = mPos - mTokenStart;
  return type;
}

void FormulaTokenizer::skipNumberTail() {
  const size_t n = mText.size();
  while (mPos < n) {
    const char16_t c = mText[mPos];
    const bool sign = (c == u'+' || c == u'-') && (mText[mPos - 1] == u'E' || mText[mPos - 1] == u'e') &&
                      mPos + 1 < n && isDigit(mText[mPos + 1]);
    if (!isIdentChar(c) && !isDigit(c) && c != u'.' && !sign) break;
    ++mPos;
  }
}

void FormulaTokenizer::skipString() {
  const size_t n = mText.size();
  ++mPos;  // the opening quote
  while (mPos < n && mText[mPos] != u'"') ++mPos;
  if (mPos < n) ++mPos;  // the closing quote; a doubled quote opens the next string
}

std::vector<FormulaLiteral> formulaLiterals(const std::u16string& text) {
  std::vector<FormulaLiteral> out;
  FormulaTokenizer tokens(text);
  std::u16string token;
  int64_t number = 0;
  for (size_t at = 0;; at += token.size()) {
    const int32_t type = tokens.next(token, number);
    if (type == FormulaTokenizer::END) break;
    if (tokens.literal()) out.push_back(FormulaLiteral{at, at + token.size()});
  }
  return out;
}

static void parseFormula(FillPattern& p) {
  FormulaTokenizer tokens(p.source);
  std::u16string token;
  int64_t number = 0;
  for (int32_t type; (type = tokens.next(token, number)) != FormulaTokenizer::END;) {
    FillPart part;
    part.text = token;
    if (type == FormulaTokenizer::COUNTER) {
      part.isText = false;
      part.number = number;
      p.mode = FillPattern::MODE_FORMULA;
    }
    p.parts.push_back(std::move(part));
  }
  if (p.mode != FillPattern::MODE_FORMULA) p.parts.clear();
}

static void parseCounter(FillPattern& p) {
  const std::u16string& t = p.source;
  size_t end = t.size();
  while (end > 0 && !isDigit(t[end - 1])) --end;
  if (end == 0) return;  // no digit
  size_t begin = end;
  while (begin > 0 && isDigit(t[begin - 1])) --begin;
  const std::u16string_view run(t.data() + begin, end - begin);
  if (!digitRunFits(run)) return;
  p.mode = FillPattern::MODE_COUNTER;
  p.prefix = t.substr(0, begin);
  p.digits = std::u16string(run);
  p.number = _wtoi64(p.digits.c_str());
  p.suffix = t.substr(end);
}

FillPattern FillPattern::parse(const std::u16string& text, bool series) {
  FillPattern p;
  p.source = text;
  if (!series) return p;
  if (!text.empty() && text[0] == u'=') {
    parseFormula(p);
  } else {
    parseCounter(p);
  }
  return p;
}

// value + a + b in decimal, or `digits` when the sum leaves the 64-bit range.
static std::u16string counterText(int64_t value, int32_t a, int32_t b, const std::u16string& digits) {
  int64_t sum = 0;
  if (__builtin_add_overflow(value, static_cast<int64_t>(a) + b, &sum)) return digits;
  char16_t buf[24];
  _i64tow_s(sum, buf, 24, 10);
  return std::u16string(buf);
}

std::u16string FillPattern::text(int32_t a, int32_t b) const {
  if (mode == MODE_COUNTER) return prefix + counterText(number, a, b, digits) + suffix;
  if (mode != MODE_FORMULA) return source;
  std::u16string out;
  for (const FillPart& part : parts) out += part.isText ? part.text : counterText(part.number, a, b, part.text);
  return out;
}
