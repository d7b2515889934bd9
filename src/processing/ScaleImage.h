#pragma once
#include <functional>

// Resampling of float luminance images, Qt-free and without a GL context: the texture of a 2D image
// and the spectral windows' grids go through it.

namespace doc {

// The resampling of gluScaleImage(GL_LUMINANCE, ..., GL_FLOAT), done here without a GL context. Like
// GLU it goes through 16-bit levels: a level L becomes the integer part of 65535 * L, the result
// n / 65535. Halving both sides exactly averages each 2 x 2 block, rounded; any other size averages
// the box the output texel covers, its edges weighted by the part inside, and enlarging uses a box
// of one input texel, which interpolates linearly between neighbours. As in GLU the image repeats
// beyond its edges: the first and last texels of an enlarged side take a share of the opposite edge.
// The boxes' weights are GLU's, summed a row at a time rather than texel by texel, so a result may
// differ from GLU's by one 16-bit step (1 / 65535) where its float rounding falls the other way.
// Levels outside 0..1 (and NaN, as 0) are clamped first, where GLU's conversion is undefined. Returns
// false for null buffers, sides below 1 or when memory runs out.
bool ScaleImage(const float* in, int columns, int rows, float* out, int outWidth, int outHeight);

// The same resampling handed over a row at a time: row(i, cells) for i = 0 .. outHeight - 1 in order,
// cells valid during the call. For a caller that reads the result as it comes, or more than once,
// without a grid of it. Returns false as ScaleImage does, before the first row.
bool ScaleImageRows(const float* in, int columns, int rows, int outWidth, int outHeight,
                    const std::function<void(int, const float*)>& row);

} // namespace doc
