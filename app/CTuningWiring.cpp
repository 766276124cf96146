#include "app/CTuningWiring.h"

#include <QComboBox>
#include <algorithm>
#include <cmath>
#include <span>

#include "align/AlignPolicy.h"
#include "app/CLiveTextFeed.h"
#include "app/CParameterPanel.h"
#include "app/CReceivePane.h"
#include "app/CTuningPanel.h"
#include "capture/ChooseDevice.h"
#include "live/ProcessingLoop.h"
#include "tuning/InputLevel.h"
#include "widgets/CTuningWaterfall.h"

namespace {

constexpr int kCardSwitches = 6;  // "/s0" … "/s5"

}  // namespace

CTuningWiring::CTuningWiring(morvane::ProcessingLoop& loop, morvane::SoundSystem& cards, CParameterPanel& fields,
                             CReceivePane& pane, CLiveTextFeed& liveText, std::vector<std::string> arguments,
                             bool cardsUsable, std::function<void(const QString&)> status, std::function<void(int)> pick)
    : m_loop(loop), m_cards(cards), m_fields(fields), m_pane(pane), m_liveText(liveText),
      m_arguments(std::move(arguments)), m_cardsUsable(cardsUsable), m_status(std::move(status)), m_pick(std::move(pick)) {}

void CTuningWiring::Made(CTuningPanel& tuning, CTuningWaterfall& fall) {
    QObject::connect(&fall, &CTuningWaterfall::zoomRequested, &fall, [this, &fall](int steps) { ShowWaterfall(fall, steps); });
    QObject::connect(&fall, &CTuningWaterfall::tonePicked, &fall, [this](int hz) { m_pick(hz); });
    // The cards the switches reach, by name, the default input first.
    std::vector<std::string> names{"Default input"};
    const int count = std::min(m_cards.InputCount(), kCardSwitches);
    for (int i = 0; i < count; ++i) names.push_back(m_cards.InputName(i).value_or("Input " + std::to_string(i)));
    const int chosen = morvane::ChooseDevice(m_arguments, m_cards).device;
    tuning.SetCards(names, chosen >= 0 && chosen < count ? chosen + 1 : 0);
    tuning.findChild<QComboBox*>(QStringLiteral("soundCard"))->setEnabled(m_cardsUsable && count > 0);
    QObject::connect(&tuning, &CTuningPanel::cardChosen, &tuning, [this](int index) { ChooseCard(index); });
    QObject::connect(&tuning, &CTuningPanel::reverseToggled, &tuning, [this] { Reverse(); });
    // The receiver reads on the live text's thread: the squelch goes with its next start.
    m_liveText.SetSquelch(tuning.Squelch());
    QObject::connect(&tuning, &CTuningPanel::squelchChanged, &tuning,
                     [this, &tuning] { m_liveText.SetSquelch(tuning.Squelch()); });
}

void CTuningWiring::AfterProcess() {
    CTuningPanel* tuning = m_pane.Tuning();
    if (!tuning) return;
    tuning->Update(m_loop.Stream(), m_liveText.Locked());
    if (!m_loop.Recording()) {
        m_follower.Clear();  // only what the capture holds
        return;
    }
    if (!tuning->Afc()) return;
    // From the strip's transforms of the last blocks: Align's search over
    // the whole capture takes far too long for every block.
    const std::optional<morvane::ToneFollower::Pair> found = m_follower.Find();
    if (!found) return;
    if (const auto follow = morvane::FollowTones(found->lowHz, found->highHz, {m_fields.LowHz(), m_fields.HighHz()},
                                                 tuning->Reversed(), morvane::kAlignToneTolerance))
        m_fields.SetTones(follow->lowHz, follow->highHz);
}

void CTuningWiring::BlockArrived(const std::vector<std::int16_t>& block, const float* spectrum, std::int32_t bins) {
    if (CTuningPanel* tuning = m_pane.Tuning()) {
        tuning->SetInputPeak(morvane::InputPeak(block));
        m_follower.Add(spectrum, bins);
    }
    CTuningWaterfall* fall = m_pane.Waterfall();
    if (!fall) return;
    const int columns = fall->width(), rows = fall->height() - CTuningWaterfall::kLabelHeight;
    if (columns < 1 || rows < 1) return;
    if (!m_fall || m_fall->Columns() != columns || m_fall->Rows() != rows) m_fall.emplace(columns, rows);
    m_fall->AddSpectrum(spectrum, bins);
    m_fall->AddFine(block.data(), block.size());
    ShowWaterfall(*fall, 0);
}

void CTuningWiring::ShowWaterfall(CTuningWaterfall& fall, int zoomSteps) {
    if (!m_fall) return;
    // Centred on the tones in use.
    const double centre = (m_fields.LowHz() + static_cast<double>(m_fields.HighHz())) / 2.0;
    if (zoomSteps != 0 || centre != m_fall->CentreHz()) m_fall->SetView(centre, m_fall->Zoom() - zoomSteps);
    fall.SetPicture(*m_fall, m_fields.LowHz(), m_fields.HighHz());
}

bool CTuningWiring::TonePicked(std::int32_t hz) {
    CTuningPanel* tuning = m_pane.Tuning();
    if (!tuning) return false;
    const morvane::ToneEstimate found = m_loop.FindTones();
    const auto foundShift = found.found ? static_cast<std::int32_t>(std::lround(std::fabs(found.highHz - found.lowHz))) : 0;
    const auto current = static_cast<std::int32_t>(std::min<long long>(
        std::llabs(static_cast<long long>(m_fields.HighHz()) - m_fields.LowHz()), 9998));
    const auto tones = tuning->Centred(hz, foundShift, current);
    if (!tones) return false;
    m_fields.SetTones(tones->lowHz, tones->highHz);
    return true;
}

void CTuningWiring::Reverse() { m_fields.SetTones(m_fields.HighHz(), m_fields.LowHz()); }

void CTuningWiring::ChooseCard(int index) {
    if (!m_cardsUsable || m_loop.Reading()) return;
    // The card switch the command line would give; the default input without one.
    m_arguments.erase(std::remove_if(m_arguments.begin(), m_arguments.end(), morvane::IsCardSwitch), m_arguments.end());
    if (index > 0) m_arguments.insert(m_arguments.begin(), "/s" + std::to_string(index - 1));
    m_loop.Stop();
    try {
        m_status(QString::fromStdString(
            m_loop.Start(m_arguments, static_cast<float>(m_fields.LowHz()), static_cast<float>(m_fields.HighHz()))));
    } catch (const std::exception& e) {
        m_status(QString::fromStdString(e.what()));
    }
}
