#include "widgets/CNumSpinCtrl.h"

#include <QLineEdit>

#include "text/TextNumbers.h"

CNumSpinCtrl::CNumSpinCtrl(QWidget* parent) : CUpDown(parent) {
    SetBuddyInt(false);
    // Without a buddy yet, this puts the position at the image of 0.0.
    if (m_model.step != 0.0) SyncPositions();
}

void CNumSpinCtrl::SetValueRange(double minimum, double maximum, double step) {
    m_model.minimum = minimum;
    m_model.maximum = maximum;
    m_model.step = step;
    SyncPositions();
}

void CNumSpinCtrl::SetValue(double value) {
    ShowValue(value);
    if (const auto position = m_model.PositionOf(value)) SetPos32(*position);
}

double CNumSpinCtrl::GetValue() const {
    const QLineEdit* buddy = GetBuddy();
    if (!buddy) return 0.0;
    return morvane::TextToDouble(buddy->text().toStdString());
}

void CNumSpinCtrl::ShowValue(double value) {
    QLineEdit* buddy = GetBuddy();
    if (!buddy) return;
    buddy->setText(QString::fromStdString(m_model.DisplayText(value)));
}

void CNumSpinCtrl::SyncPositions() {
    m_model.UpdatePositionCount();
    SetRange32(0, m_model.positionCount);
    if (const auto position = m_model.PositionOf(GetValue())) SetPos32(*position);
}

QString CNumSpinCtrl::ValueToText(double value) const { return QString::fromStdString(m_model.ValueToText(value)); }

bool CNumSpinCtrl::DeltaPosReflected(int, int delta) {
    ShowValue(m_model.ArrowValue(GetValue(), delta, Wrap()));
    // The position itself moves by delta as any up-down's does; the owner is
    // asked as well.
    return false;
}
