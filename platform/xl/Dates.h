// Date serials of the workbook formats: days since the system's epoch, with
// the time of day as the fraction.
#pragma once
#include <cstdint>

namespace xl::detail {

// Days from 1970-01-01 to the civil date (proleptic Gregorian calendar); month 1..12.
int64_t daysFromCivil(int64_t y, int m, int d);

struct DateParts {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
};

// Splits a serial, rounded to the millisecond. In the 1900 system serial 1 is
// 1 January 1900 and serial 60 the 29 February 1900 that never was, so that
// serials from 61 on match the calendar; serials in [0, 1) give the day
// 1900-01-00 (a time alone). In the 1904 system serial 0 is 1 January 1904.
// False for a value below 0, not finite, or after 9999-12-31.
bool serialToDate(double serial, bool date1904, DateParts& out);

// The reverse, for a valid calendar date and time; false when out of range.
bool dateToSerial(const DateParts& parts, bool date1904, double& serial);

}  // namespace xl::detail
