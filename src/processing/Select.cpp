#include "processing/Select.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace doc {

namespace {

// Below this many candidates a comparison selection beats another histogram pass.
constexpr std::size_t kSmall = 64;

constexpr int kDigitBits = 11;
constexpr std::size_t kBins = std::size_t(1) << kDigitBits;
constexpr std::size_t kGroup = 32; // bins summed at a time while looking for the k-th key
constexpr std::size_t kSlack = 8;  // a whole vector may be stored past the last key kept

// The bin that holds the k-th key; k becomes its rank inside the bin. count has whole groups.
std::size_t FindBin(const std::uint32_t* count, std::size_t& k) {
    std::size_t below = 0, g = 0;
    for (;; g += kGroup) {
        std::uint32_t sum = 0;
        for (std::size_t b = 0; b < kGroup; ++b)
            sum += count[g + b];
        if (below + sum > k)
            break;
        below += sum;
    }
    std::size_t bin = g;
    while (below + count[bin] <= k)
        below += count[bin++];
    k -= below;
    return bin;
}

int BitLength(std::uint32_t v) {
    int bits = 0;
    for (; v; v >>= 1)
        ++bits;
    return bits;
}

// The k-th smallest of keys that all lie in [lo, lo + width]. Each pass counts the keys by their
// leading digit above lo, keeps those of the k-th key's digit and narrows the range to that digit's.
std::uint32_t SelectIn(std::uint32_t* keys, std::size_t n, std::size_t k, std::uint32_t lo,
                       std::uint32_t width) {
    std::uint32_t count[kBins];
    while (n > kSmall) {
        if (width == 0) // the range holds one key value
            return lo;
        // Fewer keys need fewer bins; the bins to clear and scan then cost no more than the keys.
        const int digit = n > 1024 ? kDigitBits : 8;
        const int shift = std::max(BitLength(width) - digit, 0);
        const std::size_t bins = (width >> shift) + 1;
        std::fill(count, count + (bins + kGroup - 1) / kGroup * kGroup, 0u);
        for (std::size_t i = 0; i < n; ++i)
            ++count[(keys[i] - lo) >> shift];
        const std::uint32_t bin = static_cast<std::uint32_t>(FindBin(count, k));
        std::size_t m = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t key = keys[i];
            keys[m] = key;
            m += ((key - lo) >> shift) == bin;
        }
        n = m;
        const std::uint32_t start = bin << shift;
        lo += start;
        width = std::min(width - start, (std::uint32_t(1) << shift) - 1);
    }
    std::nth_element(keys, keys + k, keys + n);
    return keys[k];
}

// Counts the keys below lo and copies those in [lo, hi] to inside (which has kSlack entries to spare),
// setting m to their number.
std::size_t WindowScalar(const std::uint32_t* keys, std::size_t n, std::uint32_t lo, std::uint32_t hi,
                         std::uint32_t* inside, std::size_t& m) {
    const std::uint32_t width = hi - lo;
    std::size_t below = 0, count = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t key = keys[i];
        below += key < lo;
        inside[count] = key;
        count += key - lo <= width;
    }
    m = count;
    return below;
}

#if defined(__x86_64__) || defined(__i386__)
bool UseAvx2() {
    static const bool use = __builtin_cpu_supports("avx2") && !std::getenv("VANTRI_NO_AVX2");
    return use;
}

// For each mask of 8 lanes, the lanes that are set, in order, then the rest.
struct CPacking {
    std::uint32_t lanes[256][8];
    constexpr CPacking() : lanes() {
        for (unsigned mask = 0; mask < 256; ++mask) {
            unsigned at = 0;
            for (unsigned lane = 0; lane < 8; ++lane)
                if (mask & (1u << lane))
                    lanes[mask][at++] = lane;
            for (unsigned lane = 0; lane < 8; ++lane)
                if (!(mask & (1u << lane)))
                    lanes[mask][at++] = lane;
        }
    }
};
alignas(32) constexpr CPacking kPacking;

// Eight keys at a time: the keys inside are packed to the front of the vector and stored whole; the
// next store starts where the kept ones end.
__attribute__((target("avx2,popcnt"))) std::size_t WindowAvx2(const std::uint32_t* keys, std::size_t n,
                                                              std::uint32_t lo, std::uint32_t hi,
                                                              std::uint32_t* inside, std::size_t& m) {
    // Signed comparisons order the keys once their top bits are flipped.
    const __m256i flip = _mm256_set1_epi32(std::numeric_limits<std::int32_t>::min());
    const __m256i low = _mm256_set1_epi32(static_cast<std::int32_t>(lo ^ 0x80000000u));
    const __m256i high = _mm256_set1_epi32(static_cast<std::int32_t>(hi ^ 0x80000000u));
    __m256i below = _mm256_setzero_si256();
    std::size_t count = 0, i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i key = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(keys + i));
        const __m256i ordered = _mm256_xor_si256(key, flip);
        const __m256i under = _mm256_cmpgt_epi32(low, ordered);
        const __m256i outside = _mm256_or_si256(under, _mm256_cmpgt_epi32(ordered, high));
        below = _mm256_sub_epi32(below, under);
        const unsigned in = ~static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(outside))) & 0xFFu;
        const __m256i order = _mm256_load_si256(reinterpret_cast<const __m256i*>(kPacking.lanes[in]));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(inside + count),
                            _mm256_permutevar8x32_epi32(key, order));
        count += static_cast<std::size_t>(_mm_popcnt_u32(in));
    }
    std::uint32_t lanes[8];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), below);
    std::size_t total = 0;
    for (const std::uint32_t lane : lanes)
        total += lane;
    std::size_t rest = 0;
    total += WindowScalar(keys + i, n - i, lo, hi, inside + count, rest);
    m = count + rest;
    return total;
}
#endif

std::size_t Window(const std::uint32_t* keys, std::size_t n, std::uint32_t lo, std::uint32_t hi,
                   std::uint32_t* inside, std::size_t& m) {
#if defined(__x86_64__) || defined(__i386__)
    if (UseAvx2())
        return WindowAvx2(keys, n, lo, hi, inside, m);
#endif
    return WindowScalar(keys, n, lo, hi, inside, m);
}

} // namespace

std::uint32_t SelectKey(std::uint32_t* keys, std::size_t n, std::size_t k) {
    return SelectIn(keys, n, k, 0, 0xFFFFFFFFu);
}

std::uint32_t CSelectNear::operator()(std::uint32_t* keys, std::size_t n, std::size_t k) {
    if (m_bHaveGuess) {
        const std::uint32_t lo = OrderKey(m_guess - m_halfWidth), hi = OrderKey(m_guess + m_halfWidth);
        if (lo <= hi) {
            if (m_inside.size() < n + kSlack)
                m_inside.resize(n + kSlack);
            std::size_t m = 0;
            const std::size_t below = Window(keys, n, lo, hi, m_inside.data(), m);
            if (below <= k && k - below < m) {
                const std::uint32_t answer = SelectIn(m_inside.data(), m, k - below, lo, hi - lo);
                // A window that holds many keys costs more than the odd miss.
                if (m > n / 8)
                    m_halfWidth *= 0.5f;
                m_guess = FromOrderKey(answer);
                return answer;
            }
        }
    }
    const std::uint32_t answer = SelectKey(keys, n, k);
    const float value = FromOrderKey(answer);
    if (m_bHaveGuess)
        m_halfWidth = std::max(2.0f * m_halfWidth, 2.0f * std::fabs(value - m_guess));
    if (!(m_halfWidth <= FLT_MAX))
        m_halfWidth = 0.0f; // infinite or NaN values: only an exact repeat can hit
    m_guess = value;
    m_bHaveGuess = true;
    return answer;
}

} // namespace doc
