#include "controls/ControlFont.h"

#include <algorithm>
#include <string_view>

LOGFONTW defaultControlFont() {
  LOGFONTW f{};
  f.lfHeight = 12;
  f.lfWeight = 400;
  f.lfCharSet = 1;
  const std::u16string_view face = u"宋体";
  std::copy(face.begin(), face.end(), f.lfFaceName);
  return f;
}
