#pragma once
#include <complex>
#include <cstddef>
#include <vector>

namespace morvane {

/// One signal's band cut out of the sound and moved down to a low rate, so
/// its receiver runs on a few samples a second: the analytic band about the
/// two tones (a complex band-pass, a Blackman-windowed sinc), sampled at
/// 2 400 per second (4 800 for shifts over 500 Hz), moved so that the
/// tones' middle lies at a quarter of that rate, its real part given out.
/// The filter's two parts are dot products as FirDot takes them.
class ToneBand {
public:
    /// sampleRate: the input's, a whole multiple of the output rate;
    /// 0 < lowHz < highHz < sampleRate / 2. Throws std::invalid_argument otherwise.
    ToneBand(double sampleRate, double lowHz, double highHz);
    void Push(const float* samples, std::size_t count, std::vector<float>& out);
    double OutputRate() const { return m_outRate; }
    /// Input samples from one output sample to the next.
    int Factor() const { return m_factor; }
    /// What a tone's frequency in the output adds up to in the input.
    double MovedHz() const { return m_moved; }
    /// Input samples from a sound's arrival to the output that holds it.
    double DelaySamples() const { return static_cast<double>(m_re.size() - 1) / 2.0; }

private:
    double m_rate, m_outRate, m_moved;
    int m_factor;
    int m_phase = 0;
    std::vector<float> m_re, m_im;            // the complex taps' two parts, newest input last
    std::vector<float> m_history;             // twice over, as in Decimator
    std::size_t m_at = 0;
    std::complex<double> m_turn{1.0, 0.0}, m_step{1.0, 0.0};
    long m_outputs = 0;
};

}  // namespace morvane
