#pragma once
#include <QString>

#include "widgets/CUpDown.h"
#include "text/NumSpinModel.h"

/// An up-down that steps a floating value held as text in its buddy edit.
///
/// Each arrow click reads the buddy's text (so a typed value counts), adds
/// the click's units × step, clamps (or wraps, with SetWrap(true)) at the end
/// it moves toward, and writes the result back with ShowValue. The integer
/// position of the underlying up-down runs over 0 … positionCount and mirrors
/// where the value sits in the range. The control writes the buddy itself;
/// the plain integer write of CUpDown is off. The owner still receives
/// deltaPos after the value was written.
///
/// Typical set-up: SetBuddy(edit); SetValueRange(-1.0, 1.0, 0.05);
/// SetValue(number typed in the edit).
class CNumSpinCtrl : public CUpDown {
    Q_OBJECT

public:
    explicit CNumSpinCtrl(QWidget* parent = nullptr);

    /// Stores the range and the step, then SyncPositions.
    void SetValueRange(double minimum, double maximum, double step);
    /// Shows the value in the buddy and moves the position to its image
    /// (unless minimum = maximum).
    void SetValue(double value);
    /// The buddy's text read as a number ('.' decimal point, leading number,
    /// 0.0 when there is none or no buddy).
    double GetValue() const;
    /// Writes the value into the buddy as DisplayText; nothing without a buddy.
    void ShowValue(double value);
    /// Recomputes positionCount, sets the range 0 … positionCount and moves
    /// the position to the image of the buddy's value.
    void SyncPositions();
    /// The value formatted by decimalPlaces and trimZeros.
    QString ValueToText(double value) const;

    void SetDecimalPlaces(int places) { m_model.decimalPlaces = places; }
    void SetTrimZeros(bool trim) { m_model.trimZeros = trim; }
    /// A printf-style format with exactly one floating conversion (e.g.
    /// "%.2f"). A format that does not take exactly one double is not used:
    /// the value is then shown by ValueToText.
    void SetFormatText(const QString& format) { m_model.formatText = format.toStdString(); }

    const morvane::NumSpinModel& Model() const { return m_model; }
    morvane::NumSpinModel& Model() { return m_model; }

protected:
    bool DeltaPosReflected(int position, int delta) override;

private:
    morvane::NumSpinModel m_model;
};
