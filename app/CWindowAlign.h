#pragma once
#include <QString>
#include <functional>
#include <string>

#include "align/AlignSession.h"

class CParameterPanel;
class CRasterDisplay;
class CSettingsStore;
class CStatusLine;

namespace morvane {
class ProcessingLoop;
}

/// "Align" in the main window: the session that decides it, working on the
/// window's processing loop, fields, raster, stored Bits extract options and
/// status line. A recording is read again through `readAgain` (the window's
/// OpenRecording, which tells the session what it opened).
class CWindowAlign : public morvane::AlignHost {
public:
    CWindowAlign(morvane::ProcessingLoop& loop, CParameterPanel& panel, CRasterDisplay& raster,
                 CSettingsStore& store, CStatusLine& status, std::function<void(const QString&)> readAgain);

    morvane::AlignSession& Session() { return m_session; }
    /// What the stream was made from, as Align names it.
    QString SourceName() const { return QString::fromStdString(m_session.SourceName()); }

    bool Reading() const override;
    morvane::AlignOutcome Measure(const std::string& source) override;
    void SetTones(std::int32_t lowHz, std::int32_t highHz) override;
    void ReadAgain(const std::string& path) override;
    morvane::ShownBits ApplyFound(const morvane::AlignOutcome& found) override;
    void ChooseSoft(bool soft) override;
    void Notice(const std::string& text) override;

private:
    morvane::ProcessingLoop& m_loop;
    CParameterPanel& m_panel;
    CRasterDisplay& m_raster;
    CSettingsStore& m_store;
    CStatusLine& m_status;
    std::function<void(const QString&)> m_readAgain;
    morvane::AlignSession m_session{*this};
};
