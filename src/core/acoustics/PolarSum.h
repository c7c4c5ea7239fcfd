#pragma once

#include "speaker/SPComplex.h"

// Adds, for every j < n, the value of magnitude exp(exponent[j]) * 20 uPa * ref / r and phase
// angle[j] (radians), scaled by `scale`, to acc[j]: the last step of every element response,
// where the map spends most of its time. Where the processor allows, four frequencies are done
// at once with the C library's vector exp, sin and cos (a few ulps from the scalar functions).
void AddPolar(const double* exponent, const double* angle, int n, double ref, double r,
              double scale, CSPComplex* acc);
