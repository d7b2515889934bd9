#pragma once
// Vector helpers of the kernels and the run-time choice of vector width: GCC vector extensions, 32
// bytes wide on processors with AVX2 and 16 elsewhere. VANTRI_NO_AVX2 in the environment forces the
// 16-byte path (the tests run both).
//
// Kernels put their work in an always_inline lambda taking Count<bytes> and hand it to RunSimd. Every
// function between RunSimd and the loops must be always_inline too: only code inlined into the AVX2
// instance is compiled for AVX2.
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace doc::kern::simd {

// ---- Vectors. Helpers take and return through references: a 32-byte vector passed by value in a
// function compiled without AVX changes the calling convention (clang refuses it).

template <class T, int N> struct TLanes { typedef T type __attribute__((vector_size(N * sizeof(T)))); };
template <class T> struct TLanes<T, 1> { typedef T type; };
// N lanes of T; one lane is the plain scalar, so that loop tails share the vector code.
template <class T, int N> using Lanes = typename TLanes<T, N>::type;
template <int N> using Count = std::integral_constant<int, N>;

template <class V> __attribute__((always_inline)) inline void Load(V& v, const void* p) {
    std::memcpy(&v, p, sizeof v);
}
template <class V> __attribute__((always_inline)) inline void Store(void* p, const V& v) {
    std::memcpy(p, &v, sizeof v);
}
template <class To, class From> __attribute__((always_inline)) inline void Convert(To& to, const From& from) {
    if constexpr (std::is_arithmetic_v<From>)
        to = static_cast<To>(from);
    else
        to = __builtin_convertvector(from, To);
}

// The even and the odd lanes of a followed by b, for vectors of four or eight lanes. Clang spells
// GCC's two-vector shuffle with the indices as arguments.
template <int L, class V>
__attribute__((always_inline)) inline void Deinterleave(const V& a, const V& b, V& even, V& odd) {
    static_assert(L == 4 || L == 8, "four or eight lanes");
#if defined(__clang__)
    if constexpr (L == 4) {
        even = __builtin_shufflevector(a, b, 0, 2, 4, 6);
        odd = __builtin_shufflevector(a, b, 1, 3, 5, 7);
    } else {
        even = __builtin_shufflevector(a, b, 0, 2, 4, 6, 8, 10, 12, 14);
        odd = __builtin_shufflevector(a, b, 1, 3, 5, 7, 9, 11, 13, 15);
    }
#else
    using Mask = Lanes<int, L>;
    if constexpr (L == 4) {
        even = __builtin_shuffle(a, b, Mask{0, 2, 4, 6});
        odd = __builtin_shuffle(a, b, Mask{1, 3, 5, 7});
    } else {
        even = __builtin_shuffle(a, b, Mask{0, 2, 4, 6, 8, 10, 12, 14});
        odd = __builtin_shuffle(a, b, Mask{1, 3, 5, 7, 9, 11, 13, 15});
    }
#endif
}

// The lanes of v in the opposite order.
template <int L, class V> __attribute__((always_inline)) inline void Reverse(V& v) {
    static_assert(L == 4 || L == 8, "four or eight lanes");
#if defined(__clang__)
    if constexpr (L == 4)
        v = __builtin_shufflevector(v, v, 3, 2, 1, 0);
    else
        v = __builtin_shufflevector(v, v, 7, 6, 5, 4, 3, 2, 1, 0);
#else
    using Mask = Lanes<int, L>;
    if constexpr (L == 4)
        v = __builtin_shuffle(v, Mask{3, 2, 1, 0});
    else
        v = __builtin_shuffle(v, Mask{7, 6, 5, 4, 3, 2, 1, 0});
#endif
}

// ---- Dispatch.

#if defined(__x86_64__) || defined(__i386__)
// Decided once per process, on first use.
inline bool UseAvx2() {
    static const bool use = __builtin_cpu_supports("avx2") && !std::getenv("VANTRI_NO_AVX2");
    return use;
}
template <class Fn> __attribute__((target("avx2"))) void RunAvx2(const Fn& fn) {
    fn(Count<32>());
}
#else
inline bool UseAvx2() {
    return false;
}
#endif

// fn(Count<bytes>) with the widest vectors the processor has; fn must be always_inline.
template <class Fn> void RunSimd(const Fn& fn) {
#if defined(__x86_64__) || defined(__i386__)
    if (UseAvx2()) {
        RunAvx2(fn);
        return;
    }
#endif
    fn(Count<16>());
}

// ---- Loops.

// step(x, Count<N>) over [0, n) in whole vectors, then step(x, Count<1>) for the rest.
template <int N, class Step> __attribute__((always_inline)) inline void Sweep(int n, const Step& step) {
    int x = 0;
    for (; x + N <= n; x += N)
        step(x, Count<N>());
    for (; x < n; ++x)
        step(x, Count<1>());
}

// step(x, Count<N>) over [0, n) in whole vectors, the remainder by one more vector that ends at n
// (so the step must bear doing a cell twice); cell by cell, step(x, Count<1>), below one vector.
template <int N, class Step>
__attribute__((always_inline)) inline void SweepOverlapping(int n, const Step& step) {
    if (n < N) {
        for (int x = 0; x < n; ++x)
            step(x, Count<1>());
        return;
    }
    int x = 0;
    for (; x + N <= n; x += N)
        step(x, Count<N>());
    if (x < n)
        step(n - N, Count<N>());
}

// Row y of an image whose rows are step bytes apart.
template <class T> const T* RowAt(const T* p, int step, std::ptrdiff_t y) {
    return reinterpret_cast<const T*>(reinterpret_cast<const char*>(p) + y * step);
}
template <class T> T* RowAt(T* p, int step, std::ptrdiff_t y) {
    return reinterpret_cast<T*>(reinterpret_cast<char*>(p) + y * step);
}

} // namespace doc::kern::simd
