#include "app/CTuningPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QHBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/CSettingsStore.h"
#include "dsp/LevelStream.h"
#include "receiver/ReceiverTypes.h"
#include "tuning/InputLevel.h"
#include "widgets/CTuningScope.h"

namespace {

const QString kData = QString::fromLatin1(CSettingsStore::kSectionData);

QString Db(double value) { return QString::number(static_cast<int>(std::lround(value))); }

// The receiver's own squelch level, whole dB.
int DefaultSquelchDb() { return static_cast<int>(std::lround(morvane::ReceiverOptions{}.squelchDb.value_or(8.0))); }

int StoredSquelchDb(const CSettingsStore& store) {
    return std::clamp(store.ReadInt(kData, QStringLiteral("SquelchDb"), DefaultSquelchDb()), CTuningPanel::kSquelchMinDb,
                      CTuningPanel::kSquelchMaxDb);
}

bool StoredSquelchOn(const CSettingsStore& store) {
    return store.ReadInt(kData, QStringLiteral("Squelch"), morvane::ReceiverOptions{}.squelchDb ? 1 : 0) != 0;
}

}  // namespace

CTuningPanel::CTuningPanel(CSettingsStore& store, QWidget* parent)
    : QWidget(parent), m_store(store), m_scope(new CTuningScope(this)), m_figures(new QLabel(this)),
      m_afc(new QCheckBox(QStringLiteral("AFC"), this)), m_reverse(new QCheckBox(QStringLiteral("Reverse"), this)),
      m_squelch(new QCheckBox(QStringLiteral("Squelch"), this)), m_squelchDb(new QSpinBox(this)),
      m_shift(new QComboBox(this)), m_card(new QComboBox(this)), m_menu(new QToolButton(this)) {
    m_menu->setObjectName(QStringLiteral("menuButton"));
    m_menu->setText(QStringLiteral("Menu"));
    m_menu->setToolTip(QStringLiteral("The window's menu; the right button opens it anywhere in the window"));
    m_menu->setPopupMode(QToolButton::InstantPopup);
    setObjectName(QStringLiteral("tuningPanel"));
    m_figures->setObjectName(QStringLiteral("tuningFigures"));
    m_afc->setObjectName(QStringLiteral("afc"));
    m_afc->setToolTip(QStringLiteral("The tones follow the signal found in the capture"));
    m_reverse->setObjectName(QStringLiteral("reverse"));
    m_reverse->setToolTip(QStringLiteral("Swaps Low and High, and the tones a centring click sets"));
    m_squelch->setObjectName(QStringLiteral("squelch"));
    m_squelch->setToolTip(QStringLiteral("Text only from frames whose tones stand over the noise by the level "
                                         "(reading the samples); off, whatever is framed is printed"));
    m_squelchDb->setObjectName(QStringLiteral("squelchDb"));
    m_squelchDb->setRange(kSquelchMinDb, kSquelchMaxDb);
    m_squelchDb->setSuffix(QStringLiteral(" dB"));
    m_squelchDb->setToolTip(m_squelch->toolTip());
    m_squelch->setChecked(StoredSquelchOn(m_store));
    m_squelchDb->setValue(StoredSquelchDb(m_store));
    m_squelchDb->setEnabled(m_squelch->isChecked());
    m_shift->setObjectName(QStringLiteral("clickShift"));
    m_shift->setToolTip(QStringLiteral("What a click in the waterfall does"));
    m_card->setObjectName(QStringLiteral("soundCard"));
    m_shift->addItem(QStringLiteral("Low, High in turn"), kInTurn);
    for (const std::int32_t shift : morvane::kStandardShifts)
        m_shift->addItem(QStringLiteral("Centre, %1 Hz shift").arg(shift), shift);
    m_shift->addItem(QStringLiteral("Centre, shift found"), kFoundShift);
    const int shift = m_shift->findData(m_store.ReadInt(kData, QStringLiteral("ClickShift"), kInTurn));
    m_shift->setCurrentIndex(shift < 0 ? 0 : shift);
    m_afc->setChecked(m_store.ReadInt(kData, QStringLiteral("Afc"), 0) != 0);
    m_reverse->setChecked(m_store.ReadInt(kData, QStringLiteral("Reverse"), 0) != 0);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(m_scope, 0, 0, 3, 1);
    grid->addWidget(m_figures, 0, 1);
    grid->addWidget(m_afc, 1, 1);
    grid->addWidget(m_reverse, 2, 1);
    auto* squelchRow = new QHBoxLayout;
    squelchRow->addWidget(m_squelch);
    squelchRow->addWidget(m_squelchDb);
    squelchRow->addStretch(1);
    grid->addLayout(squelchRow, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("Click:"), this), 4, 0, Qt::AlignRight);
    grid->addWidget(m_shift, 4, 1);
    grid->addWidget(new QLabel(QStringLiteral("Card:"), this), 5, 0, Qt::AlignRight);
    grid->addWidget(m_card, 5, 1);
    grid->addWidget(m_menu, 3, 0);
    grid->setColumnStretch(1, 1);
    connect(m_reverse, &QCheckBox::toggled, this, &CTuningPanel::reverseToggled);
    connect(m_card, &QComboBox::activated, this, &CTuningPanel::cardChosen);
    connect(m_squelch, &QCheckBox::toggled, this, [this](bool on) {
        m_squelchDb->setEnabled(on);
        emit squelchChanged();
    });
    connect(m_squelchDb, &QSpinBox::valueChanged, this, &CTuningPanel::squelchChanged);
    m_figures->setText(FiguresText());
}

void CTuningPanel::WriteSettings() {
    m_store.WriteInt(kData, QStringLiteral("ClickShift"), m_shift->currentData().toInt());
    m_store.WriteInt(kData, QStringLiteral("Afc"), m_afc->isChecked() ? 1 : 0);
    m_store.WriteInt(kData, QStringLiteral("Reverse"), m_reverse->isChecked() ? 1 : 0);
    m_store.WriteInt(kData, QStringLiteral("Squelch"), m_squelch->isChecked() ? 1 : 0);
    m_store.WriteInt(kData, QStringLiteral("SquelchDb"), m_squelchDb->value());
}

std::optional<double> CTuningPanel::Squelch() const {
    if (!m_squelch->isChecked()) return std::nullopt;
    return static_cast<double>(m_squelchDb->value());
}

std::optional<double> CTuningPanel::StoredSquelch(const CSettingsStore& store) {
    if (!StoredSquelchOn(store)) return std::nullopt;
    return static_cast<double>(StoredSquelchDb(store));
}

void CTuningPanel::Update(const morvane::LevelStream& stream, bool locked) {
    if (stream.tones.tone1Hz != m_responseTone1 || stream.tones.tone2Hz != m_responseTone2) {
        m_response = morvane::MeasureToneResponse(stream.tones);
        m_responseTone1 = stream.tones.tone1Hz;
        m_responseTone2 = stream.tones.tone2Hz;
    }
    m_picture = morvane::MeasureTuning(stream.soft, stream.soft.size(), m_response);
    const auto state = locked ? CTuningScope::State::Locked
                              : (m_picture.signal ? CTuningScope::State::Signal : CTuningScope::State::NoSignal);
    m_scope->SetPicture(m_picture, state);
    ShowFigures();
}

void CTuningPanel::SetInputPeak(std::int32_t peak) {
    m_inputPeak = peak;
    ShowFigures();
}

void CTuningPanel::ShowFigures() {
    // Only a changed text: a new one lays the panel out again.
    const QString text = FiguresText();
    if (text != m_figures->text()) m_figures->setText(text);
}

QString CTuningPanel::FiguresText() const {
    const bool any = !m_picture.ellipses.empty();
    QString text = QStringLiteral("S/N %1 dB\nTones %2 dB")
                       .arg(any ? Db(m_picture.snrDb) : QStringLiteral("-"),
                            any ? Db(m_picture.levelDb) : QStringLiteral("-"));
    text += QStringLiteral("\nInput %1 dBFS")
                .arg(m_inputPeak < 0 ? QStringLiteral("-") : Db(morvane::PeakDbfs(m_inputPeak)));
    return text;
}

std::optional<morvane::TonePair> CTuningPanel::Centred(std::int32_t hz, std::int32_t foundShiftHz,
                                                       std::int32_t currentShiftHz) const {
    std::int32_t shift = m_shift->currentData().toInt();
    if (shift == kInTurn) return std::nullopt;
    if (shift == kFoundShift) shift = foundShiftHz > 0 ? foundShiftHz : currentShiftHz;
    if (shift < 1) return std::nullopt;
    return morvane::CentreTones(hz, shift, m_reverse->isChecked());
}

void CTuningPanel::SetMenuActions(const QList<QAction*>& actions) {
    auto* menu = new QMenu(m_menu);
    menu->addActions(actions);
    m_menu->setMenu(menu);
}

bool CTuningPanel::Afc() const { return m_afc->isChecked(); }

bool CTuningPanel::Reversed() const { return m_reverse->isChecked(); }

void CTuningPanel::SetCards(const std::vector<std::string>& names, int current) {
    const QSignalBlocker quiet(m_card);
    m_card->clear();
    for (const std::string& name : names) m_card->addItem(QString::fromStdString(name));
    m_card->setCurrentIndex(current);
}
