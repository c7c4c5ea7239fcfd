#pragma once

// The AVX2 versions of the engine's steps (EngineKernelAvx2.cpp); call them only when
// VectorKernelsEnabled() says the processor has AVX2 and FMA.
struct CPassKernel;
struct CSPComplex;
struct CPassFrame;
struct CBalloonGrid;
struct CPassLanes;

namespace avx2 {
void AddPass(const CPassKernel& pass, const double* frequencies, int padded, double* re,
             double* im);
// Only with the C library's vector acos and atan2, and on evenly spaced grids.
void LocatePass(const CPassFrame& pass, const CBalloonGrid& grid, const double* x, const double* y,
                const double* z, CPassLanes& out);
// Returns how many values were done (a multiple of four).
int LevelsAndPhases(const CSPComplex* values, int count, double* level, double* phase);
} // namespace avx2
