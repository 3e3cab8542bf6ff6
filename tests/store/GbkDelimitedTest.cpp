// GBK text in delimited files: a character's trail byte may be any of 0x40-0xFE, '|'
// and '\\' included, and is never a delimiter, a quote opener or a line end. Written
// by the program and read back on both roads, and read from a file another program
// wrote.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/DataCore.h"
#include "tests/store/TextFiles.h"

using namespace textfiles;

namespace {

// Every character of U+4E00-U+9FA5 whose GBK trail byte is printable ASCII.
std::vector<char16_t> asciiTrailCharacters() {
  std::vector<char16_t> out;
  for (char16_t c = 0x4E00; c <= 0x9FA5; ++c) {
    const std::string bytes = wideToAnsi(std::u16string(1, c));
    if (bytes.size() != 2) continue;
    const unsigned char trail = static_cast<unsigned char>(bytes[1]);
    if (trail >= 0x40 && trail <= 0x7E) out.push_back(c);
  }
  return out;
}

struct Road {
  const char* name;
  bool parallel;
};

// Each offered separator, each character alone, doubled and after an ASCII letter,
// through the program's own ANSI save and its read.
TEST(GbkDelimited, EveryCharacterWithAnAsciiTrailByteComesBackUnderEverySeparator) {
  const std::vector<char16_t> chars = asciiTrailCharacters();
  ASSERT_GT(chars.size(), 1000u);
  size_t pipe = 0, backslash = 0;
  for (char16_t c : chars) {
    const char trail = wideToAnsi(std::u16string(1, c))[1];
    pipe += trail == '|';
    backslash += trail == '\\';
  }
  EXPECT_EQ(pipe, 116u);
  EXPECT_EQ(backslash, 116u);
  constexpr int32_t PER_ROW = 12;
  const int32_t rows = int32_t((chars.size() + PER_ROW - 1) / PER_ROW);
  CDataCore sheet;
  sheet.resize(rows + 1, 3 * PER_ROW + 1);
  // The file begins with these characters: mostly-CJK GBK, taken for ANSI on reading.
  for (size_t i = 0; i < chars.size(); ++i) {
    const int32_t r = int32_t(i / PER_ROW) + 1, c = int32_t(i % PER_ROW) * 3 + 1;
    const std::u16string one(1, chars[i]);
    sheet.setText(r, c, one);
    sheet.setText(r, c + 1, one + one);
    sheet.setText(r, c + 2, u"a" + one + u"\"");
  }
  sheet.mSaveEncoding = ENC_ANSI;
  ScratchDir dir;
  for (char sep : {',', '\t', '|', ';', ':', ' '}) {
    SCOPED_TRACE(std::string("separator ") + (sep == '\t' ? "TAB" : std::string(1, sep)));
    ASSERT_TRUE(sheet.writeDelimited(dir.path("gbk.txt"), sep, true));
    for (const Road& road : {Road{"sequential", false}, Road{"parallel", true}}) {
      SCOPED_TRACE(road.name);
      CDataCore back;
      back.mIoTuning.parallel = road.parallel;
      back.mIoTuning.minParallelBytes = 0;
      back.mIoTuning.threads = 3;
      ASSERT_TRUE(back.readDelimited(dir.path("gbk.txt"), sep));
      EXPECT_EQ(back.mOpenEncoding, ENC_ANSI);
      ASSERT_EQ(back.mRowCount, sheet.mRowCount);
      ASSERT_EQ(back.mColCount, sheet.mColCount);
      int wrong = 0;
      for (int32_t r = 1; r <= rows && wrong < 5; ++r)
        for (int32_t c = 1; c < int32_t(sheet.mColCount) && wrong < 5; ++c)
          if (back.getText(r, c) != sheet.getText(r, c)) {
            ++wrong;
            ADD_FAILURE() << "cell " << r << "," << c << ": " << wideToUtf8(back.getText(r, c))
                          << " != " << wideToUtf8(sheet.getText(r, c));
          }
    }
  }
}

// A '|'-separated file as Python's gbk codec writes it ('東"|京\r\n瑋|億\n"東|"|京'):
// 東, 瑋 and 億 end in the byte '|'; the quote after 東 opens nothing. Read with '|',
// and with ',' from which the first line's '|' is detected.
TEST(GbkDelimited, AFileFromAnotherProgramReadsCharacterByCharacter) {
  const std::string bytes =
      "\x96\x7c\x22\x7c\xbe\xa9\x0d\x0a\xac\x7c\x7c\x83\x7c\x0a\x22\x96\x7c\x7c\x22\x7c\xbe\xa9";
  ScratchDir dir;
  writeBytes(dir.native("py.txt"), bytes);
  QuoteDetectGuard guard;
  gQuoteDetect = true;
  for (const Road& road : {Road{"sequential", false}, Road{"parallel", true}})
    for (char given : {'|', ','}) {
      SCOPED_TRACE(std::string(road.name) + " given " + given);
      CDataCore sheet;
      sheet.mIoTuning.parallel = road.parallel;
      sheet.mIoTuning.minParallelBytes = 0;
      ASSERT_TRUE(sheet.readDelimited(dir.path("py.txt"), given));
      ASSERT_EQ(sheet.mRowCount, 4u);
      ASSERT_EQ(sheet.mColCount, 3u);
      const char* expected[3][2] = {{"東\"", "京"}, {"瑋", "億"}, {"東|", "京"}};
      for (int32_t r = 1; r <= 3; ++r)
        for (int32_t c = 1; c <= 2; ++c)
          EXPECT_EQ(wideToUtf8(sheet.getText(r, c)), expected[r - 1][c - 1]) << r << "," << c;
    }
}

}  // namespace
