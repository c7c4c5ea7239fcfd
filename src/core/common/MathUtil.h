#pragma once

#include <cmath>

// pi as 4*atan(1); every angle conversion of the program goes through the two helpers below so
// that all code paths round the same way.
inline const double kPi = 4.0 * std::atan(1.0);

inline double DegToRad(double degrees) {
    return degrees * kPi / 180.0;
}
inline double RadToDeg(double radians) {
    return radians * 180.0 / kPi;
}
