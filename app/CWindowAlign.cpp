#include "app/CWindowAlign.h"

#include "app/CBitsExtractDlg.h"
#include "app/CParameterPanel.h"
#include "app/CRasterDisplay.h"
#include "app/CStatusLine.h"
#include "live/ProcessingLoop.h"

CWindowAlign::CWindowAlign(morvane::ProcessingLoop& loop, CParameterPanel& panel, CRasterDisplay& raster,
                           CSettingsStore& store, CStatusLine& status, std::function<void(const QString&)> readAgain)
    : m_loop(loop), m_panel(panel), m_raster(raster), m_store(store), m_status(status), m_readAgain(std::move(readAgain)) {}

bool CWindowAlign::Reading() const { return m_loop.Reading(); }

morvane::AlignOutcome CWindowAlign::Measure(const std::string& source) {
    return morvane::AlignStream(m_loop.Stream(), m_panel.LowHz(), m_panel.HighHz(), m_loop.FindTones(), source);
}

// Both at once; the change hands them to the demodulator.
void CWindowAlign::SetTones(std::int32_t lowHz, std::int32_t highHz) { m_panel.SetTones(lowHz, highHz); }

void CWindowAlign::ReadAgain(const std::string& path) { m_readAgain(QString::fromStdString(path)); }

morvane::ShownBits CWindowAlign::ApplyFound(const morvane::AlignOutcome& found) {
    m_panel.Fill(found);
    if (!found.fields) return {};
    const morvane::FrameAlignment& a = found.frames;
    CBitsExtractDlg::StoreOptions(m_store, a.reverseBits, a.reverseDirection, a.ignore);
    CBitsExtractDlg::StoreCode(m_store, a.code);
    m_raster.TakeFields();
    m_raster.Draw();
    return m_raster.Bits();
}

void CWindowAlign::ChooseSoft(bool soft) { CBitsExtractDlg::StoreSoftDecision(m_store, soft); }

void CWindowAlign::Notice(const std::string& text) { m_status.SetStatus(QString::fromStdString(text), true); }
