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

QPoint FreePlace(QSize block, const std::vector<QRect>& open, QSize client, int step) {
    // The corners worth trying: the client's, and those right of and under every open window.
    std::vector<int> xs{0}, ys{0};
    for (const QRect& r : open) {
        xs.push_back(r.x() + r.width());
        ys.push_back(r.y() + r.height());
    }
    std::sort(xs.begin(), xs.end());
    std::sort(ys.begin(), ys.end());
    for (int y : ys)
        for (int x : xs) {
            const QRect place(QPoint(x, y), block);
            if (place.right() >= client.width() || place.bottom() >= client.height())
                continue;
            if (std::none_of(open.begin(), open.end(), [&](const QRect& r) { return r.intersects(place); }))
                return place.topLeft();
        }
    if (open.empty())
        return QPoint(0, 0);
    return MovedInside(open.back().topLeft() + QPoint(step, step), block, client);
}

} // namespace mframe
