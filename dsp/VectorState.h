#pragma once

namespace morvane {

/// Clears the upper halves of the processor's vector registers (vzeroupper)
/// where it has 256-bit registers; does nothing elsewhere. Code that used
/// them and returned without clearing them (some library code run by the
/// GUI toolkit does) makes every later plain SSE instruction pay for mixing
/// the two encodings; calling this first removes that cost. Cheap (a few
/// cycles), safe on any x86-64 processor and a no-op on other architectures.
void ClearUpperVectorState();

}  // namespace morvane
