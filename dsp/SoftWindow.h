#pragma once
#include <complex>
#include <cstdint>

#include "dsp/Half.h"

namespace morvane {

/// The evidence behind one level: the window's correlation with each tone as
/// a complex number (real part the cosine sum, imaginary part minus the sine
/// sum), turned to a phase reference that holds for the whole stream, so that
/// neighbouring windows of one steady tone add up in phase. The squared
/// magnitudes are the tone energies the level is made from. Silent windows
/// hold zeros. 16-bit floats: eight bytes a window.
struct SoftWindow {
    Half re1, im1;  // tone 1 (levels above 128 when it is the stronger)
    Half re2, im2;  // tone 2

    std::complex<double> Tone1() const { return {static_cast<double>(re1), static_cast<double>(im1)}; }
    std::complex<double> Tone2() const { return {static_cast<double>(re2), static_cast<double>(im2)}; }
    double Energy1() const { return std::norm(Tone1()); }
    double Energy2() const { return std::norm(Tone2()); }
};

static_assert(sizeof(SoftWindow) == 8, "a soft window costs at most 8 bytes");

}  // namespace morvane
