#include "processing/AutoCorrelation.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>
#include <vector>

#include "processing/ScaleImage.h"
#include "processing/kernels/Kernels.h"

namespace doc {

namespace {

// Eight partial sums in a fixed order: the compiler may keep them in one vector, and the zero lag,
// summed exactly as the energy is, divides to 1 exactly.
float Dot(const float* a, const float* b, int n) {
    float s[8] = {};
    int i = 0;
    for (; i + 8 <= n; i += 8)
        for (int l = 0; l < 8; ++l)
            s[l] += a[i + l] * b[i + l];
    for (int l = 0; i < n; ++i, ++l)
        s[l] += a[i] * b[i];
    return ((s[0] + s[1]) + (s[2] + s[3])) + ((s[4] + s[5]) + (s[6] + s[7]));
}

} // namespace

int CorrelationCells(const float* src, int columns, int rows, std::vector<float>& k, int& ws, int& hs) {
    using namespace kern;
    k.clear();
    if (!src)
        return StsNullPtr;
    if (columns < 1 || rows < 1)
        return StsSize;
    ws = std::min(columns, kCorrelationSide);
    hs = std::min(rows, kCorrelationSide);
    try {
        std::vector<float> a(static_cast<std::size_t>(ws) * hs);
        if (ws == columns && hs == rows)
            std::copy(src, src + a.size(), a.begin());
        else if (!ScaleImage(src, columns, rows, a.data(), ws, hs))
            return StsNoMem;
        // The grid repeated twice each way, so that every shifted row is one run of cells.
        const int w2 = 2 * ws;
        std::vector<float> b(static_cast<std::size_t>(w2) * 2 * hs);
        for (int y = 0; y < 2 * hs; ++y)
            for (int x = 0; x < w2; ++x)
                b[static_cast<std::size_t>(y) * w2 + x] = a[static_cast<std::size_t>(y % hs) * ws + x % ws];
        auto at = [&](int x, int y) { return b.data() + static_cast<std::size_t>(y) * w2 + x; };
        k.resize(a.size());
        for (int q = 0; q < hs; ++q)
            for (int p = 0; p < ws; ++p) {
                float sum = 0.0f;
                for (int y = 0; y < hs; ++y)
                    sum += Dot(at(ws / 2, y + hs / 2), at(p, y + q), ws);
                k[static_cast<std::size_t>(q) * ws + p] = sum;
            }
        const float energy = k[static_cast<std::size_t>(hs / 2) * ws + ws / 2];
        const bool none = !(energy > 0.0f) || !std::isfinite(energy);
        for (float& v : k) {
            v = none ? 0.0f : v / energy;
            if (!std::isfinite(v))
                v = 0.0f;
        }
    } catch (const std::bad_alloc&) {
        k.clear();
        return StsNoMem;
    } catch (const std::length_error&) {
        k.clear();
        return StsNoMem;
    }
    return StsNoErr;
}

int AutoCorrelation(const float* src, float* dst, int columns, int rows) {
    using namespace kern;
    if (!dst)
        return StsNullPtr;
    std::vector<float> k;
    int ws = 0, hs = 0;
    if (const int status = CorrelationCells(src, columns, rows, k, ws, hs))
        return status;
    if (ws == columns && hs == rows)
        std::copy(k.begin(), k.end(), dst);
    // ScaleImage takes all its memory before it writes: a failure leaves dst as it was.
    else if (!ScaleImage(k.data(), ws, hs, dst, columns, rows))
        return StsNoMem;
    return StsNoErr;
}

} // namespace doc
