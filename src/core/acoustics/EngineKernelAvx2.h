#pragma once

// The AVX2 versions of the engine's steps (EngineKernelAvx2.cpp); call them only when
// VectorKernelsEnabled() says the processor has AVX2 and FMA.
struct CPassKernel;
struct CSPComplex;

namespace avx2 {
void AddPass(const CPassKernel& pass, const double* frequencies, int padded, double* re,
             double* im);
// Four directions; only with the C library's vector acos and atan2.
void BalloonAngles(const double* dx, const double* dy, const double* dz, const double* r,
                   double* theta, double* phi);
// Returns how many values were done (a multiple of four).
int LevelsAndPhases(const CSPComplex* values, int count, double* level, double* phase);
} // namespace avx2
