#include "acoustics/EngineKernel.h"

#include "acoustics/PointResponse.h"
#include "common/MathUtil.h"
#include "speaker/SPComplex.h"

#include <atomic>
#include <cmath>

namespace {
const double kLn10Over20 = std::log(10.0) / 20.0;
std::atomic<bool> g_vectorEnabled{true};

// The corner interpolation of one frequency, exactly as LookupDirectivity weighs level and phase.
inline void CornerValue(const CPassKernel& k, int j, double& L, double& P0) {
    if (k.exact) {
        L = k.level[0][j];
        P0 = k.phase[0][j];
        return;
    }
    const double* w = k.weight;
    L = (w[0] * k.level[0][j] + w[1] * k.level[1][j] + w[2] * k.level[2][j] +
         w[3] * k.level[3][j]) /
        k.weightSum;
    const double pA = k.phase[0][j];
    P0 = (w[0] * pA + w[1] * UnwrapAgainst(k.phase[1][j], pA) +
          w[2] * UnwrapAgainst(k.phase[2][j], pA) + w[3] * UnwrapAgainst(k.phase[3][j], pA)) /
         k.weightSum;
}

void AddPassScalar(const CPassKernel& k, const double* frequencies, int padded, double* re,
                   double* im) {
    for (int j = 0; j < padded; ++j) {
        double L = 0.0, P0 = 0.0;
        CornerValue(k, j, L, P0);
        const double cycles = k.delay * frequencies[j];
        double P = P0 - (cycles - std::floor(cycles)) * 360.0;
        if (k.reverse)
            P += 180.0;
        // exp with ln(10)/20 instead of pow(10, L/20): a few ulps apart, at a fraction of the cost.
        const double m = std::exp(L * kLn10Over20) * kReferencePressure * k.ref / k.r;
        const double a = DegToRad(P);
        re[j] += m * std::cos(a) * k.scale;
        im[j] += m * std::sin(a) * k.scale;
    }
}
} // namespace

#if defined(DAXARA_HAVE_MVEC) && defined(__x86_64__)
#include "acoustics/EngineKernelAvx2.h"

namespace {
bool CpuHasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
}
} // namespace

bool VectorKernelsAvailable() {
    return CpuHasAvx2();
}
#else
bool VectorKernelsAvailable() {
    return false;
}
#endif

bool VectorKernelsEnabled() {
    return VectorKernelsAvailable() && g_vectorEnabled.load(std::memory_order_relaxed);
}

void EnableVectorKernels(bool enable) {
    g_vectorEnabled.store(enable, std::memory_order_relaxed);
}

void AddPassResponse(const CPassKernel& pass, const double* frequencies, int padded, double* re,
                     double* im) {
#if defined(DAXARA_HAVE_MVEC) && defined(__x86_64__)
    if (VectorKernelsEnabled())
        return avx2::AddPass(pass, frequencies, padded, re, im);
#endif
    AddPassScalar(pass, frequencies, padded, re, im);
}

void BalloonAnglesOf(int count, const double* dx, const double* dy, const double* dz,
                     const double* r, double* theta, double* phi) {
#if defined(DAXARA_HAVE_MVEC_TRIG)
    if (count == kKernelLanes && VectorKernelsEnabled())
        return avx2::BalloonAngles(dx, dy, dz, r, theta, phi);
#endif
    for (int i = 0; i < count; ++i) {
        const CBalloonAngles a = BalloonAngles({dx[i], dy[i], dz[i]}, r[i]);
        theta[i] = a.theta;
        phi[i] = a.phi;
    }
}

void LevelsAndPhases(const CSPComplex* values, int count, double* level, double* phase) {
    int i = 0;
#if defined(DAXARA_HAVE_MVEC_TRIG)
    if (VectorKernelsEnabled())
        i = avx2::LevelsAndPhases(values, count, level, phase);
#endif
    for (; i < count; ++i) {
        level[i] = values[i].Level();
        phase[i] = values[i].Phase();
    }
}
