// One small script per engine that appends a letter to A1, so a test can tell from A1
// which scripts ran and in what order.
#pragma once
#include <string>

namespace testsupport {

inline std::u16string exprtkAppend(char16_t letter) {
  return u"set_(1,1,get_(1,1)+'" + std::u16string(1, letter) + u"')";
}

inline std::u16string cAppend(char16_t letter) {
  return u"void get_(int, int, char **); void set_(int, int, const char *); void createString(void);"
         u"void appendString(const char *); void getString(char **);\n"
         u"int main(void) { char *s = 0; get_(1, 1, &s); createString(); appendString(s); appendString(\"" +
         std::u16string(1, letter) + u"\"); getString(&s); set_(1, 1, s); return 0; }\n";
}

inline std::u16string pythonAppend(char16_t letter) {
  return u"t = Morvel.get_(1, 1)\r\nMorvel.set_(1, 1, t + '" + std::u16string(1, letter) + u"')\r\n";
}

}  // namespace testsupport
