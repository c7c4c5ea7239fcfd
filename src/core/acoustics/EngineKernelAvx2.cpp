// The AVX2 steps of the map engine. Only this file is built for AVX2 and FMA (the build gives it
// -mavx2 -mfma, so every compiler passes vectors to the C library's vector math in registers);
// the engine calls it only after checking the processor. It uses nothing inline from other
// headers, so no AVX2 copy of a shared inline function can reach the rest of the program.
#include "acoustics/EngineKernelAvx2.h"

#if defined(DAXARA_HAVE_MVEC) && defined(__x86_64__)
#include "acoustics/EngineKernel.h"
#include "speaker/SPComplex.h"

#include <immintrin.h>

#if defined(DAXARA_HAVE_MVEC_TRIG)
extern "C" __m256d _ZGVdN4vv_atan2(__m256d, __m256d);
extern "C" __m256d _ZGVdN4v_log10(__m256d);
#endif

namespace {
constexpr double kLn10Over20 = 0.11512925464970229; // ln(10) / 20
constexpr double kPiAvx2 = 3.141592653589793;       // 4 atan(1), as kPi
} // namespace

namespace avx2 {

namespace {
// Sine and cosine of four angles given in degrees (the phases stay within a few turns). The
// angle is split exactly into a multiple q of 90 degrees and a rest of at most 45; the rest's
// Taylor series to the 15th and 16th power are good to about 1e-16 there, and q picks the
// quadrant. About twice as fast as the C library's vector sin and cos called one after the
// other, and as far from the scalar functions (a few ulps).
inline void SinCosDegrees(__m256d degrees, __m256d& sine, __m256d& cosine) {
    const __m256d q = _mm256_round_pd(_mm256_mul_pd(degrees, _mm256_set1_pd(1.0 / 90.0)),
                                      _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    // |q| is small, so q * 90 is exact and so is the difference, a multiple of P's last place.
    const __m256d rest = _mm256_fnmadd_pd(q, _mm256_set1_pd(90.0), degrees);
    const __m256d x = _mm256_mul_pd(rest, _mm256_set1_pd(kPiAvx2 / 180.0));
    // The series in x^2 by Estrin's scheme: shorter chains than Horner's, the same terms.
    const __m256d y = _mm256_mul_pd(x, x), y2 = _mm256_mul_pd(y, y), y4 = _mm256_mul_pd(y2, y2);
    auto pair = [&](double a, double b) {
        return _mm256_fmadd_pd(_mm256_set1_pd(b), y, _mm256_set1_pd(a));
    };
    // sin x = x + x^3 (-1/3! + x^2/5! - ... - x^12/15!)
    const __m256d sLow =
        _mm256_fmadd_pd(pair(-1.0 / 5040.0, 1.0 / 362880.0), y2, pair(-1.0 / 6.0, 1.0 / 120.0));
    const __m256d sHigh = _mm256_fmadd_pd(_mm256_set1_pd(-1.0 / 1307674368000.0), y2,
                                          pair(-1.0 / 39916800.0, 1.0 / 6227020800.0));
    const __m256d s = _mm256_fmadd_pd(_mm256_mul_pd(x, y), _mm256_fmadd_pd(sHigh, y4, sLow), x);
    // cos x = 1 + x^2 (-1/2! + x^2/4! - ... + x^14/16!)
    const __m256d cLow =
        _mm256_fmadd_pd(pair(-1.0 / 720.0, 1.0 / 40320.0), y2, pair(-0.5, 1.0 / 24.0));
    const __m256d cHigh = _mm256_fmadd_pd(pair(-1.0 / 87178291200.0, 1.0 / 20922789888000.0), y2,
                                          pair(-1.0 / 3628800.0, 1.0 / 479001600.0));
    const __m256d c = _mm256_fmadd_pd(y, _mm256_fmadd_pd(cHigh, y4, cLow), _mm256_set1_pd(1.0));
    // Quadrant q mod 4: odd swaps sine and cosine; bit 1 of q (of q + 1) negates the sine
    // (the cosine).
    const __m256i qi = _mm256_cvtepi32_epi64(_mm256_cvtpd_epi32(q));
    const __m256d swap = _mm256_castsi256_pd(
        _mm256_cmpeq_epi64(_mm256_and_si256(qi, _mm256_set1_epi64x(1)), _mm256_set1_epi64x(1)));
    const __m256d sineSign =
        _mm256_castsi256_pd(_mm256_slli_epi64(_mm256_and_si256(qi, _mm256_set1_epi64x(2)), 62));
    const __m256d cosineSign = _mm256_castsi256_pd(_mm256_slli_epi64(
        _mm256_and_si256(_mm256_add_epi64(qi, _mm256_set1_epi64x(1)), _mm256_set1_epi64x(2)), 62));
    sine = _mm256_xor_pd(_mm256_blendv_pd(s, c, swap), sineSign);
    cosine = _mm256_xor_pd(_mm256_blendv_pd(c, s, swap), cosineSign);
}

// e^x for four lanes: x = n ln 2 + t with |t| <= ln 2 / 2 (ln 2 split in two parts, so the
// rest is exact to about 1e-20), the Taylor series of e^t to the 13th power (good to 1e-17
// there) and 2^n put into the exponent. Beyond the range of doubles the lanes overflow to
// infinity or underflow to 0 as exp does; not-a-number stays so.
inline __m256d Exp(__m256d x) {
    const __m256d n = _mm256_round_pd(_mm256_mul_pd(x, _mm256_set1_pd(1.4426950408889634)),
                                      _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    const __m256d kLn2High = _mm256_set1_pd(0.6931471803691238); // 32 significant bits
    const __m256d kLn2Low = _mm256_set1_pd(1.9082149292705877e-10);
    const __m256d t = _mm256_fnmadd_pd(n, kLn2Low, _mm256_fnmadd_pd(n, kLn2High, x));
    const __m256d t2 = _mm256_mul_pd(t, t), t4 = _mm256_mul_pd(t2, t2);
    auto pair = [&](double a, double b) {
        return _mm256_fmadd_pd(_mm256_set1_pd(b), t, _mm256_set1_pd(a));
    };
    // 1 + t + t^2/2! + ... + t^13/13!, by Estrin's scheme.
    const __m256d q0 = _mm256_fmadd_pd(pair(1.0 / 2.0, 1.0 / 6.0), t2, pair(1.0, 1.0));
    const __m256d q1 =
        _mm256_fmadd_pd(pair(1.0 / 720.0, 1.0 / 5040.0), t2, pair(1.0 / 24.0, 1.0 / 120.0));
    const __m256d q2 = _mm256_fmadd_pd(pair(1.0 / 3628800.0, 1.0 / 39916800.0), t2,
                                       pair(1.0 / 40320.0, 1.0 / 362880.0));
    const __m256d q3 = pair(1.0 / 479001600.0, 1.0 / 6227020800.0);
    const __m256d t8 = _mm256_mul_pd(t4, t4);
    const __m256d e = _mm256_fmadd_pd(_mm256_fmadd_pd(q3, t4, q2), t8, _mm256_fmadd_pd(q1, t4, q0));
    auto power = [](__m256d k) {
        const __m256i bits =
            _mm256_slli_epi64(_mm256_add_epi64(_mm256_cvtepi32_epi64(_mm256_cvtpd_epi32(k)),
                                               _mm256_set1_epi64x(1023)),
                              52);
        return _mm256_castsi256_pd(bits);
    };
    // 2^n: n + 1023 in the exponent field. Every level a speaker can have keeps |n| <= 1022;
    // beyond, in two halves so that |n| up to 2044 stays normal. A not-a-number x has made e
    // one already, whatever the power.
    const __m256d magnitude = _mm256_andnot_pd(_mm256_set1_pd(-0.0), n);
    if (!_mm256_movemask_pd(_mm256_cmp_pd(magnitude, _mm256_set1_pd(1022.0), _CMP_GT_OQ)))
        return _mm256_mul_pd(e, power(n));
    const __m256d clamped =
        _mm256_min_pd(_mm256_max_pd(n, _mm256_set1_pd(-2044.0)), _mm256_set1_pd(2046.0));
    const __m256d half = _mm256_round_pd(_mm256_mul_pd(clamped, _mm256_set1_pd(0.5)),
                                         _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
    return _mm256_mul_pd(_mm256_mul_pd(e, power(half)), power(_mm256_sub_pd(clamped, half)));
}

} // namespace

// The corner sums with fused multiply-adds, exp, sine and cosine and the gain of the pass in one
// factor differ from the scalar path by a few ulps.
void AddPass(const CPassKernel& k, const double* frequencies, int padded, double* re, double* im) {
    const __m256d lnScale = _mm256_set1_pd(kLn10Over20);
    // The reference pressure, distance law and element scale in one factor.
    const __m256d gain = _mm256_set1_pd(kReferencePressure * k.ref / k.r * k.scale);
    const __m256d delay = _mm256_set1_pd(k.delay), full = _mm256_set1_pd(360.0);
    const __m256d half = _mm256_set1_pd(k.reverse ? 180.0 : 0.0);
    const __m256d wA = _mm256_set1_pd(k.weight[0]), wB = _mm256_set1_pd(k.weight[1]),
                  wC = _mm256_set1_pd(k.weight[2]), wD = _mm256_set1_pd(k.weight[3]);
    // In locals: the sums' stores could otherwise reach the kernel for all the compiler knows.
    const double *levelA = k.level[0], *levelB = k.level[1], *levelC = k.level[2],
                 *levelD = k.level[3];
    const double *phaseA = k.phase[0], *phaseB = k.phase[1], *phaseC = k.phase[2],
                 *phaseD = k.phase[3];
    const bool exact = k.exact, reverse = k.reverse;
    for (int j = 0; j < padded; j += kKernelLanes) {
        __m256d L, P0;
        if (exact) {
            L = _mm256_loadu_pd(levelA + j);
            P0 = _mm256_loadu_pd(phaseA + j);
        } else {
            L = _mm256_mul_pd(wA, _mm256_loadu_pd(levelA + j));
            L = _mm256_fmadd_pd(wB, _mm256_loadu_pd(levelB + j), L);
            L = _mm256_fmadd_pd(wC, _mm256_loadu_pd(levelC + j), L);
            L = _mm256_fmadd_pd(wD, _mm256_loadu_pd(levelD + j), L);
            P0 = _mm256_mul_pd(wA, _mm256_loadu_pd(phaseA + j));
            P0 = _mm256_fmadd_pd(wB, _mm256_loadu_pd(phaseB + j), P0);
            P0 = _mm256_fmadd_pd(wC, _mm256_loadu_pd(phaseC + j), P0);
            P0 = _mm256_fmadd_pd(wD, _mm256_loadu_pd(phaseD + j), P0);
        }
        const __m256d cycles = _mm256_mul_pd(delay, _mm256_loadu_pd(frequencies + j));
        const __m256d fraction = _mm256_sub_pd(cycles, _mm256_floor_pd(cycles));
        __m256d P = _mm256_sub_pd(P0, _mm256_mul_pd(fraction, full));
        if (reverse)
            P = _mm256_add_pd(P, half);
        const __m256d m = _mm256_mul_pd(Exp(_mm256_mul_pd(L, lnScale)), gain);
        __m256d sine, cosine;
        SinCosDegrees(P, sine, cosine);
        const __m256d x = _mm256_mul_pd(m, cosine);
        const __m256d y = _mm256_mul_pd(m, sine);
        _mm256_storeu_pd(re + j, _mm256_add_pd(_mm256_loadu_pd(re + j), x));
        _mm256_storeu_pd(im + j, _mm256_add_pd(_mm256_loadu_pd(im + j), y));
    }
}

namespace {
constexpr double kGridToleranceAvx2 = 0.00001;

// acos of four values in [-1, 1], within about an ulp of the C library's. Through
// asin: acos x = pi/2 - asin x for |x| <= 1/2, else 2 asin sqrt((1 - |x|) / 2), turned round
// for negative x; asin s = s + s z R(z) with z = s^2 <= 1/4, where R is a polynomial of degree 13
// within 1e-18 of (asin s - s) / (s z). pi/2 is carried in two parts.
inline __m256d Acos(__m256d x) {
    constexpr double kPiHigh = 3.14159265358979311600e+00, kHalfPiHigh = 1.57079632679489655800e+00;
    constexpr double kHalfPiLow = 6.12323399573676603587e-17;
    const __m256d half = _mm256_set1_pd(0.5);
    const __m256d a = _mm256_andnot_pd(_mm256_set1_pd(-0.0), x);
    const __m256d large = _mm256_cmp_pd(a, half, _CMP_GT_OQ);
    const __m256d zLarge = _mm256_mul_pd(_mm256_sub_pd(_mm256_set1_pd(1.0), a), half);
    const __m256d z = _mm256_blendv_pd(_mm256_mul_pd(x, x), zLarge, large);
    auto pair = [&](double c0, double c1) {
        return _mm256_fmadd_pd(_mm256_set1_pd(c1), z, _mm256_set1_pd(c0));
    };
    const __m256d z2 = _mm256_mul_pd(z, z), z4 = _mm256_mul_pd(z2, z2);
    const __m256d z8 = _mm256_mul_pd(z4, z4);
    const __m256d q0 = _mm256_fmadd_pd(pair(0.044642857142551895, 0.03038194447553234), z2,
                                       pair(0.16666666666666666, 0.07500000000000118));
    const __m256d q1 = _mm256_fmadd_pd(pair(0.01396378001220357, 0.011566459612121669), z2,
                                       pair(0.02237215744350722, 0.017352816540325496));
    const __m256d q2 = _mm256_fmadd_pd(pair(0.0030448799094556773, 0.019554513336123378), z2,
                                       pair(0.009621842970100282, 0.009319560794767446));
    const __m256d q3 = pair(-0.01924167174674304, 0.02961201126495512);
    const __m256d R = _mm256_fmadd_pd(_mm256_fmadd_pd(q3, z4, q2), z8, _mm256_fmadd_pd(q1, z4, q0));
    const __m256d zR = _mm256_mul_pd(z, R);
    const __m256d halfPiLow = _mm256_set1_pd(kHalfPiLow);
    // |x| <= 1/2: pi/2 - (x + x z R)
    const __m256d small =
        _mm256_sub_pd(_mm256_set1_pd(kHalfPiHigh),
                      _mm256_sub_pd(x, _mm256_sub_pd(halfPiLow, _mm256_mul_pd(x, zR))));
    // |x| > 1/2: 2 (s + s z R), or pi less that for negative x.
    const __m256d root = _mm256_sqrt_pd(zLarge);
    const __m256d w = _mm256_mul_pd(root, zR);
    const __m256d two = _mm256_set1_pd(2.0);
    const __m256d positive = _mm256_mul_pd(two, _mm256_add_pd(root, w));
    const __m256d negative =
        _mm256_sub_pd(_mm256_set1_pd(kPiHigh),
                      _mm256_mul_pd(two, _mm256_add_pd(root, _mm256_sub_pd(w, halfPiLow))));
    const __m256d turned =
        _mm256_blendv_pd(positive, negative, _mm256_cmp_pd(x, _mm256_setzero_pd(), _CMP_LT_OQ));
    return _mm256_blendv_pd(small, turned, large);
}

// atan2 of four pairs, within about two ulps of the C library's, with its signed zeros: the
// ratio a of the smaller to the larger magnitude, past tan(pi/8) turned by pi/4 through
// (a - 1) / (a + 1), so t = a or (a - 1) / (a + 1) has t^2 < 0.172 and atan t = t + t z P(z) with
// z = t^2, P a polynomial of degree 10 within 4e-17 of (atan t - t) / (t z). Then the octant:
// pi/2 less it where |y| > |x|, pi less that where x has its sign bit set, y's sign.
inline __m256d Atan2(__m256d y, __m256d x) {
    const __m256d sign = _mm256_set1_pd(-0.0);
    const __m256d ax = _mm256_andnot_pd(sign, x), ay = _mm256_andnot_pd(sign, y);
    const __m256d smaller = _mm256_min_pd(ax, ay), larger = _mm256_max_pd(ax, ay);
    // Past tan(pi/8) the ratio a = smaller / larger turns into (a - 1) / (a + 1), taken from
    // the magnitudes in one division.
    const __m256d beyond = _mm256_cmp_pd(
        smaller, _mm256_mul_pd(_mm256_set1_pd(0.41421356237309503), larger), _CMP_GT_OQ);
    __m256d t = _mm256_div_pd(_mm256_blendv_pd(smaller, _mm256_sub_pd(smaller, larger), beyond),
                              _mm256_blendv_pd(larger, _mm256_add_pd(smaller, larger), beyond));
    // Both zero: the angle 0 before the octant turns.
    t = _mm256_andnot_pd(_mm256_cmp_pd(larger, _mm256_setzero_pd(), _CMP_EQ_OQ), t);
    const __m256d z = _mm256_mul_pd(t, t);
    auto pair = [&](double c0, double c1) {
        return _mm256_fmadd_pd(_mm256_set1_pd(c1), z, _mm256_set1_pd(c0));
    };
    const __m256d z2 = _mm256_mul_pd(z, z), z4 = _mm256_mul_pd(z2, z2);
    const __m256d z8 = _mm256_mul_pd(z4, z4);
    const __m256d q0 = _mm256_fmadd_pd(pair(-0.14285714284666542, 0.11111111015256292), z2,
                                       pair(-0.3333333333333333, 0.1999999999999552));
    const __m256d q1 = _mm256_fmadd_pd(pair(-0.0666451144646022, 0.05858148904795124), z2,
                                       pair(-0.09090904578121085, 0.07692183190760651));
    const __m256d q2 = _mm256_fmadd_pd(_mm256_set1_pd(-0.01917688563658905), z2,
                                       pair(-0.050854496960392584, 0.039231657085083686));
    const __m256d P = _mm256_fmadd_pd(q2, z8, _mm256_fmadd_pd(q1, z4, q0));
    const __m256d quarterHigh = _mm256_and_pd(beyond, _mm256_set1_pd(7.85398163397448278999e-01));
    const __m256d quarterLow = _mm256_and_pd(beyond, _mm256_set1_pd(3.06161699786838301793e-17));
    __m256d angle = _mm256_add_pd(
        quarterHigh,
        _mm256_add_pd(t, _mm256_add_pd(_mm256_mul_pd(t, _mm256_mul_pd(z, P)), quarterLow)));
    const __m256d halfPi =
        _mm256_sub_pd(_mm256_set1_pd(1.57079632679489655800e+00),
                      _mm256_sub_pd(angle, _mm256_set1_pd(6.12323399573676603587e-17)));
    angle = _mm256_blendv_pd(angle, halfPi, _mm256_cmp_pd(ay, ax, _CMP_GT_OQ));
    const __m256d pi =
        _mm256_sub_pd(_mm256_set1_pd(3.14159265358979311600e+00),
                      _mm256_sub_pd(angle, _mm256_set1_pd(1.22464679914735317720e-16)));
    angle = _mm256_blendv_pd(angle, pi, x); // by x's sign bit, so -0 counts as negative
    return _mm256_or_pd(angle, _mm256_and_pd(y, sign));
}
constexpr double kDirectionToleranceAvx2 = 1e-6;

// grid[i] of four indices. The masked form, since g++ 12 takes the plain one's undefined start
// value for an uninitialised variable.
inline __m256d Gather(const double* grid, __m128i i) {
    const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
    return _mm256_mask_i32gather_pd(_mm256_setzero_pd(), grid, i, all, 8);
}

struct Brackets {
    __m256d lo, hi; // cell indices
    __m256d exact;  // mask
};

// EvenBracket of four values.
inline Brackets EvenBrackets(const double* grid, int count, double perStep, double exactStep,
                             __m256d x) {
    const __m256d zero = _mm256_setzero_pd(), one = _mm256_set1_pd(1.0);
    const __m256d last = _mm256_set1_pd(static_cast<double>(count - 1));
    __m256d e = _mm256_round_pd(
        _mm256_mul_pd(_mm256_sub_pd(x, _mm256_set1_pd(grid[0])), _mm256_set1_pd(perStep)),
        _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    // min and max give their second operand for not-a-number, so e stays on the grid.
    e = _mm256_max_pd(_mm256_min_pd(e, last), zero);
    // A grid of exactly first + i * step needs no look-up.
    const __m256d g = exactStep > 0.0 ? _mm256_add_pd(_mm256_set1_pd(grid[0]),
                                                      _mm256_mul_pd(e, _mm256_set1_pd(exactStep)))
                                      : Gather(grid, _mm256_cvtpd_epi32(e));
    const __m256d tolerance = _mm256_set1_pd(kGridToleranceAvx2);
    const __m256d exact = _mm256_and_pd(_mm256_cmp_pd(_mm256_sub_pd(g, tolerance), x, _CMP_LT_OQ),
                                        _mm256_cmp_pd(x, _mm256_add_pd(g, tolerance), _CMP_LT_OQ));
    const __m256d lo = _mm256_sub_pd(e, _mm256_and_pd(_mm256_cmp_pd(x, g, _CMP_LT_OQ), one));
    const __m256d hi = _mm256_add_pd(lo, one);
    const __m256d inside = _mm256_and_pd(
        _mm256_and_pd(_mm256_cmp_pd(lo, zero, _CMP_GE_OQ), _mm256_cmp_pd(hi, last, _CMP_LE_OQ)),
        _mm256_cmp_pd(x, x, _CMP_ORD_Q));
    return {_mm256_blendv_pd(_mm256_and_pd(lo, inside), e, exact),
            _mm256_blendv_pd(_mm256_and_pd(hi, inside), e, exact), exact};
}

inline __m128i Cells(__m256d phiIndex, __m256d thetaIndex, __m128i thetaCount) {
    return _mm_add_epi32(_mm_mullo_epi32(_mm256_cvtpd_epi32(phiIndex), thetaCount),
                         _mm256_cvtpd_epi32(thetaIndex));
}

// CornerDistance of four directions from four targets.
inline __m256d Distance(__m256d dx, __m256d y, __m256d z, __m256d ty, __m256d tz) {
    const __m256d dy = _mm256_sub_pd(y, ty), dz = _mm256_sub_pd(z, tz);
    const __m256d d = _mm256_sqrt_pd(_mm256_add_pd(
        _mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy)), _mm256_mul_pd(dz, dz)));
    // Below the tolerance: the same direction (not-a-number stays so).
    return _mm256_blendv_pd(d, _mm256_setzero_pd(),
                            _mm256_cmp_pd(d, _mm256_set1_pd(kDirectionToleranceAvx2), _CMP_LT_OQ));
}
} // namespace

void Arccosines(const double* x, double* out) {
    _mm256_storeu_pd(out, Acos(_mm256_loadu_pd(x)));
}

void Arctangents(const double* y, const double* x, double* out) {
    _mm256_storeu_pd(out, Atan2(_mm256_loadu_pd(y), _mm256_loadu_pd(x)));
}

// LocateLane of four lanes, the same operations in the same order; acos and atan2 are the
// engine's own.
void LocatePass(const CPassFrame& f, const CBalloonGrid& g, const double* px, const double* py,
                const double* pz, CPassLanes& out) {
    const __m256d zero = _mm256_setzero_pd(), one = _mm256_set1_pd(1.0);
    const __m256d vx = _mm256_sub_pd(_mm256_loadu_pd(px), _mm256_set1_pd(f.source[0]));
    const __m256d vy = _mm256_sub_pd(_mm256_loadu_pd(py), _mm256_set1_pd(f.source[1]));
    const __m256d vz = _mm256_sub_pd(_mm256_loadu_pd(pz), _mm256_set1_pd(f.source[2]));
    auto column = [&](int j) {
        return _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(f.rotation[0][j]), vx),
                                           _mm256_mul_pd(_mm256_set1_pd(f.rotation[1][j]), vy)),
                             _mm256_mul_pd(_mm256_set1_pd(f.rotation[2][j]), vz));
    };
    __m256d dx = column(0), dy = column(1), dz = column(2);
    const __m256d r = _mm256_sqrt_pd(_mm256_add_pd(
        _mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy)), _mm256_mul_pd(dz, dz)));
    _mm256_storeu_pd(out.r, r);
    // A lane at the source looks along the axis instead; its caller takes the sentinel.
    const __m256d atSource = _mm256_cmp_pd(r, zero, _CMP_EQ_OQ);
    dx = _mm256_blendv_pd(dx, one, atSource);
    dy = _mm256_blendv_pd(dy, zero, atSource);
    dz = _mm256_blendv_pd(dz, zero, atSource);
    const __m256d rs = _mm256_blendv_pd(r, one, atSource);
    const __m256d perR = _mm256_div_pd(one, rs);
    const __m256d tx = _mm256_mul_pd(dx, perR), ty = _mm256_mul_pd(dy, perR);
    __m256d tz = _mm256_mul_pd(dz, perR);
    if (f.image)
        tz = _mm256_xor_pd(tz, _mm256_set1_pd(-0.0));
    const __m256d degrees = _mm256_set1_pd(180.0 / kPiAvx2);
    // max and min with the bound first keep not-a-number, as std::clamp does. The cosine is
    // divided as BalloonAngles divides it: near the axis acos magnifies its last bit.
    // dx / r to the bit from the reciprocal without a second division: q = dx (1/r) is within
    // an ulp, dx - q r is exact with a fused multiply-add, and q + (dx - q r) / r rounds as the
    // quotient does (Markstein).
    const __m256d q = _mm256_mul_pd(dx, perR);
    const __m256d quotient = _mm256_fmadd_pd(_mm256_fnmadd_pd(q, rs, dx), perR, q);
    const __m256d c =
        _mm256_min_pd(_mm256_set1_pd(1.0), _mm256_max_pd(_mm256_set1_pd(-1.0), quotient));
    const __m256d theta = _mm256_mul_pd(Acos(c), degrees);
    _mm256_storeu_pd(out.theta, theta);
    __m256d p = Atan2(dz, dy);
    p = _mm256_blendv_pd(p, _mm256_add_pd(p, _mm256_set1_pd(2.0 * kPiAvx2)),
                         _mm256_cmp_pd(p, zero, _CMP_LT_OQ));
    __m256d phi = _mm256_mul_pd(p, degrees);
    if (f.image)
        phi = _mm256_sub_pd(_mm256_set1_pd(360.0), phi);
    _mm256_storeu_pd(out.phi, phi);

    const Brackets th =
        EvenBrackets(g.theta, g.thetaCount, g.thetaPerStep, g.thetaExactStep, theta);
    const Brackets ph = EvenBrackets(g.phi, g.phiCount, g.phiPerStep, g.phiExactStep, phi);
    const __m128i T = _mm_set1_epi32(g.thetaCount);
    const __m128i cA = Cells(ph.lo, th.lo, T), cB = Cells(ph.hi, th.lo, T);
    const __m128i cC = Cells(ph.lo, th.hi, T), cD = Cells(ph.hi, th.hi, T);
    // The corners' directions from the cosines and sines of their angles, as the table of
    // directions holds them.
    const __m128i tLo = _mm256_cvtpd_epi32(th.lo), tHi = _mm256_cvtpd_epi32(th.hi);
    const __m128i pLo = _mm256_cvtpd_epi32(ph.lo), pHi = _mm256_cvtpd_epi32(ph.hi);
    const __m256d sinLo = Gather(g.thetaSin, tLo), sinHi = Gather(g.thetaSin, tHi);
    const __m256d cosPhiLo = Gather(g.phiCos, pLo), sinPhiLo = Gather(g.phiSin, pLo);
    const __m256d cosPhiHi = Gather(g.phiCos, pHi), sinPhiHi = Gather(g.phiSin, pHi);
    const __m256d xLo = _mm256_sub_pd(Gather(g.thetaCos, tLo), tx);
    const __m256d xHi = _mm256_sub_pd(Gather(g.thetaCos, tHi), tx);
    const __m256d dA =
        Distance(xLo, _mm256_mul_pd(sinLo, cosPhiLo), _mm256_mul_pd(sinLo, sinPhiLo), ty, tz);
    const __m256d dB =
        Distance(xLo, _mm256_mul_pd(sinLo, cosPhiHi), _mm256_mul_pd(sinLo, sinPhiHi), ty, tz);
    const __m256d dC =
        Distance(xHi, _mm256_mul_pd(sinHi, cosPhiLo), _mm256_mul_pd(sinHi, sinPhiLo), ty, tz);
    const __m256d dD =
        Distance(xHi, _mm256_mul_pd(sinHi, cosPhiHi), _mm256_mul_pd(sinHi, sinPhiHi), ty, tz);
    const __m256d ab = _mm256_mul_pd(dA, dB), cd = _mm256_mul_pd(dC, dD);
    const __m256d w[4] = {_mm256_mul_pd(dB, cd), _mm256_mul_pd(dA, cd), _mm256_mul_pd(ab, dD),
                          _mm256_mul_pd(ab, dC)};
    const __m256d perSum =
        _mm256_div_pd(one, _mm256_add_pd(_mm256_add_pd(_mm256_add_pd(w[0], w[1]), w[2]), w[3]));
    for (int corner = 0; corner < 4; ++corner)
        _mm256_storeu_pd(out.weight[corner], _mm256_mul_pd(w[corner], perSum));
    const __m128i* cells[4] = {&cA, &cB, &cC, &cD};
    for (int corner = 0; corner < 4; ++corner)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out.cells[corner]), *cells[corner]);

    // Which lanes take one cell as it is: both angles on the grid, or a corner the target sits
    // on (A, then C, B and D).
    const int both = _mm256_movemask_pd(_mm256_and_pd(th.exact, ph.exact));
    const int on[4] = {_mm256_movemask_pd(_mm256_cmp_pd(dA, zero, _CMP_EQ_OQ)),
                       _mm256_movemask_pd(_mm256_cmp_pd(dB, zero, _CMP_EQ_OQ)),
                       _mm256_movemask_pd(_mm256_cmp_pd(dC, zero, _CMP_EQ_OQ)),
                       _mm256_movemask_pd(_mm256_cmp_pd(dD, zero, _CMP_EQ_OQ))};
    const int atSourceMask = _mm256_movemask_pd(atSource);
    for (int lane = 0; lane < kKernelLanes; ++lane) {
        const int bit = 1 << lane;
        out.nextPhi[lane] = out.cells[1][lane] != out.cells[0][lane];
        out.nextTheta[lane] = out.cells[2][lane] != out.cells[0][lane];
        bool exact = (both & bit) != 0;
        if (atSourceMask & bit) {
            exact = true;
            out.nextPhi[lane] = out.nextTheta[lane] = false;
            for (int corner = 0; corner < 4; ++corner)
                out.cells[corner][lane] = 0;
        }
        static constexpr int kOrder[4] = {0, 2, 1, 3};
        if (!exact)
            for (int corner : kOrder)
                if (on[corner] & bit) {
                    out.cells[0][lane] = out.cells[corner][lane];
                    exact = true;
                    break;
                }
        out.exact[lane] = exact;
    }
}

#if defined(DAXARA_HAVE_MVEC_TRIG)
// Level and Phase of four values per step; returns how many were done.
int LevelsAndPhases(const CSPComplex* values, int count, double* level, double* phase) {
    static_assert(sizeof(CSPComplex) == 2 * sizeof(double));
    const double* v = &values[0].re;
    const __m256d p0 = _mm256_set1_pd(kReferencePressure), twenty = _mm256_set1_pd(20.0);
    const __m256d pi = _mm256_set1_pd(kPiAvx2), degrees = _mm256_set1_pd(180.0);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m256d a = _mm256_loadu_pd(v + 2 * i), b = _mm256_loadu_pd(v + 2 * i + 4);
        // (re0 im0 re1 im1), (re2 im2 re3 im3) to (re0 re1 re2 re3) and (im0 im1 im2 im3)
        const __m256d re = _mm256_permute4x64_pd(_mm256_unpacklo_pd(a, b), 0xD8);
        const __m256d im = _mm256_permute4x64_pd(_mm256_unpackhi_pd(a, b), 0xD8);
        const __m256d magnitude =
            _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(re, re), _mm256_mul_pd(im, im)));
        const __m256d L = _mm256_mul_pd(twenty, _ZGVdN4v_log10(_mm256_div_pd(magnitude, p0)));
        const __m256d zero = _mm256_cmp_pd(re, _mm256_setzero_pd(), _CMP_EQ_OQ);
        _mm256_storeu_pd(level + i, _mm256_blendv_pd(L, _mm256_setzero_pd(), zero));
        _mm256_storeu_pd(phase + i,
                         _mm256_div_pd(_mm256_mul_pd(_ZGVdN4vv_atan2(im, re), degrees), pi));
    }
    return i;
}
#endif
} // namespace avx2
#endif
