// The statistical UTF-16LE test on fixed vectors: byte texts must answer no,
// UTF-16LE texts without a byte order mark yes.
#include <gtest/gtest.h>

#include <string>

#include "platform/TextUnicode.h"
#include "platform/CodePage.h"

namespace {

std::u16string wide(const std::string& utf8) {
  std::u16string out(utf8.size(), u'\0');
  out.resize(utf8Decode(utf8.data(), utf8.size(), out.data()));
  return out;
}

std::string le(const std::string& utf8) {
  std::u16string w = wide(utf8);
  return std::string(reinterpret_cast<const char*>(w.data()), w.size() * 2);
}

std::string be(const std::string& utf8) {
  std::string b = le(utf8);
  for (size_t i = 0; i + 1 < b.size(); i += 2) std::swap(b[i], b[i + 1]);
  return b;
}

std::string gbk(const std::string& utf8) {
  std::u16string w = wide(utf8);
  std::string out(w.size() * 2, '\0');
  out.resize(ansiEncode(w.data(), w.size(), out.data()));
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
    EXPECT_EQ(IsTextUnicode(v.bytes.data(), static_cast<int>(v.bytes.size()), &result) != 0, v.utf16)
        << v.name;
    EXPECT_EQ(result, v.utf16 ? 1 : 0) << v.name;
  }
}

TEST(IsTextUnicode, NullResultAndNullBufferAreAccepted) {
  std::string t = le(ENGLISH);
  EXPECT_TRUE(IsTextUnicode(t.data(), static_cast<int>(t.size()), nullptr));
  EXPECT_FALSE(IsTextUnicode(nullptr, 8, nullptr));
}

}  // namespace
