#include "view3d/PrintFit.h"

#include <algorithm>
#include <cmath>

namespace gl {

int PrintDivisor(int dpi) {
    if (dpi < 600)
        return 1;
    if (dpi < 1200)
        return 2;
    if (dpi < 2400)
        return 4;
    if (dpi < 4800)
        return 8;
    return 16;
}

CPrintFit FitPrintImage(int dpi, int pageWidth, int pageHeight, int viewWidth, int viewHeight,
                        const CPrintFrame& frame, int maxWidth, int maxHeight, EPrintScale scale) {
    CPrintFit fit;
    fit.divisor = PrintDivisor(dpi);
    if (viewWidth <= 0 || viewHeight <= 0 || pageWidth <= 0 || pageHeight <= 0)
        return fit;
    const int aroundWidth = frame.left + frame.right + frame.bar, aroundHeight = frame.top + frame.bottom;
    // Every pass shrinks the room, down to nothing once the divisor passes the page.
    for (;; ++fit.divisor) {
        const double roomWidth = double(pageWidth) / fit.divisor - aroundWidth;
        const double roomHeight = double(pageHeight) / fit.divisor - aroundHeight;
        if (roomWidth < 1 || roomHeight < 1)
            return {fit.divisor, 0, 0};
        if (scale == EPrintScale::Aspect) {
            const int w = static_cast<int>(roomWidth), h = static_cast<int>(roomHeight);
            const double aspect = static_cast<double>(viewWidth) / viewHeight;
            if (static_cast<double>(h) / viewHeight > static_cast<double>(w) / viewWidth) {
                fit.width = w;
                fit.height = static_cast<int>(std::lround(w / aspect));
            } else {
                fit.height = h;
                fit.width = static_cast<int>(std::lround(h * aspect));
            }
        } else {
            const double k = std::min(roomWidth / viewWidth, roomHeight / viewHeight);
            fit.width = std::max(1, static_cast<int>(viewWidth * k));
            fit.height = std::max(1, static_cast<int>(viewHeight * k));
        }
        if (fit.width + aroundWidth < maxWidth && fit.height + aroundHeight < maxHeight)
            return fit;
    }
}

} // namespace gl
