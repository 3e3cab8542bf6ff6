#include "platform/xl/Dates.h"

#include <cmath>
#include <cstdint>

namespace xl::detail {

int64_t daysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

namespace {

void civilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  d = int(doy - (153 * mp + 2) / 5 + 1);
  m = int(mp < 10 ? mp + 3 : mp - 9);
  y = int(yoe + era * 400 + (m <= 2));
}

// The serial of 9999-12-31 in each system: nothing later is a date.
constexpr int64_t kLast1900 = 2958465;
constexpr int64_t kLast1904 = 2958465 - 1462;
const int64_t kEpoch1900 = daysFromCivil(1899, 12, 30);  // serial 0, counting from 61 on
const int64_t kEpoch1904 = daysFromCivil(1904, 1, 1);

}  // namespace

bool serialToDate(double serial, bool date1904, DateParts& out) {
  if (!std::isfinite(serial) || serial < 0) return false;
  double msTotal = std::floor(serial * 86400000.0 + 0.5);
  int64_t days = int64_t(msTotal / 86400000.0);
  int64_t ms = int64_t(msTotal - double(days) * 86400000.0);
  if (ms < 0) {
    ms += 86400000;
    --days;
  } else if (ms >= 86400000) {
    ms -= 86400000;
    ++days;
  }
  if (days > (date1904 ? kLast1904 : kLast1900)) return false;
  DateParts p;
  if (date1904) {
    civilFromDays(kEpoch1904 + days, p.year, p.month, p.day);
  } else if (days == 0) {
    p.year = 1900, p.month = 1, p.day = 0;
  } else if (days == 60) {
    p.year = 1900, p.month = 2, p.day = 29;
  } else {
    civilFromDays(kEpoch1900 + days + (days < 60 ? 1 : 0), p.year, p.month, p.day);
  }
  p.hour = int(ms / 3600000);
  p.minute = int(ms / 60000 % 60);
  p.second = int(ms / 1000 % 60);
  p.msec = int(ms % 1000);
  out = p;
  return true;
}

bool dateToSerial(const DateParts& p, bool date1904, double& serial) {
  if (p.month < 1 || p.month > 12 || p.day < 1 || p.day > 31 || p.hour < 0 || p.hour > 23 || p.minute < 0 ||
      p.minute > 59 || p.second < 0 || p.second > 59 || p.msec < 0 || p.msec > 999 || p.year < 1900 ||
      p.year > 9999)
    return false;
  int64_t day = daysFromCivil(p.year, p.month, p.day);
  int cy, cm, cd;
  civilFromDays(day, cy, cm, cd);
  if (cd != p.day) return false;  // 31 April and the like
  int64_t days;
  if (date1904) {
    days = day - kEpoch1904;
  } else {
    days = day - kEpoch1900;
    if (days < 61) --days;  // before the phantom 29 February 1900
  }
  if (days < 0) return false;
  double time = (p.hour * 3600000.0 + p.minute * 60000.0 + p.second * 1000.0 + p.msec) / 86400000.0;
  serial = double(days) + time;
  return true;
}

}  // namespace xl::detail
