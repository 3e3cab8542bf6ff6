#include "platform/Crt.h"

#include <malloc.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "platform/AsciiCase.h"

namespace {
bool isSpace(char16_t c) { return c == ' ' || (c >= 9 && c <= 13); }
}  // namespace

int64_t _wtoi64(const char16_t* s) {
  if (!s) return 0;
  while (isSpace(*s)) ++s;
  bool neg = false;
  if (*s == '-' || *s == '+') neg = (*s++ == '-');
  uint64_t v = 0;
  const uint64_t limit = neg ? uint64_t(std::numeric_limits<int64_t>::max()) + 1
                             : uint64_t(std::numeric_limits<int64_t>::max());
  bool over = false;
  for (; *s >= '0' && *s <= '9'; ++s) {
    unsigned d = unsigned(*s - '0');
    if (over || v > (limit - d) / 10) {
      over = true;
      continue;
    }
    v = v * 10 + d;
  }
  if (over) return neg ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
  if (neg) return v == limit ? std::numeric_limits<int64_t>::min() : -int64_t(v);
  return int64_t(v);
}

int _wtoi(const char16_t* s) {
  const int64_t v = _wtoi64(s);
  return int(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

double wcstod(const char16_t* s, char16_t** end) {
  if (!s) {
    if (end) *end = nullptr;
    return 0;
  }
  char small[128];
  std::string big;
  size_t n = 0;
  while (s[n] && s[n] < 0x80) ++n;
  char* buf = small;
  if (n >= sizeof(small)) {
    big.resize(n + 1);
    buf = big.data();
  }
  for (size_t i = 0; i < n; ++i) buf[i] = char(s[i]);
  buf[n] = 0;
  char* stop = nullptr;
  int saved = errno;
  double d = std::strtod(buf, &stop);
  errno = saved;
  if (end) *end = const_cast<char16_t*>(s) + (stop - buf);
  return d;
}

int _i64tow_s(int64_t v, char16_t* buf, size_t size, int radix) {
  if (!buf || size == 0) return EINVAL;
  buf[0] = 0;
  if (radix < 2 || radix > 36) return EINVAL;
  char16_t tmp[66];
  size_t n = 0;
  bool neg = radix == 10 && v < 0;
  uint64_t u = neg ? uint64_t(0) - uint64_t(v) : uint64_t(v);
  do {
    unsigned d = unsigned(u % unsigned(radix));
    tmp[n++] = char16_t(d < 10 ? '0' + d : 'a' + d - 10);
    u /= unsigned(radix);
  } while (u);
  if (neg) tmp[n++] = '-';
  if (n + 1 > size) return ERANGE;
  for (size_t i = 0; i < n; ++i) buf[i] = tmp[n - 1 - i];
  buf[n] = 0;
  return 0;
}

struct tm* _localtime64(const int64_t* t) {
  static thread_local struct tm result;
  if (!t || *t < 0 || *t > 32535215999LL) return nullptr;
  time_t tt = time_t(*t);
  if (!localtime_r(&tt, &result)) return nullptr;
  return &result;
}

int _wcsicmp(const char16_t* a, const char16_t* b) {
  for (;; ++a, ++b) {
    char16_t x = foldAscii(*a), y = foldAscii(*b);
    if (x != y || !x) return int(x) - int(y);
  }
}

size_t wcslen16(const char16_t* s) {
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}

size_t _msize(void* block) { return malloc_usable_size(block); }
