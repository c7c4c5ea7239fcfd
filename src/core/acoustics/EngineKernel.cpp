#include "acoustics/EngineKernel.h"

#include "acoustics/PointResponse.h"
#include "common/MathUtil.h"
#include "speaker/SPComplex.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {
const double kLn10Over20 = std::log(10.0) / 20.0;
std::atomic<bool> g_vectorEnabled{true};

// The corner interpolation of one frequency as LookupDirectivity weighs level and phase, with the
// weights divided by their sum up front (an ulp or two from dividing each sum).
inline void CornerValue(const CPassKernel& k, int j, double& L, double& P0) {
    if (k.exact) {
        L = k.level[0][j];
        P0 = k.phase[0][j];
        return;
    }
    const double* w = k.weight;
    L = w[0] * k.level[0][j] + w[1] * k.level[1][j] + w[2] * k.level[2][j] + w[3] * k.level[3][j];
    P0 = w[0] * k.phase[0][j] + w[1] * k.phase[1][j] + w[2] * k.phase[2][j] + w[3] * k.phase[3][j];
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

PassFunction PassResponseFunction() {
#if defined(DAXARA_HAVE_MVEC) && defined(__x86_64__)
    if (VectorKernelsEnabled())
        return avx2::AddPass;
#endif
    return AddPassScalar;
}

void AddPassResponse(const CPassKernel& pass, const double* frequencies, int padded, double* re,
                     double* im) {
#if defined(DAXARA_HAVE_MVEC) && defined(__x86_64__)
    if (VectorKernelsEnabled())
        return avx2::AddPass(pass, frequencies, padded, re, im);
#endif
    AddPassScalar(pass, frequencies, padded, re, im);
}

namespace {
constexpr double kGridTolerance = 0.00001;

// One lane of LocatePass, in the vector path's order of operations.
void LocateLane(const CPassFrame& f, const CBalloonGrid& g, double x, double y, double z, int lane,
                CPassLanes& out) {
    const double vx = x - f.source[0], vy = y - f.source[1], vz = z - f.source[2];
    const double(&m)[3][3] = f.rotation;
    const double dx = m[0][0] * vx + m[1][0] * vy + m[2][0] * vz;
    const double dy = m[0][1] * vx + m[1][1] * vy + m[2][1] * vz;
    const double dz = m[0][2] * vx + m[1][2] * vy + m[2][2] * vz;
    const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
    out.r[lane] = r;
    out.exact[lane] = true;
    out.nextPhi[lane] = out.nextTheta[lane] = false;
    for (int c = 0; c < 4; ++c)
        out.cells[c][lane] = 0;
    if (r == 0.0)
        return;
    const double perR = 1.0 / r;
    const double tx = dx * perR, ty = dy * perR, tz = f.image ? -(dz * perR) : dz * perR;
    const double degrees = 180.0 / kPi;
    // The cosine as BalloonAngles divides it: near the axis acos magnifies its last bit.
    const double theta = std::acos(std::clamp(dx / r, -1.0, 1.0)) * degrees;
    double p = std::atan2(dz, dy);
    if (p < 0.0)
        p += 2.0 * kPi;
    const double phi = f.image ? 360.0 - p * degrees : p * degrees;
    out.theta[lane] = theta;
    out.phi[lane] = phi;

    const CBracket th = g.thetaPerStep > 0.0
                            ? EvenBracket(g.theta, g.thetaCount, g.thetaPerStep, theta)
                            : BracketSearch(g.theta, g.thetaCount, theta, g.thetaAscending);
    const CBracket ph = g.phiPerStep > 0.0 ? EvenBracket(g.phi, g.phiCount, g.phiPerStep, phi)
                                           : BracketSearch(g.phi, g.phiCount, phi, g.phiAscending);
    const int T = g.thetaCount;
    const int cells[4] = {ph.loIndex * T + th.loIndex, ph.hiIndex * T + th.loIndex,
                          ph.loIndex * T + th.hiIndex, ph.hiIndex * T + th.hiIndex};
    for (int c = 0; c < 4; ++c)
        out.cells[c][lane] = cells[c];
    out.nextPhi[lane] = ph.hiIndex != ph.loIndex;
    out.nextTheta[lane] = th.hiIndex != th.loIndex;
    if (th.exact && ph.exact)
        return;
    const CVec3 target{tx, ty, tz};
    double d[4];
    for (int c = 0; c < 4; ++c) {
        const double* u = g.directions + 3 * static_cast<std::ptrdiff_t>(cells[c]);
        d[c] = CornerDistance({u[0], u[1], u[2]}, target);
    }
    // A corner the target sits on is taken as it is: A, then C, B and D.
    for (int c : {0, 2, 1, 3})
        if (d[c] == 0.0) {
            out.cells[0][lane] = cells[c];
            return;
        }
    out.exact[lane] = false;
    // 1/d of each corner over the sum of all four, as products of the other three distances.
    const double ab = d[0] * d[1], cd = d[2] * d[3];
    const double w[4] = {d[1] * cd, d[0] * cd, ab * d[3], ab * d[2]};
    const double perSum = 1.0 / (w[0] + w[1] + w[2] + w[3]);
    for (int c = 0; c < 4; ++c)
        out.weight[c][lane] = w[c] * perSum;
}
} // namespace

void FillGridTables(CBalloonGrid& g, std::vector<double>& directions, std::vector<double>& trig) {
    const std::size_t T = static_cast<std::size_t>(std::max(g.thetaCount, 0));
    const std::size_t P = static_cast<std::size_t>(std::max(g.phiCount, 0));
    trig.assign(2 * (T + P), 0.0);
    for (std::size_t t = 0; t < T; ++t) {
        const double a = DegToRad(g.theta[t]);
        trig[t] = std::cos(a), trig[T + t] = std::sin(a);
    }
    for (std::size_t p = 0; p < P; ++p) {
        const double a = DegToRad(g.phi[p]);
        trig[2 * T + p] = std::cos(a), trig[2 * T + P + p] = std::sin(a);
    }
    g.thetaCos = trig.data(), g.thetaSin = trig.data() + T;
    g.phiCos = trig.data() + 2 * T, g.phiSin = trig.data() + 2 * T + P;
    directions.resize(3 * T * P);
    for (std::size_t p = 0; p < P; ++p)
        for (std::size_t t = 0; t < T; ++t) {
            // As BalloonDirection builds them.
            double* u = directions.data() + 3 * (p * T + t);
            u[0] = g.thetaCos[t], u[1] = g.thetaSin[t] * g.phiCos[p],
            u[2] = g.thetaSin[t] * g.phiSin[p];
        }
    g.directions = directions.data();
    auto exactStep = [](const double* grid, int count, double perStep) {
        if (!(perStep > 0.0))
            return 0.0;
        const double step = 1.0 / perStep;
        for (int i = 0; i < count; ++i)
            if (grid[i] != grid[0] + static_cast<double>(i) * step)
                return 0.0;
        return step;
    };
    g.thetaExactStep = exactStep(g.theta, g.thetaCount, g.thetaPerStep);
    g.phiExactStep = exactStep(g.phi, g.phiCount, g.phiPerStep);
}

CBracket EvenBracket(const double* grid, int count, double perStep, double x) {
    double e = std::nearbyint((x - grid[0]) * perStep);
    const double last = count - 1;
    if (!(e >= 0.0))
        e = 0.0; // below the grid, or not a number
    if (e > last)
        e = last;
    const int k = static_cast<int>(e);
    const double g = grid[k];
    if (g - kGridTolerance < x && x < g + kGridTolerance)
        return {g, g, k, k, true};
    const int lo = x < g ? k - 1 : k;
    if (lo < 0 || lo + 1 > count - 1 || !(x == x))
        return {grid[0], grid[0], 0, 0, false};
    return {grid[lo], grid[lo + 1], lo, lo + 1, false};
}

void Arccosines(const double* x, double* out) {
#if defined(DAXARA_HAVE_MVEC) && defined(__x86_64__)
    if (VectorKernelsEnabled())
        return avx2::Arccosines(x, out);
#endif
    for (int i = 0; i < kKernelLanes; ++i)
        out[i] = std::acos(x[i]);
}

void Arctangents(const double* y, const double* x, double* out) {
#if defined(DAXARA_HAVE_MVEC) && defined(__x86_64__)
    if (VectorKernelsEnabled())
        return avx2::Arctangents(y, x, out);
#endif
    for (int i = 0; i < kKernelLanes; ++i)
        out[i] = std::atan2(y[i], x[i]);
}

void LocatePass(const CPassFrame& pass, const CBalloonGrid& grid, const double* x, const double* y,
                const double* z, CPassLanes& out) {
#if defined(DAXARA_HAVE_MVEC) && defined(__x86_64__)
    if (grid.thetaPerStep > 0.0 && grid.phiPerStep > 0.0 && VectorKernelsEnabled())
        return avx2::LocatePass(pass, grid, x, y, z, out);
#endif
    for (int lane = 0; lane < kKernelLanes; ++lane)
        LocateLane(pass, grid, x[lane], y[lane], z[lane], lane, out);
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
