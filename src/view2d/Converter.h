#pragma once
// The colour lookup of an image: 256 entries per channel, chosen from the fills or built from the
// custom-fill colours, optionally mirrored (negative).
#include "view2d/CustomFill.h"

namespace color {

// The image model that owns a converter; it reaches the custom-fill colours of its window.
class IFillOwner {
public:
    virtual const CCustomFill* CustomFill() const = 0;

protected:
    ~IFillOwner() = default;
};

class CConverter {
public:
    enum Fill : unsigned { kGray = 2, kAmber = 3, kMarine = 4, kForest = 5, kCustom = 6 };

    explicit CConverter(const IFillOwner* owner = nullptr);
    virtual ~CConverter() = default;

    // Rebuilds the tables for fills 2..6 and keeps the negative state; any other type rebuilds nothing.
    void SetType(unsigned type);
    // Mirrors the tables when the state changes; any non-zero flag means negative.
    void SetNegative(int flag);

    unsigned Type() const { return m_type; }
    int Negative() const { return m_negative; }
    const float* Red() const { return m_red; }
    const float* Green() const { return m_green; }
    const float* Blue() const { return m_blue; }

private:
    void Build(unsigned type);
    void BuildCustom(const CCustomFill& fill);
    void Reverse();

    const IFillOwner* m_owner;
    unsigned m_type = kGray;
    int m_negative = 0;
    float m_red[256];
    float m_green[256];
    float m_blue[256];
};

} // namespace color
