#pragma once
// Exact selection of the k-th smallest float, for the chain stages that need one order statistic of
// each of many lines. Floats are selected through their order keys: unsigned integers that sort as
// the floats do, so that a histogram of their leading bits can narrow the search without comparisons.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace doc {

// -0 sorts just below +0; every NaN sorts beyond the infinity of its sign.
inline std::uint32_t OrderKey(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const std::uint32_t negative = static_cast<std::uint32_t>(static_cast<std::int32_t>(bits) >> 31);
    return bits ^ (negative | 0x80000000u);
}

inline float FromOrderKey(std::uint32_t key) {
    const std::uint32_t bits = key & 0x80000000u ? key ^ 0x80000000u : ~key;
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// The k-th smallest (k from 0) of keys[0 ... n - 1]; k < n. The keys are used as scratch space and
// come back in no particular order.
std::uint32_t SelectKey(std::uint32_t* keys, std::size_t n, std::size_t k);

// The same selection for a series of lines whose answers lie close together, as the statistics of
// neighbouring scan lines do: one pass counts the keys below a window around the previous answer and
// collects those inside it; only when the k-th key falls outside does the line take the full search.
// The window follows the answers: it widens after a miss and narrows when it holds too many keys.
class CSelectNear {
public:
    // The k-th smallest of keys[0 ... n - 1]; k < n. The keys may come back reordered.
    std::uint32_t operator()(std::uint32_t* keys, std::size_t n, std::size_t k);

private:
    std::vector<std::uint32_t> m_inside;
    bool m_bHaveGuess = false;
    float m_guess = 0.0f;
    float m_halfWidth = 0.0f;
};

} // namespace doc
