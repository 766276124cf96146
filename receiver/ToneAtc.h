#pragma once

namespace morvane {

/// Threshold correction for selective fading: each tone's envelope (while it
/// is keyed on) and noise floor (while it is off) are followed on their own,
/// and once one tone stands clearly lower than the other the decision weighs
/// each by how far its envelope stands above its floor, so a faded tone
/// counts for less and the other carries the bit (diversity between the
/// tones); tones about even are compared as they are. Positive values mean
/// tone 1.
class ToneAtc {
public:
    /// bitLength: sub-blocks per bit (≥ 1); the envelopes follow over a few
    /// bits. evenRatio: how far apart (≥ 1) the tones' envelopes above their
    /// floors must be to be weighed in full; nearer, the decision leans toward
    /// the plain difference in proportion (1: always weighed).
    explicit ToneAtc(double bitLength, double evenRatio = 1.0);
    /// Starts the envelopes and floors at values seen on the signal.
    void Start(double envelope1, double floor1, double envelope2, double floor2);
    /// Takes the two filter magnitudes of one sub-block; returns the
    /// decision value, about +1 for a clean tone 1 and -1 for a clean tone 2.
    double Push(double m1, double m2);
    /// The tones over their noise floors (dB): about 3 … 6 for noise alone.
    double SnrDb() const;
    /// True while tone 1 (or 2) stands clearly above its floor now.
    bool On1(double m1) const { return m1 > 0.5 * (m_env1 + m_floor1); }
    bool On2(double m2) const { return m2 > 0.5 * (m_env2 + m_floor2); }

private:
    double m_attack, m_decay, m_floorRate, m_evenRatio;
    double m_env1 = 0.0, m_floor1 = 0.0, m_env2 = 0.0, m_floor2 = 0.0;
};

}  // namespace morvane
