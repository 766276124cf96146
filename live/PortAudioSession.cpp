#include "live/PortAudioSession.h"

#include <portaudio.h>

#include <mutex>

#ifdef MORVANE_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif
#ifdef MORVANE_HAVE_JACK
#include <jack/jack.h>
#endif

namespace morvane {
namespace {

std::mutex g_paInitLock;  // Pa_Initialize / Pa_Terminate are not thread-safe

#ifdef MORVANE_HAVE_ALSA
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
#endif
#ifdef MORVANE_HAVE_JACK
void QuietJack(const char*) {}
#endif

}  // namespace

PortAudioSession::PortAudioSession() {
    std::lock_guard lock(g_paInitLock);
#ifdef MORVANE_HAVE_ALSA
    snd_lib_error_set_handler(&QuietAlsa);
#endif
#ifdef MORVANE_HAVE_JACK
    // Probing for a JACK server that is not running is no error of ours.
    jack_set_error_function(&QuietJack);
    jack_set_info_function(&QuietJack);
#endif
    const PaError err = Pa_Initialize();
    m_ok = err == paNoError;
    if (!m_ok) m_error = PortAudioErrorText(err);
}

PortAudioSession::~PortAudioSession() {
    if (!m_ok) return;
    std::lock_guard lock(g_paInitLock);
    Pa_Terminate();
}

std::string PortAudioErrorText(int error) {
    if (error == paUnanticipatedHostError) {
        const PaHostErrorInfo* info = Pa_GetLastHostErrorInfo();
        if (info != nullptr && info->errorText != nullptr && info->errorText[0] != '\0') return info->errorText;
    }
    const char* text = Pa_GetErrorText(error);
    return text != nullptr ? text : "unknown PortAudio error";
}

}  // namespace morvane
