#include "processing/Quantise.h"

#include "processing/kernels/KernelsSimd.h"

namespace doc {

using namespace kern::simd;

namespace {

constexpr float kToUnit = 1.0f / 32767.0f;

// One vector (or one cell) of each conversion; the vector and the scalar forms make the same choices,
// so a row's cells come out the same whichever form takes them.
template <int N>
__attribute__((always_inline)) inline void QuantiseCells(const float* src, std::int16_t* dst, Count<N>) {
    Lanes<float, N> s;
    Load(s, src);
    const Lanes<float, N> low = Lanes<float, N>{} - 32768.0f, high = Lanes<float, N>{} + 32767.0f;
    s = s * 32767.0f;
    if constexpr (N == 1) {
        s = s > low ? s : low;
        s = s < high ? s : high;
        *dst = static_cast<std::int16_t>(s);
    } else {
        s = s > low ? s : low;
        s = s < high ? s : high;
        Lanes<std::int32_t, N> wide;
        Convert(wide, s);
        Lanes<std::int16_t, N> narrow;
        Convert(narrow, wide);
        Store(dst, narrow);
    }
}

template <int N>
__attribute__((always_inline)) inline void UnquantiseCells(const std::int16_t* src, float* dst, float add,
                                                           Count<N>) {
    Lanes<std::int16_t, N> c;
    Load(c, src);
    Lanes<float, N> v;
    if constexpr (N == 1) {
        v = static_cast<float>(c);
    } else {
        Lanes<std::int32_t, N> wide;
        Convert(wide, c);
        Convert(v, wide);
    }
    v = v * kToUnit;
    v = v + add;
    Store(dst, v);
}

} // namespace

void QuantiseRow(const float* src, std::int16_t* dst, int n) {
    RunSimd([&](auto b) __attribute__((always_inline)) {
        constexpr int N = decltype(b)::value / sizeof(float);
        Sweep<N>(
            n, [&](int x, auto count)
                   __attribute__((always_inline)) { QuantiseCells(src + x, dst + x, count); });
    });
}

void UnquantiseRow(const std::int16_t* src, float* dst, int n, float add) {
    RunSimd([&](auto b) __attribute__((always_inline)) {
        constexpr int N = decltype(b)::value / sizeof(float);
        Sweep<N>(
            n, [&](int x, auto count)
                   __attribute__((always_inline)) { UnquantiseCells(src + x, dst + x, add, count); });
    });
}

} // namespace doc
