// Number texts: which cell texts are numbers and their values, and the texts of doubles.
#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include "platform/Crt.h"
#include "store/NumberText.h"
#include "tests/store/SheetFixture.h"

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
      {u"12345678901234567.9", 2},  // nineteen code units with the point
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
      {-9999999.99999999, "-9999999.99999999"},
      {0.00000001, "0.00000001"},
      {0.0000000149, "0.0000000149"},  // below 1e-8: no 8-decimal text reads back
      {0.1 + 0.2, "0.30000000000000004"},
      {12345678.0, "12345678"},
      {-9007199254740993.0, "-9007199254740992"},
      {8.9e18, "8900000000000000000"},
      {12345678.5, "12345678.5"},
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
  const double scales[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
  for (int i = 0; i < 40000; ++i) {
    double v;
    switch (i % 5) {
      case 3:  // 0 to 10 decimals, either sign
        v = double(int64_t(rng() % 1000000000000000ULL)) / scales[rng() % 11] * (rng() % 2 ? 1 : -1);
        break;
      case 4: {  // next to a value of 2 decimals
        const double near = double(int64_t(rng() % 1000000000)) / 100;
        v = std::nextafter(near, rng() % 2 ? 1e300 : -1e300);
        break;
      }
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
    } else if (std::fabs(v) < 1e7) {  // else the shortest text that reads back
      char shortest[400];
      EXPECT_EQ(text,
                std::string(shortest,
                            std::to_chars(shortest, shortest + sizeof shortest, v, std::chars_format::fixed).ptr));
    }
  }
}

TEST(FormatDouble, PrintfFormats) {
  EXPECT_EQ(u8(formatDouble(u"%.8f", 1.5)), "1.50000000");
  EXPECT_EQ(u8(formatDouble(u"%.2f", -0.125)), "-0.12");
  EXPECT_EQ(u8(formatDouble(u"%g", 1e20)), "1e+20");
}

}  // namespace
