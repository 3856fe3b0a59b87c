#include "core/simd.h"

namespace tarnel {

namespace {

bool detectAvx2() {
#if defined(TARNEL_SIMD_AVX2) && (defined(__GNUC__) || defined(__clang__))
    return __builtin_cpu_supports("avx2");
#elif defined(TARNEL_SIMD_AVX2) && defined(_MSC_VER)
    int info[4];
    __cpuid(info, 1);
    const bool osSavesYmm = (info[2] & (1 << 27)) && (_xgetbv(0) & 6) == 6;
    __cpuidex(info, 7, 0);
    return osSavesYmm && (info[1] & (1 << 5));
#else
    return false;
#endif
}

}  // namespace

bool cpuHasAvx2() {
    static const bool has = detectAvx2();
    return has;
}

}  // namespace tarnel
