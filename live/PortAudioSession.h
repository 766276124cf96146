#pragma once
#include <string>

namespace morvane {

/// Keeps PortAudio initialised while it lives (initialisation is counted, so
/// sessions may overlap and live on any thread). ALSA's and JACK's own
/// diagnostics on standard error are silenced.
class PortAudioSession {
public:
    PortAudioSession();
    ~PortAudioSession();
    PortAudioSession(const PortAudioSession&) = delete;
    PortAudioSession& operator=(const PortAudioSession&) = delete;

    bool Ok() const { return m_ok; }
    /// PortAudio's reason when initialisation failed.
    const std::string& Error() const { return m_error; }

private:
    bool m_ok = false;
    std::string m_error;
};

/// PortAudio's text for an error code, with the host API's own text when
/// PortAudio reports an unanticipated host error.
std::string PortAudioErrorText(int error);

}  // namespace morvane
