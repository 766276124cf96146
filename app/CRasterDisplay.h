#pragma once
#include <cstdint>
#include <QString>

#include "align/ShownRaster.h"
#include "raster/RasterModel.h"
#include "raster/RasterParams.h"

class CParameterPanel;
class CResultsView;

namespace morvane {
struct LevelStream;
}

/// What the results view shows: the level stream laid out by the raster
/// parameters in use (taken from the fields when the window redraws, with
/// "Show grid" and the contrast mode beside them), as it is or with
/// "Time-true raster" on, its rows placed on the sound's time line; with
/// "Follow newest rows" on, Offset moves by whole rows so the newest rows show.
class CRasterDisplay {
public:
    /// stream: the processing loop's; view and panel: the window's. All outlive the display.
    CRasterDisplay(const morvane::LevelStream& stream, CResultsView& view, CParameterPanel& panel);

    const morvane::RasterParams& Params() const { return m_params; }
    /// Takes the raster fields into the parameters in use.
    void TakeFields();
    /// Draws the shown raster at once.
    void Draw();
    /// Show: with levels, takes the fields and draws; without, changes nothing.
    void Show();
    /// During a capture: takes the fields and follows the newest rows;
    /// draws when `draw`.
    void Update(bool draw);

    /// The wheel over the raster: Offset moves by `rows` whole rows (Count
    /// levels each, never below 0), then Show.
    void ScrollRows(int rows);
    /// "Show grid"; draws at once unless `draw` is false.
    void SetShowGrid(bool on, bool draw = true);
    /// "Contrast": the next of the three contrast modes.
    void NextContrast();
    /// The contrast mode (0 … 2; others read as 0), without drawing.
    void SetContrast(std::int32_t mode) { m_params.contrastMode = mode >= 0 && mode <= 2 ? mode : 0; }
    std::int32_t Contrast() const { return m_params.contrastMode; }
    void SetTimeTrue(bool on);
    void SetFollowNewest(bool on);
    bool FollowNewest() const { return m_followNewest; }

    /// The bits "Extract bits" opens, from the shown raster (see ExtractShownBits).
    morvane::ShownBits Bits() const;
    /// Writes the plain raster, at the view's size, as a PNG file. Returns
    /// false with the reason in `error`.
    bool SavePicture(const QString& path, QString& error);

private:
    void ApplyFollowNewest();

    const morvane::LevelStream& m_stream;
    CResultsView& m_view;
    CParameterPanel& m_panel;
    morvane::RasterParams m_params;
    morvane::RasterModel m_timeTrueRaster;  // rebuilt for every drawing while m_timeTrue
    bool m_timeTrue = false;                // off at every start
    bool m_followNewest = false;
};
