#include "app/NoSoundInputs.h"

#include <stdexcept>

std::unique_ptr<morvane::SoundDevice> NoSoundInputs::OpenInput(int, const morvane::CaptureFormat&) {
    throw std::runtime_error("no sound input in this run");
}
