// Shared text helpers: numeric classification, number texts, quoting, path pieces,
// column letters, lower-casing, line iteration, conversions and whole-file reads.
#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <limits>
#include <random>

#include "SheetFixture.h"
#include "platform/crt.h"
#include "platform/fileio.h"
#include "store/TextHelpers.h"

namespace {

struct KindCase {
  std::u16string text;
  int kind;
};

TEST(NumberKind, Table) {
  const KindCase cases[] = {
      {u"", 0},
      {u"0", 1},
      {u"00", 0},
      {u"007", 0},
      {u"0.5", 2},
      {u"-0123", 1},
      {u" 007", 1},
      {u" 42", 1},
      {u"\t42", 1},
      {u"-", 0},
      {u" ", 0},  // no digit: text
      {u"\t", 0},
      {u".", 0},
      {u"-.", 0},
      {u" .", 0},
      {u"-.5", 2},
      {u".5", 2},
      {u"1.", 2},
      {u"1.2.3", 0},
      {u"+1", 0},
      {u"1e5", 0},
      {u"1,000", 0},
      {u"1 2", 0},
      {u"  1", 0},  // only one leading blank is skipped
      {u"--1", 0},
      {u"1234567890123456789", 1},   // nineteen digits
      {u"12345678901234567890", 0},  // twenty
      {u"-1234567890123456789", 1},
      {u"9223372036854775807", 1},
      {u"9223372036854775808", 0},  // does not fit in 64 bits: text
      {u"9999999999999999999", 0},
      {u"-9223372036854775808", 1},
      {u"-9223372036854775809", 0},
      {u"12345678901234567.9", 2},   // nineteen code units with the point
      {u"123456789012345678.9", 0},
      {u"1234567890123456789.0", 0},
      {u"４２", 0},  // full-width digits are not digits
  };
  for (const auto& c : cases) {
    EXPECT_EQ(numberKind(c.text), c.kind) << u8(c.text);
    EXPECT_EQ(numberKind(c.text.c_str()), c.kind) << u8(c.text);
  }
  EXPECT_EQ(numberKind(static_cast<const char16_t*>(nullptr)), 0);
  EXPECT_EQ(numberKind(std::u16string_view(u"12\0x", 4)), 1);  // ends at the NUL
}

// The values numberValue gives are those of the C runtime calls the typed write is
// defined by: _wtoi64 for integers, wcstod for decimals.
TEST(NumberKind, ValuesMatchTheRuntimeParsers) {
  std::mt19937 rng(3);
  const char16_t alphabet[] = u"0123456789.-  \t";
  int numbers[3] = {};
  for (int i = 0; i < 200000; ++i) {
    std::u16string text;
    size_t len = 1 + rng() % 21;
    for (size_t k = 0; k < len; ++k) text.push_back(alphabet[rng() % 15]);
    int64_t iv = 0;
    double dv = 0;
    int kind = numberValue(text, iv, dv);
    ASSERT_EQ(kind, numberKind(text));
    ++numbers[kind];
    if (kind == 1) {
      ASSERT_EQ(iv, _wtoi64(text.c_str())) << u8(text);
    }
    if (kind == 2) {
      double expect = wcstod(text.c_str(), nullptr);
      ASSERT_EQ(std::memcmp(&dv, &expect, 8), 0) << u8(text);
    }
  }
  EXPECT_GT(numbers[1], 1000);
  EXPECT_GT(numbers[2], 1000);
}

struct DoubleTextCase {
  double value;
  const char* text;
};

TEST(DoubleText, TrimmedFixedOrShortestExact) {
  const DoubleTextCase cases[] = {
      {4.5, "4.5"},
      {1.5, "1.5"},
      {2, "2"},
      {-0.0, "-0"},
      {0.0, "0"},
      {0.1, "0.1"},
      {1e20, "100000000000000000000"},
      {3.14159265358979, "3.14159265358979"},
      {0.000000001, "0.000000001"},
      {0.00195312, "0.00195312"},
      {0.001953125, "0.001953125"},  // a tie of "%.8f" is not exact: shortest text
      {-1e-20, "-0.00000000000000000001"},
      {123.45, "123.45"},
      {1.0 / 3, "0.3333333333333333"},
      {std::numeric_limits<double>::infinity(), "inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
  };
  for (const auto& c : cases) EXPECT_EQ(u8(doubleText(c.value)), c.text) << c.text;
  char nan[16];
  std::snprintf(nan, sizeof nan, "%.8f", std::nan(""));
  EXPECT_EQ(u8(doubleText(std::nan(""))), nan);
}

TEST(DoubleText, AgreesWithPrintfWhenThatReadsBackAndAlwaysReadsBack) {
  std::mt19937_64 rng(7);
  for (int i = 0; i < 20000; ++i) {
    double v;
    switch (i % 3) {
      case 0: v = double(int64_t(rng() % 100000000)) / 100.0; break;  // amounts
      case 1: v = std::ldexp(double(rng() >> 11), int(rng() % 80) - 60); break;
      default: {
        uint64_t bits = rng();
        std::memcpy(&v, &bits, 8);
        if (!std::isfinite(v)) continue;
      }
    }
    std::string text = u8(doubleText(v));
    double back = 0;
    std::from_chars(text.data(), text.data() + text.size(), back);
    ASSERT_EQ(back, v) << text;
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.8f", v);
    std::string p(buf);
    while (p.back() == '0') p.pop_back();
    if (p.back() == '.') p.pop_back();
    double pb = std::strtod(p.c_str(), nullptr);
    if (pb == v) {
      EXPECT_EQ(text, p);
    }
  }
}

TEST(FormatDouble, PrintfFormats) {
  EXPECT_EQ(u8(formatDouble(u"%.8f", 1.5)), "1.50000000");
  EXPECT_EQ(u8(formatDouble(u"%.2f", -0.125)), "-0.12");
  EXPECT_EQ(u8(formatDouble(u"%g", 1e20)), "1e+20");
}

struct QuoteCase {
  std::u16string field;
  char16_t delimiter;
  std::u16string quoted;
};

TEST(CsvQuote, Table) {
  const QuoteCase cases[] = {
      {u"a,b", u',', u"\"a,b\""},
      {u"plain", u',', u"plain"},
      {u"", u',', u""},
      {u"say \"hi\"", u',', u"say \"hi\""},  // inner quote alone does not quote
      {u"\"x", u',', u"\"\"\"x\""},
      {u"a\tb", u',', u"a\tb"},  // TAB is not the delimiter here
      {u"a\nb", u',', u"\"a\nb\""},
      {u"a\rb", u'\t', u"\"a\rb\""},
      {u"a\tb", u'\t', u"\"a\tb\""},
      {u"a,b", u'\t', u"\"a,b\""},
      {u"x;y", u';', u"\"x;y\""},
      {u"x y", u' ', u"\"x y\""},
      {u"x|\"y", u'|', u"\"x|\"\"y\""},
      {u"c:\\d", u'\\', u"\"c:\\d\""},
      {u"x;y", u',', u"x;y"},
      {std::u16string(u"ab\0,c", 5), u',', u"ab"},  // ends at the NUL
  };
  for (const auto& c : cases) {
    EXPECT_EQ(csvQuote(c.field, c.delimiter), c.quoted) << u8(c.field);
    EXPECT_EQ(csvNeedsQuote(c.field, c.delimiter), c.quoted != std::u16string(c.field.c_str()));
  }
}

TEST(FilePaths, KindExtensionAndBaseName) {
  const std::pair<std::u16string, FileKind> kinds[] = {
      {u"a.CSV", FILE_CSV},     {u"b.Text", FILE_TXT}, {u"b.txt", FILE_TXT},
      {u"c.xlsx", FILE_EXCEL},  {u"c.XLS", FILE_EXCEL}, {u"d.mvt", FILE_MVT},
      {u".csv", FILE_OTHER},    {u"e.tsv", FILE_OTHER}, {u"", FILE_OTHER},
      {u"x.csv.bak", FILE_OTHER}, {u"表.csv", FILE_CSV},
  };
  for (const auto& [path, kind] : kinds) EXPECT_EQ(fileKind(path), kind) << u8(path);

  EXPECT_EQ(getFileExt(u"C:\\a.b\\file"), u".b\\file");
  EXPECT_EQ(getFileExt(u"x.tar.gz"), u".gz");
  EXPECT_EQ(getFileExt(u"noext"), u"");
  EXPECT_EQ(getFileBaseName(u"C:\\dir\\a.b.csv"), u"a.b");
  EXPECT_EQ(getFileBaseName(u"/home/u/data.csv"), u"data");
  EXPECT_EQ(getFileBaseName(u"c:\\x/y\\z.txt"), u"z");
  EXPECT_EQ(getFileBaseName(u"plain"), u"plain");
  EXPECT_EQ(getFileBaseName(u""), u"");
}

TEST(ColumnLetters, NamesAndNumbers) {
  const std::pair<int32_t, const char*> names[] = {
      {0, "A"}, {25, "Z"}, {26, "AA"}, {51, "AZ"}, {701, "ZZ"}, {702, "AAA"},
      {16383, "XFD"}, {INT32_MAX, "FXSHRXX"}, {-1, ""}, {INT32_MIN, ""}};
  for (auto [index, name] : names) {
    EXPECT_EQ(colNameA(index), name) << index;
    EXPECT_EQ(u8(colName(index)), name) << index;
  }
  const std::pair<std::string, int32_t> numbers[] = {
      {"A", 1},         {"z", 26},     {"AA", 27},      {"AAA", 703}, {"xfd", 16384},
      {"", 0},          {"A1", 0},     {"1", 0},        {"A B", 0},   {"\xe4\xb8\xad", 0},
      {"FXSHRXW", INT32_MAX},
      {"FXSHRXX", 0},   // one beyond the 32-bit range
      {"ZZZZZZZZ", 0},  // beyond the range
      {std::string(100000, 'Z'), 0},
      {std::string(100000, 'A'), 0},
  };
  for (const auto& [letters, number] : numbers)
    EXPECT_EQ(colNumber(letters), number) << letters.substr(0, 20);
  for (int32_t i : {0, 25, 26, 701, 702, 1000000, INT32_MAX - 1})
    EXPECT_EQ(colNumber(colNameA(i)), i + 1);
}

TEST(LowerCase, AsciiOnly) {
  EXPECT_EQ(toLower(u"AbC-Ä中"), u"abc-Ä中");
  EXPECT_EQ(toLower(std::u16string(u"AB\0CD", 5)), u"ab");
  std::u16string withNul(u"AB\0CD", 5);
  EXPECT_EQ(toLowerWide(withNul), std::u16string(u"ab\0cd", 5));
}

TEST(LineIter, LinesIncludeTheirLf) {
  struct Case {
    std::u16string text;
    std::vector<std::u16string> lines;
  } cases[] = {
      {u"a\r\nb", {u"a\r\n", u"b"}},
      {u"", {}},
      {u"\n\n", {u"\n", u"\n"}},
      {u"x\n", {u"x\n"}},
      {u"one", {u"one"}},
  };
  for (const auto& c : cases) {
    LineIter it{0, 0, &c.text};
    std::vector<std::u16string> got;
    while (const char16_t* p = it.next()) got.emplace_back(p, it.length);
    EXPECT_EQ(got, c.lines) << u8(c.text);
    EXPECT_EQ(it.length, 0u);
    EXPECT_EQ(it.next(), nullptr);
  }
}

TEST(Conversions, RoundTripsAndReplacement) {
  const std::u16string mixed = std::u16string(u"北京,Abc\0z", 9);
  EXPECT_EQ(utf8ToWide(wideToUtf8(mixed)), mixed);
  EXPECT_EQ(ansiToWide(wideToAnsi(mixed)), mixed);
  EXPECT_EQ(wideToAnsi(u"中"), "\xd6\xd0");
  EXPECT_EQ(wideToUtf8(u"中"), "\xe4\xb8\xad");
  EXPECT_EQ(utf8ToWide("\xff"), u"\xfffd");
  EXPECT_EQ(wideToAnsi(u"€"), "\x80");  // GBK's euro sign
  EXPECT_EQ(wideToAnsi(u"\x263a"), "?");  // not in GBK
  EXPECT_EQ(ansiToWide(""), u"");
  EXPECT_EQ(wideToUtf8(u""), "");
}

TEST(ReadFileAsWide, WholeFileAsUtf16) {
  const std::string dir = ::testing::TempDir();
  const std::u16string path = utf8ToWide(dir) + u"宽文本.bin";
  const std::string bytes("\xff\xfe" "a\0" "\x2d\x4e" "z", 7);  // BOM, 'a', 中, odd byte
  FILE* f = std::fopen((dir + "宽文本.bin").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  EXPECT_EQ(readFileAsWide(path), u"\xfeff" u"a中");
  EXPECT_EQ(readFileAsWide(utf8ToWide(dir) + u"missing.bin"), u"");
  f = std::fopen((dir + "宽文本.bin").c_str(), "wb");
  std::fclose(f);
  EXPECT_EQ(readFileAsWide(path), u"");
  std::remove((dir + "宽文本.bin").c_str());
}

}  // namespace
