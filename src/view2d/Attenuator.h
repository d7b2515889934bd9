#pragma once
// The brightness/contrast transfer in front of the colour lookup: grey level L becomes
// gain * L + bias. Contrast and brightness move in steps of -99..99.
#include <string>

namespace color {

class CAttenuator {
public:
    virtual ~CAttenuator() = default;

    // Each returns whether the step was taken; at the end of the range nothing changes.
    bool ContrastUp();
    bool ContrastDown();
    bool BrightnessUp();
    bool BrightnessDown();

    double Bias() const { return m_bias; }
    double Gain() const { return m_gain; }
    int Brightness() const { return m_brightness; }
    int Contrast() const { return m_contrast; }

private:
    void SetContrast(int step);
    void UpdateBias();

    double m_bias = 0.0;
    double m_gain = 1.0;
    int m_brightness = 0;
    int m_contrast = 0;
};

// Whether the four commands are enabled.
inline bool CanContrastUp(const CAttenuator& a) {
    return a.Contrast() <= 98;
}
inline bool CanContrastDown(const CAttenuator& a) {
    return a.Contrast() >= -98;
}
inline bool CanBrightnessUp(const CAttenuator& a) {
    return a.Brightness() <= 98;
}
inline bool CanBrightnessDown(const CAttenuator& a) {
    return a.Brightness() >= -98;
}

// A step shown as a percentage: 50 % at 0, 0.5 % at -99, 99.5 % at 99.
inline double StepPercent(int step) {
    return (step + 100) * 0.5;
}

// The toolbar's tooltips: "Contrast 50.0%", "Brightness 50.0%", and the bare "50.0%" of the
// tip that follows a held button.
std::wstring ContrastTip(int contrast);
std::wstring BrightnessTip(int brightness);
std::wstring PercentTip(int step);

} // namespace color
