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
// acos of four values, atan2 of four pairs, as LocatePass takes them.
void Arccosines(const double* x, double* out);
void Arctangents(const double* y, const double* x, double* out);
// Only on evenly spaced grids.
void LocatePass(const CPassFrame& pass, const CBalloonGrid& grid, const double* x, const double* y,
                const double* z, CPassLanes& out);
// Returns how many values were done (a multiple of four).
int LevelsAndPhases(const CSPComplex* values, int count, double* level, double* phase);
} // namespace avx2
