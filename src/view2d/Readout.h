#pragma once
// The main window's readout of the point under the mouse over an image: where it lies as the image's
// rulers count, and the value there, in physical units, as "x 1.234 µm  y 456.0 nm  z 12.34 nm".
#include <string>

#include "model/DataDoc.h"
#include "model/phSize.h"
#include "view2d/TextureImage.h"

namespace readout {

// How far along the rulers of a placement (rulers::Placement) a point of the displayed image lies,
// given as fractions of the displayed width (from the left) and height (from the top): from the left
// or the centre across, from the top, the centre (upwards) or the bottom (upwards) down.
ph::Size AlongX(double fx, const ph::Size& width, int placement);
ph::Size AlongY(double fy, const ph::Size& height, int placement);

// "x X  y Y", and "  label V" after it when a label is given; four significant digits each.
std::wstring Text(ph::Size x, ph::Size y, const std::wstring& label = std::wstring(),
                  ph::Size value = ph::Size());

// The surface's height at fractions (u, v) of its width and height from its first sample (the nearest
// sample, the edges' for points on them) in its Z unit, as the height bar of a placement counts it:
// down from the highest, from the middle of the range or up from the lowest. False when the surface
// has no samples.
bool HeightAt(const doc::CDataDoc& surface, double u, double v, int barPlacement, ph::Size& height);

// The texel that shows fractions (u, v) of the surface in a texture built from it; false when the
// texture is empty.
bool LevelAt(const surface::CTextureImage& texture, double u, double v, float& level);

} // namespace readout
