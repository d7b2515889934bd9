#pragma once
// What the custom-fill dialog edits: three colours from top to bottom, two- or three-colour
// interpolation, and where the middle colour sits on the dialog's slider.
#include <cstdint>

namespace color {

// A 24-bit colour with red in the low byte, as the platform's colour dialogs hand it over.
using COLORREF = std::uint32_t;

constexpr COLORREF MakeColorRef(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return COLORREF(red) | COLORREF(green) << 8 | COLORREF(blue) << 16;
}
constexpr std::uint8_t RedOf(COLORREF c) {
    return std::uint8_t(c & 0xFF);
}
constexpr std::uint8_t GreenOf(COLORREF c) {
    return std::uint8_t(c >> 8 & 0xFF);
}
constexpr std::uint8_t BlueOf(COLORREF c) {
    return std::uint8_t(c >> 16 & 0xFF);
}

struct CCustomFill {
    enum Slot : unsigned { kTop = 0, kMiddle = 1, kBottom = 2 };

    COLORREF colors[3] = {MakeColorRef(255, 0, 0), MakeColorRef(0, 255, 0), MakeColorRef(0, 0, 255)};
    int mode = 1;   // 0 two colours (bottom and top), 1 three colours
    float s = 0.5f; // slider fraction of the middle colour, 0 at the bottom
    float h = 0.0f; // half the slider's thumb over its length; 0 until measured
    unsigned selected = kTop;

    // Centre of the slider's thumb along the bar, 0 at the bottom and 1 at the top.
    float MiddlePosition() const { return h + (1.0f - 2.0f * h) * s; }
    // The slider runs 0..1000 from the top.
    int SliderPosition() const { return static_cast<int>((1.0f - MiddlePosition()) * 1000.0f); }
    void SetSliderPosition(int position) { s = 1.0f - static_cast<float>(position) * 0.001f; }
};

} // namespace color
