#include "view2d/Attenuator.h"

#include <charconv>
#include <cmath>
#include <cwchar>

namespace color {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMaxGain = 9999999.0;

// "prefix12.5%", with a decimal point in every locale.
std::wstring FormatPercent(const wchar_t* prefix, int step) {
    char digits[64];
    const char* end = std::to_chars(digits, digits + sizeof digits, static_cast<double>(StepPercent(step)),
                                    std::chars_format::fixed, 1)
                          .ptr;
    return prefix + std::wstring(static_cast<const char*>(digits), end) + L"%";
}

} // namespace

bool CAttenuator::ContrastUp() {
    if (!CanContrastUp(*this))
        return false;
    SetContrast(m_contrast + 1);
    return true;
}

bool CAttenuator::ContrastDown() {
    if (!CanContrastDown(*this))
        return false;
    SetContrast(m_contrast - 1);
    return true;
}

bool CAttenuator::BrightnessUp() {
    if (!CanBrightnessUp(*this))
        return false;
    ++m_brightness;
    UpdateBias();
    return true;
}

bool CAttenuator::BrightnessDown() {
    if (!CanBrightnessDown(*this))
        return false;
    --m_brightness;
    UpdateBias();
    return true;
}

void CAttenuator::SetContrast(int step) {
    m_contrast = step;
    // tan runs to infinity at +-99 steps; the cap is reached from step 97 on.
    m_gain = std::exp(std::tan(step * kPi * 0.005));
    if (m_gain > kMaxGain)
        m_gain = kMaxGain;
    UpdateBias();
}

// With no brightness step grey 0.5 stays where it is; each step moves by (gain + 1) / 200.
void CAttenuator::UpdateBias() {
    m_bias = m_brightness * (m_gain + 1.0) * 0.005 - (m_gain - 1.0) * 0.5;
}

std::wstring ContrastTip(int contrast) {
    return FormatPercent(L"Contrast ", contrast);
}

std::wstring BrightnessTip(int brightness) {
    return FormatPercent(L"Brightness ", brightness);
}

std::wstring PercentTip(int step) {
    return FormatPercent(L"", step);
}

} // namespace color
