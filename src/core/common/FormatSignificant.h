#pragma once

#include <string>

// The number text of every view, list and dialog: x rounded to n significant digits, trailing
// zeros and a trailing point removed. Magnitudes below 1e-6 or from 1e6 up print as "0".
std::string FormatSignificant(double x, int n);
