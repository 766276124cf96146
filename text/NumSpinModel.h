#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvane {

/// The arithmetic and formatting of a numeric spin control: a floating value
/// stepped by `step` within minimum … maximum, mirrored by an integer
/// position 0 … positionCount. Texts always use '.' as the decimal symbol,
/// whatever the process locale.
class NumSpinModel {
public:
    double minimum = 0.0;
    double maximum = 100.0;
    double step = 1.0;                // value change per position unit; 0: not configured
    std::int32_t positionCount = 100;  // position units spanning the range, at most 32767
    std::int32_t decimalPlaces = -1;   // digits after the decimal symbol; negative: "%g" form
    std::string formatText;            // printf format with one floating conversion; empty: ValueToText
    bool trimZeros = true;             // with decimalPlaces: strip trailing zeros and symbol
    char decimalSymbol = '.';

    /// Stores the range and step and recomputes positionCount.
    void SetValueRange(double minimum, double maximum, double step);

    /// positionCount from the range: |(maximum − minimum) / step| truncated,
    /// at most 32767 (an infinite quotient, as for a step of 0, gives 32767;
    /// an undefined one gives 0).
    void UpdatePositionCount();

    /// The position image of a value: 0 below the range, positionCount above
    /// it, else (v − minimum) / (maximum − minimum) × positionCount + 0.5
    /// truncated, as a 16-bit value. None when minimum = maximum. A value
    /// that is not a number sits at 0.
    std::optional<std::int16_t> PositionOf(double value) const;

    /// The value as text by decimalPlaces and trimZeros: "%g" when
    /// decimalPlaces is negative, else "%.Nf", or "%.Ne" when "%g" would use
    /// an exponent. decimalPlaces above 340 count as 340.
    std::string ValueToText(double value) const;

    /// The text a spin shows for a value: formatText applied to it when that
    /// is a safe format (see IsSafeFormat), otherwise ValueToText.
    std::string DisplayText(double value) const;

    /// The value after an arrow click of `delta` units from `current` (the
    /// value the buddy shows): current + delta × step, then clamped to (or,
    /// with wrap, wrapped past) the end it moves toward when it lies beyond
    /// that end by more than a relative 1e-9 (at least 1e-9). A result that
    /// is not a finite number goes to that end as well.
    double ArrowValue(double current, std::int32_t delta, bool wrap) const;

    /// True when `format` is a printf format that takes exactly one double:
    /// one conversion of f F e E g G a A with optional flags "-+ #0", width,
    /// precision (each at most three digits) and an optional 'l'; "%%" stands
    /// for a literal percent sign.
    static bool IsSafeFormat(std::string_view format);

    /// printf-style formatting of one double with '.' as the decimal point.
    /// `format` must satisfy IsSafeFormat.
    static std::string FormatDouble(const std::string& format, double value);
};

}  // namespace morvane
