#pragma once

#include <string>

// The number text of every view, list and dialog: x rounded to n significant digits, trailing
// zeros and a trailing point removed. Magnitudes below 1e-6 or from 1e6 up print as "0".
std::string FormatSignificant(double x, int n);

// The number text of messages and reports: FormatSignificant's wherever that shows the value,
// otherwise the value in scientific notation with n significant digits ("1e+25", "2.5e-07"), or
// "inf", "-inf", "nan". A number that is not 0 never reads as "0".
std::string FormatValue(double x, int n);
