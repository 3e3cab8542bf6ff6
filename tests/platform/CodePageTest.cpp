#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string decode(UINT cp, const std::string& bytes) {
  int n = MultiByteToWideChar(cp, 0, bytes.data(), int(bytes.size()), nullptr, 0);
  std::u16string out(size_t(n), u'\0');
  EXPECT_EQ(n, MultiByteToWideChar(cp, 0, bytes.data(), int(bytes.size()), out.data(), n));
  return out;
}

std::string encode(UINT cp, const std::u16string& text) {
  int n = WideCharToMultiByte(cp, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n), '\0');
  EXPECT_EQ(n, WideCharToMultiByte(cp, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr));
  return out;
}

struct Case {
  const char* name;
  std::string bytes;
  std::u16string text;
};

TEST(CodePage, Utf8DecodesValidAndReplacesInvalidSequences) {
  const Case cases[] = {
      {"ascii", "abc", u"abc"},
      {"chinese", "\xE4\xB8\xAD\xE6\x96\x87", u"中文"},
      {"supplementary", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"lone continuation", "a\x80z", u"a\uFFFDz"},
      {"cut sequence", "\xE4\xB8", u"\uFFFD"},
      {"cut then ascii", "\xE4\xB8x", u"\uFFFDx"},
      {"overlong", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"surrogate form", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"embedded nul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
  };
  for (const Case& c : cases) EXPECT_EQ(decode(CP_UTF8, c.bytes), c.text) << c.name;
}

TEST(CodePage, Utf8EncodesSurrogatePairsAndReplacesUnpairedOnes) {
  // Byte strings kept on one line, split only where a hex escape ends:
  // clang-format off
  EXPECT_EQ(encode(CP_UTF8, u"中文a"), "\xE4\xB8\xAD\xE6\x96\x87" "a");
  // clang-format on
  EXPECT_EQ(encode(CP_UTF8, u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(encode(CP_UTF8, std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}

TEST(CodePage, AnsiIsGbk) {
  const Case cases[] = {
      {"ascii", "City,1", u"City,1"},
      {"chinese", "\xB1\xB1\xBE\xA9", u"北京"},
      {"mixed", "a\xC9\xCF\xBA\xA3z", u"a上海z"},
      {"lone lead byte at end", "a\xB1", u"a?"},
      {"byte 0xFF", "\xFF", u"?"},
  };
  for (const Case& c : cases) EXPECT_EQ(decode(CP_ACP, c.bytes), c.text) << c.name;
  EXPECT_EQ(encode(CP_ACP, u"北京,上海"), "\xB1\xB1\xBE\xA9,\xC9\xCF\xBA\xA3");
  EXPECT_EQ(encode(CP_ACP, u"\U0001F600"), "??") << "a character GBK cannot hold becomes '?' per unit";
}

TEST(CodePage, MeasureThenConvertAndRefuseShortBuffers) {
  const char* s = "\xE4\xB8\xAD";
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0), 2) << "NUL included with length -1";
  char16_t one[1];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, s, -1, one, 1), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, s, 0, nullptr, 0), 0);
}

// A buffer with room for the most a text can give takes the same result as an exact
// one (the bulk path), in both directions and both code pages.
TEST(CodePage, RoomyBuffersGiveTheExactResult) {
  const std::u16string text = std::u16string(u"北京,Abc\0z\U0001F600", 11);
  for (UINT cp : {UINT(CP_UTF8), UINT(CP_ACP)}) {
    const std::string bytes = encode(cp, text);
    std::string roomyBytes(text.size() * 3, '\x55');
    const int n = WideCharToMultiByte(cp, 0, text.data(), int(text.size()), roomyBytes.data(),
                                      int(roomyBytes.size()), nullptr, nullptr);
    EXPECT_EQ(roomyBytes.substr(0, size_t(n)), bytes) << cp;
    std::u16string roomyText(bytes.size(), u'\x5555');
    const int m =
        MultiByteToWideChar(cp, 0, bytes.data(), int(bytes.size()), roomyText.data(), int(roomyText.size()));
    EXPECT_EQ(roomyText.substr(0, size_t(m)), decode(cp, bytes)) << cp;
  }
}

TEST(Conversions, RoundTripsAndReplacement) {
  const std::u16string mixed = std::u16string(u"北京,Abc\0z", 9);
  EXPECT_EQ(utf8ToWide(wideToUtf8(mixed)), mixed);
  EXPECT_EQ(ansiToWide(wideToAnsi(mixed)), mixed);
  EXPECT_EQ(wideToAnsi(u"中"), "\xd6\xd0");
  EXPECT_EQ(wideToUtf8(u"中"), "\xe4\xb8\xad");
  EXPECT_EQ(utf8ToWide("\xff"), u"\xfffd");
  EXPECT_EQ(wideToAnsi(u"€"), "\x80");    // GBK's euro sign
  EXPECT_EQ(wideToAnsi(u"\x263a"), "?");  // not in GBK
  EXPECT_EQ(ansiToWide(""), u"");
  EXPECT_EQ(wideToUtf8(u""), "");
}

}  // namespace
