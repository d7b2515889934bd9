#pragma once
// The 16-bit counts the integer stages work in: v x 32767 truncated toward zero, and back by
// x (1 / 32767) in single precision. Written as plain row loops so that the compiler vectorises them.
#include <cstdint>

namespace doc {

// Values beyond the 16-bit range are held at its ends (a NaN at the lower one).
inline void QuantiseRow(const float* __restrict src, std::int16_t* __restrict dst, int n) {
    for (int j = 0; j < n; ++j) {
        float s = src[j] * 32767.0f;
        s = s > -32768.0f ? s : -32768.0f;
        s = s < 32767.0f ? s : 32767.0f;
        dst[j] = static_cast<std::int16_t>(s);
    }
}

inline void UnquantiseRow(const std::int16_t* __restrict src, float* __restrict dst, int n,
                          float add = 0.0f) {
    constexpr float kToUnit = 1.0f / 32767.0f;
    for (int j = 0; j < n; ++j)
        dst[j] = static_cast<float>(src[j]) * kToUnit + add;
}

} // namespace doc
