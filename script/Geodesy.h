// Spherical-earth computations on (longitude, latitude) points in degrees: haversine
// distance in metres, rhumb-line heading in degrees (0 north, 90 east, in (-180, 180]),
// and the great-circle destination from a start, a distance and a bearing.
#pragma once

struct GeoPoint {
  double lon = 0;
  double lat = 0;
};

double geoDistance(GeoPoint p1, GeoPoint p2);
double geoHeading(GeoPoint p1, GeoPoint p2);
// The longitude keeps fmod's sign and range (not brought into (-180, 180]).
GeoPoint geoDestination(GeoPoint start, double metres, double bearing);
