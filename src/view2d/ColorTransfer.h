#pragma once
// The colour transfer of an image on the processor: per channel k, a grey level L in 0..1 becomes
// table_k[round(clamp(gain * L + bias, 0, 1) * 255)], and each table value the byte
// round(c * 255), as OpenGL's pixel-transfer maps and an 8-bit framebuffer give them.
#include <cstddef>
#include <cstdint>

#include "view2d/Attenuator.h"
#include "view2d/Converter.h"

namespace color {

// The byte of a colour component: round(clamp(c, 0, 1) * 255), half away from zero.
std::uint8_t ComponentByte(float c);

// The table entry for grey level L, in single precision as the pixel transfer works.
inline unsigned GreyIndex(float L, float gain, float bias) {
    const float scaled = gain * L; // two statements: no fused multiply-add
    float v = scaled + bias;
    v = v > 0.0f ? v : 0.0f; // NaN goes to 0
    v = v < 1.0f ? v : 1.0f;
    const float x = v * 255.0f;
    const int t = static_cast<int>(x);
    return static_cast<unsigned>(t) + (x - static_cast<float>(t) >= 0.5f ? 1u : 0u);
}

// The transfer of one fill and one brightness/contrast setting, its tables worked out once for the many
// calls that an image in strips or rows makes. A pixel's bytes depend on its level alone, not on where
// it stands in a call.
class CTransfer {
public:
    CTransfer(const CConverter& converter, const CAttenuator& attenuator);

    // count levels as 3 bytes red, green, blue each.
    void Rgb(const float* grey, std::size_t count, std::uint8_t* rgb) const;
    // count levels as 4 bytes blue, green, red, 255 each.
    void Bgra(const float* grey, std::size_t count, std::uint8_t* bgra) const;

private:
    // The bytes of every table index in each order, four per entry so that one store writes a pixel.
    std::uint8_t m_rgb[256][4], m_bgra[256][4];
    float m_gain, m_bias;
};

// The grid (row-major, columns x rows) as 3 bytes red, green, blue per sample.
void TransferRgb(const float* grey, std::size_t columns, std::size_t rows, const CConverter& converter,
                 const CAttenuator& attenuator, std::uint8_t* rgb);
// The same as 4 bytes blue, green, red, 255 per sample.
void TransferBgra(const float* grey, std::size_t columns, std::size_t rows, const CConverter& converter,
                  const CAttenuator& attenuator, std::uint8_t* bgra);

} // namespace color
