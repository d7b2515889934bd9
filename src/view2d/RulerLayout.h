#pragma once
// Where rulers go round an image: the margins by placement, the image area inside them, and the
// place of the unit text beside the vertical ruler. Printing triples every pixel measure.

namespace rulers {

// A rectangle of the view in pixels, origin at the lower-left corner as OpenGL counts.
struct CArea {
    float left = 0.0f, bottom = 0.0f, width = 0.0f, height = 0.0f;
};

struct CMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct CPoint {
    float x = 0.0f, y = 0.0f;
};

// Layout kinds: where a ruler's zero lies and on which side of the image the ruler goes.
enum Kind : int { kUpperLeft = 0, kCentreAbove = 1, kCentreBelow = 2, kLowerLeft = 3 };

// The placement choice of the view options: 0 "0 - upper/left", 1 "0 - by centre", 2 "0 - lower/left".
enum Placement : int { kZeroUpper = 0, kZeroCentre = 1, kZeroLower = 2 };

// The layout kind of both rulers for a placement: kUpperLeft, kCentreAbove or kLowerLeft.
Kind KindOf(int placement);

// Left 36, right 12, top and bottom 24 and 12 (12 and 24 with the zero below); none without rulers.
CMargins MarginsOf(int placement, bool shown, bool print);

// The view less its margins.
CArea AreaOf(float viewWidth, float viewHeight, const CMargins& margins);

// The unit text's raster position: `left` pixels left of the area (28 beside an image, 20 beside the
// height bar), 12 above its top with the zero there, at its middle with the zero centred, 18 below
// its bottom with the zero there.
CPoint UnitTextAt(int placement, const CArea& area, float left, bool print);

} // namespace rulers
