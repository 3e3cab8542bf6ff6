// FillPattern: the series that a text yields when it is committed to a block of cells
// with Ctrl held. Parsed once from the text, it gives the text for any cell from two
// offsets (only their sum counts). A plain text counts up its last run of digits
// (Item9, Item10, ...); a formula counts up the row numbers of its cell references
// (=A1+B1, =A2+B2, ...). Pure logic, no sheet.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One piece of a formula: a text, or a counter (a reference's row number).
struct FillPart {
  bool isText = true;
  std::u16string text;  // the text of a text part; the source digits of a counter
  int64_t number = 0;   // the value of a counter
};

// One scan over a formula text. Identifier characters are 'A'..'Z', 'a'..'z' and '_';
// digits are never part of an identifier.
class FormulaTokenizer {
 public:
  explicit FormulaTokenizer(const std::u16string& text) : mText(text) {}

  // Token types returned by next().
  static constexpr int32_t END = -1;
  static constexpr int32_t OTHER = 0;  // punctuation, blanks, or digits that stay
  static constexpr int32_t IDENTIFIER = 1;
  static constexpr int32_t COUNTER = 2;  // the row digits of a cell reference

  // The next token and its type. A digit run is a counter when it directly follows an
  // identifier of one to three letters (a column part; "$A1" counts, "A$1" does not),
  // is not directly followed by '(' (so "LOG10(" is a function name), and fits in
  // 64 bits; its value is then stored in `number`.
  // A number literal ("2.5E3", "1e+5", ".5") is one OTHER token: letters after its
  // digits or its '.' never start a reference. A string literal ("B2" between double
  // quotes) is one OTHER token as well: nothing inside it is counted.
  int32_t next(std::u16string& token, int64_t& number);
  // The last token is a number literal or a string literal.
  bool literal() const { return mLiteral; }

 private:
  // Moves over the rest of a number literal whose leading digits were read.
  void skipNumberTail();
  // Moves over a string literal from its opening quote to its closing one (or the end).
  void skipString();

  const std::u16string& mText;
  size_t mPos = 0;            // index of the next code unit to scan
  size_t mTokenStart = 0;     // start of the last token
  int32_t mLastType = 0;      // type of the last token
  size_t mLastLength = 0;     // length of the last token
  bool mLastLetters = false;  // the last identifier holds letters only
  bool mLiteral = false;      // the last token is a number or string literal
};

// One literal of a formula text under the tokenizer's rule, [begin, end) in code units.
struct FormulaLiteral {
  size_t begin = 0;
  size_t end = 0;
};

// The literals of a formula text, in order: number literals (the letters after their
// digits or '.' included, "1e5", "2.5E3") and texts between double quotes. Nothing inside
// one is a cell reference.
std::vector<FormulaLiteral> formulaLiterals(const std::u16string& text);

class FillPattern {
 public:
  static constexpr int32_t MODE_SAME = 0;     // the source text for every offset
  static constexpr int32_t MODE_COUNTER = 1;  // prefix + counter + suffix
  static constexpr int32_t MODE_FORMULA = 2;  // formula parts

  // Without `series` the pattern always gives the text itself.
  static FillPattern parse(const std::u16string& text, bool series);
  // The text for the cell at offsets a and b (only a + b counts). A counter whose
  // value + a + b would leave the signed 64-bit range keeps its source digits.
  std::u16string text(int32_t a, int32_t b) const;

  int32_t mode = MODE_SAME;
  std::vector<FillPart> parts;  // MODE_FORMULA only
  int64_t number = 0;           // the counter of MODE_COUNTER
  std::u16string prefix;        // text before the counter (MODE_COUNTER)
  std::u16string suffix;        // text after the counter (MODE_COUNTER)
  std::u16string source;        // the source text, always kept
  std::u16string digits;        // the counter's source digits (MODE_COUNTER)
};

// True when a run of decimal digits fits a signed 64-bit value: fewer than 19 digits, or
// exactly 19 not above 9223372036854775807.
bool digitRunFits(std::u16string_view run);
