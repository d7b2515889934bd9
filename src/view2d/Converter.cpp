#include "view2d/Converter.h"

#include <algorithm>

namespace color {

namespace {

constexpr float k1_255 = 1.0f / 255.0f;
constexpr float k1_170 = 1.0f / 170.0f;
constexpr float k1_85 = 1.0f / 85.0f;

void Ramp(float* table) {
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<float>(i) * k1_255;
}

// Black through a's colour and a + b's to white: a rises over the whole range, b from 85, c from 170.
void TwoStageRamp(float* a, float* b, float* c) {
    for (int i = 0; i < 256; ++i) {
        a[i] = static_cast<float>(i) * k1_255;
        b[i] = i < 85 ? 0.0f : static_cast<float>(i - 85) * k1_170;
        c[i] = i < 170 ? 0.0f : static_cast<float>(i - 170) * k1_85;
    }
}

// count entries from first on, from `from` to `to`. A one-entry segment (the middle colour at an
// end of the bar) holds `single` instead of dividing by zero.
void Segment(float* table, unsigned first, unsigned count, float from, float to, float single) {
    if (count == 1) {
        table[first] = single;
        return;
    }
    const float span = static_cast<float>(count - 1);
    for (unsigned i = 0; i < count; ++i)
        table[first + i] = (static_cast<float>(count - 1 - i) * from + static_cast<float>(i) * to) / span;
}

// Red, green and blue of c in 0..1.
void Unit(COLORREF c, float* channels) {
    channels[0] = RedOf(c) * k1_255;
    channels[1] = GreenOf(c) * k1_255;
    channels[2] = BlueOf(c) * k1_255;
}

} // namespace

CConverter::CConverter(const IFillOwner* owner) : m_owner(owner) {
    Build(kGray);
}

void CConverter::SetType(unsigned type) {
    m_type = type;
    if (type < kGray || type > kCustom)
        return; // the tables stay as they are, mirrored or not
    Build(type);
    if (m_negative == 1)
        Reverse();
}

void CConverter::SetNegative(int flag) {
    const int negative = flag != 0 ? 1 : 0;
    if (negative == m_negative)
        return;
    Reverse();
    m_negative = negative;
}

void CConverter::Build(unsigned type) {
    switch (type) {
    case kGray:
        Ramp(m_red);
        Ramp(m_green);
        Ramp(m_blue);
        break;
    case kAmber:
        TwoStageRamp(m_red, m_green, m_blue);
        break;
    case kMarine:
        TwoStageRamp(m_blue, m_green, m_red);
        break;
    case kForest:
        TwoStageRamp(m_green, m_red, m_blue);
        break;
    case kCustom: {
        const CCustomFill* fill = m_owner ? m_owner->CustomFill() : nullptr;
        // Without a dialog the colours are those a fresh dialog starts with.
        BuildCustom(fill ? *fill : CCustomFill());
        break;
    }
    default:
        break;
    }
}

void CConverter::BuildCustom(const CCustomFill& fill) {
    float* const tables[3] = {m_red, m_green, m_blue};
    float bottom[3], centre[3], top[3];
    Unit(fill.colors[CCustomFill::kBottom], bottom);
    Unit(fill.colors[CCustomFill::kMiddle], centre);
    Unit(fill.colors[CCustomFill::kTop], top);
    if (fill.mode == 0) {
        for (int k = 0; k < 3; ++k)
            for (int i = 0; i < 256; ++i)
                tables[k][i] =
                    (static_cast<float>(i) * top[k] + static_cast<float>(255 - i) * bottom[k]) * k1_255;
        return;
    }
    // The middle colour sits at entries n - 1 and n. The slider keeps p in 0..1; a value from
    // elsewhere is held there so that n stays an index.
    const float middle = fill.MiddlePosition();
    const float p = middle > 0.0f ? (middle < 1.0f ? middle : 1.0f) : 0.0f;
    const unsigned n = static_cast<unsigned>(p * 256.0f);
    for (int k = 0; k < 3; ++k) {
        Segment(tables[k], 0, n, bottom[k], centre[k], centre[k]);
        if (n < 256)
            Segment(tables[k], n, 256 - n, centre[k], top[k], centre[k]);
    }
}

void CConverter::Reverse() {
    std::reverse(m_red, m_red + 256);
    std::reverse(m_green, m_green + 256);
    std::reverse(m_blue, m_blue + 256);
}

} // namespace color
