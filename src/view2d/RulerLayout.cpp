#include "view2d/RulerLayout.h"

namespace rulers {

namespace {
int Scale(bool print) {
    return print ? 3 : 1;
}
} // namespace

Kind KindOf(int placement) {
    switch (placement) {
    case kZeroCentre:
        return kCentreAbove;
    case kZeroLower:
        return kLowerLeft;
    default:
        return kUpperLeft;
    }
}

CMargins MarginsOf(int placement, bool shown, bool print) {
    if (!shown)
        return {};
    const int s = Scale(print);
    const bool lower = placement == kZeroLower;
    return {36 * s, (lower ? 12 : 24) * s, 12 * s, (lower ? 24 : 12) * s};
}

CArea AreaOf(float viewWidth, float viewHeight, const CMargins& margins) {
    return {static_cast<float>(margins.left), static_cast<float>(margins.bottom),
            viewWidth - static_cast<float>(margins.left + margins.right),
            viewHeight - static_cast<float>(margins.top + margins.bottom)};
}

CPoint UnitTextAt(int placement, const CArea& area, float left, bool print) {
    const float s = static_cast<float>(Scale(print));
    const float x = area.left - left * s;
    switch (placement) {
    case kZeroCentre:
        return {x, area.bottom + area.height * 0.5f};
    case kZeroLower:
        return {x, area.bottom - 18.0f * s};
    default:
        return {x, area.bottom + area.height + 12.0f * s};
    }
}

} // namespace rulers
