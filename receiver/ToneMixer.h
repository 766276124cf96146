#pragma once
#include <complex>
#include <cstddef>

namespace morvane {

/// Mixes one tone down to zero frequency and sums it over sub-blocks of
/// `decimation` samples (a short integrate-and-dump, whose zeros fall on the
/// multiples of the sub-block rate where images would fold onto the tone),
/// so a tone is carried on from there as one complex value per sub-block.
/// Within a sub-block the oscillator is a table of single-precision values
/// (the phase from the sub-block's first sample); from one sub-block to the
/// next it runs on in double precision without phase jumps, also when its
/// frequency changes.
class ToneMixer {
public:
    /// sampleRate: samples per second (> 0); toneHz: 0 … sampleRate / 2;
    /// decimation: samples per sub-block (≥ 1).
    ToneMixer(double sampleRate, double toneHz, int decimation);
    void SetFrequency(double toneHz);
    double Frequency() const { return m_hz; }
    int Decimation() const { return m_decimation; }
    /// The oscillator at each sample k of a sub-block, divided by the
    /// sub-block's length: e^{-j 2π f k / rate} / decimation, k = 0 …
    /// decimation - 1, its real part written to out[k * stride], its
    /// imaginary part to out[k * stride + 1].
    void WriteTaps(float* out, std::size_t stride) const;
    /// True once after every change of frequency (the taps changed).
    bool TakeChanged();
    /// The sub-block's value from its sum over the taps (re, im): turned by
    /// the oscillator's phase at the sub-block's first sample, which then
    /// moves on by one sub-block.
    std::complex<double> Finish(float re, float im);

private:
    double m_rate, m_hz;
    int m_decimation;
    bool m_changed = true;
    std::complex<double> m_phasor{1.0, 0.0}, m_step{1.0, 0.0};
};

}  // namespace morvane
