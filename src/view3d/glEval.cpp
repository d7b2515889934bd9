#include "view3d/glEval.h"

#include <cmath>
#include <limits>

namespace gl {

namespace {
const char* const kFile = "glEval";
} // namespace

unsigned round(const float val) {
    if (!(val >= 0.0f))
        fw::ThrowInvalidArgument(kFile, "inline unsigned round(const float val)",
                                 "negative value is not acceptable");
    // 2^32 as a float; a larger integer part would not fit.
    if (val >= 4294967296.0f)
        return std::numeric_limits<unsigned>::max();
    const unsigned t = static_cast<unsigned>(val);
    // Not trunc(val + 0.5): the sum itself rounds up for the float just below 0.5.
    return val - static_cast<float>(t) >= 0.5f ? t + 1 : t;
}

float fround(const float val, const int precision) {
    static const float kPowers[] = {1e-4f, 1e-3f, 1e-2f, 1e-1f, 1.0f, 1e1f, 1e2f, 1e3f, 1e4f};
    if (precision < -4 || precision > 4)
        fw::ThrowOutOfRange(kFile, "inline const float fround(const float val, const int precision)",
                            "precision is out of range");
    const float f = kPowers[precision + 4];
    float whole = 0.0f;
    const float fraction = std::modf(std::fabs(val) * f, &whole);
    const float result = (fraction >= 0.5f ? whole + 1.0f : whole) / f;
    return val < 0.0f ? -result : result;
}

} // namespace gl
