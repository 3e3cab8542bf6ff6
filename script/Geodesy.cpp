#include "script/Geodesy.h"

#include <cmath>

namespace {
// The constants as the program has always used them (pi slightly above the closest
// double), so distances and bearings stay the same to the last digit.
constexpr double kPi = 3.1415926535898;
constexpr double kQuarterPi = 0.78539816339745;
constexpr double kTwoPi = 6.2831853071796;
constexpr double kEarthRadius = 6371008.8;

double rad(double degrees) { return std::fmod(degrees, 360.0) * kPi / 180.0; }
}  // namespace

double geoDistance(GeoPoint p1, GeoPoint p2) {
  double a = std::sin(rad(p2.lat - p1.lat) / 2);
  double b = std::sin(rad(p2.lon - p1.lon) / 2);
  double h = a * a + std::cos(rad(p1.lat)) * std::cos(rad(p2.lat)) * b * b;
  return 2 * std::atan2(std::sqrt(h), std::sqrt(1 - h)) * kEarthRadius;
}

double geoHeading(GeoPoint p1, GeoPoint p2) {
  double dLon = rad(p2.lon - p1.lon);
  if (dLon > kPi) dLon -= kTwoPi;
  if (dLon < -kPi) dLon += kTwoPi;
  double dPsi = std::log(std::tan(rad(p2.lat) / 2 + kQuarterPi) / std::tan(rad(p1.lat) / 2 + kQuarterPi));
  double theta = std::atan2(dLon, dPsi);
  double e = std::fmod(std::fmod(theta, kTwoPi) * 180.0 / kPi + 360.0, 360.0);
  return e > 180 ? e - 360 : e;
}

GeoPoint geoDestination(GeoPoint start, double metres, double bearing) {
  double phi1 = rad(start.lat);
  double theta = rad(bearing);
  double delta = metres / kEarthRadius;
  double phi2 = std::asin(std::sin(phi1) * std::cos(delta) + std::cos(phi1) * std::sin(delta) * std::cos(theta));
  double dLambda = std::atan2(std::sin(theta) * std::sin(delta) * std::cos(phi1),
                              std::cos(delta) - std::sin(phi1) * std::sin(phi2));
  GeoPoint end;
  end.lon = std::fmod(dLambda + rad(start.lon), kTwoPi) * 180.0 / kPi;
  end.lat = std::fmod(phi2, kTwoPi) * 180.0 / kPi;
  return end;
}
