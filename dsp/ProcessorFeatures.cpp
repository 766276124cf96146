#include "dsp/ProcessorFeatures.h"

#include <cpuid.h>

namespace morvane::demod {

namespace {

// F16C is not among the names every compiler's __builtin_cpu_supports
// knows, so it is read from CPUID leaf 1 (ECX bit 29) directly.
bool CpuidHasF16c() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return false;
    return (ecx & (1u << 29)) != 0;
}

struct Features {
    bool avx = false, avx2 = false, avx512f = false, f16c = false;
};

// Asked once. __builtin_cpu_supports counts AVX only where the operating
// system saves the wide registers.
const Features& Detected() {
    static const Features features = [] {
        __builtin_cpu_init();
        Features f;
        f.avx = __builtin_cpu_supports("avx") != 0;
        f.avx2 = __builtin_cpu_supports("avx2") != 0;
        f.avx512f = __builtin_cpu_supports("avx512f") != 0;
        f.f16c = f.avx && CpuidHasF16c();
        return f;
    }();
    return features;
}

}  // namespace

bool HasAvx() { return Detected().avx; }
bool HasAvx2() { return Detected().avx2; }
bool HasAvx512f() { return Detected().avx512f; }
bool HasF16c() { return Detected().f16c; }

}  // namespace morvane::demod
