// The demodulator's entry points and the one place that picks its kernel.
// The plain arithmetic is in DemodReference.cpp, the vector kernels in one
// file per instruction set (DemodSse2.cpp, DemodAvx2.cpp, DemodAvx512.cpp).
#include "dsp/FskDemodulator.h"

#include <stdexcept>
#include <string>

#include "dsp/DemodCall.h"
#include "dsp/DemodKernels.h"
#include "dsp/ProcessorFeatures.h"

namespace morvane {
namespace {

bool CanRun(DemodKernel kernel) {
    switch (kernel) {
        case DemodKernel::Sse2: return true;  // every x86-64 processor
        case DemodKernel::Avx2: return demod::HasAvx2();
        case DemodKernel::Avx512: return demod::HasAvx512f();
    }
    return false;
}

DemodKernel BestKernel() {
    static const DemodKernel best = CanRun(DemodKernel::Avx512) ? DemodKernel::Avx512
                                    : CanRun(DemodKernel::Avx2) ? DemodKernel::Avx2
                                                                : DemodKernel::Sse2;
    return best;
}

std::int32_t DemodulateFast(DemodKernel kernel, const DemodSettings& settings, const CaptureFormat& format,
                            const std::int16_t* samples, std::int32_t byteCount, std::vector<std::int32_t>& levels,
                            std::vector<SoftWindow>* soft, std::int64_t firstSample = 0) {
    using namespace demod;
    const CallGeometry g = Measure(settings, format, samples, byteCount);
    if (g.windowCount <= 0) return 2 * g.start;
    const References& r = ReferencesFor(g);
    Windows w(g.windowCount);
    switch (kernel) {
        case DemodKernel::Sse2: MeasureSse2(g, samples, r, w); break;
        case DemodKernel::Avx2: MeasureAvx2(g, samples, r, w); break;
        case DemodKernel::Avx512: MeasureAvx512(g, samples, r, w); break;
    }
    AppendLevels(w, g, levels, soft, firstSample);
    return 2 * (g.start + g.windowCount * g.window);
}

}  // namespace

std::int32_t DemodWindow(const DemodSettings& settings, const CaptureFormat& format) {
    const float windowF = static_cast<float>(format.samplesPerSec) / (settings.referenceBaud * kWindowsPerSymbol);
    if (!(windowF >= 1.0f) || !(windowF < 2147483648.0f)) return 0;
    return static_cast<std::int32_t>(windowF);
}

std::vector<DemodKernel> SupportedDemodKernels() {
    std::vector<DemodKernel> kernels;
    for (DemodKernel k : {DemodKernel::Sse2, DemodKernel::Avx2, DemodKernel::Avx512})
        if (CanRun(k)) kernels.push_back(k);
    return kernels;
}

const char* DemodKernelName(DemodKernel kernel) {
    switch (kernel) {
        case DemodKernel::Sse2: return "SSE2";
        case DemodKernel::Avx2: return "AVX2";
        case DemodKernel::Avx512: return "AVX-512";
    }
    return "?";
}

std::int32_t DemodulateWithKernel(DemodKernel kernel, const DemodSettings& settings, const CaptureFormat& format,
                                  const std::int16_t* samples, std::int32_t byteCount,
                                  std::vector<std::int32_t>& levels, std::vector<SoftWindow>* soft) {
    if (!CanRun(kernel))
        throw std::invalid_argument(std::string("this processor cannot run the ") + DemodKernelName(kernel) +
                                    " demodulator kernel");
    return DemodulateFast(kernel, settings, format, samples, byteCount, levels, soft);
}

std::int32_t Demodulate(const DemodSettings& settings, const CaptureFormat& format,
                        const std::int16_t* samples, std::int32_t byteCount,
                        std::vector<std::int32_t>& levels, std::vector<SoftWindow>* soft) {
    return DemodulateFast(BestKernel(), settings, format, samples, byteCount, levels, soft);
}

std::int32_t DemodulateInStream(const DemodSettings& settings, const CaptureFormat& format,
                                const std::int16_t* samples, std::int32_t byteCount,
                                std::vector<std::int32_t>& levels, std::vector<SoftWindow>& soft,
                                std::int64_t firstSample) {
    return DemodulateFast(BestKernel(), settings, format, samples, byteCount, levels, &soft, firstSample);
}

}  // namespace morvane
