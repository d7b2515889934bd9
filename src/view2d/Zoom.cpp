#include "view2d/Zoom.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <iterator>

namespace m2D {

namespace {

constexpr std::size_t kSteps = std::size(kZoomSteps);
constexpr std::size_t kOne = 12; // kZoomSteps[kOne] == 1
static_assert(kZoomSteps[kOne] == 1.0f, "the natural size is a step");

// The smallest image side a window shows, in pixels.
constexpr int kMinimumSide = 200;

// Rounded to the given number of decimals, in float as the scales are kept.
float RoundTo(double x, int decimals) {
    const double unit = decimals == 2 ? 100.0 : 1000.0;
    return static_cast<float>(std::round(x * unit) / unit);
}

int RoundSide(int samples, float scale) {
    const double side = std::round(static_cast<double>(samples) * static_cast<double>(scale));
    if (!(side > 0.0)) // negative or NaN
        return 0;
    return side >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(side);
}

bool PositiveFinite(float x) {
    return x > 0.0f && std::isfinite(x);
}

// The tests of a new window's scale. The image only grows with the scale, so the scales whose frame
// fits lie below some bound and those that keep the minimum above another.
class CFitTest {
public:
    explicit CFitTest(const CFit& fit) : m_fit(fit) {}

    bool Fits(float m) const {
        const CSize image = ImageSize(m_fit.displayedWidth, m_fit.displayedHeight, m, m);
        return static_cast<long long>(image.width) + m_fit.extraWidth <= m_fit.targetWidth &&
               static_cast<long long>(image.height) + m_fit.extraHeight <= m_fit.targetHeight;
    }
    bool KeepsMinimum(float m) const {
        const CSize image = ImageSize(m_fit.displayedWidth, m_fit.displayedHeight, m, m);
        return image.width >= kMinimumSide && image.height >= kMinimumSide;
    }
    bool Good(float m) const { return Fits(m) && KeepsMinimum(m); }

    // Between lo, below the minimum, and hi, too large: candidates from hi downwards in steps of a
    // fifth of the interval, rounded; the first that fits is the answer when it keeps the minimum,
    // and otherwise the answer can only lie between it and the candidate above it, which is searched
    // the same way. The interval shrinks on every level until rounding yields no scale strictly
    // inside it, which ends the search.
    float Refine(float lo, float hi, int tries, int decimals) const {
        for (int level = 0; level < 64; ++level) {
            const double step = (static_cast<double>(hi) - lo) / 5.0;
            float upper = hi; // the smallest scale known to be too large
            float lower = lo; // the largest scale known to be below the minimum
            for (int i = 1; i <= tries; ++i) {
                const float c = RoundTo(hi - i * step, decimals);
                if (c >= upper) // rounded onto a scale already tried
                    continue;
                if (c <= lo)
                    break;
                if (!Fits(c)) {
                    upper = c;
                    continue;
                }
                if (KeepsMinimum(c))
                    return c;
                lower = c;
                break;
            }
            if (upper == hi && lower == lo)
                break;
            lo = lower;
            hi = upper;
        }
        return 0.0f;
    }

    // One search through the zoom steps and between them; 0 when it finds nothing.
    //
    // At the natural size the frame either is good, or too large (which wins when the image is at
    // once too small one way and too large the other), or below the minimum.
    // Too large: the steps from 0.75 down; the first that fits is the answer when it keeps the
    // minimum, else the search goes on between it and the step above. When not even 0.01 fits, it
    // goes on between 0 and 0.01.
    // Below the minimum: the steps from 1.5 up; the first that keeps the minimum is the answer when
    // it fits, else the search goes on between it and the step below. When not even 100 keeps the
    // minimum, this search finds nothing.
    float Search(int tries, int decimals) const {
        const float one = kZoomSteps[kOne];
        if (Good(one))
            return one;
        if (!Fits(one)) {
            for (std::size_t k = kOne; k-- > 0;) {
                const float m = kZoomSteps[k];
                if (Fits(m))
                    return KeepsMinimum(m) ? m : Refine(m, kZoomSteps[k + 1], tries, decimals);
            }
            return Refine(0.0f, kZoomSteps[0], tries, decimals);
        }
        for (std::size_t k = kOne + 1; k < kSteps; ++k) {
            const float m = kZoomSteps[k];
            if (KeepsMinimum(m))
                return Fits(m) ? m : Refine(kZoomSteps[k - 1], m, tries, decimals);
        }
        return 0.0f;
    }

private:
    const CFit& m_fit;
};

} // namespace

float ZoomInStep(float scale) {
    const float r = RoundTo(scale, 2);
    for (float step : kZoomSteps)
        if (step > r)
            return step;
    return kZoomSteps[kSteps - 1];
}

float ZoomOutStep(float scale) {
    const float r = RoundTo(scale, 2);
    for (std::size_t k = kSteps; k-- > 0;)
        if (kZoomSteps[k] < r)
            return kZoomSteps[k];
    return kZoomSteps[0];
}

float WheelScale(float scale, int n) {
    const float notches = std::fabs(static_cast<float>(n));
    if (n <= 0)
        return scale * (1.0f + notches * 0.01f);
    const float cut = n < 100 ? notches * 0.01f : 0.99f;
    return scale - scale * cut;
}

CScales ZoomScales(float entry, CScales current, bool lockAspect, float minScale, float maxScale,
                   bool zoomIn) {
    if (lockAspect)
        return {entry, entry};
    float ratio = current.v / current.h;
    if (!PositiveFinite(ratio))
        ratio = 1.0f;
    const float v = ratio * entry;
    if (zoomIn ? v > maxScale : v < minScale) {
        const float bound = zoomIn ? maxScale : minScale;
        return {bound / ratio, bound};
    }
    return {entry, v};
}

int TurnAngle(int angle, int hSign, int vSign) {
    angle %= 360;
    if (angle > 0)
        angle -= 360;
    const bool oneFlip = (hSign < 0 && vSign > 0) || (hSign > 0 && vSign < 0);
    if (oneFlip)
        return angle == 0 ? -270 : angle + 90;
    return angle == -270 ? 0 : angle - 90;
}

int MirrorScroll(int min, int max, int page, int pos) {
    const long long lo = min;
    const long long hi = lo + max - page;
    if (hi < lo)
        return min;
    const long long mirrored = 2 * lo + max - page - pos;
    return static_cast<int>(std::clamp(mirrored, lo, hi));
}

float MinimumScale(int displayedWidth, int displayedHeight) {
    const float side = static_cast<float>(kMinimumSide);
    return std::max(side / static_cast<float>(std::max(displayedWidth, 1)),
                    side / static_cast<float>(std::max(displayedHeight, 1)));
}

float MaximumScale(bool dragDrop, int mdiClientWidth, int edgeWidth, int frameWidth, int rulerLeftRight,
                   bool barShown, int displayedWidth, float minimumScale) {
    float largest = 100.0f;
    if (dragDrop) {
        const long long room = static_cast<long long>(mdiClientWidth) - 2LL * edgeWidth - 2LL * frameWidth -
                               rulerLeftRight - (barShown ? 76 : 0);
        largest = static_cast<float>(room) / static_cast<float>(displayedWidth);
    }
    const bool largestValid = PositiveFinite(largest);
    const bool minimumValid = PositiveFinite(minimumScale);
    if (largestValid && minimumValid)
        return std::max(largest, minimumScale);
    if (largestValid)
        return largest;
    return minimumValid ? minimumScale : 1.0f;
}

CSize ImageSize(int displayedWidth, int displayedHeight, float h, float v) {
    return {RoundSide(displayedWidth, h), RoundSide(displayedHeight, v)};
}

// The search runs with candidates rounded to 3 decimals, then once more with 2 decimals and four
// candidates a level. When both find nothing the last try is the smallest scale that keeps the
// minimum: it finds the scales that lie between two rounded candidates, as with surfaces of hundreds
// of thousands of samples. When that does not fit either, no scale does.
CFitResult InitialScale(const CFit& fit) {
    if (fit.targetWidth < static_cast<long long>(kMinimumSide) + fit.extraWidth)
        return {0.0f, FitError::kTooNarrow};
    if (fit.displayedWidth <= 0 || fit.displayedHeight <= 0)
        return {0.0f, FitError::kNoScale};
    const CFitTest test(fit);
    float m = test.Search(5, 3);
    if (m == 0.0f)
        m = test.Search(4, 2);
    if (m == 0.0f) {
        const float least = MinimumScale(fit.displayedWidth, fit.displayedHeight);
        if (test.Good(least))
            m = least;
    }
    if (m == 0.0f)
        return {0.0f, FitError::kNoScale};
    return {m, FitError::kNone};
}

} // namespace m2D
