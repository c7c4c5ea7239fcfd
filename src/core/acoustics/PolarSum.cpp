#include "acoustics/PolarSum.h"

#include <cmath>

#if defined(DAXARA_HAVE_MVEC) && defined(__x86_64__)
#include <immintrin.h>

// The vector ABI passes __m256d in AVX registers, so the declarations carry the target too.
extern "C" __attribute__((target("avx2,fma"))) __m256d _ZGVdN4v_exp(__m256d);
extern "C" __attribute__((target("avx2,fma"))) __m256d _ZGVdN4v_cos(__m256d);
extern "C" __attribute__((target("avx2,fma"))) __m256d _ZGVdN4v_sin(__m256d);

namespace {
bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
}

// The products keep the scalar order: ((exp * 20 uPa) * ref) / r, then * cos, then * scale.
__attribute__((target("avx2,fma"))) int AddPolarAvx2(const double* exponent, const double* angle,
                                                     int n, double ref, double r, double scale,
                                                     CSPComplex* acc) {
    const __m256d p0 = _mm256_set1_pd(kReferencePressure), vref = _mm256_set1_pd(ref),
                  vr = _mm256_set1_pd(r), vs = _mm256_set1_pd(scale);
    alignas(32) double re[4], im[4];
    int j = 0;
    for (; j + 4 <= n; j += 4) {
        const __m256d m = _mm256_div_pd(
            _mm256_mul_pd(_mm256_mul_pd(_ZGVdN4v_exp(_mm256_loadu_pd(exponent + j)), p0), vref),
            vr);
        const __m256d a = _mm256_loadu_pd(angle + j);
        _mm256_store_pd(re, _mm256_mul_pd(_mm256_mul_pd(m, _ZGVdN4v_cos(a)), vs));
        _mm256_store_pd(im, _mm256_mul_pd(_mm256_mul_pd(m, _ZGVdN4v_sin(a)), vs));
        for (int k = 0; k < 4; ++k)
            acc[j + k].Add(re[k], im[k]);
    }
    return j;
}
} // namespace
#endif

void AddPolar(const double* exponent, const double* angle, int n, double ref, double r,
              double scale, CSPComplex* acc) {
    int j = 0;
#if defined(DAXARA_HAVE_MVEC) && defined(__x86_64__)
    if (HasAvx2())
        j = AddPolarAvx2(exponent, angle, n, ref, r, scale, acc);
#endif
    for (; j < n; ++j) {
        const double m = std::exp(exponent[j]) * kReferencePressure * ref / r;
        acc[j].Add(m * std::cos(angle[j]) * scale, m * std::sin(angle[j]) * scale);
    }
}
