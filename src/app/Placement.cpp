#include "app/Placement.h"

#include <algorithm>

namespace mframe {

std::vector<QPoint> CascadePlaces(int count, int step) {
    std::vector<QPoint> places;
    for (int k = 0; k < count; ++k)
        places.emplace_back(k * step, k * step);
    return places;
}

std::vector<QPoint> TilePlaces(const std::vector<QSize>& sizes, int clientWidth) {
    std::vector<QPoint> places;
    int x = 0, y = 0, rowHeight = 0;
    for (const QSize& size : sizes) {
        // The first child of a row stays in it however wide it is.
        if (x > 0 && x + size.width() - clientWidth > size.width() / 4) {
            x = 0;
            y += rowHeight;
            rowHeight = 0;
        }
        places.emplace_back(x, y);
        x += size.width();
        rowHeight = std::max(rowHeight, size.height());
    }
    return places;
}

QPoint MovedInside(QPoint at, QSize size, QSize client) {
    const int overRight = at.x() + size.width() - client.width();
    const int overBottom = at.y() + size.height() - client.height();
    if (overRight > 0)
        at.setX(std::max(0, at.x() - overRight));
    if (overBottom > 0)
        at.setY(std::max(0, at.y() - overBottom));
    return at;
}

} // namespace mframe
