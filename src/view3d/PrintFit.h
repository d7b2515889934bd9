#pragma once
// The size of a printed view: rendered at a fraction of the printer's resolution (near 300 dpi) and
// scaled up on the page, no larger than the largest viewport.

namespace gl {

// The starting divisor of the printer's resolution: below 600 dpi 1, then 2, 4, 8 and from 4800 dpi 16.
int PrintDivisor(int dpi);

// Room kept around the image on the printed sheet, in pixels of the rendered sheet: the rulers' margins
// and the height bar's strip on the right.
struct CPrintFrame {
    int left = 0, top = 0, right = 0, bottom = 0;
    int bar = 0;
};

// How the view fills the room left on the page.
enum class EPrintScale {
    // A scene drawn for any viewport: the view's aspect, the free side to the nearest pixel of whole
    // room.
    Aspect,
    // An image of pixels: one factor for both sides, truncated, at least a pixel.
    Factor,
};

struct CPrintFit {
    int divisor = 1;
    int width = 0; // of the image inside the frame, in pixels
    int height = 0;
};

// Fits the view (viewWidth x viewHeight) into the printable page (pageWidth x pageHeight pixels)
// divided by the divisor, less the frame, raising the divisor until the sheet (image and frame) is below
// the largest viewport (maxWidth x maxHeight) on both sides. An empty view, or a page with no room left,
// gives an empty image.
CPrintFit FitPrintImage(int dpi, int pageWidth, int pageHeight, int viewWidth, int viewHeight,
                        const CPrintFrame& frame, int maxWidth, int maxHeight, EPrintScale scale);

} // namespace gl
