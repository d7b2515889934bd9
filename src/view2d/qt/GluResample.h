#pragma once
// The texture resampler by GLU: gluScaleImage of the luminance floats in the current OpenGL context.
// It gives what surface::ScaleImage gives (that follows GLU's 16-bit levels and boxes, to one 16-bit
// step), but bench_texture_build finds it far over the budget of a texture build, three copies of the
// surface: halving a 4096 x 4096 surface takes GLU about ten times a memcpy of it and ScaleImage
// about half of one, and GLU's box path is five times slower again. Views build their textures with
// ScaleImage; this one stays for comparing the two.
#include "view2d/TextureImage.h"

namespace surface {

// gluScaleImage(GL_LUMINANCE, columns, rows, GL_FLOAT, in, outWidth, outHeight, GL_FLOAT, out) with
// the pack and unpack modes at their defaults for the call (and given back after it). False for sides
// below 1 or when GLU reports an error. Without a current context it is ScaleImage.
bool GluScaleImage(const float* in, int columns, int rows, float* out, int outWidth, int outHeight);

// GluScaleImage as a Resampler for BuildTexture.
Resampler GluResampler();

} // namespace surface
