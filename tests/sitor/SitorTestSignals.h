#pragma once
#include "synth/RttySynth.h"

namespace morvane::sitortest {

/// Plain 100-baud Baudot (one stop bit) on the SITOR-B tones 1615/1785 Hz,
/// clean: what a SITOR-B reading must not lock on.
inline RttySynthSettings BaudotOnSitorTones() {
    RttySynthSettings b;
    b.markHz = 1785.0;
    b.spaceHz = 1615.0;
    b.baud = 100.0;
    b.stopBits = 1.0;
    b.snrDb = 20.0;
    return b;
}

}  // namespace morvane::sitortest
