#include "store/LineIter.h"

const char16_t* LineIter::next() {
  length = 0;
  if (!text || position >= text->size()) return nullptr;
  const char16_t* start = text->data() + position;
  size_t lf = text->find(u'\n', size_t(position));
  if (lf == std::u16string::npos) {
    length = text->size() - position;
    position = text->size();
  } else {
    length = lf - position + 1;
    position = lf + 1;
  }
  return start;
}
