#pragma once

namespace morvane {

/// The two tones and the reference speed the demodulator measures against.
struct DemodSettings {
    float tone1Hz = 1500.0f;       // levels above 128 mean this tone was stronger
    float tone2Hz = 2000.0f;
    float referenceBaud = 50.0f;   // fixed: twelve windows per symbol at 50 baud
};

}  // namespace morvane
