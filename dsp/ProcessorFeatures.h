#pragma once
// Which vector instruction sets this processor and its operating system run,
// asked once; for the demodulator's and the soft packing's dispatch. Used
// inside dsp/ only.

namespace morvane::demod {

bool HasAvx();
bool HasAvx2();
bool HasAvx512f();
bool HasF16c();  // with AVX, whose registers its instructions use

}  // namespace morvane::demod
