#pragma once
// The texture of a 2D image: the processed surface as luminance floats in a power-of-two texture,
// copied into its top-left corner when it fits and resampled into the whole of it when it does not,
// with the image's edge filter applied on the way. A surface that fits and has no filter need not be
// copied at all: the texture can read it where it is. Nothing here calls OpenGL; the view uploads the
// result.
//
// Texels right of the surface and below it repeat its last column and its last row (the corner the
// last sample). The view draws the image with texture coordinates 0..uMax and 0..vMax, so with linear
// filtering a screen pixel on the image's edge blends the last sample with its padding; repeated, the
// edge keeps its own level instead of fading towards whatever lies beyond it.
#include <cstdint>
#include <functional>
#include <vector>

#include "processing/Filter.h"
#include "processing/GridAllocator.h"
#include "view2d/ColorTransfer.h"

namespace surface {

// Smallest power of two >= count, starting from 2 (count 1 or 2 gives 2), capped at maxSize. A
// maxSize that is not a power of two counts as the power of two below it, one below 2 as 2.
int TextureSide(int count, int maxSize);

struct CTextureImage {
    // width x height luminance floats, row-major, row stride = width; empty when the texture reads the
    // surface in place.
    doc::TGrid<float> texels;
    // The surface read in place (its owner keeps it), columns x rows: texel (x, y) is its sample
    // (min(x, columns - 1), min(y, rows - 1)). Null when the texels hold the texture.
    const float* grid = nullptr;
    int columns = 0, rows = 0;
    int width = 0, height = 0; // texture size
    float uMax = 0, vMax = 0;  // texture-coordinate extents of the surface
    bool resampled = false;
};

// What the build does with a surface that fits and has no filter: copies it into the texels, or leaves
// it where it is for the texture to read (the caller keeps it alive and unchanged while the texture is
// used).
enum class Unfiltered { kCopy, kInPlace };

// Resamples a columns x rows float image into the whole of an outWidth x outHeight buffer; false when
// it could not (no memory, sizes it does not take).
using Resampler =
    std::function<bool(const float* in, int columns, int rows, float* out, int outWidth, int outHeight)>;

// Builds the texture of a columns x rows surface (row-major) with sides from TextureSide. A surface
// larger than the texture in either direction is resampled into all of it (extents 1 and 1) and the
// filter applied to the resampled texels; otherwise texel (x, y) is sample (x, y), the filter is
// applied to those columns x rows alone, the padding repeats the filtered edge, and the extents are
// columns / width and rows / height. The filter is None or one of the image's edge filters; when
// it fails the texels stay unfiltered. An empty resample means
// ScaleImage. Returns false, with the texture emptied, for an empty or null grid, when memory runs
// out or when the resampler fails. The texel buffer of a previous build is reused; one read in place
// frees it.
bool BuildTexture(const float* grid, int columns, int rows, doc::FilterType filter, int maxTextureSize,
                  const Resampler& resample, CTextureImage& out, Unfiltered unfiltered = Unfiltered::kCopy);

// Every texel's level, row-major, whether the texels hold them or the surface is read in place.
std::vector<float> Levels(const CTextureImage& image);

// Texture rows [first, first + count) through the colour transfer as 4 bytes blue, green, red, 255 a
// texel, 4 * width bytes a row: the bytes that the transfer of Levels gives.
void TransferRows(const CTextureImage& image, const color::CTransfer& transfer, int first, int count,
                  std::uint8_t* bgra);

// doc::ScaleImage (processing/ScaleImage.h), the resampling of gluScaleImage without a GL context.
bool ScaleImage(const float* in, int columns, int rows, float* out, int outWidth, int outHeight);

} // namespace surface
