#include "live/SoundPlayer.h"

#include <portaudio.h>
#include <sndfile.h>

#include <filesystem>
#include <vector>

#include "live/PortAudioSession.h"

namespace morvane {
namespace {

void PlayFile(const std::string& path, const std::atomic<bool>& cancel) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) return;
    if (info.channels < 1 || info.channels > 8 || info.samplerate <= 0) {
        sf_close(file);
        return;
    }
    PortAudioSession session;
    PaStream* stream = nullptr;
    if (!session.Ok() ||
        Pa_OpenDefaultStream(&stream, 0, info.channels, paFloat32, info.samplerate, 1024, nullptr, nullptr) != paNoError) {
        sf_close(file);
        return;
    }
    if (Pa_StartStream(stream) == paNoError) {
        std::vector<float> frames(1024 * static_cast<std::size_t>(info.channels));
        while (!cancel) {
            const sf_count_t got = sf_readf_float(file, frames.data(), 1024);
            if (got <= 0) break;
            if (Pa_WriteStream(stream, frames.data(), static_cast<unsigned long>(got)) != paNoError &&
                Pa_IsStreamActive(stream) != 1)
                break;
        }
        if (cancel) Pa_AbortStream(stream); else Pa_StopStream(stream);
    }
    Pa_CloseStream(stream);
    sf_close(file);
}

}  // namespace

SoundPlayer::~SoundPlayer() { StopPlaying(); }

bool SoundPlayer::Play(const std::string& path) {
    StopPlaying();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    m_cancel = false;
    m_worker = std::thread([path, this] { PlayFile(path, m_cancel); });
    return true;
}

void SoundPlayer::StopPlaying() {
    if (!m_worker.joinable()) return;
    m_cancel = true;
    m_worker.join();
}

}  // namespace morvane
