// The statistical UTF-16LE test on fixed vectors: byte texts must answer no,
// UTF-16LE texts without a byte order mark yes.
#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"
#include "platform/TextUnicode.h"
#include "tests/support/TextConvert.h"

namespace {

using testsupport::w;

std::string le(const std::string& utf8) {
  const std::u16string text = w(utf8);
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

std::string be(const std::string& utf8) {
  std::string b = le(utf8);
  for (size_t i = 0; i + 1 < b.size(); i += 2) std::swap(b[i], b[i + 1]);
  return b;
}

std::string gbk(const std::string& utf8) {
  const std::u16string text = w(utf8);
  std::string out(text.size() * 2, '\0');
  out.resize(ansiEncode(text.data(), text.size(), out.data()));
  return out;
}

const std::string ENGLISH = "id,name,city\r\n1,hello world,this is a test\r\n2,bush hid the facts,x\r\n";
const std::string CHINESE = "编号,城市,金额\r\n1,北京,12.50\r\n2,上海市浦东新区,7\r\n3,广州,备注：没有问题\r\n";
const std::string CHINESE_ONLY = "北京上海广州深圳杭州成都武汉南京西安重庆天津苏州";

struct Vector {
  const char* name;
  std::string bytes;
  bool utf16;
};

TEST(IsTextUnicode, AnswersTheFixedVectors) {
  const Vector vectors[] = {
      {"ascii", ENGLISH, false},
      {"ascii lower case pairs", "bush hid the facts and more words here ok", false},
      {"gbk chinese", gbk(CHINESE), false},
      {"gbk chinese only", gbk(CHINESE_ONLY), false},
      {"utf8 chinese", CHINESE, false},
      {"utf8 chinese only", CHINESE_ONLY, false},
      {"utf16le english", le(ENGLISH), true},
      {"utf16le chinese", le(CHINESE), true},
      {"utf16le chinese only", le(CHINESE_ONLY), true},
      {"utf16le with mark", "\xFF\xFE" + le("ab"), true},
      {"utf16be english", be(ENGLISH), false},
      {"utf16be with mark", "\xFE\xFF" + be("ab"), false},
      {"odd length", le(ENGLISH) + "x", false},
      {"nul units", le("ab") + std::string(4, '\0') + le("cd"), false},
      {"unpaired surrogate", le("ab") + std::string("\x00\xD8", 2) + le("cd"), false},
      {"too short", "a", false},
  };
  for (const Vector& v : vectors) {
    int result = -1;
    EXPECT_EQ(IsTextUnicode(v.bytes.data(), static_cast<int>(v.bytes.size()), &result) != 0, v.utf16) << v.name;
    EXPECT_EQ(result, v.utf16 ? 1 : 0) << v.name;
  }
}

// Mostly-CJK GBK whose byte pairs read as ideographs and Hangul: short files of
// Chinese-only lines (traditional characters, whose GBK trail bytes often lie in
// 0x40-0x7E) used to be taken for UTF-16. Even and odd byte counts, one line and
// several, and a buffer filled to the 1024 bytes the detection reads.
TEST(IsTextUnicode, GbkChineseOnlyLinesAreNotUtf16) {
  std::string full;
  while (full.size() < 1024) full += gbk("臺灣華龍區號錢孫昇珺\r\n");
  full.resize(1024);
  const Vector vectors[] = {
      {"two characters", gbk("吳剛"), false},
      {"three characters", gbk("馬蘇瑋"), false},
      {"six characters", gbk("臺灣華龍區號"), false},
      {"two lines", gbk("臺灣華龍區號\r\n號區龍華灣臺"), false},
      {"line with its break", gbk("臺灣華龍區號錢孫昇珺\r\n"), false},
      {"odd count after an ascii digit", gbk("臺灣華龍區號1"), false},
      {"1024 bytes cut inside a character", full, false},
      {"utf16le of the same lines", le("臺灣華龍區號\r\n號區龍華灣臺"), true},
      {"utf16le of one line with its break", le("臺灣華龍區號\r\n"), true},
      {"utf16le of two characters, a control byte in their reading as gbk", le("北京"), true},
      // Without a line break or any ASCII these bytes are also sound GBK: GBK is preferred.
      {"utf16le that reads as sound gbk", le("臺灣華龍區號"), false},
  };
  for (const Vector& v : vectors)
    EXPECT_EQ(IsTextUnicode(v.bytes.data(), static_cast<int>(v.bytes.size()), nullptr) != 0, v.utf16) << v.name;
}

TEST(IsTextUnicode, NullResultAndNullBufferAreAccepted) {
  std::string t = le(ENGLISH);
  EXPECT_TRUE(IsTextUnicode(t.data(), static_cast<int>(t.size()), nullptr));
  EXPECT_FALSE(IsTextUnicode(nullptr, 8, nullptr));
}

}  // namespace
