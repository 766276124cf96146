#pragma once
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CLiveTextFeed;
class CParameterPanel;
class CReceivePane;
class CTuningPanel;
class CTuningWaterfall;

#include "tuning/ToneFollower.h"
#include "tuning/TuningWaterfall.h"

namespace morvane {
class ProcessingLoop;
class SoundSystem;
}

/// Connects the receive column's tuning controls to the window: their
/// picture after every block, AFC, the centring click, Reverse and the
/// choice of the sound card. Does nothing while the receive pane is hidden
/// (the waterfall's click then sets Low and High in turn).
class CTuningWiring {
public:
    /// cards: the machine's sound inputs (the loop's); arguments: the
    /// program's, whose card switch picks the card at first; cardsUsable:
    /// false when a recording stands in for the card; pick: a click in the
    /// waterfall at a frequency (Hz), as in the panoramic strip. All
    /// references outlive the wiring.
    CTuningWiring(morvane::ProcessingLoop& loop, morvane::SoundSystem& cards, CParameterPanel& fields,
                  CReceivePane& pane, CLiveTextFeed& liveText, std::vector<std::string> arguments, bool cardsUsable,
                  std::function<void(const QString&)> status, std::function<void(int)> pick);

    /// The tuning panel and the waterfall were made: fills the card list and connects them.
    void Made(CTuningPanel& tuning, CTuningWaterfall& fall);
    /// After a Process: the picture, and AFC while capturing.
    void AfterProcess();
    /// The newest block (after the capture's gain) and the strip's transform
    /// of it (`bins` complex bins, or null): the card's input level and,
    /// when shown, the waterfall's new row.
    void BlockArrived(const std::vector<std::int16_t>& block, const float* spectrum, std::int32_t bins);
    /// A click in the waterfall at `hz`: true when it centred both tones.
    bool TonePicked(std::int32_t hz);
    /// The program's arguments as they pick the card now.
    const std::vector<std::string>& Arguments() const { return m_arguments; }

private:
    void ChooseCard(int index);
    void Reverse();
    void ShowWaterfall(CTuningWaterfall& fall, int zoomSteps);

    morvane::ProcessingLoop& m_loop;
    morvane::SoundSystem& m_cards;
    CParameterPanel& m_fields;
    CReceivePane& m_pane;
    CLiveTextFeed& m_liveText;
    std::vector<std::string> m_arguments;
    bool m_cardsUsable;
    std::function<void(const QString&)> m_status;
    std::function<void(int)> m_pick;
    std::optional<morvane::TuningWaterfall> m_fall;  // sized to the waterfall shown
    morvane::ToneFollower m_follower;                // AFC's search, on the capture's last blocks
};
