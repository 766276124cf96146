#pragma once
#include <concepts>
#include <cstdint>

namespace morvane {

/// What decides the bit cells of a raster walk (CellWalker): it is handed the
/// values of one cell in walk order, then asked for the cell's character.
///
///  - `Value`: what the walked stream holds (a level, a window's tone
///    correlations, ...).
///  - `Add(value, at)`: one more value of the open cell; `at` is its place in
///    the cell, 0 for the first, and counts up by one.
///  - `Decide()`: the character of the open cell ('1', '0', or ' ' where the
///    rule leaves a cell undecided), called once the cell holds at least one
///    value; the next Add opens a new cell.
///
/// A new decision rule is one new class with these three members.
template <typename D>
concept CellDecider = std::movable<D> && requires(D decider, const typename D::Value& value, std::int64_t at) {
    decider.Add(value, at);
    { decider.Decide() } -> std::same_as<char>;
};

}  // namespace morvane
