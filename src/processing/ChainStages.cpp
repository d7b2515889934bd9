#include "processing/ChainStages.h"

#include "processing/Select.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#include <xmmintrin.h>
#define VANTRI_CHAIN_SSE2 1
#else
#define VANTRI_CHAIN_SSE2 0
#endif

namespace doc {

namespace {

constexpr double kE = 2.718281828459045;

std::size_t CellCount(int columns, int rows) {
    if (columns <= 0 || rows <= 0)
        return 0;
    return static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
}

// The reductions keep eight independent lanes: the compiler neither reorders floating-point operations
// to vectorise a reduction nor hides their latency otherwise. The lanes are held in named vectors: an
// array of lanes stays in memory at -O2.
constexpr std::size_t kLanes = 8;

// From this many cells on, a pass that writes a whole grid writes past the cache.
constexpr std::size_t kStreamFrom = std::size_t(1) << 21;

// A read a few rows ahead: the processor does not foresee reads a whole row apart.
inline void Prefetch(const float* p) {
#if VANTRI_CHAIN_SSE2
    _mm_prefetch(reinterpret_cast<const char*>(p), _MM_HINT_T0);
#else
    (void)p;
#endif
}

#if VANTRI_CHAIN_SSE2
// The order keys of four floats.
inline __m128i Keys(__m128 v) {
    const __m128i bits = _mm_castps_si128(v);
    return _mm_xor_si128(bits, _mm_or_si128(_mm_srai_epi32(bits, 31), _mm_set1_epi32(INT32_MIN)));
}

// float(double(v) + add) for four floats; lo is added to the first two, hi to the last two.
inline __m128 AddInDouble(__m128 v, __m128d lo, __m128d hi) {
    const __m128 first = _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(v), lo));
    const __m128 last = _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(v, v)), hi));
    return _mm_movelh_ps(first, last);
}
#endif

// The extremes of a run of floats in eight lanes: lane k takes the cells of whole blocks of eight at
// k, each lane starting from the first value, and lane 0 the cells after the last whole block. The
// lanes make the same choices however the run is handed over, as long as every piece but the last is
// a whole number of blocks.
class CExtremes {
public:
    explicit CExtremes(float first) {
#if VANTRI_CHAIN_SSE2
        m_l0 = m_l1 = m_h0 = m_h1 = _mm_set1_ps(first);
#else
        std::fill(m_l, m_l + kLanes, first);
        std::fill(m_h, m_h + kLanes, first);
#endif
    }

#if VANTRI_CHAIN_SSE2
    // Takes a whole block of eight: a the first four cells, b the last four. _mm_min_ps(a, b) is
    // a < b ? a : b, the scalar loop's choice exactly.
    void Take(__m128 a, __m128 b) {
        m_l0 = _mm_min_ps(a, m_l0);
        m_l1 = _mm_min_ps(b, m_l1);
        m_h0 = _mm_max_ps(a, m_h0);
        m_h1 = _mm_max_ps(b, m_h1);
    }
#endif

    // Takes v[0 ... n - 1]; n that is not a multiple of 8 ends the run.
    void Take(const float* v, std::size_t n) {
        std::size_t i = 0;
#if VANTRI_CHAIN_SSE2
        for (; i + kLanes <= n; i += kLanes)
            Take(_mm_loadu_ps(v + i), _mm_loadu_ps(v + i + 4));
#else
        for (; i + kLanes <= n; i += kLanes)
            for (std::size_t k = 0; k < kLanes; ++k) {
                m_l[k] = v[i + k] < m_l[k] ? v[i + k] : m_l[k];
                m_h[k] = v[i + k] > m_h[k] ? v[i + k] : m_h[k];
            }
#endif
        for (; i < n && m_tailCount < kLanes; ++i)
            m_tail[m_tailCount++] = v[i];
    }

    void Result(float& lo, float& hi) const {
        float l[kLanes], h[kLanes];
#if VANTRI_CHAIN_SSE2
        _mm_storeu_ps(l, m_l0);
        _mm_storeu_ps(l + 4, m_l1);
        _mm_storeu_ps(h, m_h0);
        _mm_storeu_ps(h + 4, m_h1);
#else
        std::copy(m_l, m_l + kLanes, l);
        std::copy(m_h, m_h + kLanes, h);
#endif
        for (std::size_t i = 0; i < m_tailCount; ++i) {
            l[0] = std::min(l[0], m_tail[i]);
            h[0] = std::max(h[0], m_tail[i]);
        }
        lo = *std::min_element(l, l + kLanes);
        hi = *std::max_element(h, h + kLanes);
    }

private:
#if VANTRI_CHAIN_SSE2
    __m128 m_l0, m_l1, m_h0, m_h1;
#else
    float m_l[kLanes], m_h[kLanes];
#endif
    float m_tail[kLanes] = {}; // the cells after the last whole block
    std::size_t m_tailCount = 0;
};

void MinMax(const float* v, std::size_t n, float& lo, float& hi) {
    CExtremes extremes(v[0]);
    extremes.Take(v, n);
    extremes.Result(lo, hi);
}

double Sum(const float* v, std::size_t n) {
    double s[kLanes] = {};
    std::size_t i = 0;
#if VANTRI_CHAIN_SSE2
    __m128d s01 = _mm_setzero_pd(), s23 = s01, s45 = s01, s67 = s01;
    for (; i + kLanes <= n; i += kLanes) {
        const __m128 a = _mm_loadu_ps(v + i), b = _mm_loadu_ps(v + i + 4);
        s01 = _mm_add_pd(s01, _mm_cvtps_pd(a));
        s23 = _mm_add_pd(s23, _mm_cvtps_pd(_mm_movehl_ps(a, a)));
        s45 = _mm_add_pd(s45, _mm_cvtps_pd(b));
        s67 = _mm_add_pd(s67, _mm_cvtps_pd(_mm_movehl_ps(b, b)));
    }
    _mm_storeu_pd(s, s01);
    _mm_storeu_pd(s + 2, s23);
    _mm_storeu_pd(s + 4, s45);
    _mm_storeu_pd(s + 6, s67);
#else
    for (; i + kLanes <= n; i += kLanes)
        for (std::size_t k = 0; k < kLanes; ++k)
            s[k] += v[i + k];
#endif
    for (; i < n; ++i)
        s[0] += v[i];
    return ((s[0] + s[1]) + (s[2] + s[3])) + ((s[4] + s[5]) + (s[6] + s[7]));
}

// The element-wise loops below run most of their cells in a loop whose trip count is a multiple of 8,
// set outside any row loop: the compiler then vectorises it without a scalar remainder of its own.
std::size_t WholeBlocks(std::size_t n) {
    return n & ~static_cast<std::size_t>(7);
}

// v[k] = cell(v[k]) for k = 0 ... n - 1.
template <typename Cell> void MapInPlace(float* v, std::size_t n, Cell cell) {
    const std::size_t body = WholeBlocks(n);
    for (std::size_t k = 0; k < body; ++k)
        v[k] = cell(v[k]);
    for (std::size_t k = body; k < n; ++k)
        v[k] = cell(v[k]);
}

// out[k] = cell(in[k]) for k = 0 ... n - 1, the two apart.
template <typename Cell>
void MapApart(const float* __restrict in, float* __restrict out, std::size_t n, Cell cell) {
    const std::size_t body = WholeBlocks(n);
    for (std::size_t k = 0; k < body; ++k)
        out[k] = cell(in[k]);
    for (std::size_t k = body; k < n; ++k)
        out[k] = cell(in[k]);
}

// out[k] = cell(in[k]) for k = 0 ... n - 1; out may be in.
template <typename Cell> void MapCells(const float* in, float* out, std::size_t n, Cell cell) {
    if (in == out)
        MapInPlace(out, n, cell);
    else
        MapApart(in, out, n, cell);
}

// The grid as it is into out, unless out is the grid.
void CopyCells(const float* in, float* out, std::size_t n) {
    if (in != out)
        std::copy(in, in + n, out);
}

// A cell lifted by a row's offset: rows with nothing to add keep their cells as they are (-0 stays -0).
inline float Lifted(float v, double add) {
    return add == 0.0 ? v : static_cast<float>(v + add);
}

// Adds lift[i] to every cell of row i, in double; rows with nothing to add are not touched.
void LiftRows(float* grid, std::size_t w, std::size_t h, const double* lift) {
    for (std::size_t i = 0; i < h; ++i) {
        const double add = lift[i];
        if (add == 0.0)
            continue;
        float* row = grid + i * w;
        std::size_t j = 0;
#if VANTRI_CHAIN_SSE2
        const __m128d pair = _mm_set1_pd(add);
        for (; j + 4 <= w; j += 4)
            _mm_storeu_ps(row + j, AddInDouble(_mm_loadu_ps(row + j), pair, pair));
#endif
        for (; j < w; ++j)
            row[j] = static_cast<float>(row[j] + add);
    }
}

// Adds columnLift[j] to every cell of column j, in double, after rowLift[i] (when given) has been added
// to row i as LiftRows does.
void LiftColumns(float* grid, std::size_t w, std::size_t h, const double* columnLift, const double* rowLift) {
    for (std::size_t i = 0; i < h; ++i) {
        float* row = grid + i * w;
        const double before = rowLift ? rowLift[i] : 0.0;
        std::size_t j = 0;
#if VANTRI_CHAIN_SSE2
        const __m128d pair = _mm_set1_pd(before);
        for (; j + 4 <= w; j += 4) {
            __m128 v = _mm_loadu_ps(row + j);
            if (before != 0.0)
                v = AddInDouble(v, pair, pair);
            _mm_storeu_ps(row + j,
                          AddInDouble(v, _mm_loadu_pd(columnLift + j), _mm_loadu_pd(columnLift + j + 2)));
        }
#endif
        for (; j < w; ++j)
            row[j] = static_cast<float>(Lifted(row[j], before) + columnLift[j]);
    }
}

// The order keys of upper[j] - lower[j].
void RowDifferenceKeys(const float* upper, const float* lower, std::size_t n, std::uint32_t* out) {
    std::size_t j = 0;
#if VANTRI_CHAIN_SSE2
    for (; j + 4 <= n; j += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j),
                         Keys(_mm_sub_ps(_mm_loadu_ps(upper + j), _mm_loadu_ps(lower + j))));
#endif
    for (; j < n; ++j)
        out[j] = OrderKey(upper[j] - lower[j]);
}

// The keys of the cells (j, i) whose per-column order statistics a pass needs, one at a time or for
// four neighbouring columns j ... j + 3 at once. This one: |v(j, i) - v(j, i + 1)|, the step down a
// column, for i up to rows - 2.
struct CColumnSteps {
    const float* grid;
    std::size_t w;

    std::uint32_t One(std::size_t j, std::size_t i) const {
        return OrderKey(std::fabs(grid[j + i * w] - grid[j + (i + 1) * w]));
    }
#if VANTRI_CHAIN_SSE2
    __m128i Four(std::size_t j, std::size_t i) const {
        const float* p = grid + j + i * w;
        const __m128 d = _mm_sub_ps(_mm_loadu_ps(p), _mm_loadu_ps(p + w));
        return Keys(_mm_andnot_ps(_mm_set1_ps(-0.0f), d));
    }
#endif
};

// v(j, i) - v(j + 1, i), each cell first lifted by its row's offset when rowLift is given: the rows
// pass of "rows then columns" leaves its lift to the columns pass, which reads every cell anyway.
struct CColumnDifferences {
    const float* grid;
    std::size_t w;
    const double* rowLift;

    std::uint32_t One(std::size_t j, std::size_t i) const {
        const double add = rowLift ? rowLift[i] : 0.0;
        return OrderKey(Lifted(grid[j + i * w], add) - Lifted(grid[j + 1 + i * w], add));
    }
#if VANTRI_CHAIN_SSE2
    __m128i Four(std::size_t j, std::size_t i) const {
        const float* p = grid + j + i * w;
        __m128 a = _mm_loadu_ps(p), b = _mm_loadu_ps(p + 1);
        const double add = rowLift ? rowLift[i] : 0.0;
        if (add != 0.0) {
            const __m128d pair = _mm_set1_pd(add);
            a = AddInDouble(a, pair, pair);
            b = AddInDouble(b, pair, pair);
        }
        return Keys(_mm_sub_ps(a, b));
    }
#endif
};

// For each of `count` columns, the k-th smallest of the `length` keys of that column. Each column's
// keys must be gathered into a buffer for the selection anyway; doing it for a block of columns at a
// time reads the grid row by row instead of striding through it once per column, and the block's
// buffer stays in the second-level cache.
template <typename Key>
void SelectPerColumn(const Key& key, std::size_t h, std::size_t count, std::size_t length, std::size_t k,
                     std::uint32_t* out) {
    constexpr std::size_t kBlock = 16;
    constexpr std::size_t kAhead = 8; // rows

    const std::size_t w = key.w;
    // Columns a power of two apart would share cache sets; an odd number of lines apart they do not.
    const std::size_t stride = (length + 15) / 32 * 32 + 16;
    std::vector<std::uint32_t> buffer(std::min(count, kBlock) * stride);
    CSelectNear select;
    for (std::size_t j0 = 0; j0 < count; j0 += kBlock) {
        const std::size_t n = std::min(kBlock, count - j0);
        const std::size_t last = std::min(j0 + kBlock, w - 1);
        std::uint32_t* column = buffer.data();
        std::size_t i = 0;
#if VANTRI_CHAIN_SSE2
        // Four rows of four columns at a time, turned into four runs of one column.
        if (n == kBlock)
            for (; i + 4 <= length; i += 4) {
                if (i + kAhead + 4 < h)
                    for (std::size_t r = i + kAhead; r < i + kAhead + 4; ++r) {
                        Prefetch(key.grid + r * w + j0);
                        Prefetch(key.grid + r * w + last);
                    }
                for (std::size_t b = 0; b < kBlock; b += 4) {
                    __m128 r0 = _mm_castsi128_ps(key.Four(j0 + b, i));
                    __m128 r1 = _mm_castsi128_ps(key.Four(j0 + b, i + 1));
                    __m128 r2 = _mm_castsi128_ps(key.Four(j0 + b, i + 2));
                    __m128 r3 = _mm_castsi128_ps(key.Four(j0 + b, i + 3));
                    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
                    _mm_storeu_ps(reinterpret_cast<float*>(column + b * stride + i), r0);
                    _mm_storeu_ps(reinterpret_cast<float*>(column + (b + 1) * stride + i), r1);
                    _mm_storeu_ps(reinterpret_cast<float*>(column + (b + 2) * stride + i), r2);
                    _mm_storeu_ps(reinterpret_cast<float*>(column + (b + 3) * stride + i), r3);
                }
            }
#endif
        for (; i < length; ++i) {
            if (i + kAhead < h) {
                Prefetch(key.grid + (i + kAhead) * w + j0);
                Prefetch(key.grid + (i + kAhead) * w + last);
            }
            for (std::size_t b = 0; b < n; ++b)
                column[b * stride + i] = key.One(j0 + b, i);
        }
        for (std::size_t b = 0; b < n; ++b)
            out[j0 + b] = select(column + b * stride, length, k);
    }
}

// The running sums of the offsets: what each row (or column) is lifted by.
std::vector<double> RunningSums(const std::vector<std::uint32_t>& offsets) {
    std::vector<double> lift(offsets.size() + 1);
    double sum = 0.0;
    lift[0] = 0.0;
    for (std::size_t r = 1; r < lift.size(); ++r) {
        sum += FromOrderKey(offsets[r - 1]);
        lift[r] = sum;
    }
    return lift;
}

// What every row is to be lifted by; the grid is not changed.
std::vector<double> MeasureRows(const float* grid, std::size_t w, std::size_t h) {
    std::vector<std::uint32_t> diff(w);
    std::vector<std::uint32_t> offsets(h - 1);
    CSelectNear select;
    for (std::size_t i = 0; i + 1 < h; ++i) {
        RowDifferenceKeys(grid + i * w, grid + (i + 1) * w, w, diff.data());
        offsets[i] = select(diff.data(), w, w / 2);
    }
    return RunningSums(offsets);
}

// Levels the columns of the grid as it would be after rowLift (when given) was added to its rows, and
// adds both lifts.
void FlattenColumns(float* grid, std::size_t w, std::size_t h, const double* rowLift) {
    std::vector<std::uint32_t> offsets(w - 1);
    SelectPerColumn(CColumnDifferences{grid, w, rowLift}, h, w - 1, h, h / 2, offsets.data());
    const std::vector<double> lift = RunningSums(offsets);
    LiftColumns(grid, w, h, lift.data(), rowLift);
}

void EliminateJumpsIn(float* grid, std::size_t w, std::size_t h) {
    auto row = [&](std::size_t i) { return grid + i * w; };

    // The last column takes no part in the typical step.
    std::vector<std::uint32_t> steps(w - 1);
    SelectPerColumn(CColumnSteps{grid, w}, h, w - 1, h - 1, (h - 1) / 2, steps.data());
    const double threshold = FromOrderKey(SelectKey(steps.data(), w - 1, (w - 1) / 2)) * kE;

    std::vector<double> means(h);
    for (std::size_t i = 0; i < h; ++i)
        means[i] = Sum(row(i), w) / static_cast<double>(w);

    // Every row is lifted by the sum of the jumps up to it.
    std::vector<std::size_t> jumps;
    std::vector<double> lift(h);
    double offset = 0.0;
    lift[0] = 0.0;
    for (std::size_t i = 1; i < h; ++i) {
        const double d = means[i - 1] - means[i];
        if (std::fabs(d) > threshold) {
            offset += d;
            jumps.push_back(i);
        }
        lift[i] = offset;
    }
    LiftRows(grid, w, h, lift.data());

    // The rows at a step were scanned while the offset changed; they are rebuilt from their neighbours.
    for (std::size_t q = 0; q < jumps.size();) {
        const std::size_t first = jumps[q++];
        std::size_t next = first + 1;
        while (q < jumps.size() && jumps[q] == next) {
            ++q;
            ++next;
        }
        const float* before = row(first - 1);
        if (next == h) {
            // No row after the run to interpolate towards: the nearest good row stands in for it.
            for (std::size_t r = first; r < h; ++r)
                std::copy(before, before + w, row(r));
            break;
        }
        const float* after = row(next);
        const double parts = static_cast<double>(next - (first - 1));
        float* target = row(first);
        for (std::size_t k = 0; k < w; ++k)
            target[k] = static_cast<float>(before[k] + (static_cast<double>(after[k]) - before[k]) / parts);
        for (std::size_t r = first + 1; r < next; ++r)
            std::copy(target, target + w, row(r));
    }
}

} // namespace

double FitToUnit(float* grid, int columns, int rows) {
    return FitToUnit(grid, grid, columns, rows, nullptr);
}

double FitToUnit(const float* grid, float* out, int columns, int rows, const CValueRange* known) {
    const std::size_t n = CellCount(columns, rows);
    if (!grid || !out || n == 0)
        return 1.0;
    float lo, hi;
    if (known) {
        lo = known->lo;
        hi = known->hi;
    } else {
        MinMax(grid, n, lo, hi);
    }
    const double d = static_cast<double>(hi) - lo;
    if (d > 1.0) {
        // No clamp needed: v - lo never exceeds d, so in double the product exceeds 1 by at most two
        // roundings, which the conversion to float rounds back to 1; and it is never negative.
        const double scale = 1.0 / d, offset = lo;
        MapCells(grid, out, n, [=](float v) { return static_cast<float>((v - offset) * scale); });
        return d;
    }
    const double shift = 0.5 - (lo + d / 2);
    if (std::fabs(shift) > 0.0625 || lo < 0.0f || hi > 1.0f)
        MapCells(grid, out, n, [=](float v) { return static_cast<float>(v + shift); });
    else
        CopyCells(grid, out, n);
    return 1.0;
}

double Normalize(float* grid, int columns, int rows, CNormalizeState& state) {
    return Normalize(grid, grid, columns, rows, state, nullptr);
}

double Normalize(const float* grid, float* out, int columns, int rows, CNormalizeState& state,
                 CValueRange* range) {
    const std::size_t n = grid && out ? CellCount(columns, rows) : 0;
    if (state.pending) {
        if (n == 0)
            return 1.0;
        float lo, hi;
        MinMax(grid, n, lo, hi);
        const double span = static_cast<double>(hi) - lo;
        state.offset = lo;
        // A flat grid has nothing to stretch: it is only moved to 0, and later runs leave it alone.
        state.span = span > 0.0 ? span : 1.0;
        state.pending = false;
    } else if (state.span == 1.0 || !(state.span > 0.0)) {
        CopyCells(grid, out, n);
        if (range && n > 0)
            MinMax(out, n, range->lo, range->hi);
        return 1.0;
    }
    // A later run may meet values far outside what the span was measured on; a tiny span must not turn
    // them into infinities.
    const double offset = state.offset, span = state.span;
    const double limit = FLT_MAX;
#if VANTRI_CHAIN_SSE2
    // _mm_max_pd(a, b) is a > b ? a : b: with the bound first, a NaN passes as std::max lets it.
    const __m128d offsets = _mm_set1_pd(offset), spans = _mm_set1_pd(span);
    const __m128d lower = _mm_set1_pd(-limit), upper = _mm_set1_pd(limit);
    auto map = [&](__m128d x) {
        return _mm_cvtpd_ps(_mm_min_pd(upper, _mm_max_pd(lower, _mm_div_pd(_mm_sub_pd(x, offsets), spans))));
    };
#endif
    // Eight cells at a time, their extremes taken from the registers. A large grid's cells go straight
    // to memory: the processor need not read the lines it is about to overwrite.
    std::optional<CExtremes> extremes;
    std::size_t k = 0;
#if VANTRI_CHAIN_SSE2
    const bool stream = n >= kStreamFrom && reinterpret_cast<std::uintptr_t>(out) % 16 == 0;
    for (; k + kLanes <= n; k += kLanes) {
        const __m128 v = _mm_loadu_ps(grid + k), w = _mm_loadu_ps(grid + k + 4);
        const __m128 a = _mm_movelh_ps(map(_mm_cvtps_pd(v)), map(_mm_cvtps_pd(_mm_movehl_ps(v, v))));
        const __m128 b = _mm_movelh_ps(map(_mm_cvtps_pd(w)), map(_mm_cvtps_pd(_mm_movehl_ps(w, w))));
        if (stream) {
            _mm_stream_ps(out + k, a);
            _mm_stream_ps(out + k + 4, b);
        } else {
            _mm_storeu_ps(out + k, a);
            _mm_storeu_ps(out + k + 4, b);
        }
        if (range) {
            if (!extremes)
                extremes.emplace(_mm_cvtss_f32(a));
            extremes->Take(a, b);
        }
    }
    if (stream)
        _mm_sfence();
#endif
    MapCells(grid + k, out + k, n - k, [=](float v) {
        return static_cast<float>(std::min(std::max((v - offset) / span, -limit), limit));
    });
    if (range && n > 0) {
        if (!extremes)
            extremes.emplace(out[0]);
        extremes->Take(out + k, n - k);
    }
    if (extremes)
        extremes->Result(range->lo, range->hi);
    return span;
}

void EliminateJumps(float* grid, int columns, int rows) {
    if (!grid || columns < 2 || rows < 2)
        return;
    try {
        EliminateJumpsIn(grid, static_cast<std::size_t>(columns), static_cast<std::size_t>(rows));
    } catch (const std::bad_alloc&) {
        // Every buffer is taken before the first cell changes: the grid stays as it was.
    }
}

void Flatten(float* grid, int columns, int rows, Flattening mode) {
    const bool onY = mode == Flattening::OnY || mode == Flattening::OnYX;
    const bool onX = mode == Flattening::OnX || mode == Flattening::OnYX;
    if (!grid || columns < 2 || rows < 2 || !(onY || onX))
        return;
    const std::size_t w = static_cast<std::size_t>(columns), h = static_cast<std::size_t>(rows);
    // Each pass takes its buffers before it changes a cell; a pass without them is skipped. The rows'
    // lift waits for the columns pass, which applies it together with its own.
    std::vector<double> rowLift;
    if (onY) {
        try {
            rowLift = MeasureRows(grid, w, h);
        } catch (const std::bad_alloc&) {
        }
    }
    if (onX) {
        try {
            FlattenColumns(grid, w, h, rowLift.empty() ? nullptr : rowLift.data());
            return;
        } catch (const std::bad_alloc&) {
        }
    }
    if (!rowLift.empty())
        LiftRows(grid, w, h, rowLift.data());
}

} // namespace doc
