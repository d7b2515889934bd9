#pragma once
// Uploads a surface's grey levels into the bound 2D texture through the colour transfer: per channel
// k, grey level L becomes table_k[round(clamp(gain * L + bias, 0, 1) * 255)].
//
// Two ways give the same colours. OpenGL's pixel-transfer stage (scale, bias and the colour maps) is
// the classic one, but drivers run it on the processor one pixel at a time: Mesa takes about 0.5 s for
// a 4096 x 4096 grid. The processor path computes the colours with the vectorised transfer, a strip at
// a time, and hands the driver its native 8-bit BGRA rows, which it stores with a plain copy; the
// strips stay in the cache between the two, and a large texture's strips are made on two threads
// while the driver copies them. Views use the processor path (bench_color_upload).
#include <cstdint>

#include "view2d/Attenuator.h"
#include "view2d/Converter.h"
#include "view2d/TextureImage.h"

namespace color {

enum class UploadPath {
    kProcessor,    // colours computed here, uploaded as BGRA into an RGBA texture
    kPixelTransfer // luminance uploaded through OpenGL's scale, bias and R, G, B maps into an RGB texture
};

// Replaces level 0 of the texture bound to GL_TEXTURE_2D in the current context with columns x rows
// texels, row i of the grid (row-major) in texture row i. Float levels are clamped by the transfer;
// byte levels stand for b / 255. Leaves the pixel-transfer, pixel-map and unpack state as it found it
// and sets no texture parameters. Empty grids upload nothing.
void UploadTexture(const float* grey, int columns, int rows, const CConverter& converter,
                   const CAttenuator& attenuator, UploadPath path = UploadPath::kProcessor);
void UploadTexture(const std::uint8_t* grey, int columns, int rows, const CConverter& converter,
                   const CAttenuator& attenuator, UploadPath path = UploadPath::kProcessor);
// The texture of a surface, width x height texels, on the processor path: the same texels as an upload
// of surface::Levels(image), without making them first. An empty image uploads nothing.
void UploadTexture(const surface::CTextureImage& image, const CConverter& converter,
                   const CAttenuator& attenuator);

} // namespace color
