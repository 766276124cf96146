#include "dsp/VectorState.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace morvane {

#if defined(__x86_64__) || defined(__i386__)
namespace {

// Compiled for AVX on its own, and only ever called where the processor has it.
__attribute__((target("avx"))) void ZeroUpper() { _mm256_zeroupper(); }

const bool kHasAvx = __builtin_cpu_supports("avx");

}  // namespace

void ClearUpperVectorState() {
    if (kHasAvx) ZeroUpper();
}
#else
void ClearUpperVectorState() {}
#endif

}  // namespace morvane
