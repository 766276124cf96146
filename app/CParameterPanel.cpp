#include "app/CParameterPanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <cstdlib>
#include <iterator>

#include "align/AlignPolicy.h"
#include "app/CDigitsOnlyFilter.h"
#include "app/CSettingsStore.h"
#include "app/CTemplateLayout.h"
#include "dsp/SampleFormat.h"
#include "text/TextNumbers.h"
#include "widgets/CNumSpinCtrl.h"
#include "widgets/CUpDown.h"

namespace {

using Field = CParameterPanel::Field;

const QString kData = QString::fromLatin1(CSettingsStore::kSectionData);

std::int32_t ToLong(const QString& text) { return morvane::TextToLong(text.toStdString()); }

/// Where a field stands in the window (dialog units), how it is stored, its
/// spin's range and what its text sets in the raster parameters.
struct FieldSpec {
    Field field;
    const char* name;         // object names: name + "Edit", name + "Spin"
    const char* label;
    int labelX, labelY, labelW, labelH;
    int editX, editY;         // the edit is 38 × 13
    int spinX, spinY;         // the spin is 11 × 16
    const char* settingsKey;  // in the "Data" section
    const char* defaultText;
    double low, high;         // the spin's range
    double step;              // 0: an integer up-down; else the numeric spin's step
    bool digitsOnly;          // the edit takes digits only
    void (*apply)(morvane::RasterParams&, const QString&);  // null: not a raster field
    bool showOnEdit;          // a change of text redraws the raster
    bool showOnSpin;          // a spin step redraws the raster
};

constexpr FieldSpec kFieldSpecs[] = {
    {Field::Low, "low", "Low:", 63, 53, 20, 9, 94, 52, 134, 50, "Freq1", "1500", 1, 9999, 0, false, nullptr, false, false},
    {Field::High, "high", "High:", 155, 53, 19, 9, 182, 52, 222, 50, "Freq2", "2000", 1, 9999, 0, false, nullptr, false, false},
    {Field::Count, "count", "Count:", 63, 78, 24, 9, 94, 77, 134, 75, "DCount", "64", 1, 1024, 0, true,
     [](morvane::RasterParams& p, const QString& t) { p.count = ToLong(t); }, false, true},
    {Field::Offset, "offset", "Offset:", 155, 78, 23, 9, 182, 77, 222, 75, "DOffset", "0", 0, 1024, 0, true,
     [](morvane::RasterParams& p, const QString& t) { p.offset = ToLong(t); }, false, true},
    {Field::Slant, "slant", "Slant:", 242, 78, 18, 9, 264, 77, 304, 75, "DSlant", "0", -1.0, 1.0, 0.05, false,
     [](morvane::RasterParams& p, const QString& t) { p.slant = static_cast<float>(morvane::TextToDouble(t.toStdString())); },
     true, false},
    {Field::Width, "width", "Width:", 63, 105, 25, 10, 94, 103, 134, 102, "Grid", "24", 1, 1024, 0, true,
     [](morvane::RasterParams& p, const QString& t) { p.gridWidth = ToLong(t); }, true, false},
    {Field::Shift, "shift", "Shift:", 155, 105, 18, 9, 182, 103, 222, 102, "GridShift", "0", -10, 10, 0, true,
     [](morvane::RasterParams& p, const QString& t) { p.gridShift = ToLong(t); }, true, false},
};
static_assert(std::size(kFieldSpecs) == CParameterPanel::kFieldCount);

// Whether a stored text is one a field's edit can hold: a digits-only field
// takes digits, with a minus sign in front as its spin writes it.
bool FieldCanHold(const FieldSpec& spec, const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^-?[0-9]*$"));
    return !spec.digitsOnly || digits.match(text).hasMatch();
}

const FieldSpec& SpecOf(Field field) { return kFieldSpecs[static_cast<std::size_t>(field)]; }

}  // namespace

CParameterPanel::CParameterPanel(CSettingsStore& store, float referenceBaud, QObject* parent)
    : QObject(parent), m_store(store), m_referenceBaud(referenceBaud) {
    for (const FieldSpec& spec : kFieldSpecs) {
        const QString fallback = QString::fromLatin1(spec.defaultText);
        const QString text = m_store.ReadText(kData, QString::fromLatin1(spec.settingsKey), fallback);
        // A value the field cannot hold reads as the field's default.
        m_fields[Index(spec.field)].stored = FieldCanHold(spec, text) ? text : fallback;
    }
}

void CParameterPanel::WriteSettings() const {
    for (const FieldSpec& spec : kFieldSpecs)
        m_store.WriteText(kData, QString::fromLatin1(spec.settingsKey), Text(spec.field));
}

void CParameterPanel::Create(QWidget* window, CTemplateLayout& layout) {
    auto label = [&](const QString& text, int x, int y, int w, int h) {
        auto* l = new QLabel(text, window);
        layout.Add(l, x, y, w, h, true);
        return l;
    };
    for (const FieldSpec& spec : kFieldSpecs) {
        FieldState& state = m_fields[Index(spec.field)];
        const QString name = QString::fromLatin1(spec.name);
        label(QString::fromLatin1(spec.label), spec.labelX, spec.labelY, spec.labelW, spec.labelH);
        state.edit = new QLineEdit(window);
        state.edit->setObjectName(name + QStringLiteral("Edit"));
        layout.Add(state.edit, spec.editX, spec.editY, 38, 13);
        if (spec.digitsOnly) state.edit->installEventFilter(new CDigitsOnlyFilter(state.edit));
        state.spin = spec.step > 0 ? new CNumSpinCtrl(window) : new CUpDown(window);
        state.spin->setObjectName(name + QStringLiteral("Spin"));
        layout.Add(state.spin, spec.spinX, spec.spinY, 11, 16);
        state.edit->setText(state.stored);
        state.stored.clear();
        Convert(spec.field);
    }
    m_dfLabel = label(QStringLiteral("dF = "), 244, 53, 81, 11);
    m_dfLabel->setObjectName(QStringLiteral("dfLabel"));
    m_speedLabel = label(QStringLiteral("Speed = "), 244, 105, 81, 11);
    m_speedLabel->setObjectName(QStringLiteral("speedLabel"));
}

void CParameterPanel::Attach() {
    // A spin takes its position from its field but leaves the text as it was
    // typed or stored.
    for (const FieldSpec& spec : kFieldSpecs) {
        const FieldState& state = m_fields[Index(spec.field)];
        state.spin->SetBuddy(state.edit);
        if (spec.step > 0) {
            // The numeric spin positions itself from the edit's value.
            static_cast<CNumSpinCtrl*>(state.spin)->SetValueRange(spec.low, spec.high, spec.step);
            continue;
        }
        state.spin->SetRange32(static_cast<int>(spec.low), static_cast<int>(spec.high));
        state.spin->SetBuddyInt(false);
        state.spin->SetPos32(static_cast<std::int16_t>(ToLong(state.edit->text()) & 0xFFFF));
        state.spin->SetBuddyInt(true);
    }
    UpdateDfLabel();
    UpdateSpeedLabel();

    for (const FieldSpec& spec : kFieldSpecs) {
        const FieldState& state = m_fields[Index(spec.field)];
        const Field field = spec.field;
        // First the converted value, then whoever acts on it.
        connect(state.edit, &QLineEdit::textChanged, this, [this, field] { Convert(field); });
        if (spec.showOnSpin)
            connect(state.spin, &CUpDown::deltaPos, this, [this](int, int, bool*) { emit showRequested(); });
        if (spec.showOnEdit) connect(state.edit, &QLineEdit::textChanged, this, &CParameterPanel::showRequested);
        // Enter applies the raster field it was pressed in.
        if (spec.apply) connect(state.edit, &QLineEdit::returnPressed, this, &CParameterPanel::showRequested);
    }
    connect(m_fields[Index(Field::Width)].edit, &QLineEdit::textChanged, this, &CParameterPanel::UpdateSpeedLabel);
    for (Field tone : {Field::Low, Field::High})
        connect(m_fields[Index(tone)].edit, &QLineEdit::textChanged, this, [this] {
            UpdateDfLabel();
            if (!m_holdTones) emit tonesEdited();
        });
}

QString CParameterPanel::Text(Field field) const {
    const FieldState& state = m_fields[Index(field)];
    return state.edit ? state.edit->text() : state.stored;
}

void CParameterPanel::SetText(Field field, const QString& text) {
    QLineEdit* edit = m_fields[Index(field)].edit;
    if (edit->text() != text) edit->setText(text);
}

bool CParameterPanel::WhollyNumber(Field field, const QString& text) {
    // What the conversion reads to the end: an integer, or for Slant a decimal number.
    static const QRegularExpression integer(QStringLiteral("^\\s*[+-]?[0-9]+\\s*$"));
    static const QRegularExpression decimal(
        QStringLiteral("^\\s*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?\\s*$"));
    return (field == Field::Slant ? decimal : integer).match(text).hasMatch();
}

void CParameterPanel::MarkNotANumber(Field field, const QString& text) {
    // The text is still converted as the C library reads it; the field only
    // shows that this is not the number it looks like.
    QLineEdit* edit = m_fields[Index(field)].edit;
    const bool wrong = !WhollyNumber(field, text);
    if (edit->property("notANumber").toBool() == wrong) return;
    edit->setProperty("notANumber", wrong);
    edit->setStyleSheet(wrong ? QStringLiteral("QLineEdit { border: 1px solid #d00000; }") : QString());
}

void CParameterPanel::Convert(Field field) {
    const FieldSpec& spec = SpecOf(field);
    const QString text = m_fields[Index(field)].edit->text();
    MarkNotANumber(field, text);
    if (spec.apply)
        spec.apply(m_raster, text);
    else
        (field == Field::Low ? m_lowHz : m_highHz) = ToLong(text);
    QLineEdit* edit = m_fields[Index(field)].edit;
    if (!NotANumber(field)) {
        edit->setToolTip(QString());
        return;
    }
    const QString used = field == Field::Slant ? QString::number(static_cast<double>(m_raster.slant))
                         : field == Field::Low ? QString::number(m_lowHz)
                         : field == Field::High ? QString::number(m_highHz)
                                                : QString::number(ToLong(text));
    edit->setToolTip(QStringLiteral("Not a number: used as %1").arg(used));
}

bool CParameterPanel::NotANumber(Field field) const {
    return m_fields[Index(field)].edit->property("notANumber").toBool();
}

void CParameterPanel::ApplyRaster(morvane::RasterParams& params) const {
    params.count = m_raster.count;
    params.offset = m_raster.offset;
    params.slant = m_raster.slant;
    params.gridWidth = m_raster.gridWidth;
    params.gridShift = m_raster.gridShift;
}

void CParameterPanel::Fill(const morvane::AlignOutcome& found) {
    if (found.lowHz && found.highHz) SetTones(*found.lowHz, *found.highHz);
    if (!found.fields) return;
    SetText(Field::Count, QString::fromStdString(found.fields->count));
    SetText(Field::Offset, QString::fromStdString(found.fields->offset));
    SetText(Field::Slant, QString::fromStdString(found.fields->slant));
    SetText(Field::Width, QString::fromStdString(found.fields->width));
}

void CParameterPanel::SetTones(std::int32_t lowHz, std::int32_t highHz) {
    const std::int32_t lowBefore = m_lowHz, highBefore = m_highHz;
    m_holdTones = true;
    SetText(Field::Low, QString::number(lowHz));
    SetText(Field::High, QString::number(highHz));
    m_holdTones = false;
    if (m_lowHz != lowBefore || m_highHz != highBefore) emit tonesEdited();
}

QList<QWidget*> CParameterPanel::TabOrder() const {
    QList<QWidget*> order;
    for (const FieldState& state : m_fields) order << state.edit << state.spin;
    return order;
}

void CParameterPanel::UpdateDfLabel() {
    // Both tones are 32-bit; their distance is taken in 64 bits so extreme texts cannot overflow.
    const long long df = std::llabs(static_cast<long long>(m_highHz) - m_lowHz);
    m_dfLabel->setText(QString::asprintf("dF = %lld", df));
}

void CParameterPanel::UpdateSpeedLabel() {
    const float speed = morvane::SpeedForCellWidth(m_referenceBaud, static_cast<float>(m_raster.gridWidth));
    // Qt's printf formats with '.' whatever the process's locale.
    m_speedLabel->setText(QString::asprintf("Speed = %.2f", static_cast<double>(speed)));
}
