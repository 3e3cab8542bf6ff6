// detectEncoding: byte order marks first, then the UTF-16 test, then the
// UTF-8 tally over the first 1024 bytes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "store/Encoding.h"
#include "tests/store/TextFiles.h"

using namespace textfiles;

namespace {

TEST(DetectEncoding, ClassifiesFilesByMarkAndContent) {
  ScratchDir dir;
  const std::string chinese = "城市,金额\n北京,12.5\n上海,7\n";
  struct Case {
    const char* name;
    std::string bytes;
    TextEncoding expected;
  } cases[] = {
      {"empty", "", ENC_ANSI},
      // Byte strings kept on one line, split only where a hex escape ends:
      // clang-format off
      {"utf8 mark", "\xEF\xBB\xBF" "a,b\n", ENC_UTF8},
      // clang-format on
      {"utf8 mark alone", "\xEF\xBB\xBF", ENC_UTF8},
      {"le mark only", "\xFF\xFE", ENC_UTF16LE},
      {"le mark", "\xFF\xFE" + utf16Bytes("a,b", false), ENC_UTF16LE},
      {"be mark", "\xFE\xFF" + utf16Bytes("a,b", true), ENC_UTF16BE},
      {"ascii", "id,name\n1,abc\n", ENC_ANSI},
      {"utf8 chinese without mark", chinese, ENC_UTF8_NOBOM},
      {"gbk chinese", gbk(chinese), ENC_ANSI},
      {"utf16le without mark", utf16Bytes(chinese, false), ENC_UTF16LE},
      {"non-ascii beyond 1024 bytes", std::string(1024, 'a') + "北京", ENC_ANSI},
      {"latin-1 high bytes alone", "caf\xE9 na\xEFve r\xE9sum\xE9\n", ENC_ANSI},
      {"sequence cut at 1024 counts valid", std::string(1023, 'a') + "北", ENC_UTF8_NOBOM},
      {"lone continuation bytes", "a\x80\x81\x82,b\xE4", ENC_ANSI},
  };
  for (const Case& c : cases) {
    writeBytes(dir.native("f"), c.bytes);
    EXPECT_EQ(detectEncoding(dir.path("f")), c.expected) << c.name;
  }
}

// Files of Chinese names and addresses in each encoding the program reads, none
// with a byte order mark: GBK of Chinese-only lines must not be taken for UTF-16.
TEST(DetectEncoding, ChineseFilesWithoutMarkKeepTheirEncoding) {
  ScratchDir dir;
  const std::string names = "張偉臺北市華龍區\r\n吳剛廣東省鳳凰樓\r\n馬蘇瑋錢孫昇珺\r\n";
  const std::string ascii = "id,name,city\r\n1,Zhang Wei,Taipei\r\n";
  std::string longGbk;
  while (longGbk.size() < 3000) longGbk += gbk("臺灣華龍區號錢孫昇珺國際長樂\r\n");
  struct Case {
    const char* name;
    std::string bytes;
    TextEncoding expected;
  } cases[] = {
      {"gbk one line, even", gbk("臺灣華龍區號"), ENC_ANSI},
      {"gbk one line, odd", gbk("臺灣華龍區號") + "\n", ENC_ANSI},
      {"gbk lines", gbk(names), ENC_ANSI},
      {"gbk lines, odd", gbk(names + "x"), ENC_ANSI},
      {"gbk beyond 1024 bytes", longGbk, ENC_ANSI},
      {"gbk after an ascii first line", gbk("id,name\r\n" + names), ENC_ANSI},
      {"utf16le chinese", utf16Bytes(names, false), ENC_UTF16LE},
      {"utf16le chinese one line", utf16Bytes("臺灣華龍區號\r\n", false), ENC_UTF16LE},
      {"utf16le ascii", utf16Bytes(ascii, false), ENC_UTF16LE},
      // Without a mark only the low-byte-first order is recognised; high byte
      // first is read as byte text, never as UTF-16LE.
      {"utf16be ascii", utf16Bytes(ascii, true), ENC_ANSI},
      {"utf8 chinese", names, ENC_UTF8_NOBOM},
  };
  for (const Case& c : cases) {
    writeBytes(dir.native("f"), c.bytes);
    EXPECT_EQ(detectEncoding(dir.path("f")), c.expected) << c.name;
  }
  writeBytes(dir.native("f"), utf16Bytes(names, true));
  EXPECT_NE(detectEncoding(dir.path("f")), ENC_UTF16LE) << "utf16be chinese";
}

TEST(DetectEncoding, UnreadablePathsGiveNone) {
  ScratchDir dir;
  EXPECT_EQ(detectEncoding(dir.path("missing.csv")), ENC_NONE);
  EXPECT_EQ(detectEncoding(utf8ToWide(dir.dir())), ENC_NONE);
}

}  // namespace
