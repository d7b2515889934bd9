#pragma once
// The 16-bit counts the integer stages work in: v x 32767 truncated toward zero, and back by
// x (1 / 32767) in single precision.
#include <cstdint>

namespace doc {

// Values beyond the 16-bit range are held at its ends (a NaN at the lower one).
void QuantiseRow(const float* src, std::int16_t* dst, int n);
// dst[j] = src[j] x (1 / 32767) + add, each step rounded to single precision.
void UnquantiseRow(const std::int16_t* src, float* dst, int n, float add = 0.0f);

} // namespace doc
