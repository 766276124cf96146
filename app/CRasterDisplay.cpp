#include "app/CRasterDisplay.h"

#include <algorithm>
#include <limits>

#include "app/CParameterPanel.h"
#include "app/RasterPicture.h"
#include "dsp/LevelStream.h"
#include "raster/FollowNewest.h"
#include "widgets/CResultsView.h"

CRasterDisplay::CRasterDisplay(const morvane::LevelStream& stream, CResultsView& view, CParameterPanel& panel)
    : m_stream(stream), m_view(view), m_panel(panel) {
    m_view.SetRaster(&m_stream.levels, &m_params);
}

void CRasterDisplay::TakeFields() { m_panel.ApplyRaster(m_params); }

void CRasterDisplay::Draw() {
    if (morvane::PrepareTimeTrue(m_stream, m_params, m_timeTrue, m_timeTrueRaster))
        m_view.SetModel(&m_timeTrueRaster);
    else
        m_view.SetRaster(&m_stream.levels, &m_params);
    m_view.Draw();
}

void CRasterDisplay::Show() {
    if (m_stream.levels.empty()) return;
    TakeFields();
    Draw();
}

void CRasterDisplay::Update(bool draw) {
    TakeFields();
    ApplyFollowNewest();
    if (draw) Draw();
}

void CRasterDisplay::SetShowGrid(bool on, bool draw) {
    m_params.showGrid = on ? 1 : 0;
    if (draw) Draw();
}

void CRasterDisplay::NextContrast() {
    m_params.contrastMode = (m_params.contrastMode + 1) % 3;
    Draw();
}

void CRasterDisplay::SetTimeTrue(bool on) {
    m_timeTrue = on;
    Draw();
}

void CRasterDisplay::SetFollowNewest(bool on) {
    m_followNewest = on;
    if (on && !m_stream.levels.empty()) {
        TakeFields();
        ApplyFollowNewest();
        m_view.Draw();
    }
}

void CRasterDisplay::ApplyFollowNewest() {
    if (!m_followNewest) return;
    const std::int32_t offset = morvane::FollowNewestOffset(static_cast<std::int64_t>(m_stream.levels.size()),
                                                            m_params, m_view.ClientSize().height());
    if (offset == m_params.offset) return;
    // Offset's field shows the value in use, beyond its arrows' range too.
    m_params.offset = offset;
    m_panel.SetText(CParameterPanel::Field::Offset, QString::number(offset));
}

morvane::ShownBits CRasterDisplay::Bits() const { return morvane::ExtractShownBits(m_stream, m_params, m_timeTrue); }

bool CRasterDisplay::SavePicture(const QString& path, QString& error) {
    if (!m_stream.levels.empty()) TakeFields();
    return SaveRasterPicture(m_stream.levels, m_params, m_view.ClientSize(), path, error);
}

void CRasterDisplay::ScrollRows(int rows) {
    const std::int64_t count = std::max<std::int32_t>(1, m_params.count);
    const std::int64_t offset = std::clamp<std::int64_t>(std::int64_t{m_panel.RasterOffset()} + rows * count, 0,
                                                         std::numeric_limits<std::int32_t>::max());
    m_panel.SetText(CParameterPanel::Field::Offset, QString::number(offset));
    Show();
}
