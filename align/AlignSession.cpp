#include "align/AlignSession.h"

namespace morvane {

void AlignSession::RecordingOpened(const std::string& path, const std::string& name) {
    m_path = path;
    m_name = path.empty() ? std::string() : name;
    m_waiting = false;
}

void AlignSession::Ask() {
    m_note.clear();
    Run(true);
}

void AlignSession::ReadingFinished(bool stopped) {
    if (!m_waiting) return;
    m_waiting = false;
    if (stopped)
        m_note.clear();
    else
        Run(false);
}

void AlignSession::Run(bool mayReadAgain) {
    if (m_host.Reading()) {
        // Measured once everything is in.
        m_waiting = true;
        m_host.Notice("Align: once " + SourceName() + " has been read");
        return;
    }
    // Tones first: levels demodulated against tones far from the sender's
    // cannot show its frames.
    const AlignOutcome found = m_host.Measure(SourceName());
    if (found.lowHz && found.highHz) {
        m_host.SetTones(*found.lowHz, *found.highHz);
        if (mayReadAgain && !m_path.empty()) {
            // A recording can be demodulated again with its own tones.
            const std::string note = "Tones set to " + std::to_string(*found.lowHz) + " / " +
                                     std::to_string(*found.highHz) + " Hz from " + SourceName();
            const std::string path = m_path;
            m_host.ReadAgain(path);
            if (m_host.Reading()) {
                m_note = note;
                m_waiting = true;
                m_host.Notice(note + ": reading it again");
                return;
            }
        }
    }
    std::string status = Apply(found);
    // What was found first; how the tones came about after it.
    if (!m_note.empty()) status += "; " + m_note + ", read again";
    m_note.clear();
    m_host.Notice(status);
}

std::string AlignSession::Apply(const AlignOutcome& found) {
    std::string status = found.status;
    const ShownBits bits = m_host.ApplyFound(found);
    if (!found.fields || bits.soft.empty()) return status;
    // Bits extract opens with the reading that frames more characters.
    const bool soft = SoftReadsMore(bits, found.frames);
    m_host.ChooseSoft(soft);
    if (soft) status += ", soft decision";
    return status;
}

}  // namespace morvane
